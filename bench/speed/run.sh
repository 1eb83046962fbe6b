#!/usr/bin/env bash
# Runs the dialog speed benchmark on a private Xvfb (no window manager) with
# the library that `cmake --install` put into BUILD/stage.
#   bench/speed/run.sh BUILD [RUNS [BASELINE_LIBRARY]]
# A baseline library (another build, e.g. of an earlier commit) is started in
# turns with ours, so that before and after compare within one run.
set -euo pipefail
build=$(realpath "${1:-build}")
src=$(cd "$(dirname "$0")/../.." && pwd)
bundle="$build/tools/imagePushBtn/imagePushBtn.bundle"
export KDT_TIME_LIMIT=${KDT_TIME_LIMIT:-900}
exec "$src/tests/dialogs/run-gui.sh" --bundle "$bundle" -- \
  "$build/bench/speed/dialog_speed" "$build/bench/speed/speed_host" \
  "$build/stage/lib/libkeydialogs.so" /usr/local/lib/imagePushBtn.bundle \
  "${2:-10}" ${3:+"$(realpath "$3")"}
