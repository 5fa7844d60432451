#!/usr/bin/env bash
# Auto Insert benchmark: the time from a real click on "Auto Insert" to the log-in form of
# our own test helper having been submitted (user name, password, Enter), over RUNS runs
# (default 30) each for a log-in on the keymap and one with characters off it, with the
# median and the maximum, under a private X server and window manager.
# Goal: well under 150 ms.
# Usage: bench/autoinsert.sh BUILD_DIR [RUNS]   (a build with the tests: it needs their
# helper programs; a build without sanitizers gives the numbers that matter)
set -eu
build=${1:?usage: bench/autoinsert.sh BUILD_DIR [RUNS]}
runs=${2:-30}
build=$(cd "$build" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

if ! log=$(cmake --build "$build" --target kelpo formtarget makeentry layoutprobe 2>&1); then
  echo "$log" | tail -n 20 >&2
  echo "autoinsert.sh: cannot build kelpo and the test helpers in $build" \
    "(a build configured with KELPO_TESTS=ON)" >&2
  exit 1
fi
export KELPO_BUILD="$build" KELPO_BIN="$build/kelpo"
export ASAN_OPTIONS=detect_leaks=0
exec "$here/../tests/e2e/run-in-x.sh" python3 "$here/autoinsert.py" "$runs"
