#!/usr/bin/env bash
# Kelpo typing into Chromium on Wayland (a private headless sway, Chromium a native Wayland
# client) beside the same on X11 (a private Xvfb + openbox), in one run: 10 runs (by
# default) each of a 200-character clip and of an Auto Insert log-in, from a real click to
# the page's report of the whole text.
# Usage: bench/wayland.sh KELPO_BUILD_DIR HELPER_BUILD_DIR [RUNS]
# (the program from the first build, the test helpers from the second, configured with
# KELPO_TESTS=ON; a build without sanitizers gives the numbers that matter)
set -eu
usage="usage: bench/wayland.sh KELPO_BUILD_DIR HELPER_BUILD_DIR [RUNS]"
build=${1:?$usage}
helpers=${2:?$usage}
runs=${3:-10}
build=$(cd "$build" && pwd)
helpers=$(cd "$helpers" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

if ! log=$(cmake --build "$build" --target kelpo 2>&1) ||
   ! log=$(cmake --build "$helpers" --target makeentry layoutprobe sendkeys wlseat 2>&1); then
  echo "$log" | tail -n 20 >&2
  echo "wayland.sh: cannot build kelpo in $build and the test helpers in $helpers" >&2
  exit 1
fi
export KELPO_BUILD="$helpers" KELPO_BIN="$build/kelpo"
export ASAN_OPTIONS=detect_leaks=0
x11=$("$here/../tests/e2e/run-in-x.sh" python3 "$here/wayland.py" x11 "$runs" | grep '^RESULTS ')
wayland=$("$here/../tests/e2e/run-in-sway.sh" python3 "$here/wayland.py" wayland "$runs" |
          grep '^RESULTS ')
python3 - "$runs" "${x11#RESULTS }" "${wayland#RESULTS }" <<'PY'
import json, statistics, sys
runs, x11, wayland = int(sys.argv[1]), json.loads(sys.argv[2]), json.loads(sys.argv[3])
print("Kelpo into Chromium, %d runs each; ms from the click to the page's report (correct runs)"
      % runs)
print("  %-15s %-8s %8s %9s %9s" % ("case", "server", "correct", "median", "max"))
ok = True
for case in ("200 characters", "log-in"):
    medians = {}
    for server, results in (("X11", x11), ("Wayland", wayland)):
        times = [ms for ms, good in results[case] if good]
        correct = sum(good for _, good in results[case])
        ok = ok and correct == runs
        medians[server] = statistics.median(times) if times else None
        print("  %-15s %-8s %5d/%-3d %9s %9s" % (
            case, server, correct, runs, "%.1f" % medians[server] if times else "-",
            "%.1f" % max(times) if times else "-"))
    if medians["X11"] and medians["Wayland"]:
        print("  %-15s Wayland / X11: %.2f" % (case, medians["Wayland"] / medians["X11"]))
print("every run correct: %s" % ("yes" if ok else "NO"))
sys.exit(0 if ok else 1)
PY
