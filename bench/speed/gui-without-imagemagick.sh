#!/usr/bin/env bash
# What a gnustep-gui built without ImageMagick would save a fresh host. Debian
# links gnustep-gui with MagickCore, which brings about 20 libraries of its own
# (fftw3, gomp, lcms2, lqr, glib, ...) into every process that loads the
# dialogs, although the library never lets ImageMagick read a picture in a
# host that is no application. The stand-in for such a build is a copy of the
# installed gnustep-gui whose MagickCore is replaced by a library of the
# functions it calls: the start-up one does nothing, the others abort, so a
# run that needed ImageMagick would show it. A copy of our library that finds
# that gnustep-gui takes turns with the installed one in the speed benchmark;
# its rows are headed "no ImageMagick".
#   bench/speed/gui-without-imagemagick.sh BUILD [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
command -v patchelf > /dev/null || { echo "needs patchelf (scripts/deps.sh --bench)" >&2; exit 2; }

read -r gui_name gui < <(ldd "$build/stage/lib/libkeydialogs.so" | awk '/libgnustep-gui/ { print $1, $3 }') || true
read -r magick magick_path < <(ldd "$gui" | awk '/libMagickCore/ { print $1, $3 }') || true
[ -n "$magick" ] || { echo "this gnustep-gui ($gui) is built without ImageMagick already" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  echo '#include <stdlib.h>'
  comm -12 <(nm -D --defined-only "$magick_path" | awk '{ print $3 }' | sort -u) \
           <(nm -D --undefined-only "$gui" | awk '{ print $2 }' | sort -u) |
    while read -r name; do
      if [ "$name" = MagickCoreGenesis ]; then
        echo "void $name(void) {}"
      else
        echo "void $name(void) { abort(); }"
      fi
    done
} > "$work/magick.c"
cc -shared -fPIC -O2 -Wl,-soname,libmagickstandin.so -o "$work/libmagickstandin.so" "$work/magick.c"
cp "$gui" "$work/$gui_name"
patchelf --replace-needed "$magick" libmagickstandin.so "$work/$gui_name"
patchelf --set-rpath '$ORIGIN' "$work/$gui_name"
cp "$build/stage/lib/libkeydialogs.so" "$work/libkeydialogs.so"
patchelf --set-rpath '$ORIGIN' "$work/libkeydialogs.so"
if ldd "$work/libkeydialogs.so" | grep -q libMagickCore; then
  echo "the copy of gnustep-gui still loads MagickCore" >&2
  exit 1
fi

"$here/run.sh" "$build" "$runs" "$work/libkeydialogs.so" |
  sed '/^PIN answer/,$d; s/^BASELINE  /no ImageMagick/; s/^BASELINE/no ImageMagick/'
