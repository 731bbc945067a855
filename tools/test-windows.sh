#!/usr/bin/env bash
# The Windows build's tests under Wine, on Linux: builds it (tools/build-windows.sh,
# packages included) and the Linux virtual radio and prompts, then on a virtual
# X display runs the unit tests cross-built for Windows and the end-to-end
# suite tests/wine (rigvox.exe against the virtual radio on COM1, COM5, COM12).
# Extra arguments go to the end-to-end suite (e.g. WindowsOnly).
# `tools/test-windows.sh --bench [ARGS]` runs tools/bench/bench_windows.py
# (the Windows benchmarks) in the same set-up instead of the tests.
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
echo "=== Unit tests under Wine ==="
ctest --test-dir "$wbuild" --output-on-failure -L wine || status=1
echo "=== End-to-end tests under Wine ==="
python3 "$root/tests/wine/test_wine_e2e.py" "$@" || status=1

echo "=== Installer under Wine ==="
# Silent install as an ordinary user: programs and prompts in the user's own
# program folder, the working folder in Documents, the Start-menu shortcuts;
# silent removal keeps only the user's rigvox.cfg.
installer_check() {
  # The profile Wine made for this user (named after $USER, or the account).
  local home
  home=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
  local program="$home/AppData/Local/Programs/Rigvox" work="$home/Documents/Rigvox"
  local menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
  wine "$wbuild/rigvox-3.4a-windows.exe" /S >>"$wbuild/installer.log" 2>&1 </dev/null || return 1
  for f in "$program/rigvox.exe" "$program/rigvox-sim.exe" "$program/wave/delay.wav" \
           "$program/Uninstall.exe" "$work/rigvox.cfg" "$work/wave/delay.wav"; do
    [ -f "$f" ] || { echo "installer: $f is missing"; return 1; }
  done
  cmp -s "$work/rigvox.cfg" "$root/tools/sample-rigvox.cfg" ||
    { echo "installer: the working folder's rigvox.cfg is not the sample"; return 1; }
  compgen -G "$menu/*/Rigvox.lnk" >/dev/null || { echo "installer: no Start-menu shortcut"; return 1; }
  wine "$program/Uninstall.exe" /S >>"$wbuild/installer.log" 2>&1 </dev/null || return 1
  # The uninstaller copies itself away and finishes in the background.
  for _ in $(seq 50); do [ -e "$program" ] || break; sleep 0.2; done
  [ ! -e "$program" ] || { echo "installer: $program was not removed"; return 1; }
  [ ! -e "$work/wave" ] || { echo "installer: the prompt copy was not removed"; return 1; }
  [ -f "$work/rigvox.cfg" ] || { echo "installer: the removal took the user's rigvox.cfg"; return 1; }
  ! compgen -G "$menu/*/Rigvox.lnk" >/dev/null || { echo "installer: shortcut left"; return 1; }
  echo "installer: installed and removed for the user"
}
installer_check || status=1
exit $status
