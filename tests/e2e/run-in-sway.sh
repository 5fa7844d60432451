#!/usr/bin/env bash
# Runs one command inside a private headless Wayland compositor (sway), the Wayland twin
# of run-in-x.sh: one 1280x1024 output, no bar, no Xwayland, every window floating and
# borderless, so a window keeps the size it asks for and its client area starts at the
# place the compositor's tree reports.
# Usage: run-in-sway.sh COMMAND [ARGS...]
# Exits 77 (skipped) when sway is not installed.
#
# The headless seat has no pointer or keyboard of its own; with KELPO_BUILD set (as the
# tests are run) the build's wlseat gives it both for the whole run.
#
# sway refuses to run as root; under root it runs as nobody, in a runtime folder of its
# own that nobody owns. The command gets the absolute socket path in WAYLAND_DISPLAY (so
# any user's client finds it whatever its XDG_RUNTIME_DIR), SWAYSOCK for sway's IPC, and a
# runtime folder of its own.
set -u
for tool in sway swaymsg; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ $# -gt 0 ] || { echo "usage: run-in-sway.sh COMMAND [ARGS...]" >&2; exit 2; }

tmp=$(mktemp -d)
pids=()
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

as_compositor=()
if [ "$(id -u)" = 0 ]; then
  as_compositor=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  chmod 711 "$tmp"  # nobody passes through to its own folder, and sees nothing else
fi
sway_dir="$tmp/sway"
mkdir -m 700 "$sway_dir"
[ "$(id -u)" = 0 ] && chown 65534:65534 "$sway_dir"

# No swaynag: a config error fails the run below instead of opening a bar.
cat >"$tmp/config" <<'EOF'
swaynag_command -
output * mode 1280x1024 position 0 0
xwayland disable
default_border none
default_floating_border none
for_window [shell=".*"] floating enable
floating_maximum_size -1 x -1
focus_follows_mouse no
# sway's own default: a window that asks to be activated is marked urgent, not focused.
# Qt asks for it when it shows a window, the program's insertion window included.
focus_on_window_activation urgent
mouse_warping none
# A key sender's own virtual keyboard stays a device of its own, with its own keymap.
seat * keyboard_grouping none
EOF
chmod 644 "$tmp/config"
if ! "${as_compositor[@]}" test -w "$sway_dir" -a -r "$tmp/config"; then
  echo "run-in-sway: the compositor's user cannot reach $tmp (set TMPDIR to a place it can)" >&2
  exit 1
fi

swaysock="$sway_dir/ipc.sock"
# Only what sway needs from the caller's environment; nothing of a desktop around it.
env -i PATH="$PATH" HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" SWAYSOCK="$swaysock" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  LANG=C.UTF-8 "${as_compositor[@]}" sway -c "$tmp/config" >"$tmp/sway.log" 2>&1 &
pids+=($!)

socket=
for _ in $(seq 1 200); do
  if ! kill -0 "${pids[0]}" 2>/dev/null; then
    echo "run-in-sway: sway ended at its start" >&2; cat "$tmp/sway.log" >&2; exit 1
  fi
  for s in "$sway_dir"/wayland-*; do
    case "$s" in *.lock) ;; *) [ -S "$s" ] && socket=$s ;; esac
  done
  [ -n "$socket" ] && swaymsg -s "$swaysock" -t get_version >/dev/null 2>&1 && break
  sleep 0.05
done
if [ -z "$socket" ] || ! swaymsg -s "$swaysock" -t get_version >/dev/null 2>&1; then
  echo "run-in-sway: sway did not answer" >&2; cat "$tmp/sway.log" >&2; exit 1
fi

if grep -q 'Error.* loading config' "$tmp/sway.log"; then
  echo "run-in-sway: sway refused its config" >&2; cat "$tmp/sway.log" >&2; exit 1
fi

export WAYLAND_DISPLAY="$socket"
export SWAYSOCK="$swaysock"
export QT_QPA_PLATFORM=wayland
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
wlseat="${KELPO_BUILD:-}/tests/wlseat"
if [ -n "${KELPO_BUILD:-}" ] && [ -x "$wlseat" ]; then
  "$wlseat" &
  pids+=($!)
  seat_ready() {
    local seats
    seats=$(swaymsg -r -t get_seats) &&
      grep -q '"type": "pointer"' <<<"$seats" && grep -q '"type": "keyboard"' <<<"$seats"
  }
  for _ in $(seq 1 100); do seat_ready && break; sleep 0.05; done
  seat_ready || { echo "run-in-sway: the seat got no pointer and keyboard" >&2; exit 1; }
fi

# Where a failed test finds what the compositor said.
export KELPO_SWAY_LOG="$tmp/sway.log"

"$@"
