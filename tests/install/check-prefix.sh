#!/usr/bin/env bash
# Every install component, the default one included, puts its files under the
# prefix given to `cmake --install` (with DESTDIR in front) and nowhere else.
#   check-prefix.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
root=$(mktemp -d "${TMPDIR:-/tmp}/prefix.XXXXXX")
trap 'rm -rf "$root"' EXIT
prefix=/opt/keytoken-prefix-test
components=$(grep -rhoE 'CMAKE_INSTALL_COMPONENT STREQUAL "[^"]+"' "$build" --include=cmake_install.cmake \
  | sed 's/.*"\(.*\)"/\1/' | sort -u)
[ -n "$components" ] || { echo "FAIL: no install component found" >&2; exit 1; }
for component in $components; do
  DESTDIR=$root cmake --install "$build" --prefix "$prefix" --component "$component" > /dev/null
  outside=$(find "$root" -mindepth 1 \( -type f -o -type l \) ! -path "$root$prefix/*")
  [ -z "$outside" ] || { echo "FAIL: component $component installs outside the prefix:" >&2; echo "$outside" >&2; exit 1; }
  echo "$component: $(find "$root$prefix" -type f | wc -l) files so far, all under the prefix"
done
