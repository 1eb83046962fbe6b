#!/usr/bin/env bash
# What a compiled compose table saves a fresh host: P11_ConsoleInit (which
# opens the X input method) timed in fresh hosts that take turns without and
# with a system-wide compose cache, on a private Xvfb. Run as root; the cache
# lives on a tmpfs over /var/cache in a private mount namespace.
#   bench/speed/compose-cache.sh BUILD [RUNS]
# libX11 writes the cache only for a user other than root, so the first host
# runs as nobody to make it; root's hosts read it from /var/cache/libx11.
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-20}
src=$(cd "$(dirname "$0")/../.." && pwd)
host="$build/bench/speed/speed_host"
library="$build/stage/lib/libkeydialogs.so"

if [ -z "${KDT_RUN:-}" ]; then
  export KDT_TIME_LIMIT=${KDT_TIME_LIMIT:-300}
  exec "$src/tests/dialogs/run-gui.sh" --no-bundle -- "$0" "$build" "$runs"
fi

# Prints the milliseconds from the library loaded to P11_ConsoleInit returned
# of one fresh host, which is ended once its first window is up.
consoleInit() {
  local out="$TMP/host.out"
  "$@" "$host" "$library" fresh > "$out" 2> /dev/null &
  local pid=$! i
  for ((i = 0; i < 300; i++)); do
    grep -q '^init' "$out" && break
    sleep 0.02
  done
  sleep 0.2
  kill -KILL "$pid"
  wait "$pid" 2> /dev/null || true
  awk '/^dlopen/ { d = $2 } /^init/ { i = $2 } END { printf "%.2f\n", (i - d) * 1000 }' "$out"
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

mount -t tmpfs compose-bench /var/cache
user_home=/var/cache/compose-bench-home  # on the tmpfs, which nobody can reach
mkdir -p "$user_home/.compose-cache" "$user_home/tmp" /var/cache/libx11/compose "$TMP/empty"
chown -R nobody: "$user_home"
chmod 700 "$user_home/.compose-cache"
consoleInit setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env HOME="$user_home" TMP="$user_home/tmp" TEMP="$user_home/tmp" > /dev/null
cp "$user_home"/.compose-cache/* /var/cache/libx11/compose/
chown root: /var/cache/libx11/compose/*
chmod 644 /var/cache/libx11/compose/*

consoleInit env > /dev/null  # starts gdnc, which the later hosts find running
: > "$TMP/without" && : > "$TMP/with"
for ((k = 0; k < runs; k++)); do
  mount --bind "$TMP/empty" /var/cache/libx11/compose
  consoleInit env >> "$TMP/without"
  umount /var/cache/libx11/compose
  consoleInit env >> "$TMP/with"
done
echo "$runs fresh hosts each, library loaded -> P11_ConsoleInit returned, ms (median):"
echo "  without a compose cache: $(median < "$TMP/without")"
echo "  with a compose cache:    $(median < "$TMP/with")"
