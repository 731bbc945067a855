#!/usr/bin/env bash
# Makes a Rigvox working folder for the current user: a rigvox.cfg to edit and
# the voice prompts. Rigvox reads and writes its files in the folder it is
# started from.
#
#   rigvox-setup [FOLDER]      (default: ~/rigvox)
set -euo pipefail

here="$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)"
share="$(cd "$here/../share/rigvox" 2>/dev/null && pwd || true)"
if [ -z "$share" ] || [ ! -f "$share/rigvox.cfg" ]; then
  echo "rigvox-setup: cannot find share/rigvox beside $here" >&2
  exit 1
fi
folder="${1:-$HOME/rigvox}"

mkdir -p "$folder"
if [ -e "$folder/rigvox.cfg" ]; then
  echo "rigvox-setup: keeping the existing $folder/rigvox.cfg"
else
  cp "$share/rigvox.cfg" "$folder/rigvox.cfg"
fi
if [ -e "$folder/wave" ] || [ -L "$folder/wave" ]; then
  echo "rigvox-setup: keeping the existing $folder/wave"
else
  ln -s "$share/wave" "$folder/wave"
fi

cat <<TEXT
Rigvox folder ready: $folder
1. Connect the radio and tell Rigvox its port. Port N in rigvox.cfg is the
   file comN in this folder, else /dev/ttyS<N-1>; for a USB cable:
     ln -s /dev/ttyUSB0 "$folder/com1"
   (your user needs to be in the dialout group).
2. Check the speed and the other lines of $folder/rigvox.cfg.
3. Start it from the folder:  cd "$folder" && rigvox
4. A logger or digital-mode program reaches the radio through Rigvox as
   Hamlib "NET rigctl" (model 2) at 127.0.0.1:4532 (the line RIGCTLD=4532
   of rigvox.cfg; RIGCTLD=0 closes that port).
TEXT
