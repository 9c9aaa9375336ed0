#!/usr/bin/env bash
# The frame step measured twice in one run: copying the screen from a private X server (Xvfb), and
# sharing it through the desktop's portal on a private headless Wayland desktop (sway, PipeWire).
# Usage: bench/frame_steps.sh [BUILD-FOLDER] [steps] [loop-seconds]
# The build folder needs the benchmarks and the tests (for the portal's test preload):
#   cmake -S . -B build -G Ninja -DKQ510_BENCH=ON && cmake --build build
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
export KQ510_LOOPBACK_ONLY=1
echo "== X11"
tests/support/with_xvfb.sh "$build/bench/frame_step_bench" "$@"
echo "== Wayland"
KQ510_XDPW_PRELOAD="$PWD/$build/tests/wayland/libkq510_xdpw_shm_only.so" QT_QPA_PLATFORM=xcb \
  tests/support/with_wayland.sh "$build/bench/frame_step_bench" "$@"
