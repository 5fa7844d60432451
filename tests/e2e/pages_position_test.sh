#!/usr/bin/env bash
# The real program under a window manager: the main window's place is stored in twips
# (offsets 6 and 10 of Kelpo.ini) once it has been moved, the stored place is where the
# window stands (no drift from the window frame), and a move while minimised is not stored.
set -u

fail() {
    echo "FAIL: $*" >&2
    [ -s "$data/kelpo.log" ] && sed 's/^/kelpo: /' "$data/kelpo.log" >&2
    exit 1
}

data=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    rm -rf "$data"
}
trap cleanup EXIT

wait_for() {
    for _ in $(seq 1 100); do
        eval "$1" && return 0
        sleep 0.05
    done
    return 1
}

# MainTop and MainLeft as "top left", in twips.
stored() { od -A n -t d4 -j 6 -N 8 "$data/Kelpo.ini" | xargs; }

"$KELPO_BIN" --data-dir "$data" >"$data/kelpo.log" 2>&1 &
pids+=($!)
wait_for 'main=$(xdotool search --onlyvisible --name "^ Kelpo$" 2>/dev/null | head -1); [ -n "$main" ]' ||
    fail "the main window did not appear"
first=$(stored)

# Moved: stored within the next tick, as the frame's place in twips (15 a pixel here).
xdotool windowmove "$main" 100 200
wait_for '[ "$(stored)" = "3000 1500" ]' || fail "move not stored: '$(stored)' (was '$first')"

# The place the window stands at now is the stored one: ticks store nothing new.
sleep 2.2
[ "$(stored)" = "3000 1500" ] || fail "the stored place drifted to '$(stored)'"

# Minimised and moved: not stored.
xdotool windowminimize --sync "$main"
xdotool windowmove "$main" 300 300
sleep 2.2
[ "$(stored)" = "3000 1500" ] || fail "a move while minimised was stored: '$(stored)'"
echo "PASS"
