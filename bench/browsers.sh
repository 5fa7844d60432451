#!/usr/bin/env bash
# Typing into real browsers: Kelpo against `xdotool type` (default delay and --delay 0) into
# our log-in page in Chromium and Firefox ESR, 10 runs (by default) of a 200-character clip
# and of an Auto Insert log-in, in one private X server with a window manager.
# Goal: every Kelpo run correct, the 200 characters in at most a tenth of xdotool's default time.
# Usage: bench/browsers.sh KELPO_BUILD_DIR HELPER_BUILD_DIR [RUNS [BROWSER...]]
# (the program from the first build, the test helpers from the second, configured with
# KELPO_TESTS=ON; a build without sanitizers gives the numbers that matter)
set -eu
usage="usage: bench/browsers.sh KELPO_BUILD_DIR HELPER_BUILD_DIR [RUNS [BROWSER...]]"
build=${1:?$usage}
helpers=${2:?$usage}
runs=${3:-10}
shift $(($# < 3 ? $# : 3))
build=$(cd "$build" && pwd)
helpers=$(cd "$helpers" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

if ! log=$(cmake --build "$build" --target kelpo 2>&1) ||
   ! log=$(cmake --build "$helpers" --target makeentry layoutprobe sendkeys 2>&1); then
  echo "$log" | tail -n 20 >&2
  echo "browsers.sh: cannot build kelpo in $build and the test helpers in $helpers" >&2
  exit 1
fi
export KELPO_BUILD="$helpers" KELPO_BIN="$build/kelpo"
export ASAN_OPTIONS=detect_leaks=0
exec "$here/../tests/e2e/run-in-x.sh" python3 "$here/browsers.py" "$runs" "$@"
