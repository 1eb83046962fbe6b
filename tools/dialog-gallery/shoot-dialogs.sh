#!/usr/bin/env bash
# Runs inside run-gui.sh: shows each dialog with the demo host, photographs
# the screen once the dialog has settled, crops it to the dialog and ends the
# host.   shoot-dialogs.sh OUTPUT_DIR DEMO LIBRARY SAMPLES_DIR
set -euo pipefail
out=$1 demo=$2 library=$3 samples=$4
bundle=/usr/local/lib/imagePushBtn.bundle

# shoot NAME DIALOG [ARGUMENTS...]: the picture NAME.png of one dialog.
shoot() {
  local name=$1 pid
  shift
  "$demo" --lib "$library" "$@" > /dev/null 2>&1 &
  pid=$!
  # Start-up, first drawing and the fonts take well under a second here.
  sleep 3
  import -window root "$out/$name.full.png"
  kill -KILL $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  # The screen is black around the dialog; -trim keeps the dialog alone.
  convert "$out/$name.full.png" -trim +repage -strip -define png:compression-level=9 \
    "$out/$name.png"
  rm "$out/$name.full.png"
  echo "$out/$name.png"
}

shoot pin pin
shoot pin-picture pinpic "$bundle"
shoot certificates cert @"$samples/sample-certificates.txt"
shoot tokens key @"$samples/sample-tokens.txt"
shoot init init keyInitWarning "$bundle"
shoot message msg "证书已导入。"
shoot message-two-buttons msg2 "确定要删除这张证书吗？"
shoot countdown-bundle countdown 30 pressOK "$bundle" 400 567
shoot countdown-embedded countdown 30 QVLedChangepin - 400 567
