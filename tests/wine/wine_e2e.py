"""End-to-end harness for the Windows build under Wine, on the Linux one.

WineSession is the Linux harness's Session (tests/e2e/rigvox_e2e.py) with
rigvox.exe run by Wine instead of the Linux program: the same working
directory, speech log (RIGVOX_SPEECH_LOG as a Windows path to the same host
file), virtual radio, screen regions and real X key events, so a scenario
written for Linux runs unchanged against the Windows program.

The Wine side is prepared once by tools/test-windows.sh (see there): a
prefix in $WINEPREFIX whose COM1, COM5 and COM12 are pinned in the registry
to the link $WINEPREFIX/rigvox-com (the virtual radio re-points it at its
pseudo-terminal for each session), and one `wineserver -p` for the run.

    RIGVOX_BUILD          Linux build (virtual-radio, wave/)
    RIGVOX_WINDOWS_BUILD  Windows build (rigvox.exe, rigvox-sim.exe)
"""

import ctypes
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "e2e"))
import rigvox_e2e  # noqa: E402
from rigvox_e2e import HarnessError, Session, wait_until, xdotool  # noqa: E402

WINDOWS_BUILD = os.environ.get("RIGVOX_WINDOWS_BUILD") or os.path.join(rigvox_e2e.SOURCE,
                                                                      "build-windows")
PREFIX = os.environ.get("WINEPREFIX", "")
RADIO_LINK = os.path.join(PREFIX, "rigvox-com")
# The ports pinned to RADIO_LINK; any of them reaches the session's radio.
PINNED_PORTS = (1, 5, 12)
CLIENT_ORIGIN = rigvox_e2e.WINDOW_POSITION


def windows_path(path):
    """The host path as the Windows program names it (Wine's Z: drive)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def _wine():
    for name in ("wine", "wine64"):
        for folder in os.environ.get("PATH", "").split(os.pathsep):
            candidate = os.path.join(folder, name)
            if os.access(candidate, os.X_OK):
                return candidate
    raise HarnessError("wine is not installed (tools/install-deps.sh installs it)")


# ---------------------------------------------------------------------------
# X keyboard through XTEST: real key events, keypad keys by their key codes
# ---------------------------------------------------------------------------

class _X:
    lib = None
    xtst = None

    @classmethod
    def open(cls):
        if cls.lib is None:
            cls.lib = ctypes.CDLL("libX11.so.6")
            cls.xtst = ctypes.CDLL("libXtst.so.6")
            cls.lib.XOpenDisplay.restype = ctypes.c_void_p
            cls.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
            cls.lib.XStringToKeysym.restype = ctypes.c_ulong
            cls.lib.XStringToKeysym.argtypes = [ctypes.c_char_p]
            cls.lib.XKeysymToKeycode.restype = ctypes.c_ubyte
            cls.lib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
            cls.lib.XDefaultRootWindow.restype = ctypes.c_ulong
            cls.lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
            cls.lib.XQueryPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + \
                [ctypes.c_void_p] * 7
            cls.lib.XFlush.argtypes = [ctypes.c_void_p]
            cls.lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
            cls.lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
            cls.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        dpy = cls.lib.XOpenDisplay(os.environ["DISPLAY"].encode())
        if not dpy:
            raise HarnessError("cannot open display %s" % os.environ.get("DISPLAY"))
        return dpy


def num_lock_on():
    """True when the X server's Num Lock is locked on (Mod2 held)."""
    dpy = _X.open()
    try:
        root = ctypes.c_ulong()
        child = ctypes.c_ulong()
        rx, ry, wx, wy = (ctypes.c_int() for _ in range(4))
        mask = ctypes.c_uint()
        _X.lib.XQueryPointer(dpy, _X.lib.XDefaultRootWindow(dpy), ctypes.byref(root),
                             ctypes.byref(child), ctypes.byref(rx), ctypes.byref(ry),
                             ctypes.byref(wx), ctypes.byref(wy), ctypes.byref(mask))
        return bool(mask.value & 0x10)  # Mod2Mask
    finally:
        _X.lib.XCloseDisplay(dpy)


def press_keycode(keysym_name):
    """Presses and releases the key that carries keysym_name, by its key
    code, with no modifier added (xdotool would add Shift or drop Num Lock
    for a keypad key, and Wine would then see another key)."""
    dpy = _X.open()
    try:
        code = _X.lib.XKeysymToKeycode(dpy, _X.lib.XStringToKeysym(keysym_name.encode()))
        if not code:
            raise HarnessError("no key code for %s" % keysym_name)
        _X.xtst.XTestFakeKeyEvent(dpy, code, 1, 0)
        _X.lib.XFlush(dpy)
        time.sleep(0.04)
        _X.xtst.XTestFakeKeyEvent(dpy, code, 0, 0)
        _X.lib.XSync(dpy, 0)
    finally:
        _X.lib.XCloseDisplay(dpy)


def ensure_num_lock():
    """Locks Num Lock on (the keypad then gives its digits under Wine)."""
    if not num_lock_on():
        press_keycode("Num_Lock")
        wait_until(num_lock_on, 5, "Num Lock to be on")


# ---------------------------------------------------------------------------
# The session
# ---------------------------------------------------------------------------

class WineSession(Session):
    """A Session running rigvox.exe (or rigvox-sim.exe) under Wine. The
    radio, when asked for, serves every pinned port (COM1, COM5, COM12)."""

    def __init__(self, *args, binary="rigvox", **kwargs):
        super().__init__(*args, binary=binary, **kwargs)
        name = binary if binary.endswith(".exe") else binary + ".exe"
        self.binary = name if os.sep in name else os.path.join(WINDOWS_BUILD, name)
        self.client_offset = None

    def start(self):
        if not PREFIX or not os.path.isdir(PREFIX):
            raise HarnessError("WINEPREFIX is not a prepared prefix (run tools/test-windows.sh)")
        # The Linux harness starts [self.binary] with the session's
        # environment; under Wine, wine goes in front of it and the speech
        # log is named as Windows names it.
        exe, wine = self.binary, _wine()
        original_popen = subprocess.Popen

        def popen(cmd, *a, **kw):
            if cmd == [exe]:
                cmd = [wine, exe]
                env = dict(kw.get("env") or os.environ)
                env["RIGVOX_SPEECH_LOG"] = windows_path(env["RIGVOX_SPEECH_LOG"])
                kw["env"] = env
            return original_popen(cmd, *a, **kw)

        subprocess.Popen = popen
        try:
            return super().start()
        finally:
            subprocess.Popen = original_popen

    def start_radio(self, options=(), port=1, link=None):
        """The radio on RADIO_LINK, which every pinned port leads to."""
        if link is not None:
            raise HarnessError("under Wine the radio serves the pinned ports, not %s" % link)
        if port not in PINNED_PORTS:
            raise HarnessError("port %d is not pinned to the radio under Wine" % port)
        super().start_radio(options, port, link=RADIO_LINK)

    def wait_for_window(self, timeout=30):
        """The X window of the program: Wine's window process is not the
        process started, so it is found by its title alone (one program
        runs at a time). Also learns where the client area lies in it:
        Wine draws the frame itself, inside the X window."""
        def find():
            if not self.running():
                raise HarnessError("the program ended before its window appeared\n%s"
                                   % self.report())
            out = xdotool("search", "--onlyvisible", "--name", "Kenwood Rigvox", check=False)
            ids = out.split()
            return ids[-1] if ids else None

        self.window_id = wait_until(find, timeout, "the program's window")
        out = xdotool("getwindowgeometry", "--shell", self.window_id)
        values = dict(re.findall(r"(\w+)=(\d+)", out))
        self.client_offset = (CLIENT_ORIGIN[0] - int(values["X"]),
                              CLIENT_ORIGIN[1] - int(values["Y"]))
        return self.window_id

    def screen_pixels(self, region):
        """Pixels of a region of the client area (as on Linux)."""
        self._window()
        x, y, width, height = region
        dx, dy = self.client_offset
        return super().screen_pixels((x + dx, y + dy, width, height))

    def key(self, *keys, delay_ms=40):
        """Real key events (XTEST) to the focused window; keypad keys by
        their key codes."""
        self._window()
        for k in keys:
            if k.startswith("KP_"):
                press_keycode(k)
                time.sleep(delay_ms / 1000.0)
            else:
                xdotool("key", "--delay", delay_ms, k)

    def key_down(self, key):
        self._window()
        xdotool("keydown", key)

    def key_up(self, key):
        self._window()
        xdotool("keyup", key)

    def end_session(self):
        """Windows logs off: Wine's session end sends every window
        WM_QUERYENDSESSION and WM_ENDSESSION and, as Windows does, ends a
        program that is still there once it has answered them."""
        result = subprocess.run([_wine(), "wineboot", "--end-session"], capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=60)
        if result.returncode != 0:
            raise HarnessError("wineboot --end-session failed: %s"
                               % result.stderr.decode(errors="replace")[-2000:])

    def close_window(self):
        """A click on the close box that Wine draws at the right end of the
        window's caption."""
        wid = self._window()
        out = xdotool("getwindowgeometry", "--shell", wid)
        values = dict(re.findall(r"(\w+)=(\d+)", out))
        x = int(values["X"]) + int(values["WIDTH"]) - 12
        y = int(values["Y"]) + (self.client_offset[1] // 2)
        xdotool("mousemove", x, y)
        time.sleep(0.2)
        xdotool("click", 1)
