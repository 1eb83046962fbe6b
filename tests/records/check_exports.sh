#!/bin/sh
# check_exports.sh <keywatchd>: the dialog library binding is exported under
# its plain names.
set -eu
symbols=$(nm -D --defined-only "$1")
status=0
for name in InitedP11Wnd UnInitP11 showTipWindow hP11Win; do
    if ! printf '%s\n' "$symbols" | grep -Eq " [TBD] $name\$"; then
        echo "$name is not exported"
        status=1
    fi
done
exit $status
