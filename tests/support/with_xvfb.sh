#!/usr/bin/env bash
# Runs a command on a private virtual X server that lives only as long as the command.
set -euo pipefail
exec 3< <(:)
tmp=$(mktemp)
Xvfb -displayfd 4 -screen 0 1280x800x24 -nolisten tcp 4>"$tmp" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$tmp"' EXIT
for _ in $(seq 100); do [[ -s "$tmp" ]] && break; sleep 0.05; done
[[ -s "$tmp" ]] || { echo "with_xvfb: Xvfb did not start" >&2; exit 1; }
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
export DISPLAY=":$(head -n1 "$tmp")" QT_QPA_PLATFORM=xcb
"$@"
