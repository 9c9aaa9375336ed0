#!/usr/bin/env bash
# Takes the README's pictures, docs/*.png, from a build folder (default build, as scripts/run.sh builds
# it): on a private virtual screen, with a fresh demo application folder, the stand-in machines and the
# pattern window, kq510-tour opens the program's windows one after another and says "ready NAME" when
# one is ready; the whole screen is then taken as docs/NAME.png. Everything it sends stays on loopback.
# The Chinese interface's pictures go to docs/, the English one's to docs/en/.
# Usage: bash scripts/screenshots.sh [BUILD-FOLDER] [zh|en|both]   (default: build, both)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
lang=${2:-both}
case $lang in
  both) bash "$0" "$build" zh && exec bash "$0" "$build" en ;;
  zh) out=docs ;;
  en) out=docs/en ;;
  *) echo "screenshots: the language is zh, en or both, not '$lang'" >&2; exit 2 ;;
esac
export KQ510_LOOPBACK_ONLY=1

for tool in kq510-tour kq510-machines kq510-pattern kq510-demo-model; do
  if [[ ! -x "$build/tools/$tool" ]]; then
    echo "screenshots: $build/tools/$tool is missing; build first (bash scripts/run.sh)" >&2
    exit 1
  fi
done
for command in Xvfb import; do
  if ! command -v "$command" >/dev/null; then
    echo "screenshots: $command is missing (bash scripts/deps.sh installs it)" >&2
    exit 1
  fi
done

home=$(mktemp -d "${TMPDIR:-/tmp}/kq510-screenshots.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$home"
}
trap cleanup EXIT

# The virtual screen, on a display number that is free (Xvfb picks it and writes it to fd 3).
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$home/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s "$home/display" ]] && break; sleep 0.05; done
if [[ ! -s "$home/display" ]]; then
  echo "screenshots: Xvfb did not start" >&2
  exit 1
fi
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
display=$(head -n1 "$home/display")
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

# The application folder, as scripts/run.sh prepares the demo's: the sample models (their notes in the
# pictures' language), the machines on loopback, the main window below the sampled area and the
# position window over the pattern.
"$build/tools/kq510-demo-model" --lang "$lang" "$home" >/dev/null
{
  printf '广播地址=127.0.1.255\r\n命令端口=4800\r\n'
  for k in 01 02 03 04 05 06 07 08 09 10; do printf '机器地址%s=127.0.1.2%s\r\n' "$k" "$k"; done
  printf '外挂接收地址=127.0.1.1\r\n'
  printf '主窗体left=5100\r\n主窗体top=5100\r\n位置窗体left=90\r\n位置窗体top=90\r\n'
  printf '控制器类型03=e131\r\n控制器类型04=artnet\r\n控制器类型05=ddp\r\n控制器DDP偏移05=135000\r\n'
} | iconv -f UTF-8 -t CP936 >>"$home/system.ini"

"$build/tools/kq510-machines" --state "$home/stand-in-machines" \
  --controller 3=e131:61 --controller 4=artnet:90 --controller 5=ddp:135000 >"$home/stand-in-machines.log" 2>&1 &
machines=$!
pids+=("$machines")
"$build/tools/kq510-pattern" --area 0,0,480,360 >/dev/null 2>&1 &
pids+=($!)
# The machines say where they listen once they do; one that cannot (the demo of scripts/run.sh holds
# the same addresses) ends at once.
for _ in $(seq 100); do
  grep -q 'machines .* at ' "$home/stand-in-machines.log" 2>/dev/null && break
  kill -0 "$machines" 2>/dev/null || break
  sleep 0.05
done
if ! grep -q 'machines .* at ' "$home/stand-in-machines.log"; then
  echo "screenshots: the stand-in machines did not start (is scripts/run.sh's demo running?):" >&2
  cat "$home/stand-in-machines.log" >&2
  exit 1
fi

# The tour talks through two named pipes: "ready NAME" from it, a newline back once the picture is taken.
mkfifo "$home/from-tour" "$home/to-tour"
"$build/tools/kq510-tour" --home "$home" --capture x11 --lang "$lang" <"$home/to-tour" >"$home/from-tour" &
tour=$!
pids+=("$tour")
exec {to_tour}>"$home/to-tour" {from_tour}<"$home/from-tour"

mkdir -p "$out"
written=()
while :; do
  status=0
  IFS= read -r -t 180 line <&"$from_tour" || status=$?
  if ((status > 128)); then
    echo "screenshots: kq510-tour said nothing for three minutes" >&2
    exit 1
  fi
  ((status == 0)) || break
  case $line in
    "ready "*)
      name=${line#ready }
      if [[ ! $name =~ ^[a-z0-9-]+$ ]]; then
        echo "screenshots: kq510-tour named a picture '$name'" >&2
        exit 1
      fi
      import -window root "$out/$name.png"
      written+=("$out/$name.png")
      echo >&"$to_tour"
      ;;
    *) echo "kq510-tour: $line" >&2 ;;
  esac
done
status=0
wait "$tour" || status=$?
if ((status != 0)); then
  echo "screenshots: kq510-tour failed (exit code $status); the stand-in machines' log ends:" >&2
  tail -n 20 "$home/stand-in-machines.log" >&2
  exit 1
fi
# The show recorded on the tour, exported as the README shows it.
if [[ $lang == zh ]]; then
  KQ510_LOOPBACK_ONLY=1 "$build/src/kq510" preview --home "$home" --material 1 --frames 1-60 --scale 0.5 --out docs/preview.gif >/dev/null
  written+=(docs/preview.gif)
fi
for name in main-recording preview editor-model2-fitted editor-zoomed machine-parameters chip-ids controllers version-notes; do
  if [[ ! -s "$out/$name.png" ]] || [[ " ${written[*]} " != *" $out/$name.png "* ]]; then
    echo "screenshots: $out/$name.png was not taken" >&2
    exit 1
  fi
done
echo "Written:"
ls -l "${written[@]}"
