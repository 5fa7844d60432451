#!/usr/bin/env bash
# Typing benchmark: speed and correctness of the X11 key sender, 30 runs (by default) of a
# 40-character mixed string into a real window, under the us, de and fr layouts in a
# private X server with a window manager. Reports the median and max time per string.
# Usage: bench/typing.sh BUILD_DIR [RUNS]
set -eu
build=${1:?usage: bench/typing.sh BUILD_DIR [RUNS]}
runs=${2:-30}
build=$(cd "$build" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

cmake --build "$build" --target typing_bench typing_target >/dev/null

status=0
for layout in us de fr; do
  echo "== layout $layout"
  "$here/../tests/e2e/run-in-x.sh" sh -c \
    "setxkbmap $layout && '$build/typing_bench' '$build/typing_target' $runs" || status=1
done
exit $status
