#!/usr/bin/env bash
# Sets up this machine, builds Rigvox and runs every test: the unit tests,
# then the end-to-end tests (real program, virtual radio, typed keys) on a
# virtual X display, so no window or keystroke ever reaches your desktop.
# Extra arguments go to both ctest runs (e.g. -R startup).
# RIGVOX_BUILD_DIR chooses the build folder (default: build/ in the source).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGVOX_PROMPTS=ON
cmake --build "$build" -j"$jobs"

status=0
echo "=== Unit tests ==="
ctest --test-dir "$build" --output-on-failure -LE e2e -j"$jobs" "$@" || status=1
if compgen -G "$root/tests/e2e/test_*.py" >/dev/null; then
  echo "=== End-to-end tests ==="
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$build" --output-on-failure -L e2e "$@" || status=1
fi
exit $status
