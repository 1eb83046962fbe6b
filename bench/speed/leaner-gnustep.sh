#!/usr/bin/env bash
# What a GNUstep built for library hosts would save a fresh host. Debian links
# gnustep-gui with ImageMagick's MagickCore, and gnustep-base with GnuTLS,
# Avahi, libxml2 and libxslt: with their own dependencies, 33 of the 65
# libraries that every host of the dialogs loads, although no dialog uses them
# (the library lets ImageMagick read no picture in a host that is no
# application). Without their sources, a copy of the installed GNUstep stands
# in for such a build: each of those dependencies is replaced by a library of
# just the functions GNUstep takes from it, which abort when called (a run
# that needed one would show it); ImageMagick's start-up call (as gnustep-gui
# is loaded) and GnuTLS's calls (gnustep-base sets it up when a process first
# uses a file handle) do nothing. Hosts of a copy of our library on that
# GNUstep take turns with the installed one in the speed benchmark; their rows
# are headed "leaner GNUstep". With DIR, the copy is made there and kept: the
# dialog tests pass on it (LD_LIBRARY_PATH=DIR ctest -R 'dialogs_|pkcs11').
#   bench/speed/leaner-gnustep.sh BUILD [RUNS [gui|all [DIR]]]
# gui: gnustep-gui without ImageMagick (configure --disable-imagemagick);
# all (the default): gnustep-base also without TLS, zeroconf and XML
# (--disable-tls --disable-zeroconf --disable-xml --disable-xslt).
set -euo pipefail
export LC_ALL=C
build=$(realpath "${1:-build}")
runs=${2:-20}
variant=${3:-all}
here=$(cd "$(dirname "$0")" && pwd)
command -v patchelf > /dev/null || { echo "needs patchelf (scripts/deps.sh --bench)" >&2; exit 2; }
case $variant in gui | all) ;; *) echo "no variant $variant: gui or all" >&2; exit 2 ;; esac

if [ -n "${4:-}" ]; then
  mkdir -p "$4" && work=$(realpath "$4")
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

# Copies the GNUstep library SONAME (a dependency of our library) into the
# work directory, where it finds its stand-ins first.
copyGNUstep() {
  cp "$(ldd "$build/stage/lib/libkeydialogs.so" | awk -v n="$1" '$1 == n { print $3 }')" "$work/$1"
  patchelf --set-rpath '$ORIGIN' "$work/$1"
}

# Replaces the dependency DEP of the copy LIB by a stand-in with the symbols
# LIB takes from it, under the versions LIB asks for. Functions named in
# NOOP (start-up calls; * for all) do nothing and return 0; the others abort.
standIn() {
  local lib=$work/$1 dep=$2 noop=${3:-} name path sym type size
  name=libstandin-${dep%%.so*}.so
  path=$(ldd "$lib" | awk -v d="$dep" '$1 == d { print $3 }')
  [ -n "$path" ] || { echo "$1 does not load $dep: nothing to stand in for" >&2; exit 2; }
  # "name[@version] type size" of what DEP defines and LIB asks for
  nm -D -S --defined-only "$path" |
    awk 'NF == 4 { print $4, $3, $2 } NF == 3 { print $3, $2, 0 }' | sed 's/@@/@/' | sort > "$work/defined"
  nm -D --undefined-only "$lib" | awk '{ print $2 }' | sort > "$work/wanted"
  join "$work/wanted" "$work/defined" > "$work/$name.syms"
  while read -r sym type size; do
    sym=${sym%@*}
    case $type in
      [TWi]) if [[ $noop == "*" || " $noop " == *" $sym "* ]]; then
               echo "int $sym(void) { return 0; }"
             else
               echo "void $sym(void) { fputs(\"stand-in: $sym called\\n\", stderr); abort(); }"
             fi ;;
      *) echo "char ${sym}[0x$size];" ;;
    esac
  done < "$work/$name.syms" | { printf '#include <stdio.h>\n#include <stdlib.h>\n'; cat; } > "$work/$name.c"
  # A reference without a version binds to the default one: any node serves,
  # or a lone anonymous one where nothing has a version.
  awk '{ n = split($1, a, "@"); ver[NR] = n > 1 ? a[2] : ""; sym[NR] = a[1]; if (n > 1) any = a[2] }
       END { for (i = 1; i <= NR; i++) { v = ver[i] != "" ? ver[i] : any; list[v] = list[v] "  " sym[i] ";\n" }
             for (v in list) printf "%s { global:\n%s};\n", v, list[v] }' "$work/$name.syms" > "$work/$name.map"
  cc -shared -fPIC -O2 -Wl,-soname,"$name" -Wl,--version-script,"$work/$name.map" \
    -o "$work/$name" "$work/$name.c"
  patchelf --replace-needed "$dep" "$name" "$lib"
}

copyGNUstep libgnustep-gui.so.0.29
standIn libgnustep-gui.so.0.29 libMagickCore-6.Q16.so.6 MagickCoreGenesis
if [ "$variant" = all ]; then
  copyGNUstep libgnustep-base.so.1.28
  # credentials and logging, set up with NSFileHandle (NSTask uses one)
  standIn libgnustep-base.so.1.28 libgnutls.so.30 "*"
  for dep in libavahi-client.so.3 libavahi-common.so.3 libxslt.so.1 libxml2.so.2; do
    standIn libgnustep-base.so.1.28 "$dep"
  done
fi
cp "$build/stage/lib/libkeydialogs.so" "$work/libkeydialogs.so"
patchelf --set-rpath '$ORIGIN' "$work/libkeydialogs.so"
echo "libraries loaded with the dialogs: $(ldd "$build/stage/lib/libkeydialogs.so" | wc -l)," \
  "on the leaner GNUstep: $(LD_LIBRARY_PATH=$work ldd "$work/libkeydialogs.so" | wc -l)"

DIALOG_SPEED_BASELINE_PATH=$work "$here/run.sh" "$build" "$runs" "$work/libkeydialogs.so" |
  sed '/^PIN answer/,$d; s/^BASELINE  /leaner GNUstep/; s/^BASELINE/leaner GNUstep/'
