#!/bin/sh
# run_sandboxed.sh <token library | none> <command> [args...]
# Runs the command under umockdev-wrapper in a private mount namespace whose
# /usr/local/lib holds only the given library, as libkeycore.so: the machine's
# own /usr/local/lib is never touched.
library=$1
shift
exec unshare --mount --propagation private sh -c '
  set -e
  mount -t tmpfs -o mode=0755 keywatchd-test /usr/local/lib
  [ "$0" = none ] || cp "$0" /usr/local/lib/libkeycore.so
  exec umockdev-wrapper "$@"' "$library" "$@"
