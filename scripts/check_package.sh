#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it without installing it: its files, its
# dependencies, and the program run from the unpacked package.
set -euo pipefail
build=${1:?build folder}
(cd "$build" && cpack -G DEB -B "$PWD/package" >/dev/null)
deb="$build/package/kq510_1.8_$(dpkg --print-architecture).deb"
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kq510 ./usr/bin/kq510-machines ./usr/bin/kq510-feeder \
         ./usr/share/applications/kq510.desktop ./usr/share/icons/hicolor/scalable/apps/kq510.svg; do
  grep -q " $f\$" <<<"$contents" || { echo "package: $f is missing"; exit 1; }
done
for dep in libqt6widgets6 libqt6dbus6 libpipewire-0.3-0 libgif7 libwebpmux3 libzstd1 zlib1g; do
  dpkg-deb -f "$deb" Depends | grep -q "$dep" || { echo "package: no dependency on $dep"; exit 1; }
done
dpkg-deb -f "$deb" Recommends | grep -q 'xdg-desktop-portal' || { echo "package: does not recommend the portal"; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
"$root/usr/bin/kq510" --version | grep -q '^kq510 1.8 ' || { echo "package: kq510 --version failed"; exit 1; }
"$build/tools/kq510-demo-model" "$root/home" >/dev/null
"$root/usr/bin/kq510" inspect "$root/home/模型.mx20" | grep -q '^model file' || { echo "package: kq510 inspect failed"; exit 1; }
echo "package: $(basename "$deb") holds the programs, the desktop entry and the icon; kq510 runs from it"
