#!/usr/bin/env bash
# Makes a release with one command, on Debian or Ubuntu:
#
#   tools/release.sh
#
# and leaves in dist/ (emptied first):
#   rigvox_<version>_amd64.deb      the Debian package
#   rigvox-<version>-windows.zip    the Windows program folder
#   rigvox-<version>-windows.exe    the Windows installer
#   keycard.txt                     the key card
#   SHA256SUMS                      their checksums (sha256sum -c SHA256SUMS)
#
# Installs what is missing, then builds without the tests in build-release/
# (RIGVOX_RELEASE_BUILD_DIR chooses another folder) and the Windows build
# with tools/build-windows.sh (in build-windows/, or RIGVOX_WINDOWS_BUILD_DIR).
# Run the tests first: tools/test.sh and tools/test-windows.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_RELEASE_BUILD_DIR:-$root/build-release}"
wbuild="${RIGVOX_WINDOWS_BUILD_DIR:-$root/build-windows}"
dist="$root/dist"
jobs="$(nproc 2>/dev/null || echo 2)"

card="$root/docs/keycard.txt"
[ -f "$card" ] || { echo "release: no key card at $card" >&2; exit 1; }
if git -C "$root" status --porcelain 2>/dev/null | grep -q .; then
  echo "release: note: the working tree has uncommitted changes" >&2
fi

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGVOX_PROMPTS=ON -DRIGVOX_TESTS=OFF
cmake --build "$build" -j"$jobs"
RIGVOX_WINDOWS_BUILD_DIR="$wbuild" "$root/tools/build-windows.sh"

rm -rf "$dist"
mkdir -p "$dist"
packing="$(mktemp -d)"
trap 'rm -rf "$packing"' EXIT
(cd "$build" && cpack -G DEB -B "$packing")
mv "$packing"/rigvox_*.deb "$dist/"
cp "$wbuild"/rigvox-*-windows.zip "$wbuild"/rigvox-*-windows.exe "$dist/"
cp "$card" "$dist/keycard.txt"
(cd "$dist" && sha256sum -- rigvox* keycard.txt >SHA256SUMS)

echo "release: in $dist:"
(cd "$dist" && ls -l)
