#!/usr/bin/env bash
# Installs the dependencies, builds and installs keywatchd and libkeydialogs
# under /usr/local, and runs keywatchd in the foreground (Ctrl-C ends it).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEYTOKEN_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr/local
cmake --build build -j2
cmake --install build
exec /usr/local/bin/keywatchd
