#!/bin/sh
# Starts Rigvox as the desktop menu entry does: in the user's working folder
# ~/rigvox, made on the first start with a link to the installed prompts.
# No rigvox.cfg is put there: without one, Rigvox looks for the radio on the
# serial ports and writes the file itself. A folder set up earlier (by
# rigvox-setup or by hand) is used as it is.
set -eu

here=$(dirname "$(readlink -f "$0")")
folder="$HOME/rigvox"

mkdir -p "$folder"
if [ ! -e "$folder/wave" ] && [ ! -L "$folder/wave" ] && [ -d "$here/../share/rigvox/wave" ]; then
  ln -s "$(cd "$here/../share/rigvox/wave" && pwd)" "$folder/wave"
fi
cd "$folder"
# The rigvox beside this script, so an installation outside PATH starts its own.
if [ -x "$here/rigvox" ]; then
  exec "$here/rigvox"
fi
exec rigvox
