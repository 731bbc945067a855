#!/usr/bin/env bash
# Soak run: the real program against the virtual radio for a day's worth of
# poll ticks (1,728,000 queries of the product's 50 ms tick), with the tick
# shortened to 1 ms in the test-only build rigvox-soak, so it takes about
# half an hour. Samples resident memory, open descriptors and the poll rate,
# and fails when memory grows, a descriptor is left open, the rate falls off,
# the link is lost more than now and then (at a 1 ms tick some 20 ms of a
# busy machine's silence already count as a loss) or is down at the end, or
# the program does not end cleanly.
#
#   tools/soak.sh [--queries N] [--tick-ms MS] [--max-seconds S] [--every S] [--json FILE]
#
# RIGVOX_BUILD chooses the build folder (default: build/ in the source). The
# window goes to $DISPLAY, or to an Xvfb of its own when none is set.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_BUILD:-$root/build}"

cmake --build "$build" --target rigvox-soak virtual-radio >/dev/null
if [[ ! -e $build/wave/.made ]] && grep -qx '... prompts' <(cmake --build "$build" --target help); then
    cmake --build "$build" --target prompts >/dev/null
fi
RIGVOX_BUILD="$build" RIGVOX_SOURCE="$root" exec python3 "$root/tools/bench/soak.py" "$@"
