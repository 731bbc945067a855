#!/usr/bin/env bash
# Speed benchmarks of the real program (not tests: figures with their goals):
# idle CPU, key-to-command reaction, the flow of spoken prompts through the
# sound device, poll fidelity, peak memory, start-up time, the exchanges with
# a radio answering in 10 ms, plain rigctl through the pass-through port, and
# what the poll, the ports and the keys get while a readout sounds on a real
# sink (listen: a PulseAudio null sink, the benchmark's own server when none
# runs). Each is run --runs times (default 3) and reported as a median;
# docs/benchmarks.md says what each measures and holds the last figures.
#
#   tools/bench.sh [--runs N] [--json FILE] [idle|reaction|speech|poll|memory|startup|exchange|passthrough|listen ...]
#
# RIGVOX_BUILD chooses the build folder (default: build/ in the source); it
# needs rigvox, virtual-radio and the recorded prompts (wave/). The window
# goes to $DISPLAY, or to an Xvfb of its own when none is set. Run it on an
# otherwise idle machine: other load shows in every figure.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_BUILD:-$root/build}"

cmake --build "$build" --target rigvox virtual-radio >/dev/null
if [[ ! -e $build/wave/.made ]] && grep -qx '... prompts' <(cmake --build "$build" --target help); then
    cmake --build "$build" --target prompts >/dev/null
fi
[[ -d $build/wave ]] || { echo "bench: no prompts in $build/wave (tools/make-prompts.sh $build/wave)" >&2; exit 1; }
RIGVOX_BUILD="$build" RIGVOX_SOURCE="$root" exec python3 "$root/tools/bench/bench.py" "$@"
