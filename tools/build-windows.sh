#!/usr/bin/env bash
# Cross-builds Rigvox for Windows on Debian/Ubuntu with mingw-w64 and packs it.
#
#   tools/build-windows.sh [--no-package]
#
# Installs what it needs when missing (the cross-compiler, NSIS, and the
# prompt recorder), then builds into build-windows/ (RIGVOX_WINDOWS_BUILD_DIR
# chooses another folder): rigvox.exe and rigvox-sim.exe, statically linked,
# the unit tests (run them under Wine with tools/test-windows.sh) and the
# voice prompts in wave/, recorded by espeak-ng as for Linux. Then packs
#   rigvox-3.4a-windows.zip  the program folder: unpack, start rigvox.exe
#   rigvox-3.4a-windows.exe  an installer for a user without administrator rights
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_WINDOWS_BUILD_DIR:-$root/build-windows}"
jobs="$(nproc 2>/dev/null || echo 2)"

packages=(g++-mingw-w64-x86-64-posix nsis cmake ccache libgtest-dev espeak-ng sox)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGVOX_PROMPTS=ON
cmake --build "$build" -j"$jobs"

if [ "${1:-}" != "--no-package" ]; then
  (cd "$build" && cpack -C RelWithDebInfo)
  echo "build-windows: packages in $build:"
  ls -1 "$build"/rigvox-*-windows.*
fi
