#!/usr/bin/env bash
# Sets up this machine, builds Rigvox and runs every test: the unit tests,
# then the end-to-end tests (real program, virtual radio, typed keys), each
# on a virtual X display of its own, so no window or keystroke ever reaches
# your desktop. Extra arguments go to both ctest runs (e.g. -R startup).
# RIGVOX_BUILD_DIR chooses the build folder (default: build/ in the source);
# RIGVOX_TEST_JOBS how many tests run at once (default: three per core).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_BUILD_DIR:-$root/build}"
cores="$(nproc 2>/dev/null || echo 2)"
# Most tests wait (on prompts, the radio, timers) far more than they
# compute: three at a time per core keep a two-core machine busy without
# crowding it.
jobs="${RIGVOX_TEST_JOBS:-$((cores * 3))}"

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGVOX_PROMPTS=ON
cmake --build "$build" -j"$cores"

status=0
echo "=== Unit tests ==="
ctest --test-dir "$build" --output-on-failure -LE e2e -j"$jobs" "$@" || status=1
if compgen -G "$root/tests/e2e/test_*.py" >/dev/null; then
  echo "=== End-to-end tests ==="
  ctest --test-dir "$build" --output-on-failure -L e2e -j"$jobs" "$@" || status=1
fi
exit $status
