#!/usr/bin/env bash
# p11tool (GnuTLS) logs in through our PIN window and lists the private key.
# GnuTLS opens a session of its own for the listing and then one for each
# object, closing each before the next; the login ends with the last session
# on the token, so the PIN window comes once for the listing and once per
# object, each answered here.
#   p11tool_login_test.sh STAGE TOKEN_DIR
source "$(dirname "$0")/host_lib.sh" "$1" "$2"
objects=3

start_host p11tool --provider "$module" --login --list-all
for ((asked = 0; asked <= objects; asked++)); do
  [ $asked = 0 ] && shot_name=p11tool-pin || shot_name=
  answer_pin_window 123456 ok
  # This window has to close before the next is looked for; the next may be
  # up already, at the same place and with the same title.
  for ((waited = 0; waited < 100; waited++)); do
    xdotool search --onlyvisible --name '^SelvikUSBKey管理工具$' 2> /dev/null \
      | grep -qx "$WINDOW" || break
    sleep 0.1
  done
  [ $waited -lt 100 ] || fail "PIN window $((asked + 1)) stayed open"
done
host_done
[ $status = 0 ] || { cat "$work/out" >&2; fail "p11tool ended with $status"; }
for type in "X.509 Certificate" "Public key" "Private key"; do
  output_has "Type: $type (EC/ECDSA-SECP256R1)"
done
output_has "Flags: CKA_PRIVATE; CKA_NEVER_EXTRACTABLE; CKA_SENSITIVE;"
echo "ok: p11tool logs in through the PIN window"
