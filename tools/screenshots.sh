#!/usr/bin/env bash
# Renews the pictures of the help pages (docs/screenshots) from the real program, run
# under a private X server and window manager over a sample data folder.
# Usage: tools/screenshots.sh BUILD_DIR   (a build tree with kelpo and the test helpers;
#        make screenshots builds build/test and passes it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: tools/screenshots.sh BUILD_DIR}" && pwd)
export KELPO_BIN="$build/kelpo" KELPO_BUILD="$build"
# The test tree is built with the sanitizers; Qt's own leaks at exit are no concern here.
export ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}"
exec "$root/tests/e2e/run-in-x.sh" python3 "$root/tools/screenshots.py" "$root/docs/screenshots"
