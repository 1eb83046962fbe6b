#!/usr/bin/env bash
# `cpack -G DEB` makes the package; lintian finds no error in it; its Depends
# names the fonts and the GNUstep libraries; and keywatchd unpacked from it
# starts and ends on SIGINT with status 0.
#   check-deb.sh BUILD_DIR
set -euo pipefail
build=$1
. "$(dirname "$0")/start-stop.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "$*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log") || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/out/keytoken_*_amd64.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no keytoken_<version>_amd64.deb"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in fonts-wqy-zenhei libgnustep-gui libgnustep-base libudev1; do
  [[ $depends == *$needed* ]] || fail "Depends lacks $needed"
done

if command -v lintian > /dev/null; then
  lintian "$deb" > "$work/lintian.log" 2>&1 || true
  cat "$work/lintian.log"
  ! grep -q '^E: ' "$work/lintian.log" || fail "lintian found errors"
fi

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/keywatchd usr/lib/libkeydialogs.so.1 usr/include/keydialogs.h \
            usr/lib/pkgconfig/keydialogs.pc usr/lib/systemd/user/keywatchd.service \
            usr/share/man/man8/keywatchd.8.gz usr/share/man/man3/libkeydialogs.3.gz; do
  [ -e "$work/root/$file" ] || fail "the package has no /$file"
done
grep -qx 'ExecStart=/usr/bin/keywatchd' "$work/root/usr/lib/systemd/user/keywatchd.service" \
  || fail "the packaged unit does not start /usr/bin/keywatchd"
start_stop_keywatchd "$work/keywatchd.out" INT "$work/root/usr/bin/keywatchd"
echo "package made, lintian without errors, unpacked keywatchd ran and ended with status 0"
