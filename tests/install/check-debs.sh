#!/usr/bin/env bash
# The Debian packages: dpkg-buildpackage makes the four from a copy of the
# sources; lintian finds neither error nor warning in any; their files and
# Depends are as Debian ships a library, its -dev, a service and a module.
# Unpacked into a scratch root, with nothing under /usr/local/lib: keywatchd
# loads the simulated libkeycore from the loader's path and starts and stops,
# and pkcs11-tool logs in through the packaged module, whose PIN window shows
# its picture from the bundle beside the packaged library.
#   check-debs.sh SOURCE_DIR
set -euo pipefail
source_dir=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
. "$here/start-stop.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/debs.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# dpkg-buildpackage writes into the tree and beside it: a copy of the sources
# (those git knows, and new ones not ignored) in a directory of its own.
mkdir "$work/src"
(cd "$source_dir" && git ls-files -z -co --exclude-standard \
   | while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done \
   | xargs -0 cp --parents -t "$work/src")
(cd "$work/src" && DEB_BUILD_OPTIONS="parallel=2 noautodbgsym" \
   dpkg-buildpackage -b -us -uc > "$work/build.log" 2>&1) \
  || { tail -40 "$work/build.log" >&2; fail "dpkg-buildpackage failed"; }

version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
packages=(libkeydialogs1 libkeydialogs-dev keywatchd keytoken-pkcs11-demo)
root=$work/root
for package in "${packages[@]}"; do
  deb=$work/${package}_${version}_$(dpkg --print-architecture).deb
  [ -f "$deb" ] || fail "no $deb"
  lintian "$deb" > "$work/lintian.log" 2>&1 || true
  echo "lintian $package: $(grep -c '^[EW]: ' "$work/lintian.log") errors and warnings"
  ! grep '^[EW]: ' "$work/lintian.log" || fail "lintian finds fault with $package"
  echo "$package Depends: $(dpkg-deb -f "$deb" Depends)"
  dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//' > "$work/$package.depends"
  dpkg-deb -x "$deb" "$root"
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$work/$package.files"
done

depends() { grep -qx -- "$2" "$work/$1.depends" || fail "$1 does not depend on $2"; }
depends libkeydialogs-dev "libkeydialogs1 (= $version)"
depends keytoken-pkcs11-demo "libkeydialogs1 (= $version)"
for needed in fonts-wqy-zenhei 'libgnustep-gui0.29 .*'; do
  grep -qx -- "$needed" "$work/libkeydialogs1.depends" || fail "libkeydialogs1 does not depend on $needed"
done
grep -qx 'libudev1 .*' "$work/keywatchd.depends" || fail "keywatchd does not depend on libudev1"

libdir=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)
has() { grep -qx -- "$2" "$work/$1.files" || fail "$1 lacks $2"; }
has libkeydialogs1 "$libdir/libkeydialogs.so.1"
has libkeydialogs1 "$libdir/imagePushBtn.bundle/Resources/QV64.png"
has libkeydialogs-dev "$libdir/libkeydialogs.so"
has libkeydialogs-dev "$libdir/pkgconfig/keydialogs.pc"
has libkeydialogs-dev /usr/include/keydialogs.h
has libkeydialogs-dev /usr/share/man/man3/libkeydialogs.3.gz
has keywatchd /usr/bin/keywatchd
has keywatchd /usr/lib/systemd/user/keywatchd.service
has keywatchd /usr/share/man/man8/keywatchd.8.gz
has keytoken-pkcs11-demo "$libdir/pkcs11/keytoken-pkcs11.so"
has keytoken-pkcs11-demo /usr/share/keytoken-pkcs11/token.conf
has keytoken-pkcs11-demo /usr/share/p11-kit/modules/keytoken-pkcs11-demo.module
grep -qx 'ExecStart=/usr/bin/keywatchd' "$root/usr/lib/systemd/user/keywatchd.service" \
  || fail "the packaged unit does not start /usr/bin/keywatchd"
grep -qx "module: $libdir/pkcs11/keytoken-pkcs11.so" \
     "$root/usr/share/p11-kit/modules/keytoken-pkcs11-demo.module" \
  || fail "the registration does not name the packaged module"

# The token library where the loader looks, none at the fixed path.
mkdir "$work/keycore"
cp "$KT_TOKEN_LIBRARY" "$work/keycore/libkeycore.so"
LD_LIBRARY_PATH=$work/keycore KT_TOKEN_LIBRARY=none \
  start_stop_keywatchd "$work/keywatchd.out" INT "$root/usr/bin/keywatchd"
! grep -q 'cannot open shared object' "$work/keywatchd.out" \
  || { cat "$work/keywatchd.out" >&2; fail "keywatchd found no libkeycore"; }

KDT_TIME_LIMIT=60 "$source_dir/tests/dialogs/run-gui.sh" --no-bundle -- \
  bash "$here/packaged-pkcs11-tool.sh" "$root" "$libdir"
echo "four packages made, lintian clean; keywatchd and the demo module ran from them"
