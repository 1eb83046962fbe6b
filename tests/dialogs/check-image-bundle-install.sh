#!/usr/bin/env bash
# The picture bundle goes to /usr/local/lib/imagePushBtn.bundle only with the
# component image-bundle, and an existing bundle there is left as it is.
#   check-image-bundle-install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/bundle-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
bundle=$root/usr/local/lib/imagePushBtn.bundle
fail() { echo "$*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" > /dev/null
[ ! -e "$bundle" ] || fail "a plain install put the bundle in place"

DESTDIR=$root cmake --install "$build" --component image-bundle > /dev/null
for picture in QV64.png keyInitWarning.png; do
  [ -f "$bundle/Resources/$picture" ] || fail "the installed bundle has no $picture"
done

# Someone else's bundle: not one file of it is replaced or added.
rm -rf "$bundle"
mkdir -p "$bundle/Resources"
echo theirs > "$bundle/Resources/QV64.png"
DESTDIR=$root cmake --install "$build" --component image-bundle > /dev/null
[ "$(cat "$bundle/Resources/QV64.png")" = theirs ] || fail "an existing bundle was overwritten"
[ ! -e "$bundle/Resources/keyInitWarning.png" ] || fail "files were added to an existing bundle"
echo "image bundle installed only on request, existing one kept"
