#!/usr/bin/env bash
# Makes the pictures of docs/dialogs.md: every dialog of libkeydialogs, shown
# by the demo host on a display of its own, under a window manager (openbox)
# as users see them, and cropped to the dialog with the manager's frame.
#   tools/dialog-gallery/make-gallery.sh [BUILD_DIR [OUTPUT_DIR]]
# (defaults: build, docs/dialogs). Needs a built tree; runs as root, since the
# sample picture bundle is mounted at /usr/local/lib/imagePushBtn.bundle in a
# private mount namespace (tests/dialogs/run-gui.sh).
set -euo pipefail
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
build=$(realpath "${1:-$root/build}")
out=$(realpath -m "${2:-$root/docs/dialogs}")
mkdir -p "$out"
KDT_TIME_LIMIT=300 "$root/tests/dialogs/run-gui.sh" \
  --bundle "$build/tools/imagePushBtn/imagePushBtn.bundle" --wm -- \
  bash "$here/shoot-dialogs.sh" "$out" "$build/tools/keydialogs-demo/keydialogs-demo" \
  "$build/pinWin/libkeydialogs.so" "$root/tools/keydialogs-demo"
