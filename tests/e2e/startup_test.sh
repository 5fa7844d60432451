#!/usr/bin/env bash
# Start-up with the real program under a private X server (run by run-in-x.sh):
# the first start creates the data files and opens " Kelpo" in normal state, and stores
# where its window is moved to; a second
# start with the same data folder ends and brings the first back; a lock left by a
# program killed with -9 does not block the next start; two starts at the same moment
# give one program; a start beside a stopped one says so; two data folders run side by
# side; the data folder is found without --data-dir (the per-user one private); an
# unwritable data folder gives one message and a running program; without a display it
# says so. Coming back from the tray is in pages_tray_test.sh.
set -u

work=$(mktemp -d)
pids=()
failures=0
trap 'kill -9 "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

expect() { # description, command...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# Polls a condition (a shell command) for up to ten seconds.
wait_for() {
  for _ in $(seq 1 100); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}

run_bg() { # command...; sets $started to the new pid
  "$@" >>"$work/kelpo.log" 2>&1 &
  started=$!
  pids+=("$started")
}
start() { run_bg "$KELPO_BIN" --data-dir "$1"; } # data folder

running() { kill -0 "$1" 2>/dev/null; }
stop() { kill -9 "$1" && wait "$1" 2>/dev/null; }

main_window() { # pid: prints its main window once it exists
  local pid=$1 w
  wait_for 'w=$(xdotool search --all --pid "$pid" --name "^ Kelpo\$" 2>/dev/null | head -n1); [ -n "$w" ]' &&
    echo "$w"
}

state_is() { wait_for "xprop -id '$1' WM_STATE 2>/dev/null | grep -q 'window state: $2'"; }
active_is() { wait_for "[ \"\$(xdotool getactivewindow 2>/dev/null)\" = '$1' ]"; }
main_windows() { xdotool search --all --name '^ Kelpo$' | wc -l; }
files_of() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }

wait_exit() { wait_for "! running $1" && wait "$1"; } # pid: its exit status once it ends

close_window() { # window, pid: the close box, through the window manager's Alt+F4
  # The window manager now and then misses a synthetic Alt+F4 right after activating a
  # window; a second press only comes when the first did not close it.
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$1" >/dev/null 2>&1
    active_is "$1" && xdotool key alt+F4
    wait_for "! running $2" && return 0
  done
}

# --- no display --------------------------------------------------------------------------
env -u DISPLAY -u QT_QPA_PLATFORM "$KELPO_BIN" --data-dir "$work/none" >/dev/null 2>&1
expect "without a display the program says so, ends and creates nothing" \
  test $? -eq 1 -a ! -e "$work/none/Kelpo.ini"

# --- first start -------------------------------------------------------------------------
data="$work/data"
start "$data"
first=$started
win=$(main_window "$first") || { echo "FAIL first start shows no main window"; cat "$work/kelpo.log"; exit 1; }
expect "the first start opens in normal state" state_is "$win" Normal
expect "the data files are made, and private" \
  test -s "$data/Kelpo.ini" -a -s "$data/Libnames.dat" -a "$(stat -c %a "$data/Lib1/Names.dat")" = 600

# --- the window's place: stored in twips once moved, without drift; not while minimised --
stored() { od -A n -t d4 -j 6 -N 8 "$data/Kelpo.ini" | xargs; } # MainTop MainLeft
xdotool windowmove "$win" 100 200
expect "a move is stored within a tick, as the frame's place in twips" \
  wait_for '[ "$(stored)" = "3000 1500" ]'
sleep 2.2
expect "the stored place does not drift" [ "$(stored)" = "3000 1500" ]
xdotool windowminimize --sync "$win"
xdotool windowmove "$win" 300 300
sleep 2.2
expect "a move while minimised is not stored" [ "$(stored)" = "3000 1500" ]

# --- a second start brings the first back --------------------------------------------
start "$data"
expect "a second start with the same data folder ends at once, successfully" wait_exit "$started"
expect "the first window is back in normal state and in front" \
  eval 'state_is "$win" Normal && active_is "$win"'

# --- another data folder runs beside it and ends by its close box, writing nothing -------
start "$work/other"
other=$started
other_win=$(main_window "$other")
expect "a second data folder runs side by side" [ -n "$other_win" ]
before=$(files_of "$work/other")
close_window "$other_win" "$other"
expect "the close box ends the program" wait_exit "$other"
expect "nothing is written at the end" [ "$before" = "$(files_of "$work/other")" ]

# --- a crash leaves a lock that does not block ---------------------------------------
stop "$first"
start "$data"
after=$started
win=$(main_window "$after")
expect "after kill -9 the next start runs, minimised as any later run" state_is "$win" Iconic
start "$data"
expect "and a further start reaches it, which comes back in normal state" \
  eval 'wait_exit "$started" && state_is "$win" Normal'
stop "$after"

# --- a stopped first start ------------------------------------------------------------
# It holds the lock and its socket still accepts, but it cannot answer: a later start
# says so instead of ending silently while nothing comes to the front.
start "$work/stopped"
stopped=$started
main_window "$stopped" >/dev/null
kill -STOP "$stopped"
start "$work/stopped"
boxes() { xdotool search --all --onlyvisible --pid "$started" --name '^ Kelpo$' 2>/dev/null | wc -l; }
expect "a start beside a stopped one shows why nothing opens" \
  eval 'wait_for "[ \"\$(boxes)\" = 1 ]" && running "$started"'
kill -CONT "$stopped"
stop "$started"
stop "$stopped"

# --- two starts at the same moment ---------------------------------------------------
for round in 1 2 3 4 5; do
  start "$work/race$round"
  a=$started
  start "$work/race$round"
  wait_for "! running $a || ! running $started"
  ended=$a survivor=$started
  running "$a" && ended=$started survivor=$a
  kill -9 "$ended" 2>/dev/null # both still running: the round fails on its exit status
  wait "$ended"
  code=$?
  expect "round $round: two simultaneous starts give one program (exit $code)" eval \
    '[ "$code" = 0 ] && [ -n "$(main_window "$survivor")" ] && [ "$(main_windows)" = 1 ]'
  stop "$survivor"
done

# --- where the data lives without --data-dir ------------------------------------------
started_in() { # expected data folder, then the command
  run_bg "${@:2}"
  main_window "$started" >/dev/null
  stop "$started"
  [ -s "$1/Kelpo.ini" ] && [ -s "$1/Lib1/Names.dat" ]
}
expect "without a folder the data lives in the per-user folder" \
  started_in "$work/home/.local/share/Kelpo/Kelpo" \
  env -u KELPO_DATA_DIR -u XDG_DATA_HOME HOME="$work/home" "$KELPO_BIN"
expect "which only the user may open" \
  test "$(stat -c %a "$work/home/.local/share/Kelpo/Kelpo")" = 700
# A portable installation in the old one-folder layout: the data stays beside the
# program and becomes its first library.
old="$work/portable"
install -D "$KELPO_BIN" "$old/kelpo"
{ printf 'Old entry%21s' ''; printf '\377\0\0\0'; } >"$old/Names.dat"
echo "page" >"$old/Page0.dat"
echo "mine" >"$old/Notes.txt"
expect "a program folder holding old data keeps it there" \
  started_in "$old" env -u KELPO_DATA_DIR HOME="$work/home2" "$old/kelpo"
expect "the old files moved into Lib1 as the first library, Notes.txt stayed, none went to \
the per-user folder" eval '[ -s "$old/Lib1/Page0.dat" ] && [ -s "$old/Notes.txt" ] &&
  [ "$(head -c 9 "$old/Lib1/Names.dat")" = "Old entry" ] && [ ! -e "$work/home2/.local/share/Kelpo" ]'

# --- a data folder that cannot be written ---------------------------------------------
echo x >"$work/plain"
start "$work/plain/data"
windows_of_bad() { xdotool search --all --onlyvisible --pid "$started" --name '^ Kelpo$' 2>/dev/null | wc -l; }
expect "an unwritable data folder opens the main window and a message" \
  wait_for '[ "$(windows_of_bad)" -ge 2 ]'
sleep 1 # room for a second message, which must not come
expect "just one message ($(($(windows_of_bad) - 1))), and it keeps running" \
  eval '[ "$(windows_of_bad)" = 2 ] && running "$started"'

[ "$failures" = 0 ] || { echo "$failures check(s) failed; program output:"; cat "$work/kelpo.log"; exit 1; }
echo "all start-up checks passed"
