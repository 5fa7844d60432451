#!/usr/bin/env bash
# Typing benchmark: Kelpo's X11 key sender against `xdotool type`, 30 runs (by default) of
# each of three texts (a 40-character password, 200 characters of prose, 30 Latin-1
# characters) into one real text field, under each layout (us and de by default), all in
# one private X server with a window manager. Prints one table per layout.
# Goals: every run of Kelpo's correct; 200 characters in at most a sixth of xdotool's time.
# Usage: bench/typing.sh BUILD_DIR [RUNS] [LAYOUT...]
set -eu
build=${1:?usage: bench/typing.sh BUILD_DIR [RUNS] [LAYOUT...]}
runs=${2:-30}
shift $(($# < 2 ? $# : 2))
layouts=${*:-us de}
build=$(cd "$build" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

cmake --build "$build" --target typing_bench typing_target >/dev/null

# The layouts go in as arguments, never into the command text.
"$here/../tests/e2e/run-in-x.sh" sh -c '
  bench=$1 target=$2 runs=$3
  shift 3
  status=0
  for layout in "$@"; do
    echo
    setxkbmap "$layout" || { status=1; continue; }
    "$bench" "$target" "$runs" "$layout" || status=1
  done
  exit $status' sh "$build/typing_bench" "$build/typing_target" "$runs" $layouts
