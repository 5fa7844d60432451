#!/usr/bin/env bash
# The real program with a real tray host (trayer): a later start with "Minimize to System
# Tray" goes straight to the tray with the window withdrawn; a click on the icon or a second
# start brings the window back; Esc and the close box put it away again; a tray that goes
# away leaves the window on the task bar; the icon's menu item "Close Kelpo" ends the
# program. Runs inside run-in-x.sh (Xvfb + openbox).
set -u

fail() {
    echo "FAIL: $*" >&2
    [ -s "$data/kelpo.log" ] && sed 's/^/kelpo: /' "$data/kelpo.log" >&2
    exit 1
}

data=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$data"' EXIT

# Polls a condition (a shell command) for up to five seconds.
wait_for() { for _ in $(seq 1 100); do eval "$1" && return 0; sleep 0.05; done; return 1; }

map_state() { xwininfo -id "$1" 2>/dev/null | sed -n 's/.*Map State: //p'; }
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
shown() { wait_for '[ "$(map_state "$main")" = IsViewable ] && [ "$(wm_state "$main")" = Normal ]'; }
# Hidden, not iconified: the window manager drops WM_STATE or marks it Withdrawn.
in_tray() { wait_for 'tray_icon >/dev/null && [ "$(map_state "$main")" = IsUnMapped ] && [[ "$(wm_state "$main")" =~ ^(Withdrawn)?$ ]]'; }

# The tray icon: Qt's small window named "Kelpo" (the main window's title has a leading
# space), embedded in the tray. Its name is only in _NET_WM_NAME, which search --name misses.
tray_icon() {
    local w
    for w in $(xdotool search --onlyvisible --class kelpo 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "Kelpo" ] && echo "$w" && return 0
    done
    return 1
}

# A popup of ours: an override-redirect window of the program other than the icon.
menu_shown() {
    local w
    for w in $(xdotool search --onlyvisible --class kelpo 2>/dev/null); do
        [ "$w" != "$(tray_icon)" ] && xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}

click_icon() { # button
    local icon X Y WIDTH HEIGHT
    icon=$(tray_icon) || fail "no tray icon to click"
    eval "$(xdotool getwindowgeometry --shell "$icon")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click "$1"
}

start_tray() {
    trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 32 --transparent false >/dev/null 2>&1 &
    tray=$!
    pids+=($tray)
    wait_for 'xdotool search --onlyvisible --class trayer >/dev/null 2>&1' || fail "trayer did not start"
}
start_tray

# Settings of an earlier run (version "4.00", 42 bytes): the window on screen at 3000 twips,
# "Minimize to System Tray" (offset 30) chosen.
{ printf '4.00\0\0\270\013\0\0\270\013\0\0\270\013\0\0\340\056\0\0'
  printf '\0\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0'; } >"$data/Kelpo.ini"
"$KELPO_BIN" --data-dir "$data" >"$data/kelpo.log" 2>&1 &
kelpo=$!
pids+=($kelpo)

wait_for 'main=$(xdotool search --name "^ Kelpo\$" | head -1); [ -n "$main" ]' || fail "no main window"
in_tray || fail "the program did not start in the tray: '$(map_state "$main")' '$(wm_state "$main")'"

click_icon 1
shown || fail "a click on the icon did not restore"

xdotool windowactivate --sync "$main" key Escape
in_tray || fail "Esc did not minimise to the tray: '$(wm_state "$main")'"

# A second start with the same data folder ends and brings the window back from the tray.
timeout 20 "$KELPO_BIN" --data-dir "$data" >>"$data/kelpo.log" 2>&1 || fail "a second start ended with $?"
shown || fail "a second start did not bring the window back from the tray"

# The close box (Alt+F4 in openbox) only minimises, with the tray chosen.
xdotool windowactivate --sync "$main" key alt+F4
in_tray || fail "the close box did not go to the tray"

# The tray goes away: the window comes back minimised on the task bar, not lost; a new
# tray takes it in again.
kill "$tray"
wait "$tray" 2>/dev/null
wait_for '[ "$(wm_state "$main")" = Iconic ]' || fail "lost with the tray: '$(wm_state "$main")'"
start_tray
in_tray || fail "a new tray did not take the window in: '$(wm_state "$main")'"

# Right click: the menu; its first item "Close Kelpo" ends the program.
click_icon 3
wait_for menu_shown || fail "no menu on a right click"
xdotool key Down Return
wait_for '! kill -0 "$kelpo" 2>/dev/null' || fail "Close Kelpo did not end the program"
wait "$kelpo" || fail "the program ended with status $?"
echo "PASS"
