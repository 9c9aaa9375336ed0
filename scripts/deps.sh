#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with (as root). Quiet when all
# are there already.
set -euo pipefail
packages=(cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config qt6-base-dev libgl-dev libgtest-dev
          libx11-dev libxext-dev xvfb xauth iproute2 util-linux
          fonts-wqy-microhei)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
