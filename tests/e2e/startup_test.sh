#!/usr/bin/env bash
# Start-up with the real program under a private X server (run by run-in-x.sh):
# the first start creates the data files and opens " Kelpo" in normal state; a second
# start with the same data folder ends and brings the first back; a lock left by a
# program killed with -9 does not block the next start; two starts at the same moment
# give one program; two data folders run side by side; an unwritable data folder gives
# one message and a running program; help and version need no display.
set -u
: "${KELPO_BIN:?KELPO_BIN must name the kelpo program}"

work=$(mktemp -d)
pids=()
failures=0
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
expect() { # description, command...
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

start() { # data folder; sets $started to the new pid
  "$KELPO_BIN" --data-dir "$1" >>"$work/kelpo.log" 2>&1 &
  started=$!
  pids+=("$started")
}

# The main window of process $1, once it exists.
main_window() {
  local w
  for _ in $(seq 1 300); do
    w=$(xdotool search --all --pid "$1" --name '^ Kelpo$' 2>/dev/null | head -n1)
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

window_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }

wait_state() { # window, Normal or Iconic
  for _ in $(seq 1 100); do
    [ "$(window_state "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

wait_active() { # window
  for _ in $(seq 1 100); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# Waits for process $1 to end; its exit code, or 124 when it is still running.
wait_exit() {
  for _ in $(seq 1 200); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      return $?
    fi
    sleep 0.1
  done
  return 124
}

running() { kill -0 "$1" 2>/dev/null; }

file_size() { stat -c %s "$1" 2>/dev/null; }
file_mode() { stat -c %a "$1" 2>/dev/null; }

close_window() { # window, pid: the close box, through the window manager's Alt+F4
  # The window manager now and then misses a synthetic Alt+F4 right after activating a
  # window; a second press only comes when the first did not close it.
  for try in 1 2 3; do
    [ "$try" -gt 1 ] && echo "note: Alt+F4 pressed again (try $try)"
    xdotool windowactivate --sync "$1" >/dev/null 2>&1
    wait_active "$1" && xdotool key alt+F4
    for _ in $(seq 1 20); do
      running "$2" || return 0
      sleep 0.1
    done
  done
}

# --- help and version need no display --------------------------------------------------
out=$(env -u DISPLAY -u QT_QPA_PLATFORM "$KELPO_BIN" --version 2>&1)
expect "--version prints the version without a display" [ "$out" = "Kelpo 4.52" ]
out=$(env -u DISPLAY -u QT_QPA_PLATFORM "$KELPO_BIN" --help 2>&1)
expect "--help prints the usage without a display" grep -q -- '--data-dir' <<<"$out"
env -u DISPLAY -u QT_QPA_PLATFORM "$KELPO_BIN" --data-dir "$work/none" >/dev/null 2>&1
expect "without a display the program says so and ends" [ $? -eq 1 ]
expect "nothing was created without a display" [ ! -e "$work/none/Kelpo.ini" ]
"$KELPO_BIN" --no-such-option >/dev/null 2>&1
expect "an unknown option is refused" [ $? -eq 2 ]

# --- first start -------------------------------------------------------------------------
data="$work/data"
start "$data"
first=$started
win=$(main_window "$first") || { fail "first start shows the main window"; exit 1; }
pass "first start shows the main window \" Kelpo\""
expect "the first start opens in normal state" wait_state "$win" Normal
expect "Kelpo.ini is 42 bytes" [ "$(file_size "$data/Kelpo.ini")" = 42 ]
expect "Libnames.dat is 247 bytes" [ "$(file_size "$data/Libnames.dat")" = 247 ]
expect "Lib1/Names.dat is 1734 bytes" [ "$(file_size "$data/Lib1/Names.dat")" = 1734 ]
expect "Kelpo.ini begins with the version" [ "$(head -c 4 "$data/Kelpo.ini")" = "4.00" ]
expect "data files are private" [ "$(file_mode "$data/Lib1/Names.dat")" = 600 ]

# The window sits where the settings say: centred on the first run.
read -r main_left main_top < <(od -An -j6 -N8 -td4 "$data/Kelpo.ini" | awk '{print $2, $1}')
eval "$(xdotool getwindowgeometry --shell "$win")"
screen_w=$(xdotool getdisplaygeometry | cut -d' ' -f1)
expect "the main window is centred" [ $(( (screen_w - WIDTH) / 2 - main_left / 15 )) -le 1 ] 

# --- a second start brings the first back --------------------------------------------
xdotool windowminimize --sync "$win"
expect "the first window can be minimised" wait_state "$win" Iconic
start "$data"
second=$started
wait_exit "$second"
expect "a second start with the same data folder ends at once, successfully" [ $? -eq 0 ]
expect "the first instance keeps running" running "$first"
expect "the first window is back in normal state" wait_state "$win" Normal
expect "the first window is in front" wait_active "$win"
count=$(xdotool search --all --name '^ Kelpo$' | wc -l)
expect "one main window in all ($count)" [ "$count" = 1 ]

# --- another data folder runs beside it ----------------------------------------------
start "$work/other"
other=$started
other_win=$(main_window "$other")
expect "a second data folder runs side by side" [ -n "$other_win" ]
expect "the first instance still runs" running "$first"
before=$(cd "$work/other" && find . -type f -exec md5sum {} + | sort)
close_window "$other_win" "$other"
wait_exit "$other"
code=$?
expect "the close box ends the program (exit $code, active $(xdotool getactivewindow), window $other_win $(window_state "$other_win"))" [ $code -eq 0 ]
after=$(cd "$work/other" && find . -type f -exec md5sum {} + | sort)
expect "nothing is written at the end" [ "$before" = "$after" ]
left=$(find "${XDG_RUNTIME_DIR:-/tmp}" -name 'kelpo-*' 2>/dev/null | wc -l)
expect "a clean end leaves only the running instance's lock and socket ($left)" [ "$left" = 2 ]

# --- a crash leaves a lock that does not block ---------------------------------------
kill -9 "$first"
wait "$first" 2>/dev/null
start "$data"
after=$started
win=$(main_window "$after")
expect "after kill -9 the next start runs" [ -n "$win" ]
expect "a later run starts minimised" wait_state "$win" Iconic
start "$data"
wait_exit "$started"
expect "and a further start reaches it" [ $? -eq 0 ]
expect "which comes back in normal state" wait_state "$win" Normal
kill -9 "$after"
wait "$after" 2>/dev/null

# --- two starts at the same moment ---------------------------------------------------
for round in 1 2 3 4 5; do
  folder="$work/race$round"
  start "$folder"; a=$started
  start "$folder"; b=$started
  # Whichever lost ends; give both time to settle.
  ended=""
  for _ in $(seq 1 200); do
    if ! running "$a"; then ended=$a; break; fi
    if ! running "$b"; then ended=$b; break; fi
    sleep 0.1
  done
  if [ -z "$ended" ]; then
    fail "round $round: two simultaneous starts both kept running"
    continue
  fi
  wait "$ended"
  code=$?
  survivor=$a; [ "$ended" = "$a" ] && survivor=$b
  w=$(main_window "$survivor")
  n=$(xdotool search --all --name '^ Kelpo$' | wc -l)
  if [ "$code" = 0 ] && running "$survivor" && [ -n "$w" ] && [ "$n" = 1 ]; then
    pass "round $round: two simultaneous starts give one program"
  else
    fail "round $round: exit $code, survivor running: $(running "$survivor" && echo yes || echo no), windows $n"
  fi
  kill -9 "$survivor"
  wait "$survivor" 2>/dev/null
done

# --- a second start brings the first back from the tray --------------------------------
trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
  --height 32 --transparent false >/dev/null 2>&1 &
tray=$!
pids+=("$tray")
for _ in $(seq 1 100); do
  xdotool search --onlyvisible --class trayer >/dev/null 2>&1 && break
  sleep 0.1
done
tray_folder="$work/tray"
mkdir -p "$tray_folder"
# Settings of an earlier run with "Minimize to System Tray" (offset 30).
{ printf '4.00'; printf '\0\0'; printf '\270\013\0\0\270\013\0\0\270\013\0\0\340\056\0\0'
  printf '\0\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0'; } >"$tray_folder/Kelpo.ini"
start "$tray_folder"
in_tray=$started
win=$(main_window "$in_tray")
hidden() { [ "$(xwininfo -id "$1" 2>/dev/null | sed -n 's/.*Map State: //p')" = IsUnMapped ]; }
wait_hidden() { for _ in $(seq 1 100); do hidden "$1" && return 0; sleep 0.1; done; return 1; }
wait_shown() { for _ in $(seq 1 100); do hidden "$1" || return 0; sleep 0.1; done; return 1; }
expect "a later run with the tray option starts in the tray" wait_hidden "$win"
start "$tray_folder"
wait_exit "$started"
expect "a second start ends" [ $? -eq 0 ]
expect "and the window is back from the tray, normal" wait_state "$win" Normal
expect "and on screen" wait_shown "$win"
kill -9 "$in_tray" "$tray"
wait "$in_tray" "$tray" 2>/dev/null

# --- where the data lives without --data-dir ------------------------------------------
started_in() { # expected data folder, then the command (its pid is killed afterwards)
  local folder=$1; shift
  "$@" >>"$work/kelpo.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  main_window "$pid" >/dev/null
  local found=1
  [ -s "$folder/Kelpo.ini" ] && [ -s "$folder/Lib1/Names.dat" ] && found=0
  kill -9 "$pid"
  wait "$pid" 2>/dev/null
  return $found
}
expect "KELPO_DATA_DIR names the data folder" \
  started_in "$work/env" env KELPO_DATA_DIR="$work/env" "$KELPO_BIN"
expect "without a folder the data lives in the per-user folder" \
  started_in "$work/home/.local/share/Kelpo/Kelpo" \
  env -u KELPO_DATA_DIR -u XDG_DATA_HOME HOME="$work/home" "$KELPO_BIN"
# A portable installation in the old one-folder layout: the data stays beside the
# program and becomes its first library.
mkdir -p "$work/portable"
cp "$KELPO_BIN" "$work/portable/kelpo"
{ printf 'Old entry%21s' ''; printf '\377\0\0\0'; } >"$work/portable/Names.dat"
echo "page" >"$work/portable/Page0.dat"
echo "mine" >"$work/portable/Notes.txt"
expect "a program folder holding old data keeps it there" \
  started_in "$work/portable" env -u KELPO_DATA_DIR HOME="$work/home2" "$work/portable/kelpo"
expect "the old files moved into Lib1" [ -s "$work/portable/Lib1/Page0.dat" ] 
expect "and the old names are the first library's" \
  [ "$(head -c 9 "$work/portable/Lib1/Names.dat")" = "Old entry" ]
expect "Notes.txt stayed" [ -s "$work/portable/Notes.txt" ] 
expect "nothing went to the per-user folder" [ ! -e "$work/home2/.local/share/Kelpo" ]

# --- a data folder that cannot be written ---------------------------------------------
echo x >"$work/plain"
start "$work/plain/data"
bad=$started
w=$(main_window "$bad")
expect "an unwritable data folder still opens the main window" [ -n "$w" ]
boxes=0
for _ in $(seq 1 100); do
  boxes=$(xdotool search --all --onlyvisible --pid "$bad" --name '^ Kelpo$' 2>/dev/null | wc -l)
  [ "$boxes" -ge 2 ] && break
  sleep 0.1
done
sleep 1
boxes=$(xdotool search --all --onlyvisible --pid "$bad" --name '^ Kelpo$' 2>/dev/null | wc -l)
expect "and one message about it ($((boxes - 1)))" [ "$boxes" = 2 ]
expect "and keeps running" running "$bad"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; program output:"
  cat "$work/kelpo.log"
  exit 1
fi
echo "all start-up checks passed"
