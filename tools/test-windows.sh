#!/usr/bin/env bash
# The Windows build's tests under Wine, on Linux: builds it (tools/build-windows.sh,
# packages included) and the Linux virtual radio and prompts, then on a virtual
# X display runs the unit tests cross-built for Windows and the end-to-end
# suite tests/wine (rigvox.exe against the virtual radio on COM1, COM5, COM12).
# Extra arguments go to the end-to-end suite (e.g. WindowsOnly).
# `tools/test-windows.sh --bench [ARGS]` runs tools/bench/bench_windows.py
# (the Windows benchmarks) in the same set-up instead of the tests;
# `tools/test-windows.sh --installer` runs only the installer check.
#
# Wine is prepared once for the run, in a fresh prefix in the Windows build
# folder: the serial ports are pinned in the registry (Wine's mount manager
# would otherwise point com1.. at /dev/ttyS* again at each start) to a link
# the virtual radio re-points at its pseudo-terminal; Wine manages no window
# (Xvfb has no window manager); one `wineserver -p` serves the whole run, so
# no program under test starts a server that takes the radio's terminal as
# its own; it is ended at the end.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_BUILD_DIR:-$root/build}"
wbuild="${RIGVOX_WINDOWS_BUILD_DIR:-$root/build-windows}"

export WINEPREFIX="$wbuild/wine-prefix"
export WINEARCH=win64 WINEDEBUG=-all
# No game-controller and USB drivers (their polling costs Wine idle time);
# no .NET or HTML engine to offer to download while the prefix is made.
export WINEDLLOVERRIDES="winebus.sys,wineusb.sys=d;mscoree,mshtml="
export RIGVOX_BUILD="$build" RIGVOX_WINDOWS_BUILD="$wbuild" RIGVOX_SOURCE="$root"

if [ -z "${RIGVOX_WINE_DISPLAY_READY:-}" ]; then
  "$root/tools/install-deps.sh"
  "$root/tools/build-windows.sh"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGVOX_PROMPTS=ON
  cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target virtual-radio prompts
  RIGVOX_WINE_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

echo "=== Wine prefix ==="
start=$(date +%s)
rm -rf "$WINEPREFIX"
wineboot -i >"$wbuild/wineboot.log" 2>&1
wineserver -w
link="$WINEPREFIX/rigvox-com"
cat >"$wbuild/wine-settings.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]
"COM1"="$link"
"COM5"="$link"
"COM12"="$link"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
REG
wine regedit /S "$(winepath -w "$wbuild/wine-settings.reg")" >>"$wbuild/wineboot.log" 2>&1
# Wine links the profile's Documents, Desktop and the like to the host's home
# folder: made real folders of the prefix, the installer check neither finds
# an old run's files there nor leaves its own in the home folder.
for shell_link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$shell_link" ]; then rm -f "$shell_link" && mkdir -p "$shell_link"; fi
done
# The server of the set-up ends; the mount manager reads the pinned ports
# when the next one starts.
wineserver -w
echo "prefix ready in $(( $(date +%s) - start )) s"

# Returns once the server accepts clients; it stays in the background.
setsid wineserver -p >"$wbuild/wineserver.log" 2>&1 </dev/null
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's own services (the desktop, the device manager) start with the first
# program and stay for the run: started here, they do not hold a test's
# output pipe open, which CTest would wait on.
wine wineboot >>"$wbuild/wineboot.log" 2>&1 </dev/null

if [ "${1:-}" = "--bench" ]; then
  shift
  # The Windows benchmarks instead of the tests (docs/benchmarks.md).
  python3 "$root/tools/bench/bench_windows.py" "$@"
  exit
fi

status=0
if [ "${1:-}" = "--installer" ]; then
  shift  # the installer check alone
else
  echo "=== Unit tests under Wine ==="
  ctest --test-dir "$wbuild" --output-on-failure -L wine || status=1
  echo "=== End-to-end tests under Wine ==="
  python3 "$root/tests/wine/test_wine_e2e.py" "$@" || status=1
fi

echo "=== Installer under Wine ==="
# Silent install as an ordinary user, as a newcomer would: programs,
# prompts and key card in the user's own program folder, the working folder
# in Documents with the prompts and no rigvox.cfg, the Start-menu entries.
# Rigvox started from its shortcut finds the radio on a COM port by itself.
# An update and the removal keep the user's own files: a recording of their
# own, one re-recorded under a prompt's name, rigvox.cfg.
installer_check() {
  # The profile Wine made for this user (named after $USER, or the account).
  local home
  home=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
  local program="$home/AppData/Local/Programs/Rigvox" work="$home/Documents/Rigvox"
  local menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Rigvox"
  local installer="$wbuild/rigvox-3.4a-windows.exe"
  wine "$installer" /S >>"$wbuild/installer.log" 2>&1 </dev/null || return 1
  for f in "$program/rigvox.exe" "$program/rigvox-sim.exe" "$program/wave/delay.wav" \
           "$program/keycard.txt" "$program/rigvox-sample.cfg" "$program/Uninstall.exe" \
           "$work/wave/delay.wav" "$menu/Rigvox.lnk" "$menu/Rigvox key card.lnk" \
           "$menu/Rigvox working folder.lnk" "$menu/Uninstall.lnk"; do
    [ -f "$f" ] || { echo "installer: $f is missing"; return 1; }
  done
  [ "$(ls "$work/wave" | wc -l)" = "$(ls "$program/wave" | wc -l)" ] ||
    { echo "installer: the working folder lacks prompts"; return 1; }
  [ ! -e "$work/rigvox.cfg" ] || { echo "installer: it wrote a rigvox.cfg"; return 1; }

  # Started as the Start menu starts it: Rigvox finds the radio and writes rigvox.cfg.
  python3 "$root/tests/wine/installed_start.py" "$menu/Rigvox.lnk" || return 1

  # The user's own files, then an update over them.
  printf 'RIFF own recording' >"$work/wave/mine.wav"
  printf 'RIFF own seven' >"$work/wave/7.wav"
  cp "$work/rigvox.cfg" "$wbuild/rigvox.cfg.before"
  rm -f "$work/wave/delay.wav"
  wine "$installer" /S >>"$wbuild/installer.log" 2>&1 </dev/null || return 1
  [ -f "$work/wave/delay.wav" ] || { echo "installer: the update did not renew a prompt"; return 1; }
  [ "$(cat "$work/wave/mine.wav")" = "RIFF own recording" ] &&
    [ "$(cat "$work/wave/7.wav")" = "RIFF own seven" ] ||
    { echo "installer: the update replaced the user's recordings"; return 1; }
  cmp -s "$work/rigvox.cfg" "$wbuild/rigvox.cfg.before" ||
    { echo "installer: the update changed rigvox.cfg"; return 1; }

  wine "$program/Uninstall.exe" /S >>"$wbuild/installer.log" 2>&1 </dev/null || return 1
  # The uninstaller copies itself away and finishes in the background.
  for _ in $(seq 50); do [ -e "$program" ] || break; sleep 0.2; done
  [ ! -e "$program" ] || { echo "installer: $program was not removed"; return 1; }
  [ ! -e "$work/wave/delay.wav" ] || { echo "installer: the placed prompts were not removed"; return 1; }
  [ "$(ls "$work/wave")" = "$(printf '7.wav\nmine.wav')" ] ||
    { echo "installer: the removal took the user's recordings: $(ls "$work/wave")"; return 1; }
  cmp -s "$work/rigvox.cfg" "$wbuild/rigvox.cfg.before" ||
    { echo "installer: the removal took the user's rigvox.cfg"; return 1; }
  [ ! -e "$menu" ] || { echo "installer: Start-menu entries left: $(ls "$menu")"; return 1; }
  echo "installer: installed, started from the Start menu, updated and removed; the user's files kept"
}
installer_check || status=1
exit $status
