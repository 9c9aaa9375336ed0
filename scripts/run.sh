#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it with its stand-in machines on a demo
# application folder. Everything it sends stays on this PC (loopback).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ510_TESTS=OFF -DKQ510_BENCH=OFF >/dev/null
cmake --build build
export KQ510_LOOPBACK_ONLY=1
home=${KQ510_HOME:-$PWD/build/demo-home}
mkdir -p "$home"

# A sample installation (model 1: three machines, rows, columns, diagonals and point groups), its notes
# in the language the program is started in (its --lang, else the setting, else the locale).
demo_lang=()
for ((i = 1; i <= $#; i++)); do
  case ${!i} in
    --lang) next=$((i + 1)); demo_lang=(--lang "${!next-}") ;;
    --lang=*) demo_lang=("${!i}") ;;
  esac
done
[[ -f "$home/模型.mx20" ]] || build/tools/kq510-demo-model "${demo_lang[@]}" "$home"
# The demo's machines live on loopback: commands to 127.0.1.255, machine k at 127.0.1.(200 + k).
if ! grep -qa '127\.0\.1\.255' "$home/system.ini" 2>/dev/null; then
  {
    printf '广播地址=127.0.1.255\r\n命令端口=4800\r\n'
    for k in 01 02 03 04 05 06 07 08 09 10; do printf '机器地址%s=127.0.1.2%s\r\n' "$k" "$k"; done
    printf '外挂接收地址=127.0.1.1\r\n'
  } | iconv -f UTF-8 -t CP936 >> "$home/system.ini"
fi

# The main window opens below the sampled area (model 1 is 400 x 300 pixels at 6, 6; the main window is
# too wide to lie whole beside it on a 1,280-pixel screen), so that the position window lies over the
# moving colours and not over the program's own window.
if ! iconv -f CP936 -t UTF-8 "$home/system.ini" 2>/dev/null | grep -q '^主窗体left='; then
  printf '主窗体left=5100\r\n主窗体top=5100\r\n位置窗体left=90\r\n位置窗体top=90\r\n' |
    iconv -f UTF-8 -t CP936 >> "$home/system.ini"
fi

# Machines 3, 4 and 5 are open-protocol controllers (E1.31 from universe 61, Art-Net from port-address 90,
# DDP from byte 135,000, after all ten numbers' channels in a sequence file), which the stand-in plays beside
# machines 1 and 2.
if ! iconv -f CP936 -t UTF-8 "$home/system.ini" 2>/dev/null | grep -q '^控制器类型03='; then
  printf '控制器类型03=e131\r\n控制器类型04=artnet\r\n控制器类型05=ddp\r\n控制器DDP偏移05=135000\r\n' |
    iconv -f UTF-8 -t CP936 >> "$home/system.ini"
fi

if [[ -z "${DISPLAY:-}" ]]; then
  # No desktop: run on a private virtual screen, so that the program still starts (screenshots with
  # `import -window root -display :77 shot.png`).
  Xvfb :77 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids=($!)
  export DISPLAY=:77
  sleep 1
  echo "No DISPLAY set: started a virtual screen on :77."
fi

build/tools/kq510-machines --state "$home/stand-in-machines" \
  --controller 3=e131:61 --controller 4=artnet:90 --controller 5=ddp:135000 > "$home/stand-in-machines.log" 2>&1 &
pids+=($!)
# Something to capture: moving colour bars under the position window's usual place.
build/tools/kq510-pattern --area 0,0,480,360 >/dev/null 2>&1 &
pids+=($!)
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
echo "Stand-in machines 1..10 on 127.0.1.201..210 (3, 4 and 5 as E1.31, Art-Net and DDP controllers); their log: $home/stand-in-machines.log"
echo "What machine k shows: $home/stand-in-machines/ID<k>/live.png"
echo "Starting kq510 with the application folder $home"
build/src/kq510 --home "$home" "$@"
