# Sourced by the host tests, which run under run-gui.sh (own display, private
# mount namespace with a tmpfs over /usr/local/lib holding the picture bundle).
#
#   source host_lib.sh STAGE TOKEN_DIR
#
# Puts the staged libkeydialogs at its fixed path, copies the token's files
# into a work directory ($work, with the configuration $config), and offers
# the helpers below for driving the dialogs with real X input.
set -euo pipefail
stage=$(realpath "$1") token_files=$(realpath "$2")
module=$stage/lib/pkcs11/keytoken-pkcs11.so
cp "$stage/lib/libkeydialogs.so" /usr/local/lib/libkeydialogs.so
work=$(mktemp -d "${TMPDIR:-/tmp}/host.XXXXXX")
cp "$token_files"/token-key.pem "$token_files"/token-cert.pem "$token_files"/token.conf "$work/"
export KEYTOKEN_PKCS11_CONFIG=$work/token.conf
config=$work/token.conf

# A failure also leaves a screenshot of the display, when screenshots are kept.
fail() {
  echo "FAIL: $*" >&2
  [ -z "${KDT_SCREENSHOT_DIR:-}" ] || import -window root "$KDT_SCREENSHOT_DIR/failed-$(basename "$0" .sh).png" || true
  exit 1
}

# The first visible window whose name matches PATTERN (an extended regular
# expression), waited for up to 20 s; its geometry goes into X Y WIDTH HEIGHT.
wait_window() {
  local pattern=$1 id=
  for _ in $(seq 200); do
    # Dialog-sized matches only: GNUstep's helper windows carry no name either.
    id=$(for w in $(xdotool search --onlyvisible --name "$pattern" 2> /dev/null); do
           eval "$(xdotool getwindowgeometry --shell "$w")"
           [ "$WIDTH" -ge 200 ] && [ "$WIDTH" -lt 1000 ] && [ "$HEIGHT" -ge 100 ] && echo "$w"
         done | head -1) || true
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "no window named /$pattern/"
  eval "$(xdotool getwindowgeometry --shell "$id")"
  WINDOW=$id
}

# Clicks at x, and y counted up from the window's bottom edge, as AppKit
# places controls in the content view (the title bar is GNUstep's own, of
# whatever height). A press held a moment, as a person's click.
click_at() {
  xdotool mousemove $((X + $1)) $((Y + HEIGHT - $2)) mousedown 1 sleep 0.08 mouseup 1
}

# The PIN window: types the PIN into its field, then clicks "确定" or "取消".
answer_pin_window() {
  local pin=$1 button=$2
  wait_window '^SelvikUSBKey管理工具$'
  click_at 235 77
  sleep 0.2
  [ -z "$pin" ] || xdotool type --delay 20 "$pin"
  screenshot "${shot_name:-}"
  case $button in
    ok) click_at 270 40 ;;
    cancel) click_at 360 40 ;;
  esac
}

# A screenshot of the whole display into $KDT_SCREENSHOT_DIR/NAME.png, once
# the window has drawn. No name, or no directory: none is taken.
screenshot() {
  [ -n "${1:-}" ] && [ -n "${KDT_SCREENSHOT_DIR:-}" ] || return 0
  sleep 0.3
  import -window root "$KDT_SCREENSHOT_DIR/$1.png"
}

# How many red pixels the window shows in the rectangle X Y W H of its
# content, Y counted up from the bottom edge as click_at does.
red_pixels() {
  import -window root -crop "$3x$4+$((X + $1))+$((Y + HEIGHT - $2 - $4))" +repage png:- \
    | convert - -fuzz 25% -fill black +opaque red -fill white -opaque red \
        -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Starts a host in the background, its output in $work/out; host_done waits
# for it (at most 30 s) and sets $status.
start_host() {
  "$@" > "$work/out" 2>&1 &
  host_pid=$!
}
host_done() {
  local waited=0
  while kill -0 "$host_pid" 2> /dev/null && [ $waited -lt 300 ]; do
    sleep 0.1; waited=$((waited + 1))
  done
  kill -0 "$host_pid" 2> /dev/null && { kill -KILL "$host_pid"; fail "the host hung"; }
  status=0
  wait "$host_pid" || status=$?
}

# Checks that the host's output holds (or, with !, lacks) a fixed text.
output_has() {
  grep -qF -- "$1" "$work/out" || { cat "$work/out" >&2; fail "output lacks \"$1\""; }
}
output_lacks() {
  ! grep -qF -- "$1" "$work/out" || { cat "$work/out" >&2; fail "output has \"$1\""; }
}
