#!/usr/bin/env bash
# Installs every Debian/Ubuntu package Rigvox needs to build, make its voice
# prompts and run its tests. Packages already present are not fetched again,
# so a second run works offline. Uses sudo only when not run as root.
# With --list it only prints the package names, one a line.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core libspeechd-dev libbrlapi-dev brltty
  libgtest-dev
  espeak-ng sox
  xvfb xauth xdotool imagemagick python3 socat libhamlib-utils python3-hamlib desktop-file-utils
  g++-mingw-w64-x86-64-posix nsis wine wine64 fonts-liberation
)

if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
