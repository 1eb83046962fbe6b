#!/usr/bin/env bash
# The installed systemd user unit starts keywatchd as its ExecStart= line says
# and stops it cleanly with its KillSignal=.
#   check-service.sh PREFIX
set -euo pipefail
unit=$1/lib/systemd/user/keywatchd.service
. "$(dirname "$0")/start-stop.sh"
fail() { echo "$*" >&2; exit 1; }
[ -f "$unit" ] || fail "no unit at $unit"

value() { sed -n "s/^$1=//p" "$unit"; }
[ "$(value Restart)" = on-failure ] || fail "Restart is not on-failure"
[ -n "$(value WantedBy)" ] || fail "the unit is not wanted by any target"
exec_start=$(value ExecStart)
kill_signal=$(value KillSignal)
[ -n "$kill_signal" ] || fail "no KillSignal: systemd would send SIGTERM"
read -r -a command <<< "$exec_start"
[ -x "${command[0]}" ] || fail "ExecStart names ${command[0]}, which is not an installed program"

out=$(mktemp)
trap 'rm -f "$out"' EXIT
start_stop_keywatchd "$out" "${kill_signal#SIG}" "${command[@]}"
echo "unit's ExecStart ran and $kill_signal ended it with status 0"
