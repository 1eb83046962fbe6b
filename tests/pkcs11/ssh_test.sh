#!/usr/bin/env bash
# OpenSSH with the simulated token's module: ssh-keygen -D lists its public
# key, and ssh -I logs in with it to an sshd on 127.0.0.1 in a network
# namespace of this test's own, the PIN typed into our window and the
# signature made after the key-press window.
#   ssh_test.sh STAGE TOKEN_DIR
source "$(dirname "$0")/host_lib.sh" "$1" "$2"

expected=$(ssh-keygen -y -f "$work/token-key.pem" | cut -d' ' -f1,2)
listed=$(ssh-keygen -D "$module" | cut -d' ' -f1,2)
[ "$listed" = "$expected" ] || fail "ssh-keygen -D listed \"$listed\", not \"$expected\""

# sshd wants its privilege separation directory; /run is ours to cover
# here, in the private mount namespace that run-gui.sh made.
mount -t tmpfs ssh-run /run
mkdir -m 755 /run/sshd
ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
echo "$expected" > "$work/authorized_keys"
chmod 600 "$work/authorized_keys"
cat > "$work/sshd_config" <<CONF
ListenAddress 127.0.0.1:2222
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
CONF

# Inside its own network namespace: the loopback device only, brought up.
cat > "$work/login.sh" <<SCRIPT
set -e
ip link set lo up
/usr/sbin/sshd -D -e -f "$work/sshd_config" 2> "$work/sshd.log" &
sshd=\$!
for _ in \$(seq 50); do
  grep -q "Server listening" "$work/sshd.log" && break
  sleep 0.1
done
status=0
ssh -F /dev/null -I "$module" -p 2222 -o IdentityAgent=none \
  -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null -o PasswordAuthentication=no \
  -o KbdInteractiveAuthentication=no \
  -o ConnectTimeout=20 root@127.0.0.1 echo logged-in-with-the-token || status=\$?
kill \$sshd
exit \$status
SCRIPT
start_host unshare -n bash "$work/login.sh"
shot_name=ssh-pin answer_pin_window 123456 ok
wait_window '^按键提示$'
screenshot ssh-countdown
host_done
[ $status = 0 ] || { cat "$work/out" "$work/sshd.log" >&2; fail "ssh ended with $status"; }
output_has "logged-in-with-the-token"
echo "ok: ssh-keygen -D and ssh -I"
