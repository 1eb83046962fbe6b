#!/usr/bin/env bash
# Runs each fuzz target for a while (default 60 s) and prints executions per
# second and coverage:
#   reader_list  libFuzzer (clang) with ASan+UBSan
#   wtconvert    AFL++ in its gcc mode (afl-g++; the gcc plugin of afl-g++-fast does not load with this gcc) with ASan (GNUstep needs gcc's runtime)
#   records      AFL++ in its gcc mode (afl-g++; the gcc plugin of afl-g++-fast does not load with this gcc) with ASan
# New inputs stay in build-fuzz/; a crash fails the run and is left in
# build-fuzz/<target>-findings for keeping in tests/fuzz/corpus/<target>.
#   bash scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
src=$PWD/tests/fuzz corpora=$PWD/tests/fuzz/corpus out=$PWD/build-fuzz
rm -rf "$out" && mkdir -p "$out"
objc_flags=$(gnustep-config --objc-flags | sed 's/-MMD//; s/-MP//')
base_libs=$(gnustep-config --base-libs)
source tests/sanitizers/sanitizer-env.sh

clang -shared -fPIC -O1 -fvisibility=hidden "$src/fuzz_keycore.c" -o "$out/libfuzz_keycore.so"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Iwatcher -Iplatform -DFUZZ_KEYCORE_PATH="\"$out/libfuzz_keycore.so\"" \
  "$src/reader_list_fuzz.cpp" watcher/KeycoreBinding.cpp watcher/ReaderListWalk.cpp -ldl -o "$out/reader_list_fuzz"

export AFL_USE_ASAN=1 AFL_QUIET=1
afl_build() { # <target> <sources...>
  local target=$1; shift
  afl-g++ -x objective-c++ -std=c++17 -g -O1 $objc_flags -Wno-subobject-linkage -Iwatcher -Iplatform -IpinWin \
    "$@" -x c++ "$src/replay_main.cpp" -x none $base_libs -o "$out/${target}_fuzz"
}
afl_build wtconvert "$src/wtconvert_fuzz.mm" pinWin/WtConvert.mm
afl_build records -DRECORDS_ASAN_SUPPRESSIONS="\"$src/records.asan.supp\"" "$src/records_fuzz.mm" watcher/Qv_Intefs.mm watcher/Qv_Intefs+Records.mm \
  watcher/QvXMLPropertyList.mm watcher/AtomicFileWrite.cpp watcher/KeycoreBinding.cpp watcher/ReaderListWalk.cpp -ldl
unset AFL_USE_ASAN

status=0
mkdir -p "$out/reader_list-corpus"
"$out/reader_list_fuzz" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/reader_list-findings-" \
  "$out/reader_list-corpus" "$corpora/reader_list" > "$out/reader_list.log" 2>&1 || status=1
grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added' \
  "$out/reader_list.log" | sed 's/^/reader_list: /'

# One input a run, through the replay driver (afl-g++ has no persistent-mode
# run-time). ASan's memory reservation is more than AFL++'s default limit.
export AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1 AFL_NO_AFFINITY=1
# AFL++ tells crashes by the signal, and wants no symbolizer inside the target.
export ASAN_OPTIONS="$ASAN_OPTIONS:symbolize=0:detect_leaks=0" UBSAN_OPTIONS="$UBSAN_OPTIONS:symbolize=0" LSAN_OPTIONS="$LSAN_OPTIONS:symbolize=0"
for target in wtconvert records; do
  afl-fuzz -V "$seconds" -m none -i "$corpora/$target" -o "$out/$target-findings" -- "$out/${target}_fuzz" @@ \
    > "$out/$target.log" 2>&1 || status=1
  stats=$out/$target-findings/default/fuzzer_stats
  grep -E '^(execs_done|execs_per_sec|corpus_count|edges_found|total_edges|bitmap_cvg|saved_crashes|saved_hangs) ' \
    "$stats" | sed "s/^/$target: /" || status=1
  if ls "$out/$target-findings/default/crashes/"id* > /dev/null 2>&1; then
    echo "$target: crashes in $out/$target-findings/default/crashes" >&2
    status=1
  fi
done
exit $status
