#!/usr/bin/env bash
# Fails when a picture of docs/dialogs no longer shows what the library
# draws: makes the gallery afresh into a directory of its own and compares
# each picture with the shipped one. A few pixels may differ (the caret
# blinks, the countdown ticks); a changed text, title or layout does not pass.
#   tools/dialog-gallery/check-gallery.sh [BUILD_DIR]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
build=$(realpath "${1:-$root/build}")
shipped=$root/docs/dialogs
fresh=$(mktemp -d "${TMPDIR:-/tmp}/gallery.XXXXXX")
trap 'rm -rf "$fresh"' EXIT

"$here/make-gallery.sh" "$build" "$fresh" > /dev/null
status=0
for picture in "$shipped"/*.png; do
  name=$(basename "$picture")
  if [ ! -f "$fresh/$name" ]; then
    echo "$name: no longer made" >&2; status=1; continue
  fi
  size=$(identify -format '%wx%h' "$picture")
  now=$(identify -format '%wx%h' "$fresh/$name")
  if [ "$size" != "$now" ]; then
    echo "$name: $size shipped, $now drawn" >&2; status=1; continue
  fi
  # Pixels that differ by more than 10 %, against 0.2 % of the picture.
  differing=$(compare -metric AE -fuzz 10% "$picture" "$fresh/$name" null: 2>&1 || true)
  allowed=$(( ${size%x*} * ${size#*x} / 500 ))
  if [ "${differing%%.*}" -gt "$allowed" ]; then
    echo "$name: $differing pixels differ (at most $allowed)" >&2; status=1
  fi
done
for picture in "$fresh"/*.png; do
  [ -f "$shipped/$(basename "$picture")" ] || { echo "$(basename "$picture"): not shipped" >&2; status=1; }
done
[ $status -eq 0 ] && echo "gallery matches what the library draws"
exit $status
