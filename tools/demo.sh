#!/usr/bin/env bash
# Sets up this machine, builds Rigvox, records its voice prompts and starts it
# in a ready demo folder, talking to a virtual Kenwood radio on a
# pseudo-terminal. Needs a graphical desktop session (the program's window
# takes the keys) and speakers.
#
#   tools/demo.sh          rigvox with the virtual radio
#   tools/demo.sh --sim    rigvox-sim: canned answers, no radio at all
#
# Any other arguments are passed to the virtual radio. RIGVOX_BUILD_DIR and
# RIGVOX_DEMO_DIR choose the build folder (default build/) and the demo
# folder (default demo/), both inside the source tree.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_BUILD_DIR:-$root/build}"
demo="${RIGVOX_DEMO_DIR:-$root/demo}"
jobs="$(nproc 2>/dev/null || echo 2)"
sim=0
if [ "${1:-}" = "--sim" ]; then
  sim=1
  shift
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no desktop session (DISPLAY is not set): Rigvox takes its keys in a window." >&2
  exit 1
fi

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGVOX_PROMPTS=ON
# Only what the demo runs: the tests are built by tools/test.sh.
cmake --build "$build" -j"$jobs" --target rigvox rigvox-sim virtual-radio prompts

# The demo folder: configuration, prompts, and the radio's port as com1.
mkdir -p "$demo"
[ -f "$demo/rigvox.cfg" ] || cp "$root/tools/sample-rigvox.cfg" "$demo/rigvox.cfg"
ln -sfn "$build/wave" "$demo/wave"
cd "$demo"

if [ "$sim" = 1 ]; then
  echo "demo: starting rigvox-sim in $demo (q quits, h plays the help)"
  exec "$build/rigvox-sim"
fi

radio=""
for candidate in "$build/virtual-radio" "$build/tools/virtual-radio/virtual-radio"; do
  if [ -x "$candidate" ]; then
    radio="$candidate"
    break
  fi
done
if [ -z "$radio" ]; then
  echo "demo: the virtual radio was not built; try tools/demo.sh --sim" >&2
  exit 1
fi

rm -f "$demo/com1"
"$radio" --link "$demo/com1" "$@" &
radio_pid=$!
trap 'kill "$radio_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "$demo/com1" ] && break
  sleep 0.1
done
if [ ! -e "$demo/com1" ]; then
  echo "demo: the virtual radio did not make $demo/com1" >&2
  exit 1
fi

echo "demo: starting rigvox in $demo with the virtual radio on com1 (q quits, h plays the help)"
"$build/rigvox"
