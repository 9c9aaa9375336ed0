#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on a demo application folder.
# Everything it sends stays on this PC (loopback).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ510_TESTS=OFF >/dev/null
cmake --build build
export KQ510_LOOPBACK_ONLY=1
home=${KQ510_HOME:-$PWD/build/demo-home}
mkdir -p "$home"
if [[ -z "${DISPLAY:-}" ]]; then
  # No desktop: run on a private virtual screen, so that the program still starts (screenshots with
  # `import -window root -display :77 shot.png`).
  Xvfb :77 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  export DISPLAY=:77
  sleep 1
  echo "No DISPLAY set: started a virtual screen on :77."
fi
echo "Starting kq510 with the application folder $home"
build/src/kq510 --home "$home"
