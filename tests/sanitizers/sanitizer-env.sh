# Sourced by scripts/test-sanitizers.sh: the run-time options of the sanitizer
# builds, for the test programs that the build itself runs (test discovery) and
# for every test. Each finding ends the process with a report, so the test
# that met it fails.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# verify_asan_link_order=0: umockdev-wrapper preloads its own library ahead of
# the sanitizer's run-time, which the instrumented programs link themselves.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:verify_asan_link_order=0:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$here/tsan.supp:halt_on_error=1:abort_on_error=1:second_deadlock_stack=1"
