#!/usr/bin/env bash
# The module keeps answering other threads while its PIN window is up.
#   login_while_typing_test.sh STAGE TOKEN_DIR HOST
source "$(dirname "$0")/host_lib.sh" "$1" "$2"
start_host "$3" "$module"
for _ in $(seq 100); do grep -q "window up" "$work/out" && break; sleep 0.1; done
output_has "window up"
answer_pin_window 123456 ok
host_done
[ $status = 0 ] || { cat "$work/out" >&2; fail "the host ended with $status"; }
# One login, one window: the second login found the token logged in.
output_has "0 failed"
xdotool search --onlyvisible --name '^SelvikUSBKey管理工具$' > /dev/null 2>&1 \
  && fail "a second PIN window" || true
