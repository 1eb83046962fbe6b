#!/bin/sh
# run_with_default_library.sh present|absent <default path> <library> <program> [args...]
# Runs the program in a private mount namespace whose directory of the default
# library path is an empty tmpfs, holding the library under the default name
# when "present". Nothing on the real file system changes.
set -eu
mode=$1 default_path=$2 library=$3
shift 3
if ! unshare -m true 2>/dev/null; then
    echo "no private mount namespace available: skipped"
    exit 77
fi
export KEYCORE_TEST_DEFAULT_LIBRARY="$mode"
exec unshare -m sh -eu -c '
    mode=$1 default_path=$2 library=$3
    shift 3
    mount -t tmpfs keycore-test "$(dirname "$default_path")"
    [ "$mode" = present ] && cp "$library" "$default_path"
    exec "$@"
' sh "$mode" "$default_path" "$library" "$@"
