#!/usr/bin/env bash
# Installs what building (and, with --tests, testing) needs on Debian 12.
set -euo pipefail
build=(cmake make g++ gobjc++ gnustep-devel libudev-dev pkg-config
       fonts-wqy-zenhei fonts-liberation libp11-kit-dev libssl-dev openssl)
tests=(libgtest-dev gdb umockdev libumockdev-dev xvfb xdotool imagemagick x11-utils util-linux
       opensc gnutls-bin openssh-client openssh-server iproute2)
pkgs=("${build[@]}")
[ "${1:-}" = "--tests" ] && pkgs+=("${tests[@]}")
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
