#!/usr/bin/env bash
# Editor benchmark: a real click on a main-window Edit button to the Website Editor shown
# and painted (median of 10 openings of a full entry), next to the program's own start-up
# (process start to the main window mapped, median of 10 starts over fresh data folders),
# both in the same private X server with a window manager.
# Goal: the editor opens in less than half the program's start-up time.
# Usage: bench/editor.sh BUILD_DIR [RUNS]
set -eu
build=${1:?usage: bench/editor.sh BUILD_DIR [RUNS]}
runs=${2:-10}
build=$(cd "$build" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

cmake --build "$build" --target kelpo startup_probe editor_bench >/dev/null

"$here/../tests/e2e/run-in-x.sh" sh -c '
  build=$1 runs=$2
  tmp=$(mktemp -d)
  trap "rm -rf \"\$tmp\"" EXIT
  # One start unmeasured, so the libraries are in the page cache.
  "$build/startup_probe" "$build/kelpo" --data-dir "$tmp/warm" >/dev/null
  : >"$tmp/startup"
  for i in $(seq 1 "$runs"); do
    "$build/startup_probe" "$build/kelpo" --data-dir "$tmp/data$i" >>"$tmp/startup"
  done
  start=$(sort -n "$tmp/startup" | awk "{ v[NR] = \$1 } END {
    if (NR % 2) print v[(NR + 1) / 2]; else printf \"%.1f\n\", (v[NR / 2] + v[NR / 2 + 1]) / 2 }")
  "$build/editor_bench" "$tmp/editor" "$runs" >"$tmp/editor.out" || { cat "$tmp/editor.out"; exit 1; }
  edit=$(awk "/^median/ { print \$2 }" "$tmp/editor.out")
  echo "Editor opening against start-up, medians of $runs (ms)"
  printf "%-34s %10s\n" "start-up (start to main window)" "$start"
  printf "%-34s %10s\n" "editor (click to shown and painted)" "$edit"
  awk -v e="$edit" -v s="$start" "BEGIN {
    printf \"ratio %.2f; goal (under 0.5): %s\n\", e / s, (e < 0.5 * s) ? \"met\" : \"NOT met\" }"
  echo "load average: $(cut -d" " -f1-3 /proc/loadavg)"
' sh "$build" "$runs"
