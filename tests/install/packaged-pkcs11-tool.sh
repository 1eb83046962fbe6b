#!/usr/bin/env bash
# Run by check-debs.sh under run-gui.sh --no-bundle (own display, nothing
# under /usr/local/lib): pkcs11-tool logs in through the packaged demo module,
# which finds the packaged libkeydialogs by its SONAME and its own token files;
# the PIN window shows the key picture from the bundle beside the library.
#   packaged-pkcs11-tool.sh ROOT LIBDIR
set -euo pipefail
root=$1 libdir=$2
fail() { echo "FAIL: $*" >&2; cat "$out" >&2; exit 1; }
out=$(mktemp "${TMPDIR:-/tmp}/pkcs11-tool.XXXXXX")
[ -z "$(ls -A /usr/local/lib)" ] || fail "/usr/local/lib is not empty"
unset KEYTOKEN_PKCS11_CONFIG
# The scratch root's libraries as the loader would find the installed ones.
LD_LIBRARY_PATH=$root$libdir pkcs11-tool --module "$root$libdir/pkcs11/keytoken-pkcs11.so" \
  --login --list-objects > "$out" 2>&1 &
host=$!

window=
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --name '^SelvikUSBKey管理工具$' 2> /dev/null | head -1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no PIN window"
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 0.5  # drawn
# The picture's frame (25, 45, 65, 65), counted up from the bottom edge: the
# key symbol's blue, which nothing else in the window has.
blue=$(import -window root -crop "65x65+$((X + 25))+$((Y + HEIGHT - 110))" +repage png:- \
  | convert - -fuzz 10% -fill black +opaque '#1f6fb2' -fill white -opaque '#1f6fb2' \
      -format '%[fx:int(mean*w*h+0.5)]' info:)
[ "$blue" -gt 500 ] || fail "the PIN window shows no picture ($blue blue pixels)"

click() { xdotool mousemove $((X + $1)) $((Y + HEIGHT - $2)) mousedown 1 sleep 0.08 mouseup 1; }
click 235 77
sleep 0.2
xdotool type --delay 20 123456
click 270 40
for _ in $(seq 300); do kill -0 $host 2> /dev/null || break; sleep 0.1; done
status=0
wait $host || status=$?
[ $status = 0 ] || fail "pkcs11-tool ended with $status"
grep -qF "Private Key Object; EC" "$out" || fail "no private key after the login"
echo "pkcs11-tool logged in through the packaged module; PIN window picture: $blue blue pixels"
