#!/bin/sh
# run_with_default_library.sh present|absent|packaged=NAME <default path> <library> <program> [args...]
# Runs the program in a private mount namespace whose directory of the default
# library path is an empty tmpfs, holding the library under the default name
# when "present". With "packaged=NAME" the default path stays empty and the
# library is found by the dynamic loader as NAME, as a package installs it
# (the program is told "present": it must load all the same). Nothing on the
# real file system changes.
set -eu
mode=$1 default_path=$2 library=$3
shift 3
if ! unshare -m true 2>/dev/null; then
    echo "no private mount namespace available: skipped"
    exit 77
fi
case $mode in
packaged=*) export KEYCORE_TEST_DEFAULT_LIBRARY=present ;;
*) export KEYCORE_TEST_DEFAULT_LIBRARY="$mode" ;;
esac
exec unshare -m sh -eu -c '
    mode=$1 default_path=$2 library=$3
    shift 3
    mount -t tmpfs keycore-test "$(dirname "$default_path")"
    case $mode in
    present) cp "$library" "$default_path" ;;
    packaged=*)
        packaged=$(dirname "$default_path")/elsewhere  # on the search path only
        mkdir "$packaged"
        cp "$library" "$packaged/${mode#packaged=}"
        export LD_LIBRARY_PATH="$packaged${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
        ;;
    esac
    exec "$@"
' sh "$mode" "$default_path" "$library" "$@"
