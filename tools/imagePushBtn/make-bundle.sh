#!/usr/bin/env bash
# Makes a picture bundle like the one the PIN window reads at
# /usr/local/lib/imagePushBtn.bundle: a directory bundle with QV64.png, a
# 128 x 128 key symbol drawn with ImageMagick; and the countdown window's
# pictures, which it looks up as NAME.gif in a bundle that its caller names.
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
# A 120 x 80 OK key under an ordinary name, and the same file under the name
# that selects the library's embedded picture (which must win over the file).
convert -size 120x80 xc:white \
  -fill '#1f6fb2' -draw 'roundrectangle 20,10 100,70 12,12' \
  -fill white -draw 'circle 48,40 48,26' -fill '#1f6fb2' -draw 'circle 48,40 48,32' \
  -fill white -draw 'polygon 66,26 72,26 72,36 82,26 89,26 78,40 89,54 82,54 72,44 72,54 66,54' \
  "$res/pressOK.gif"
cp "$res/pressOK.gif" "$res/QVLedChangepin.gif"
# The initialisation confirmation's icon, 96 x 96 (a size of its own, so that
# a test can tell it from the others): a warning triangle.
convert -size 96x96 xc:none \
  -fill '#e0a000' -draw 'polygon 48,6 92,88 4,88' \
  -fill white -draw 'rectangle 44,32 52,64' -draw 'rectangle 44,70 52,78' \
  "$res/keyInitWarning.png"
