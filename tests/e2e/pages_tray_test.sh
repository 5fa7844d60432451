#!/usr/bin/env bash
# The real program with a real tray host (trayer): a later start with "Minimize to System
# Tray" goes straight to the tray with the window withdrawn; a click on the icon brings
# the window back; Esc and the close box put it away again; the icon's menu item
# "Close Kelpo" ends the program. Runs inside run-in-x.sh (Xvfb + openbox).
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

# Polls a condition (a shell command) for up to five seconds.
wait_for() {
    for _ in $(seq 1 100); do
        eval "$1" && return 0
        sleep 0.05
    done
    return 1
}

map_state() { xwininfo -id "$1" 2>/dev/null | sed -n 's/.*Map State: //p'; }
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
# Hidden, not iconified: the window manager drops WM_STATE or marks it Withdrawn.
withdrawn() { case "$(wm_state "$1")" in "" | Withdrawn) return 0 ;; *) return 1 ;; esac; }

# The tray icon: Qt's small window named "Kelpo", embedded in the tray.
tray_icon() {
    local w
    for w in $(xdotool search --class kelpo 2>/dev/null); do
        if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "Kelpo" ] &&
            [ "$(map_state "$w")" = IsViewable ]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

# A popup of ours: an override-redirect window of the program other than the icon.
menu_shown() {
    local icon w
    icon=$(tray_icon)
    for w in $(xdotool search --onlyvisible --class kelpo 2>/dev/null); do
        [ "$w" = "$icon" ] && continue
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}

click_icon() { # button
    local icon x y width height
    icon=$(tray_icon) || fail "no tray icon to click"
    eval "$(xdotool getwindowgeometry --shell "$icon")"
    x=$((X + WIDTH / 2))
    y=$((Y + HEIGHT / 2))
    xdotool mousemove "$x" "$y" click "$1"
}

start_tray() {
    trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 32 --transparent false >/dev/null 2>&1 &
    tray=$!
    pids+=($tray)
    wait_for 'xdotool search --onlyvisible --class trayer >/dev/null 2>&1' || fail "trayer did not start"
}
start_tray

# Settings of an earlier run (version "4.00"): tray chosen (offset 30), window on screen.
python3 - "$data/Kelpo.ini" <<'EOF'
import struct, sys
record = b"4.00" + struct.pack("<hiiiihhhhhiih", 0, 3000, 3000, 3000, 12000, 0, 0, 0, 0, 1, 0, 0, 0)
assert len(record) == 42
open(sys.argv[1], "wb").write(record)
EOF

"$KELPO_BIN" --data-dir "$data" >"$data/kelpo.log" 2>&1 &
kelpo=$!
pids+=($kelpo)

wait_for 'tray_icon >/dev/null' || fail "the program did not go to the tray"
main=$(xdotool search --name '^ Kelpo$' | head -1)
[ -n "$main" ] || fail "no main window"
[ "$(map_state "$main")" = IsUnMapped ] || fail "main window is on screen while in the tray"
withdrawn "$main" || fail "main window is '$(wm_state "$main")', not withdrawn"

# A left click on the icon brings the window back and the icon goes.
click_icon 1
wait_for '[ "$(map_state "$main")" = IsViewable ]' || fail "a click on the icon did not restore"
wait_for '! tray_icon >/dev/null' || fail "the icon stayed after restoring"
[ "$(wm_state "$main")" = Normal ] || fail "restored window is '$(wm_state "$main")'"

# Esc minimises, to the tray again.
xdotool windowactivate --sync "$main" key Escape
wait_for '[ "$(map_state "$main")" = IsUnMapped ]' || fail "Esc did not minimise"
wait_for 'tray_icon >/dev/null' || fail "Esc did not show the tray icon"
withdrawn "$main" || fail "after Esc the window is '$(wm_state "$main")'"

# The close box (Alt+F4 in openbox) only minimises, with the tray chosen.
click_icon 1
wait_for '[ "$(map_state "$main")" = IsViewable ]' || fail "second restore failed"
xdotool windowactivate --sync "$main" key alt+F4
wait_for 'tray_icon >/dev/null' || fail "the close box did not go to the tray"
kill -0 "$kelpo" 2>/dev/null || fail "the close box ended the program"

# The tray goes away: the window comes back minimised on the task bar, not lost; a new
# tray takes it in again.
kill "$tray"
wait "$tray" 2>/dev/null
wait_for '[ "$(wm_state "$main")" = Iconic ]' || fail "lost with the tray: '$(wm_state "$main")'"
start_tray
wait_for 'tray_icon >/dev/null' || fail "a new tray did not take the window in"
wait_for 'withdrawn "$main"' || fail "in the new tray the window is '$(wm_state "$main")'"

# Right click: the menu; its first item "Close Kelpo" ends the program within a second.
click_icon 3
wait_for menu_shown || fail "no menu on a right click"
xdotool key Down Return
wait_for '! kill -0 "$kelpo" 2>/dev/null' || fail "Close Kelpo did not end the program"
wait "$kelpo"
status=$?
[ "$status" = 0 ] || fail "the program ended with status $status"
echo "PASS"
