#!/usr/bin/env bash
# A plain install into a scratch prefix: the versioned library and its links,
# header, pkg-config file that a C caller builds with alone, no demo host; and
# the uninstall target leaves the prefix empty.
#   check-layout.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/layout.XXXXXX")
# The uninstall target reads every manifest of the build: those of earlier
# component installs (perhaps into the real /usr/local) wait aside meanwhile.
stash=$(mktemp -d "${TMPDIR:-/tmp}/manifests.XXXXXX")
find "$build" -maxdepth 1 -name 'install_manifest_*.txt' -exec mv {} "$stash" \;
trap 'mv "$stash"/* "$build" 2> /dev/null; rm -rf "$prefix" "$stash"' EXIT
fail() { echo "$*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null
lib=$prefix/lib
[ "$(readlink "$lib/libkeydialogs.so")" = libkeydialogs.so.1 ] || fail "libkeydialogs.so is not a link to libkeydialogs.so.1"
readelf -d "$lib/libkeydialogs.so.1" | grep -q 'Library soname: \[libkeydialogs.so.1\]' || fail "wrong SONAME"
[ -f "$prefix/include/keydialogs.h" ] || fail "no header"
[ ! -e "$prefix/bin/keydialogs-demo" ] || fail "the demo host came with a plain install"

# A C caller that knows only pkg-config. Without an application object the PIN
# call shows nothing and returns -1: this runs without a display.
cat > "$prefix/caller.c" <<'C'
#include <keydialogs.h>
#include <stdio.h>
int main(void)
{
  char pin[KEYDIALOGS_PIN_MAX];
  int length = 0;
  printf("%d\n", P11_BlockPopPin(pin, &length));
  return 0;
}
C
flags=$(PKG_CONFIG_PATH=$lib/pkgconfig pkg-config --cflags --libs keydialogs)
# shellcheck disable=SC2086
cc -o "$prefix/caller" "$prefix/caller.c" $flags
[ "$(LD_LIBRARY_PATH=$lib "$prefix/caller")" = -1 ] || fail "the C caller did not get -1"
rm "$prefix/caller" "$prefix/caller.c"

cmake --build "$build" --target uninstall > /dev/null
left=$(find "$prefix" -mindepth 1)
[ -z "$left" ] || fail "left behind after uninstall: $left"
echo "layout as expected; uninstall left the prefix empty"
