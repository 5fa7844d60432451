#!/usr/bin/env bash
# Runs one command inside a private X server (Xvfb) with a window manager (openbox),
# so end-to-end tests never share a display and never touch the user's own.
# Usage: run-in-x.sh COMMAND [ARGS...]
# Set KELPO_E2E_NO_WM=1 to run without a window manager.
set -u
tmp=$(mktemp -d)
pids=()
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || { echo "run-in-x: no Xvfb" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

if [ "${KELPO_E2E_NO_WM:-0}" != 1 ]; then
  # openbox under a UTF-8 locale burns CPU after keymap changes; run it in the C locale.
  LC_ALL=C openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
fi

"$@"
