#!/usr/bin/env bash
# Builds the project again under the sanitizers and runs its tests there:
#   build-asan  the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
#   build-tsan  the watcher's tests with ThreadSanitizer
# The dialog hosts of the GUI tests are built in the same sanitized build, so
# the library they load and the host share one sanitizer run-time: no preload.
# Run after scripts/test.sh (which installs the dependencies).
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/sanitizers/sanitizer-env.sh
for build in address:build-asan thread:build-tsan; do
  sanitizer=${build%%:*} dir=${build#*:}
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEYTOKEN_SANITIZE=$sanitizer -DKEYTOKEN_TESTS=ON
  cmake --build "$dir" -j2
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j2 --timeout 300
done
