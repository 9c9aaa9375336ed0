#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers on and runs every test inside a private network
# namespace, where only loopback exists.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKQ510_SANITIZE=ON -DKQ510_WERROR=ON
cmake --build build-test
export KQ510_LOOPBACK_ONLY=1 QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
unshare -n -- bash -c 'ip link set lo up && cd build-test && ctest --output-on-failure -j2 --timeout 300'
