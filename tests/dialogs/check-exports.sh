#!/usr/bin/env bash
# Compares the dynamic symbols that a library defines with the global names of
# its version script: no more, no fewer.
#   check-exports.sh LIBRARY VERSION_SCRIPT
set -euo pipefail
lib=$1 map=$2
expected=$(sed -e 's|/\*.*\*/||g' "$map" | tr -s ' \t;' '\n\n\n' |
  sed -n '/^global:$/,/^local:$/p' | grep -v -e '^global:$' -e '^local:$' -e '^$' | sort)
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
if [ "$expected" != "$actual" ]; then
  diff <(echo "$expected") <(echo "$actual") | sed -e 's/^</missing:/' -e 's/^>/unexpected:/' >&2
  exit 1
fi
echo "$(echo "$actual" | wc -l) symbols, as intended"
