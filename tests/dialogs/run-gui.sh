#!/usr/bin/env bash
# Runs one GUI test command on a display of its own.
#
#   run-gui.sh [--bundle DIR | --no-bundle] [--wm] [--other-window] -- COMMAND [ARGS...]
#
# Starts Xvfb on a free display, gives the command its own temporary directory
# (GNUstep keeps its daemons' sockets and names there, and reads it from TMP and
# TEMP, not TMPDIR), and afterwards ends the Xvfb and the
# GNUstep daemons (gdnc, gpbs) that the command started. With --bundle the
# command sees DIR as /usr/local/lib/imagePushBtn.bundle, with --no-bundle it
# sees no bundle there: both through a tmpfs over /usr/local/lib in a private
# mount namespace, so the real /usr/local/lib is never touched. --wm runs a
# window manager (openbox) on the display; --other-window maps another
# application's window (xmessage) first, with the keyboard and the pointer.
# The command gets KDT_TIME_LIMIT seconds (default 40).
set -euo pipefail

bundle_mode=keep bundle_dir= wm= other_window= desktop_options=()
while [ $# -gt 0 ]; do
  case $1 in
    --wm) wm=1 desktop_options+=(--wm); shift ;;
    --other-window) other_window=1 desktop_options+=(--other-window); shift ;;
    --bundle) bundle_mode=mount bundle_dir=$(realpath "$2"); shift 2 ;;
    --no-bundle) bundle_mode=mount bundle_dir=; shift ;;
    --) shift; break ;;
    *) echo "run-gui.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

if [ "$bundle_mode" = mount ] && [ -z "${KDT_IN_NAMESPACE:-}" ]; then
  export KDT_IN_NAMESPACE=1
  if [ -n "$bundle_dir" ]; then set -- --bundle "$bundle_dir" ${desktop_options[@]+"${desktop_options[@]}"} -- "$@"
  else set -- --no-bundle ${desktop_options[@]+"${desktop_options[@]}"} -- "$@"; fi
  exec unshare --mount --propagation private -- "$0" "$@"
fi
if [ -n "${KDT_IN_NAMESPACE:-}" ]; then
  mount -t tmpfs kdt-lib /usr/local/lib
  [ -n "$bundle_dir" ] && cp -r "$bundle_dir" /usr/local/lib/imagePushBtn.bundle
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kdt.XXXXXX")
marker="kdt-$$-$RANDOM"
xvfb_pid= desktop_pids=()

cleanup() {
  for pid in ${desktop_pids[@]+"${desktop_pids[@]}"}; do kill "$pid" 2>/dev/null || true; done
  # GNUstep's daemons detach from the test; find ours by the marker.
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    if grep -qz "^KDT_RUN=$marker\$" "$env" 2>/dev/null && [ "$pid" != $$ ]; then
      kill "$pid" 2>/dev/null || true
    fi
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
  > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
[ -s "$work/display" ] || { echo "run-gui.sh: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 2; }

if [ -n "$wm" ]; then
  DISPLAY=":$(head -1 "$work/display")" openbox --sm-disable > "$work/wm.log" 2>&1 &
  desktop_pids+=($!)
  for _ in $(seq 100); do
    DISPLAY=":$(head -1 "$work/display")" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null \
      | grep -q 'window id' && break
    sleep 0.05
  done
fi
if [ -n "$other_window" ]; then
  export DISPLAY=":$(head -1 "$work/display")"
  xmessage -center "another application" > /dev/null 2>&1 &
  desktop_pids+=($!)
  other=$(xdotool search --sync --onlyvisible --class Xmessage | head -1)
  # The other window has the keyboard: given by the window manager, or by
  # the pointer over it where X focus follows the pointer.
  eval "$(xdotool getwindowgeometry --shell "$other")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  [ -n "$wm" ] && xdotool windowactivate --sync "$other"
  unset DISPLAY X Y WIDTH HEIGHT SCREEN WINDOW
fi

mkdir -p "$work/tmp"
# Without TMP/TEMP every test would share /tmp/GNUstepSecure<uid>, and so one
# gdnc and gpbs: a test ending them would break another test's dialog.
export DISPLAY=":$(head -1 "$work/display")" TMPDIR="$work/tmp" TMP="$work/tmp" TEMP="$work/tmp" KDT_RUN="$marker"
# A hung dialog is ended here, well before ctest's timeout would kill this
# script without its clean-up (GNUstep ignores SIGTERM in a modal loop).
# A hang is reported with every thread's stack, to show where it stuck.
limit=${KDT_TIME_LIMIT:-40}
"$@" &
pid=$!
(
  # In steps of a second, so that no sleep outlives a test that ended in time.
  for ((waited = 0; waited < limit; waited++)); do
    sleep 1
    kill -0 "$pid" 2>/dev/null || exit 0
  done
  echo "run-gui.sh: $1 still running after ${limit} s" >&2
  if command -v gdb > /dev/null; then
    timeout 20 gdb -p "$pid" -batch -ex 'thread apply all bt' 2>/dev/null | grep -E '^(Thread|#)' >&2
  fi
  kill -KILL "$pid" 2>/dev/null
) &
watchdog=$!
status=0
wait "$pid" || status=$?
kill "$watchdog" 2>/dev/null || true
exit $status
