#!/usr/bin/env bash
# Installs what building needs on Debian 12; --tests adds what the test suite
# needs, --bench what the benchmarks compare against.
#   deps.sh [--tests] [--bench]
set -euo pipefail
build=(cmake make g++ gobjc++ gnustep-devel libudev-dev pkg-config
       libx11-dev fonts-wqy-zenhei fonts-noto-cjk fonts-liberation scdoc dpkg-dev file
       libp11-kit-dev libssl-dev openssl imagemagick)
tests=(libgtest-dev gdb umockdev libumockdev-dev xvfb xdotool imagemagick x11-utils util-linux
       lintian debhelper libxml2-utils man-db groff-base openbox
       opensc gnutls-bin openssh-client openssh-server iproute2
       firefox-esr chromium libnss3-tools python3 libengine-pkcs11-openssl curl
       clang libclang-rt-14-dev afl++)
bench=(pinentry-fltk pinentry-gtk2 patchelf libx11-dev libxi-dev libxdamage-dev xvfb xdotool)
pkgs=("${build[@]}")
for option in "$@"; do
  case $option in
    --tests) pkgs+=("${tests[@]}") ;;
    --bench) pkgs+=("${bench[@]}") ;;
    *) echo "deps.sh: unknown option $option" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
