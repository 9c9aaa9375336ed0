#!/usr/bin/env bash
# Runs a command inside a private headless Wayland desktop that lives only as long as the command:
# sway (headless, software rendering, XWayland on) with one 1280 x 800 output, a private D-Bus session,
# PipeWire with WirePlumber, and the screen-cast portal (xdg-desktop-portal with its wlroots back end,
# set to share the headless output without asking). The command gets WAYLAND_DISPLAY, DISPLAY (the
# XWayland server), DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR and KQ510_XDPW_PID (the portal's back
# end). X11 windows float (sway centres them); a Wayland window alone fills the output.
#
# sway refuses to run as root, so the desktop runs as the user `nobody`; the command keeps the caller's
# user (and a runtime folder of its own). Set KQ510_WAYLAND_LOG=DIR to keep the services' logs there.
set -euo pipefail
desktop_user=65534

runtime=$(mktemp -d /tmp/kq510-wayland.XXXXXX)
config="$runtime/config"
logs="${KQ510_WAYLAND_LOG:-$runtime/logs}"
mkdir -p "$config/sway" "$config/xdg-desktop-portal-wlr" "$logs"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

cat >"$config/sway/config" <<'EOF'
output HEADLESS-1 mode 1280x800 position 0 0
default_border none
default_floating_border none
focus_follows_mouse no
xwayland enable
for_window [shell="xwayland"] floating enable
exec sh -c 'echo "$DISPLAY" > "$XDG_RUNTIME_DIR/display.tmp" && mv "$XDG_RUNTIME_DIR/display.tmp" "$XDG_RUNTIME_DIR/display"'
EOF
cat >"$config/xdg-desktop-portal-wlr/config" <<'EOF'
[screencast]
chooser_type=none
output_name=HEADLESS-1
max_fps=60
EOF
chmod 700 "$runtime"
chown -R "$desktop_user:$desktop_user" "$runtime"

export XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$config" XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
export WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=1 WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

wait_for() { # file, what
  for _ in $(seq 200); do [[ -e "$1" ]] && return 0; sleep 0.05; done
  echo "with_wayland: $2 did not start (logs: $logs)" >&2
  exit 1
}

setpriv --reuid="$desktop_user" --regid="$desktop_user" --clear-groups -- \
  sway --config "$config/sway/config" >"$logs/sway.log" 2>&1 &
pids+=($!)
wait_for "$runtime/display" sway
export WAYLAND_DISPLAY
WAYLAND_DISPLAY=$(cd "$runtime" && ls wayland-? | head -n1)
export DISPLAY
DISPLAY=$(cat "$runtime/display")
# XWayland belongs to the desktop's user; the command's user is let in by name.
setpriv --reuid="$desktop_user" --regid="$desktop_user" --clear-groups -- \
  xhost "+si:localuser:$(id -un)" >"$logs/xhost.log" 2>&1 || {
  echo "with_wayland: XWayland did not start (logs: $logs)" >&2
  exit 1
}

# The bus is started once the desktop's variables are set, so that the services it starts on demand
# (the portals) find the compositor.
dbus-daemon --session --nofork --nopidfile --address="unix:path=$runtime/bus" >"$logs/dbus.log" 2>&1 &
pids+=($!)
wait_for "$runtime/bus" dbus-daemon
export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"

pipewire >"$logs/pipewire.log" 2>&1 &
pids+=($!)
wait_for "$runtime/pipewire-0" pipewire
wireplumber >"$logs/wireplumber.log" 2>&1 &
pids+=($!)
# The portal's back end is started here rather than on demand, so that it runs with
# KQ510_XDPW_PRELOAD (tests/support/xdpw_shm_only.cpp); the command starts only once it is on the bus.
LD_PRELOAD="${KQ510_XDPW_PRELOAD:-}" /usr/libexec/xdg-desktop-portal-wlr -l INFO >"$logs/xdpw.log" 2>&1 &
pids+=($!)
# The command may end the desktop's sharing by stopping this process (and no other on the machine).
export KQ510_XDPW_PID=$!
portal_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.impl.portal.desktop.wlr 2>/dev/null |
    grep -q 'boolean true'
}
for _ in $(seq 200); do portal_up && break; sleep 0.05; done
portal_up || { echo "with_wayland: the screen-cast portal did not start (logs: $logs)" >&2; exit 1; }

mkdir -m 700 "$runtime/command"
export WAYLAND_DISPLAY="$runtime/$WAYLAND_DISPLAY" XDG_RUNTIME_DIR="$runtime/command"
"$@"
