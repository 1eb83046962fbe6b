#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the whole test suite. The tests
# are switched on whatever the build directory held before (run.sh leaves them
# off), and a run that finds no test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEYTOKEN_TESTS=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure --no-tests=error -j2 --timeout 300
