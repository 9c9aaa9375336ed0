#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and runs with (as root; ImageMagick's import takes
# the README's pictures, scripts/screenshots.sh); with the argument "test"
# also those the tests need: the headless Wayland desktop the screen-sharing test runs on, and the zstd
# tool that checks the sequence files' blocks. Quiet when all are there already.
set -euo pipefail
packages=(cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools
          libgl-dev libgtest-dev
          libx11-dev libxext-dev libpipewire-0.3-dev libgif-dev libwebp-dev libzstd-dev zlib1g-dev
          xvfb xauth iproute2 util-linux fonts-wqy-microhei imagemagick)
if [[ "${1:-}" == test ]]; then
  packages+=(sway xwayland xdg-desktop-portal xdg-desktop-portal-wlr pipewire wireplumber dbus-daemon dbus-bin qt6-wayland
            x11-xserver-utils tshark zstd)
fi
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
