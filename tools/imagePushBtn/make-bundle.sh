#!/usr/bin/env bash
# Makes a picture bundle like the one the PIN window reads at
# /usr/local/lib/imagePushBtn.bundle: a directory bundle with QV64.png, a
# 128 x 128 key symbol drawn with ImageMagick.
# Usage: make-bundle.sh OUTPUT_DIR/imagePushBtn.bundle
set -euo pipefail
out=${1:?usage: make-bundle.sh BUNDLE_DIR}
res="$out/Resources"
mkdir -p "$res"
cat > "$res/Info-gnustep.plist" <<'PLIST'
{
  CFBundleIdentifier = "com.selvik.imagePushBtn";
  CFBundleName = "imagePushBtn";
}
PLIST
convert -size 128x128 xc:none \
  -fill '#1f6fb2' -draw 'roundrectangle 8,8 120,120 18,18' \
  -fill white -draw 'circle 46,64 46,40' \
  -fill '#1f6fb2' -draw 'circle 46,64 46,54' \
  -fill white -draw 'rectangle 62,58 110,70' -draw 'rectangle 92,70 100,86' \
  -draw 'rectangle 78,70 86,80' \
  "$res/QV64.png"
