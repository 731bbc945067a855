"""End-to-end harness: the real rigvox binary in a real X window.

Python 3 standard library only; the X tools it drives (Xvfb, xdotool,
ImageMagick's import/convert) are installed on every developer machine and in
CI, so a missing one is a failure, never a skip.

    from rigvox_e2e import Session, config_text

    with Session(config=config_text(port=40)) as s:
        s.wait_for_window()
        s.wait_for_speech(["rigvox", "3", "point", "4"])
        s.key("f")
        s.close_window()
        assert s.wait_exit() == 0

A Session makes a temporary working directory holding rigvox.cfg, the prompt
folder `wave` (a link to $RIGVOX_BUILD/wave when it was built, else empty)
and any extra files; optionally starts the virtual radio on `com<N>` there;
then starts the program with SDL_AUDIODRIVER=dummy (prompts take their real
length, silently) and RIGVOX_SPEECH_LOG naming <dir>/speech.log, so every
prompt the program plays can be read back in order. Every process it starts
is stopped when the session ends, whatever happened.

Every test process is a world of its own, so that CTest runs the
end-to-end tests side by side (`ctest -j`):

- its own X display: a private Xvfb started on the first need and ended
  with the process (ensure_display). CTest sets RIGVOX_E2E_OWN_DISPLAY=1
  for every end-to-end test, so even a runner with a DISPLAY of its own (a
  desktop, xvfb-run) never shares one display between tests. Run by hand
  without that variable, a test uses the runner's DISPLAY when set (to watch
  it), otherwise its own Xvfb;
- its own working folder per Session (a fresh temporary directory), with
  the virtual radio's pseudo-terminal linked as com<N> inside it, never in
  a fixed place;
- its own network port: free_port() gives a TCP port nobody listens on,
  below the kernel's range for outgoing connections (so no client socket of
  a neighbouring test can take it meanwhile) and locked for this process's
  life (so no other test process is given it). Never write a fixed port
  such as 4532 into a test's rigvox.cfg.

A new test file tests/e2e/test_*.py needs nothing more: CMake makes each
of its test methods a CTest test of its own (label e2e) that runs the file
with that one method, in a process of its own. Wait for events (a prompt
in the speech log, a command at the radio, a command in debug.dat, the
window's pixels) with a generous time limit, never for a fixed time: under
`ctest -j` on a small machine every step can take several times longer.
wait_for_silence waits until the program's poll runs again, not only
until its last prompt has sounded. Under CTest the program's reply pause
is RIGVOX_E2E_REPLY_PAUSE_MS (see REPLY_PAUSE_MS); a test that needs the
product's own 100 ms asks for it with Session(reply_pause_ms=0).

RIGVOX_E2E_KEEP=1 keeps every session's directory (speech.log, radio.log,
stderr.txt, screenshots); RIGVOX_E2E_KEEP_FAILED=1 keeps only failed ones.
"""

import atexit
import ctypes
import fcntl
import os
import random
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import wave

BUILD = os.environ.get("RIGVOX_BUILD") or os.getcwd()
SOURCE = os.environ.get("RIGVOX_SOURCE") or os.path.dirname(
    os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TITLE = "*** Kenwood Rigvox Front Panel v3.4a ***"
WINDOW_SIZE = (950, 500)
WINDOW_POSITION = (250, 100)


class HarnessError(AssertionError):
    """A failed expectation of the harness (counts as a test failure)."""


def wait_until(predicate, timeout, what, interval=0.05):
    """Calls predicate until it returns a true value, which is returned;
    raises HarnessError naming `what` after timeout seconds."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= end:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def _die_with_parent():
    # Children end when the test process ends, even when it is killed
    # outright (a ctest time-out), so nothing lingers on the machine.
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        PR_SET_PDEATHSIG = 1
        libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL)
    except Exception:
        pass


# The virtual radio stands for a device of its own, whose answers do not
# wait for the computer: it runs at this raised priority (when allowed, as
# for root in CI), so that neighbouring tests on a busy machine hold its
# answers back as little as they can (see also REPLY_PAUSE_MS). The program
# needs no such help: an answer that came within its reply pause is taken
# however late the program itself wakes.
RADIO_NICE = -10


def _radio_child():
    _die_with_parent()
    try:
        os.setpriority(os.PRIO_PROCESS, 0, RADIO_NICE)
    except OSError:
        pass  # an ordinary user keeps the ordinary priority


def _tool(name):
    path = shutil.which(name)
    if not path:
        raise HarnessError("%s is not installed; the end-to-end tests need it "
                           "(tools/install-deps.sh installs it)" % name)
    return path


def _stop_process(proc, grace=5.0):
    """SIGTERM (rigvox shuts down in order on it), then SIGKILL."""
    if proc is None or proc.poll() is not None:
        return
    try:
        proc.terminate()
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(5)
    except OSError:
        pass


# ---------------------------------------------------------------------------
# The X display
# ---------------------------------------------------------------------------

_xvfb = None          # the Xvfb this process started, if any
_display = None       # the DISPLAY in use
_display_owned = False


def _stop_xvfb():
    global _xvfb
    if _xvfb is not None:
        _stop_process(_xvfb, grace=3)
        _xvfb = None


def start_xvfb():
    """A new Xvfb (1280x1024, 24 bits) on a free display number, ready when
    this returns: (process, ":N"). Raises HarnessError when it does not
    start."""
    # -displayfd: Xvfb picks a free number itself (its lock file settles a
    # race with a neighbour starting at the same moment) and writes it once
    # it accepts connections, so there is no guessing and no fixed number.
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        [_tool("Xvfb"), "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.PIPE, preexec_fn=_die_with_parent)
    os.close(write_end)
    number = b""
    end = time.monotonic() + 15
    try:
        while not number.endswith(b"\n"):
            left = end - time.monotonic()
            if left <= 0 or xvfb.poll() is not None:
                break
            ready, _, _ = select.select([read_end], [], [], left)
            if not ready:
                break
            chunk = os.read(read_end, 64)
            if not chunk:
                break
            number += chunk
    finally:
        os.close(read_end)
    if not number.strip().isdigit():
        err = b""
        if xvfb.poll() is not None:
            err = xvfb.stderr.read()
        _stop_process(xvfb, grace=3)
        raise HarnessError("Xvfb did not start: %s" % err.decode(errors="replace")[-2000:])
    xvfb.stderr.close()
    return xvfb, ":" + number.strip().decode()


def ensure_display():
    """The X display for the tests, ready when this returns: a new Xvfb of
    this process's own (start_xvfb) when RIGVOX_E2E_OWN_DISPLAY is set or
    there is no DISPLAY, otherwise the runner's DISPLAY. Sets DISPLAY in this
    process's environment so every X tool and every program started uses
    it."""
    global _xvfb, _display, _display_owned
    if _display:
        return _display
    if os.environ.get("DISPLAY") and not os.environ.get("RIGVOX_E2E_OWN_DISPLAY"):
        _display = os.environ["DISPLAY"]
        return _display
    _xvfb, _display = start_xvfb()
    atexit.register(_stop_xvfb)
    _display_owned = True
    os.environ["DISPLAY"] = _display
    return _display


def display_owned():
    """True when the harness started the display (no window manager: the
    window lands exactly where the program asked)."""
    return _display_owned


# ---------------------------------------------------------------------------
# X helpers (xdotool, ImageMagick, and WM_DELETE_WINDOW through Xlib)
# ---------------------------------------------------------------------------

def xdotool(*args, check=True, timeout=30):
    ensure_display()
    result = subprocess.run([_tool("xdotool"), *map(str, args)], capture_output=True,
                            text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise HarnessError("xdotool %s failed: %s" % (" ".join(map(str, args)),
                                                     result.stderr.strip()))
    return result.stdout


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def send_close_request(window_id):
    """Asks the window to close the way a window manager's close box does:
    a WM_DELETE_WINDOW client message, which SDL reports as a close event.
    (xdotool windowclose destroys the window instead, and windowkill kills
    the client: neither is what an operator does.)"""
    ensure_display()
    try:
        x11 = ctypes.CDLL("libX11.so.6")
    except OSError as e:
        raise HarnessError("libX11 is not available: %s" % e)
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(os.environ["DISPLAY"].encode())
    if not dpy:
        raise HarnessError("cannot open display %s" % os.environ["DISPLAY"])
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = int(window_id)
        event.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(dpy, int(window_id), 0, 0, ctypes.byref(event)):
            raise HarnessError("XSendEvent failed for window %s" % window_id)
        x11.XFlush(dpy)
    finally:
        x11.XCloseDisplay(dpy)


def ink_fraction(png, x, y, width, height):
    """Share of dark pixels (0..1) in a box of a PNG: a quick check that
    text was drawn somewhere."""
    convert = _tool("convert")
    result = subprocess.run(
        [convert, png, "-crop", "%dx%d+%d+%d" % (width, height, x, y), "+repage",
         "-colorspace", "Gray", "-threshold", "50%", "-negate", "-format", "%[fx:mean]", "info:"],
        capture_output=True, text=True, timeout=30)
    if result.returncode != 0:
        raise HarnessError("convert failed: %s" % result.stderr.strip())
    return float(result.stdout.strip() or 0)


_prompt_seconds = {}


def prompt_seconds(name):
    """How long the built recording of a prompt name sounds (0 when there
    is none): the speech log names a prompt as it begins, and the next one
    begins when it has ended."""
    if name not in _prompt_seconds:
        file = name.lower()
        dot = file.rfind(".")
        if not (0 < dot < len(file) - 1):
            file += ".wav"
        try:
            with wave.open(os.path.join(BUILD, "wave", file)) as w:
                _prompt_seconds[name] = w.getnframes() / float(w.getframerate())
        except (OSError, EOFError, wave.Error):
            _prompt_seconds[name] = 0.0
    return _prompt_seconds[name]


# ---------------------------------------------------------------------------
# Configuration
# ---------------------------------------------------------------------------

# The reply pause of every session, in milliseconds, unless a session names
# its own (0: the built "delay" prompt, 100 ms). CTest sets
# RIGVOX_E2E_REPLY_PAUSE_MS for the end-to-end tests: on a busy machine the
# kernel now and then holds a pseudo-terminal's bytes for some hundreds of
# milliseconds, so the virtual radio's answer, which takes a millisecond,
# could miss the program's 100 ms pause and the test fail for the machine's
# sake. A longer pause, which ends as soon as the answer is in, costs time
# only where the program waits out a whole pause (switching the radio on,
# after tuning, a command the radio does not answer). Run by hand, and in
# the benchmarks, the product's 100 ms stays.
REPLY_PAUSE_MS = int(os.environ.get("RIGVOX_E2E_REPLY_PAUSE_MS") or 0)

# Queries the poll cycle sends on its own: left out when a test compares the
# commands a key sent.
POLLS = {"FA", "FB", "SM0", "SM", "RM", "SW", "MD"}


def spoken(names):
    """The prompts of a speech-log excerpt without the reply pauses."""
    return [n for n in names if n != "delay"]


def commands(log):
    """The radio's received commands without the poll queries."""
    return [c for c in log if c not in POLLS]


def dark(pixels):
    """Number of dark bytes in raw RGB pixels: text drawn there."""
    return sum(1 for b in pixels if b < 100)


def config_text(port=40, speed=9600, power=100, swr=1, atu=0, max_band="7", power_switch=0,
                bridge=0, debug=0, announce=None):
    """rigvox.cfg with the usual labels, each value at its fixed place, lines
    ending in CR LF. The default port 40 exists on no machine: the program
    runs without a radio. announce adds the line ANNOUNCE= with it ("quiet"
    for a test about something else that turns the radio's dial)."""
    lines = ["COM=%d" % port, "SPEED=%d" % speed, "POWER=%d" % power, "SWR=%d" % swr,
             "ATU=%d" % atu, "MAXBAND=%s" % max_band, "ON/OFF=%d" % power_switch,
             "BRIDGE=%d" % bridge, "DEBUG=%d" % debug]
    if announce is not None:
        lines.append("ANNOUNCE=%s" % announce)
    return "".join(line + "\r\n" for line in lines)


# ---------------------------------------------------------------------------
# A session: working directory, optional virtual radio, the program
# ---------------------------------------------------------------------------

class Session:
    """One run of the program. Use as a context manager (or call start()
    and stop()).

    config   -- rigvox.cfg text; None leaves the file out.
    binary   -- "rigvox" or "rigvox-sim" in $RIGVOX_BUILD, or a path.
    files    -- {name: text or bytes} written into the working directory.
    wave     -- True: link the built prompt folder (empty folder when none
                was built); False: no prompt folder at all.
    radio    -- None, or a list of virtual-radio options: the radio is
                started on com<radio_port> before the program.
    radio_link -- a path for the radio's link instead of com<radio_port>
                (a device the program has to find, for example).
    env      -- extra environment for the program.
    prepare  -- None, or a function called with the new working directory
                before anything is written into it (to mount a small file
                system there, for example).
    reply_pause_ms -- the length of the "delay" prompt, the longest the
                program waits for the radio's answer: a number gives the
                session a prompt folder of its own, the built prompts but
                for a silent "delay" that long; 0 keeps the built one
                (100 ms); None (the default) takes REPLY_PAUSE_MS.
    program_dir -- None, or the folder the program starts in instead of the
                working directory (which still keeps the logs).
    """

    def __init__(self, config=None, binary="rigvox", files=None, wave=True, radio=None,
                 radio_port=1, env=None, prepare=None, radio_link=None,
                 reply_pause_ms=None, program_dir=None):
        self.config = config
        self.reply_pause_ms = REPLY_PAUSE_MS if reply_pause_ms is None else reply_pause_ms
        self.prepare = prepare
        self.program_dir = program_dir
        self.binary = binary if os.sep in binary else os.path.join(BUILD, binary)
        self.files = files or {}
        self.wave = wave
        self.radio_options = radio
        self.radio_port = radio_port
        self.radio_link = radio_link
        self.extra_env = env or {}
        self.dir = None
        self.proc = None
        self.radio_proc = None
        self.radio_pty = None  # the radio's pseudo-terminal, set by start_radio
        self.window_id = None
        self.speech_cursor = 0
        self._stdout = self._stderr = self._radio_err = None
        self._keep = bool(os.environ.get("RIGVOX_E2E_KEEP"))

    # -- life cycle ---------------------------------------------------------

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:
            self._keep = self._keep or bool(os.environ.get("RIGVOX_E2E_KEEP_FAILED"))
            sys.stderr.write(self.report())
        self.stop()
        return False

    def start(self):
        ensure_display()
        if not os.path.exists(self.binary):
            raise HarnessError("no program at %s (is RIGVOX_BUILD right and the build done?)"
                               % self.binary)
        self.dir = tempfile.mkdtemp(prefix="rigvox-e2e-")
        try:
            if self.prepare is not None:
                self.prepare(self.dir)
            if self.config is not None:
                self.write_file("rigvox.cfg", self.config)
            if self.wave:
                built = os.path.join(BUILD, "wave")
                if not os.path.isdir(built):
                    os.mkdir(self.path("wave"))
                elif self.reply_pause_ms:
                    self._prompts_with_reply_pause(built, self.reply_pause_ms)
                else:
                    os.symlink(built, self.path("wave"))
            for name, content in self.files.items():
                self.write_file(name, content)
            if self.radio_options is not None:
                self.start_radio(self.radio_options, self.radio_port, link=self.radio_link)
            env = dict(os.environ)
            # RIGVOX_SERIAL_DEVICES empty: a search for the radio looks at the
            # session's comN links only, never at the machine's own devices.
            env.update({"DISPLAY": os.environ["DISPLAY"], "SDL_AUDIODRIVER": "dummy",
                        "RIGVOX_SPEECH_LOG": self.path("speech.log"),
                        "RIGVOX_SERIAL_DEVICES": ""})
            env.update(self.extra_env)
            self._stdout = open(self.path("stdout.txt"), "wb")
            self._stderr = open(self.path("stderr.txt"), "wb")
            self.proc = subprocess.Popen([self.binary], cwd=self.program_dir or self.dir,
                                         env=env, stdin=subprocess.DEVNULL,
                                         stdout=self._stdout, stderr=self._stderr,
                                         preexec_fn=_die_with_parent)
        except BaseException:
            self.stop()
            raise
        return self

    def _prompts_with_reply_pause(self, built, milliseconds):
        """A prompt folder of the session's own: links to the built prompts,
        and a silent delay.wav of the given length in their format."""
        folder = self.path("wave")
        os.mkdir(folder)
        model = None
        for name in os.listdir(built):
            if name.lower() == "delay.wav":
                model = os.path.join(built, name)
            else:
                os.symlink(os.path.join(built, name), os.path.join(folder, name))
        channels, width, rate = 1, 2, 22050
        if model:
            with wave.open(model) as w:
                channels, width, rate = w.getnchannels(), w.getsampwidth(), w.getframerate()
        with wave.open(os.path.join(folder, "delay.wav"), "wb") as out:
            out.setnchannels(channels)
            out.setsampwidth(width)
            out.setframerate(rate)
            silence = b"\x80" if width == 1 else b"\0" * width
            out.writeframes(silence * channels * (rate * milliseconds // 1000))

    def prompt_seconds(self, name):
        """How long a prompt of this session sounds (see prompt_seconds)."""
        if name == "delay" and self.wave and self.reply_pause_ms:
            return self.reply_pause_ms / 1000.0
        return prompt_seconds(name)

    def start_radio(self, options=(), port=1, link=None):
        """Starts the virtual radio serving com<port> in the working
        directory (before the program opens it), or the path `link`. Sets
        radio_pty to its pseudo-terminal."""
        exe = os.path.join(BUILD, "virtual-radio")
        if not os.path.exists(exe):
            raise HarnessError("no virtual radio at %s" % exe)
        link = link or self.path("com%d" % port)
        self._radio_err = open(self.path("radio.err"), "ab")
        self.radio_proc = subprocess.Popen(
            [exe, "--link", link, "--log", self.path("radio.log"),
             "--control", self.path("radio.control"), *map(str, options)],
            cwd=self.dir, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=self._radio_err, preexec_fn=_radio_child)
        ready, _, _ = select.select([self.radio_proc.stdout], [], [], 30)
        line = self.radio_proc.stdout.readline() if ready else b""
        if not line:
            raise HarnessError("the virtual radio did not start")
        # The terminal itself, to see the line settings the program left.
        self.radio_pty = re.search(rb"pty=(\S+)", line).group(1).decode()
        wait_until(lambda: os.path.islink(link), 20, "the radio's link")

    def stop_radio(self):
        """Stops the virtual radio, as when it is switched off and its cable
        pulled: its link goes, and its log is kept."""
        _stop_process(self.radio_proc)
        if self.radio_proc is not None:
            self.radio_proc.stdout.close()
        self.radio_proc = None
        if self._radio_err:
            self._radio_err.close()
            self._radio_err = None

    def stop(self):
        """Stops every process of the session and removes its directory
        (kept when RIGVOX_E2E_KEEP is set)."""
        try:
            _stop_process(self.proc)
            self.stop_radio()
        finally:
            for f in (self._stdout, self._stderr):
                if f:
                    f.close()
            self._stdout = self._stderr = None
            if self.dir and os.path.isdir(self.dir):
                if self._keep:
                    sys.stderr.write("rigvox-e2e: kept %s\n" % self.dir)
                else:
                    shutil.rmtree(self.dir, ignore_errors=True)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout=30):
        """The program's exit code once it has ended."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("the program did not end within %d s\n%s"
                               % (timeout, self.report()))

    # -- files --------------------------------------------------------------

    def path(self, name):
        return os.path.join(self.dir, name)

    def write_file(self, name, content):
        mode = "wb" if isinstance(content, bytes) else "w"
        kwargs = {} if mode == "wb" else {"newline": ""}
        with open(self.path(name), mode, **kwargs) as f:
            f.write(content)

    def read_file(self, name, default=None):
        try:
            with open(self.path(name), "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            if default is None:
                raise
            return default

    def stderr_text(self):
        return self.read_file("stderr.txt", "")

    def report(self):
        """What the program said and printed, for failure messages."""
        if not self.dir:
            return ""
        return ("--- rigvox-e2e session %s (exit %s)\n--- speech: %s\n--- stderr tail:\n%s\n"
                % (self.dir, self.proc.poll() if self.proc else None, " ".join(self.speech()),
                   self.stderr_text()[-2000:]))

    # -- speech log ---------------------------------------------------------

    def speech(self):
        """Every prompt name played so far, in order."""
        text = self.read_file("speech.log", "")
        return [line.strip("\r") for line in text.split("\n") if line.strip("\r")]

    def speech_mark(self):
        """A position in the speech log, for speech_since and wait_for_speech."""
        return len(self.speech())

    def speech_since(self, mark):
        return self.speech()[mark:]

    def wait_for_speech(self, names, timeout=30, since=None):
        """Waits until the prompt names appear one after another in the
        speech log, at or after `since` (default: after the last match).
        Returns the log position after the match and moves the cursor there."""
        names = list(names)
        start = self.speech_cursor if since is None else since

        def found():
            said = self.speech()
            for i in range(start, len(said) - len(names) + 1):
                if said[i:i + len(names)] == names:
                    return i + len(names)
            if not self.running():
                raise HarnessError("the program ended before saying %s\n%s"
                                   % (names, self.report()))
            return None

        try:
            end = wait_until(found, timeout, "speech %s" % names)
        except HarnessError as e:
            raise HarnessError("%s; heard since position %d: %s\n%s"
                               % (e, start, self.speech()[start:], self.report()))
        self.speech_cursor = end
        return end

    def wait_for_quiet(self, seconds=1.0, timeout=30):
        """Waits until no new prompt has been logged for `seconds`."""
        last = [self.speech_mark(), time.monotonic()]

        def quiet():
            now = self.speech_mark()
            if now != last[0]:
                last[0], last[1] = now, time.monotonic()
            return time.monotonic() - last[1] >= seconds

        wait_until(quiet, timeout, "the program to fall silent")

    def wait_for_silence(self, margin=0.25, timeout=30):
        """Waits until the speech has ended: prompts play from a queue and the
        log names each as it begins, so the speech is over once the last
        prompt logged has had the time to sound to its end and `margin`
        seconds more have passed without a new one. Then, while the virtual
        radio logs what it receives, until it has received two poll queries
        since that prompt began: the loop is running, so what the key does
        once its speech has sounded (TX after "tx on") has been done, however
        late a busy machine lets the program get to it. A radio that logs
        nothing for half a second (silent, unplugged, not yet opened) gives
        no such sign, and the time alone decides."""
        log = self.path("speech.log")
        watch = {"said": None}

        def silent():
            radio = self.radio_log() if self.radio_proc is not None else []
            said = self.speech()
            try:
                # The log is appended to as each prompt starts.
                started = os.stat(log).st_mtime
            except OSError:
                started = 0.0
            if len(self.speech()) != len(said):
                return False
            held = self.prompt_seconds(said[-1]) if said else 0.0
            if time.time() - started < held + margin:
                return False
            if self.radio_proc is None or self.radio_proc.poll() is not None:
                return True
            now = time.monotonic()
            if watch["said"] != len(said):
                watch.update(said=len(said), mark=len(radio), seen=len(radio), grew=now)
                return False
            if len(radio) != watch["seen"]:
                watch.update(seen=len(radio), grew=now)
            if sum(1 for c in radio[watch["mark"]:] if c in POLLS) >= 2:
                return True
            return now - watch["grew"] >= 0.5

        wait_until(silent, timeout, "the program to fall silent")

    # -- window -------------------------------------------------------------

    def wait_for_window(self, timeout=60):
        """The X window id of the program's window (found by its title and
        process id)."""
        def find():
            if not self.running():
                raise HarnessError("the program ended before its window appeared\n%s"
                                   % self.report())
            out = xdotool("search", "--name", "Rigvox", check=False)
            for wid in out.split():
                pid = xdotool("getwindowpid", wid, check=False).strip()
                if pid == str(self.proc.pid):
                    return wid
            return None

        self.window_id = wait_until(find, timeout, "the program's window")
        return self.window_id

    def _window(self):
        return self.window_id or self.wait_for_window()

    def window_title(self):
        return xdotool("getwindowname", self._window()).rstrip("\n")

    def window_geometry(self):
        """(x, y, width, height) of the window on the screen."""
        out = xdotool("getwindowgeometry", "--shell", self._window())
        values = dict(re.findall(r"(\w+)=(\d+)", out))
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def key(self, *keys, delay_ms=40):
        """Presses and releases each key in turn (xdotool key names: "f",
        "F1", "Return", "KP_5", "bracketleft", "shift+z", ...), sent to the
        program's window."""
        xdotool("key", "--window", self._window(), "--delay", delay_ms, *keys)

    def press(self, key, speech=(), sent=(), quiet=True):
        """Presses one key and waits for its effects: the prompt names
        `speech` spoken in this order, the commands `sent` received by the
        radio in this order (others may come between), then, when quiet,
        for the program to fall silent (wait_for_silence). A key expected
        to do nothing is given half a second. Returns what the radio
        received and what was spoken after the key, as two lists."""
        speech_mark, radio_mark = self.speech_mark(), self.radio_mark()
        self.key(key)
        if speech:
            self.wait_for_speech(list(speech), since=speech_mark)
        if sent:
            self.wait_for_radio(list(sent), since=radio_mark)
        if not speech and not sent:
            time.sleep(0.5)
        if quiet:
            self.wait_for_silence()
        return self.radio_log()[radio_mark:], self.speech_since(speech_mark)

    def key_down(self, key):
        xdotool("keydown", "--window", self._window(), key)

    def key_up(self, key):
        xdotool("keyup", "--window", self._window(), key)

    def screen_pixels(self, region):
        """Raw RGB bytes (3 per pixel, row by row) of a region (x, y, width,
        height) of the window as it shows now."""
        x, y, width, height = region
        result = subprocess.run(
            [_tool("import"), "-window", self._window(), "-crop",
             "%dx%d+%d+%d" % (width, height, x, y), "+repage", "-depth", "8", "rgb:-"],
            capture_output=True, timeout=30)
        if result.returncode != 0:
            raise HarnessError("import failed: %s" % result.stderr.decode(errors="replace"))
        return result.stdout

    def screen_region(self, region):
        """Another name for screen_pixels."""
        return self.screen_pixels(region)

    def wait_for_screen(self, region, predicate, what="the window to change", timeout=30):
        """Waits until predicate(pixels) holds for screen_pixels(region);
        returns those pixels."""
        seen = [None]

        def check():
            if not self.running():
                raise HarnessError("the program ended while waiting for %s\n%s"
                                   % (what, self.report()))
            seen[0] = self.screen_pixels(region)
            return predicate(seen[0])

        try:
            wait_until(check, timeout, what, interval=0.1)
        except HarnessError as e:
            raise HarnessError("%s\n%s" % (e, self.report()))
        return seen[0]

    def close_window(self):
        """The window's close box."""
        send_close_request(self._window())

    def end_session(self):
        """The desktop session ends under the program: SIGHUP, as when the
        terminal that started it closes or the user logs out."""
        self.proc.send_signal(signal.SIGHUP)

    def screenshot(self, path=None, whole_screen=False):
        """A PNG of the window (or the whole screen); returns its path."""
        path = path or self.path("screen.png")
        target = "root" if whole_screen else self._window()
        result = subprocess.run([_tool("import"), "-window", target, path],
                                capture_output=True, text=True, timeout=30)
        if result.returncode != 0:
            raise HarnessError("import failed: %s" % result.stderr.strip())
        return path

    # -- the debug log ------------------------------------------------------

    def sent_log(self):
        """Commands the program sent, without their ";", in order, as its
        debug log (configuration line 9 = 1) records them; unlike the
        radio's log it also holds what went to a silent or unplugged radio."""
        return [line[3:].rstrip(";") for line in self.read_file("debug.dat", "").splitlines()
                if line.startswith("TX=")]

    def sent_mark(self):
        """A position in sent_log, for wait_for_sent."""
        return len(self.sent_log())

    def wait_for_sent(self, count, since=0, which=None, timeout=30):
        """Waits until the program has sent `count` commands (those for
        which `which` holds, all when None) after position `since` of
        sent_log. A clock of the program's own: under load a fixed sleep
        may pass while it has hardly run at all."""
        def enough():
            if not self.running():
                raise HarnessError("the program ended\n%s" % self.report())
            sent = self.sent_log()[since:]
            return len([c for c in sent if which is None or which(c)]) >= count

        wait_until(enough, timeout, "the program to send %d commands" % count)

    # -- the virtual radio --------------------------------------------------

    def radio_control(self, line, timeout=10):
        """Sends one control line to the virtual radio and waits until it
        has been read."""
        control = self.path("radio.control")
        with open(control, "a") as f:
            f.write(line + "\n")
        wait_until(lambda: not os.path.exists(control), timeout, "the radio to read %r" % line,
                   interval=0.01)

    def radio_log(self):
        """Commands the virtual radio received, without their ";"."""
        return [line for line in self.read_file("radio.log", "").splitlines() if line]

    def radio_mark(self):
        """A position in the radio's command log, for wait_for_radio."""
        return len(self.radio_log())

    def seconds_until_radio(self, command, since, timeout=5):
        """Watches the radio's log closely from now until it holds command
        after position `since`; the seconds that took (at least `timeout`
        when it never came)."""
        start = time.monotonic()
        while command not in self.radio_log()[since:] and time.monotonic() - start < timeout:
            time.sleep(0.005)
        return time.monotonic() - start

    def wait_for_radio(self, commands, since=0, timeout=30):
        """Waits until the radio has received the commands in this order at
        or after position `since`; other commands (the polls) may come in
        between. Returns the log position after the last one."""
        commands = list(commands)

        def found():
            log = self.radio_log()
            i = since
            for wanted in commands:
                while i < len(log) and log[i] != wanted:
                    i += 1
                if i >= len(log):
                    return None
                i += 1
            return i

        try:
            return wait_until(found, timeout, "the radio to receive %s" % commands)
        except HarnessError as e:
            raise HarnessError("%s; received since %d: %s\n%s"
                               % (e, since, self.radio_log()[since:][-40:], self.report()))


_port_locks = []      # lock files of the ports this process was given, held to its end


def _ephemeral_low():
    """The lowest port the kernel hands out to outgoing connections."""
    try:
        with open("/proc/sys/net/ipv4/ip_local_port_range") as f:
            return int(f.read().split()[0])
    except (OSError, ValueError, IndexError):
        return 32768


def free_port():
    """A TCP port for the network port of a session: nobody listens on it
    now, it lies below the range the kernel gives outgoing connections (a
    neighbouring test's clients cannot take it between this call and the
    program's bind) and no other test process is given it while this one
    lives (a lock file per port, held until the process ends)."""
    folder = os.path.join(tempfile.gettempdir(), "rigvox-e2e-ports")
    os.makedirs(folder, exist_ok=True)
    low, high = 20000, min(_ephemeral_low(), 32768)
    if high - low < 1000:
        low, high = 1024, 65536  # an unusual range: the locks alone keep tests apart
    candidates = list(range(low, high))
    random.shuffle(candidates)
    for port in candidates[:2000]:
        lock = open(os.path.join(folder, "%d.lock" % port), "w")
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except OSError:
            lock.close()
            continue
        try:
            with socket.socket() as s:
                s.bind(("127.0.0.1", port))
        except OSError:
            lock.close()
            continue
        _port_locks.append(lock)
        return port
    raise HarnessError("no free TCP port found for the network port")


class RigctlClient:
    """A raw client of the network port: sends lines, reads answer lines."""

    def __init__(self, port, host="127.0.0.1"):
        self.sock = socket.create_connection((host, port), timeout=10)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.buffer = b""

    def send(self, data):
        self.sock.sendall(data)

    def lines(self, count, timeout=10):
        end = time.monotonic() + timeout
        while self.buffer.count(b"\n") < count:
            self.sock.settimeout(max(0.01, end - time.monotonic()))
            chunk = self.sock.recv(65536)
            if not chunk:
                break
            self.buffer += chunk
        parts = self.buffer.split(b"\n")
        got, self.buffer = parts[:count], b"\n".join(parts[count:])
        return [p.decode("latin-1") for p in got]

    def ask(self, line, count=1):
        self.send(line.encode() + b"\n")
        return self.lines(count)

    def closed_after(self, timeout=10):
        """What the program sent before hanging up; fails if it does not."""
        self.sock.settimeout(timeout)
        data = self.buffer
        try:
            while True:
                chunk = self.sock.recv(65536)
                if not chunk:
                    return data
                data += chunk
        except ConnectionResetError:
            return data

    def close(self):
        self.sock.close()
