#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers on and runs every test inside a private network
# namespace, where only loopback exists; then runs each fuzzer for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
# The sources follow .clang-format: a file that does not fails the run, naming the lines.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
# Every text of the interface has its finished English translation.
python3 scripts/translations.py check
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKQ510_SANITIZE=ON -DKQ510_WERROR=ON
cmake --build build-test
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKQ510_FUZZ=ON -DKQ510_TESTS=OFF -DKQ510_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_seeds fuzz_model_reader fuzz_frame_unpack fuzz_frame_file fuzz_playback_file \
  fuzz_plugin_messages fuzz_machine_replies fuzz_open_receivers fuzz_fseq
export KQ510_LOOPBACK_ONLY=1 QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0
unshare -n -- bash -c 'ip link set lo up &&
  ctest --test-dir build-fuzz --output-on-failure -j2 --timeout 300 &&
  ctest --test-dir build-test --output-on-failure -j2 --timeout 300'
bash scripts/check_package.sh build-test
