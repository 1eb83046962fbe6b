# Sourced by the install tests. start_stop_keywatchd OUT SIGNAL COMMAND...
# runs COMMAND (a keywatchd) under the sandbox of the watcher tests with the
# simulated token library, waits for both detectors' start-up lines, sends
# SIGNAL and fails unless it ended with status 0 after "Interrupted".
start_stop_keywatchd() {
  : "${KT_SANDBOX:?names the sandbox script}" "${KT_TOKEN_LIBRARY:?names the token library}"
  local out=$1 signal=$2 pid status=0 runtime
  shift 2
  # A runtime directory of its own: keywatchd keeps one copy per user there.
  runtime=$(mktemp -d)
  XDG_RUNTIME_DIR=$runtime sh "$KT_SANDBOX" "$KT_TOKEN_LIBRARY" "$@" > "$out" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    [ "$(grep -c '^DeviceDisappeared$' "$out")" -ge 2 ] && break
    sleep 0.1
  done
  [ "$(grep -c '^Begin$' "$out")" -eq 2 ] || { cat "$out" >&2; kill -KILL $pid; return 1; }
  # The sandbox's shells exec into keywatchd, so $pid is keywatchd itself.
  kill -s "$signal" $pid
  wait $pid || status=$?
  rm -rf "$runtime"
  [ $status -eq 0 ] || { echo "keywatchd ended with status $status" >&2; cat "$out" >&2; return 1; }
  grep -q '^Interrupted$' "$out" || { echo "no Interrupted line" >&2; cat "$out" >&2; return 1; }
}
