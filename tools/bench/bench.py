#!/usr/bin/env python3
"""Rigvox speed benchmarks: the real program, timed from outside.

    bench.py [--runs N] [--json FILE] [BENCHMARK ...]

BENCHMARK is any of idle, reaction, speech, poll, memory, startup, exchange,
passthrough, listen (default: all). Each is repeated and reported as a median
with its spread; none of them is a pass/fail test (the goals are printed
beside the figures). The program runs under $DISPLAY or an Xvfb of the
end-to-end harness's own.

  idle      CPU time (user + system, /proc) of the program polling the
            virtual radio at 20 queries a second, over a minute: without a
            display and with its window shown under Xvfb; the whole process
            and each of its threads (the sound device's among them).
  reaction  a key event (sent to the window through the X server) to its
            CAT command arriving at the serial port: the tuning key, which
            sends the frequency without speaking first.
  speech    the frequency readout of 14.074 MHz as SDL actually plays it,
            recorded by SDL's "disk" audio driver: the silence between its
            prompts, and the time from the key to the first sound written,
            with the sound device open and after it has rested.
            The prompts are replaced by steady tones of the same lengths, so
            any silence in the recording is the player's, not the voice's.
  poll      a radio that answers 10 ms after each query: queries it receives
            per second over a minute, and the time from a frequency turned
            at the radio to the new figures on the screen (read back from the
            X server).
  memory    peak resident size (VmHWM) after start, connection, readouts,
            help text and a minute of polling.
  startup   process start to the first poll query at the radio, with the
            greeting's recordings left out (they would add their length).
  exchange  a radio that answers 10 ms after each query: the time from a
            query reaching the radio to the program's next step (its next
            command, or the first word of the answer in the speech log), for
            the keys that ask the radio (K, F11, N read-back) and for each
            query of the state query at connection, and the whole state query.
  listen    while an F readout sounds on a real sink (a PulseAudio null
            sink): network answers, poll gaps, rigctl through the
            pass-through port, a key's command and prompt, Escape in the
            whole help, idle CPU; see bench_listen.py.
  passthrough  plain rigctl (TS-590SG backend, no options) through the
            pass-through port and socat, against the virtual radio answering
            in 10 ms: f, F 14074000, m, M USB 2400, each timed as a whole
            rigctl run beside the same run made directly on the radio.

Needs RIGVOX_BUILD (rigvox, virtual-radio, wave/)."""

import argparse
import array
import ctypes
import json
import math
import os
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import tty
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tests", "e2e"))
sys.path.insert(0, HERE)

import rigvox_e2e  # noqa: E402
from rigvox_e2e import BUILD, Session, config_text  # noqa: E402
from soak import proc_sample  # noqa: E402

FREQUENCY_BOX = (280, 145, 670, 85)  # the big figures, window coordinates
GREETING = ["rigvox", "3", "point", "4"]


# ---------------------------------------------------------------------------
# A radio of the benchmark's own on a pseudo-terminal: it answers the poll and
# notes when every command arrived, to the microsecond.
# ---------------------------------------------------------------------------

class PtyRadio:
    def __init__(self, delay_ms=0, freq=7100000):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        self.delay = delay_ms / 1000.0
        self.freq = freq
        self.received = []          # (monotonic time, command without ";")
        self.lock = threading.Lock()
        self.stopping = False
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def link(self, directory, port=1):
        os.symlink(os.ttyname(self.slave), os.path.join(directory, "com%d" % port))

    def answer(self, command):
        if command in ("FA", "FB"):
            return "%s%011d;" % (command, self.freq)
        if command.startswith("EX") and len(command) == 9:
            return command + "1;"  # a menu read: its value
        return {"SM0": "SM00012;", "SM": "SM036;", "ID": "ID023;", "AG0": "AG0100;",
                "RM": "RM10000;", "AC": "AC000;", "VX": "VX0;", "NR": "NR0;", "ML": "ML007;",
                "PR": "PR0;", "KS": "KS020;", "MG": "MG050;", "RM3": "RM30005;"}.get(command, "")

    def _serve(self):
        pending, due = "", []
        while not self.stopping:
            wait = 0.05 if not due else max(0.0, due[0][0] - time.monotonic())
            ready, _, _ = select.select([self.master], [], [], wait)
            now = time.monotonic()
            while due and due[0][0] <= now:
                try:
                    os.write(self.master, due.pop(0)[1].encode())
                except OSError:
                    pass
            if not ready:
                continue
            try:
                chunk = os.read(self.master, 4096).decode("latin-1")
            except (BlockingIOError, OSError):
                continue
            now = time.monotonic()
            pending += chunk
            while ";" in pending:
                command, pending = pending.split(";", 1)
                with self.lock:
                    self.received.append((now, command))
                reply = self.answer(command)
                if reply:
                    due.append((now + self.delay, reply))

    def commands_since(self, t):
        with self.lock:
            return [(at, c) for at, c in self.received if at >= t]

    def count(self):
        with self.lock:
            return len(self.received)

    def close(self):
        self.stopping = True
        self.thread.join(2)
        os.close(self.master)
        os.close(self.slave)


# ---------------------------------------------------------------------------
# The X server, straight through libX11: a key event to the window, and the
# pixels of a region of it as the X server has them.
# ---------------------------------------------------------------------------

class _XKeyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("root", ctypes.c_ulong),
                ("subwindow", ctypes.c_ulong), ("time", ctypes.c_ulong), ("x", ctypes.c_int),
                ("y", ctypes.c_int), ("x_root", ctypes.c_int), ("y_root", ctypes.c_int),
                ("state", ctypes.c_uint), ("keycode", ctypes.c_uint), ("same_screen", ctypes.c_int)]


class _XEvent(ctypes.Union):
    _fields_ = [("xkey", _XKeyEvent), ("pad", ctypes.c_long * 24)]


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class X:
    def __init__(self, window_id):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XStringToKeysym.restype = ctypes.c_ulong
        x.XStringToKeysym.argtypes = [ctypes.c_char_p]
        x.XKeysymToKeycode.restype = ctypes.c_ubyte
        x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                 ctypes.POINTER(_XEvent)]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XGetImage.restype = ctypes.POINTER(_XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x = x
        self.dpy = x.XOpenDisplay(os.environ["DISPLAY"].encode())
        if not self.dpy:
            raise RuntimeError("cannot open display %s" % os.environ["DISPLAY"])
        self.window = int(window_id)
        self.root = x.XDefaultRootWindow(self.dpy)

    def key(self, name):
        """Presses and releases a key in the window; returns the monotonic
        time at which the press left for the X server (taken before the
        flush: the program may react before the flush has returned)."""
        code = self.x.XKeysymToKeycode(self.dpy, self.x.XStringToKeysym(name.encode()))
        events = []
        for kind in (2, 3):  # KeyPress, KeyRelease
            e = _XEvent()
            k = e.xkey
            k.type, k.display, k.window, k.root = kind, self.dpy, self.window, self.root
            k.time, k.same_screen, k.keycode, k.state = 0, 1, code, 0
            events.append(e)
        self.x.XSendEvent(self.dpy, self.window, 1, 1, ctypes.byref(events[0]))  # KeyPressMask
        sent = time.monotonic()
        self.x.XFlush(self.dpy)
        self.x.XSendEvent(self.dpy, self.window, 1, 2, ctypes.byref(events[1]))  # KeyReleaseMask
        self.x.XFlush(self.dpy)
        return sent

    def region(self, box):
        x, y, w, h = box
        image = self.x.XGetImage(self.dpy, self.window, x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return b""
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * h)
        self.x.XDestroyImage(image)
        return data

    def close(self):
        self.x.XCloseDisplay(self.dpy)


# ---------------------------------------------------------------------------
# Helpers
# ---------------------------------------------------------------------------

def summary(values, unit, goal=None):
    values = sorted(values)
    text = "median %.2f %s (min %.2f, max %.2f, n=%d)" % (
        statistics.median(values), unit, values[0], values[-1], len(values))
    return text + ("; goal %s" % goal if goal else "")


def connected_session(session):
    session.wait_for_speech(["connected"], timeout=60)
    session.wait_for_silence()


def tone_prompts(directory):
    """The built prompts as steady tones of the same lengths ("delay" stays
    silent): a recording of them shows the player's silences only."""
    os.makedirs(directory, exist_ok=True)
    built = os.path.join(BUILD, "wave")
    for name in os.listdir(built):
        if not name.endswith(".wav"):
            continue
        with wave.open(os.path.join(built, name)) as w:
            frames, rate = w.getnframes(), w.getframerate()
        samples = array.array("h", [0] * frames) if name == "delay.wav" else array.array(
            "h", (int(8000 + 3000 * math.sin(i / 7.0)) for i in range(frames)))
        with wave.open(os.path.join(directory, name), "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(rate)
            out.writeframes(samples.tobytes())


def sound_runs(data, channels=2, merge=0):
    """(first, last) frame of every run of sound in a 16-bit recording; runs
    apart by no more than `merge` silent frames count as one."""
    s = array.array("h")
    s.frombytes(data[: len(data) // (2 * channels) * 2 * channels])
    runs, start, end, silent = [], None, None, 0
    for i in range(0, len(s), channels):
        frame = i // channels
        if s[i] != 0:
            if start is None:
                start = frame
            end, silent = frame, 0
        elif start is not None:
            silent += 1
            if silent > merge:
                runs.append((start, end))
                start = None
    if start is not None:
        runs.append((start, end))
    return runs


# ---------------------------------------------------------------------------
# The benchmarks
# ---------------------------------------------------------------------------

def thread_cpu(pid):
    """{thread id: (name, CPU seconds)} of every thread of the process."""
    out = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/stat" % (pid, tid)) as f:
                text = f.read()
        except OSError:
            continue  # ended meanwhile
        name = text[text.index("(") + 1:text.rindex(")")]
        stat = text.rsplit(")", 1)[1].split()
        out[tid] = (name, (int(stat[11]) + int(stat[12])) / os.sysconf("SC_CLK_TCK"))
    return out


def cpu_by_thread(pid, seconds):
    """CPU seconds of each thread name over the next `seconds`; threads are
    sampled twice a second, so one that ends meanwhile (the sound device's,
    when it rests) keeps what it used until its last sample."""
    first, last = thread_cpu(pid), {}
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        time.sleep(min(0.5, max(0.0, end - time.monotonic())))
        last.update(thread_cpu(pid))
    used = {}
    for tid, (name, cpu) in last.items():
        used[name] = used.get(name, 0.0) + cpu - first.get(tid, (name, 0.0))[1]
    return used


def bench_idle(runs, seconds=60):
    """Idle CPU from 2 s after the last prompt: the sound device is still
    open for the first 3 s of the minute, then rests."""
    results = {}
    for mode in ("headless", "window"):
        figures, threads = [], {}
        for _ in range(runs):
            env = {"DISPLAY": ""} if mode == "headless" else {}
            with Session(config=config_text(port=1), radio=["--smeter", "12"], env=env) as s:
                connected_session(s)
                time.sleep(2)
                pid = s.proc.pid
                cpu0, t0, q0 = proc_sample(pid)[3], time.monotonic(), s.radio_mark()
                used = cpu_by_thread(pid, seconds)
                cpu1, t1, q1 = proc_sample(pid)[3], time.monotonic(), s.radio_mark()
                figures.append(100.0 * (cpu1 - cpu0) / (t1 - t0))
                rate = (q1 - q0) / (t1 - t0)
                for name, cpu in used.items():
                    threads.setdefault(name, []).append(100.0 * cpu / (t1 - t0))
            print("  idle %-8s %.2f %% of a core at %.1f queries/s; by thread: %s" % (
                mode, figures[-1], rate,
                ", ".join("%s %.2f %%" % (n, 100.0 * c / (t1 - t0)) for n, c in sorted(used.items()))))
        goal = "< 0.5 %" if mode == "headless" else "<= 1 %"
        results[mode] = {"percent": figures, "summary": summary(figures, "%", goal)}
        for name, values in sorted(threads.items()):
            values += [0.0] * (runs - len(values))
            results["%s thread %s" % (mode, name)] = {"percent": values,
                                                      "summary": summary(values, "%")}
    return results


def arrival(radio, since, wanted, timeout=5):
    """Moment the radio received a command for which wanted(command) holds."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        for at, c in radio.commands_since(since):
            if wanted(c):
                return at
        time.sleep(0.0002)
    return None


def key_reactions(x, radio, trials):
    """Milliseconds from each Right key (one tuning step) to its frequency
    command at the radio; a key whose command does not come within 2 s is
    left out."""
    figures = []
    for _ in range(trials):
        time.sleep(0.12)
        sent = x.key("Right")
        at = arrival(radio, sent, lambda c: c.startswith("FA") and len(c) > 2, timeout=2)
        if at is not None:
            figures.append(1000 * (at - sent))
    return figures


def bench_reaction(runs, trials=40):
    figures = []
    for _ in range(runs):
        radio = PtyRadio()
        try:
            with Session(config=config_text(port=1), prepare=radio.link) as s:
                x = X(s.wait_for_window())
                connected_session(s)
                figures += key_reactions(x, radio, trials)
                x.close()
        finally:
            radio.close()
    print("  reaction: " + summary(figures, "ms", "median < 2 ms"))
    return {"ms": figures, "summary": summary(figures, "ms", "median < 2 ms")}


def bench_speech(runs, trials=4, rested_trials=2):
    tones = tempfile.mkdtemp(prefix="rigvox-tones-")
    out = os.path.join(tones, "out.raw")
    gaps, firsts, rested_firsts = [], [], []
    try:
        tone_prompts(os.path.join(tones, "wave"))
        for _ in range(runs):
            if os.path.exists(out):
                os.unlink(out)
            with Session(config=config_text(port=1), radio=["--smeter", "12"], wave=False,
                         prepare=lambda d: os.symlink(os.path.join(tones, "wave"),
                                                      os.path.join(d, "wave")),
                         env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": out}) as s:
                x = X(s.wait_for_window())
                connected_session(s)
                s.radio_control("freq A 14074000")
                s.wait_for_radio(["FA", "FA", "FA"], since=s.radio_mark())
                for trial in range(trials + rested_trials):
                    # The last trials come after the sound device has rested
                    # (closed after 5 s without a prompt): their first sound
                    # includes opening it again.
                    rested = trial >= trials
                    time.sleep(6.5 if rested else 0.3)
                    size0 = os.path.getsize(out)
                    mark = s.speech_mark()
                    # The driver's file is written through a stdio buffer, a
                    # few device buffers at a time: the moments its size grows
                    # give the pace of the stream, and the line through them
                    # the moment any frame of it was written. A device opened
                    # again starts the file afresh.
                    sizes = [(time.monotonic(), size0)]
                    opened = None
                    sent = x.key("f")
                    while time.monotonic() - sent < 1.5:
                        size = os.path.getsize(out)
                        if size < sizes[-1][1]:
                            opened = time.monotonic()
                            size0 = 0
                            sizes = [(opened, 0)]
                        if size != sizes[-1][1]:
                            sizes.append((time.monotonic(), size))
                        time.sleep(0.0003)
                    s.wait_for_speech(["1", "4", "point", "0", "7", "4", "mhz"], since=mark)
                    s.wait_for_silence()
                    with open(out, "rb") as f:
                        f.seek(size0)
                        runs_ = sound_runs(f.read())
                    said = [w for w in s.speech_since(mark) if w != "delay"]
                    first = None
                    if runs_ and opened is not None:
                        # A device opened again writes its first buffer at
                        # once (the moment the file starts afresh) and the
                        # next ones at its pace: the buffer holding the first
                        # frame of sound was written that many periods on.
                        first = opened + (runs_[0][0] // 512) * 512 / 44100.0 - sent
                        (rested_firsts if rested else firsts).append(1000 * first)
                    elif runs_ and len(sizes) > 3:
                        frames = [(t, (n - size0) / 4.0) for t, n in sizes[1:]]
                        mt = statistics.mean(t for t, _ in frames)
                        mf = statistics.mean(f for _, f in frames)
                        slope = (sum((t - mt) * (f - mf) for t, f in frames)
                                 / sum((f - mf) ** 2 for _, f in frames))
                        # The first frame of sound is written with the device
                        # buffer that holds it. A stdio flush of the file comes
                        # with the write of the buffer after the data flushed,
                        # so the line runs one buffer late: the buffer's start
                        # on it is the moment its own write was made.
                        written = mt + slope * ((runs_[0][0] // 512) * 512 - mf)
                        first = written - sent
                        (rested_firsts if rested else firsts).append(1000 * first)
                    these = [(runs_[i + 1][0] - runs_[i][1] - 1) / 44.1 for i in range(len(runs_) - 1)]
                    # A seamless sentence is one run; otherwise one gap per seam.
                    gaps.extend(these + [0.0] * (len(said) - 1 - len(these)))
                    print("  speech%s: %s; first sound after %.1f ms; gaps %s ms (sounds of %s frames)"
                          % (" (device rested)" if rested else "", " ".join(said),
                             1000 * first if first else -1,
                             [round(g, 1) for g in these] or "none",
                             [b - a + 1 for a, b in runs_]))
                x.close()
    finally:
        shutil.rmtree(tones, ignore_errors=True)
    return {"gaps_ms": gaps, "first_sound_ms": firsts, "rested_first_sound_ms": rested_firsts,
            "gaps": summary(gaps, "ms", "each < 5 ms"),
            "first_sound": summary(firsts, "ms", "< 20 ms"),
            "first_rested": summary(rested_firsts, "ms", "< 20 ms")}


def bench_poll(runs, seconds=60, turns=20):
    rates, latencies = [], []
    for _ in range(runs):
        radio = PtyRadio(delay_ms=10)
        try:
            with Session(config=config_text(port=1), prepare=radio.link) as s:
                x = X(s.wait_for_window())
                connected_session(s)
                time.sleep(1)
                n0, t0 = radio.count(), time.monotonic()
                time.sleep(seconds)
                rates.append((radio.count() - n0) / (time.monotonic() - t0))
                for i in range(turns):
                    before = x.region(FREQUENCY_BOX)
                    time.sleep(0.05 + (i % 7) * 0.013)  # land anywhere in the poll cycle
                    radio.freq = 7100000 + 1000 * (i + 1)
                    turned = time.monotonic()
                    while time.monotonic() - turned < 2:
                        if x.region(FREQUENCY_BOX) != before:
                            latencies.append(1000 * (time.monotonic() - turned))
                            break
                        time.sleep(0.001)
                    time.sleep(0.2)
                x.close()
        finally:
            radio.close()
        print("  poll: %.2f queries/s; on screen after %s ms"
              % (rates[-1], [round(v) for v in latencies[-turns:]]))
    return {"queries_per_s": rates, "on_screen_ms": latencies,
            "rate": summary(rates, "queries/s", "20 on average"),
            "on_screen": summary(latencies, "ms", "within 100 ms")}


def bench_memory(runs, seconds=60):
    figures = []
    for _ in range(runs):
        with Session(config=config_text(port=1), radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            connected_session(s)
            for key in ("f", "s", "o", "F1", "F1", "h", "h"):
                s.key(key)
                s.wait_for_silence()
            time.sleep(seconds)
            figures.append(proc_sample(s.proc.pid)[1] / 1024.0)
        print("  memory: VmHWM %.1f MB" % figures[-1])
    return {"vmhwm_mb": figures, "summary": summary(figures, "MB", "< 40 MB")}


def bench_startup(runs):
    quiet = tempfile.mkdtemp(prefix="rigvox-quiet-")
    figures, with_greeting = [], []
    try:
        # The prompt folder without the greeting's recordings: they sound
        # nothing and take no time; everything else stays.
        for name in os.listdir(os.path.join(BUILD, "wave")):
            if name[:-4] not in GREETING:
                os.symlink(os.path.join(BUILD, "wave", name), os.path.join(quiet, name))
        for folder, into in ((quiet, figures), (os.path.join(BUILD, "wave"), with_greeting)):
            for _ in range(runs):
                radio = PtyRadio()
                try:
                    def prepare(d, folder=folder, radio=radio):
                        radio.link(d)
                        os.symlink(folder, os.path.join(d, "wave"))
                    started = time.monotonic()
                    with Session(config=config_text(port=1), wave=False, prepare=prepare) as s:
                        end = time.monotonic() + 30
                        while time.monotonic() < end:
                            polls = [at for at, c in radio.commands_since(started) if c == "FA"]
                            if polls:
                                into.append(1000 * (polls[0] - started))
                                break
                            time.sleep(0.001)
                        s.wait_for_speech(["connected"], timeout=30)
                finally:
                    radio.close()
        greeting_ms = sum(1000 * rigvox_e2e.prompt_seconds(p) for p in GREETING)
    finally:
        shutil.rmtree(quiet, ignore_errors=True)
    print("  startup: without the greeting %s; with it %s (its recordings last %.0f ms)"
          % (summary(figures, "ms"), summary(with_greeting, "ms"), greeting_ms))
    return {"ms": figures, "with_greeting_ms": with_greeting, "greeting_ms": greeting_ms,
            "summary": summary(figures, "ms", "< 300 ms")}


class SpeechClock:
    """The speech log read as it grows, every word with the moment it
    appeared (the program writes each prompt's name as it starts)."""

    def __init__(self, path):
        self.path = path
        self.words = []  # (monotonic time, name)
        self.stopping = False
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._watch, daemon=True)
        self.thread.start()

    def _watch(self):
        offset, partial = 0, ""
        while not self.stopping:
            try:
                with open(self.path, "rb") as f:
                    f.seek(offset)
                    data = f.read()
            except OSError:
                data = b""
            now = time.monotonic()
            if data:
                offset += len(data)
                partial += data.decode("latin-1")
                *lines, partial = partial.split("\n")
                with self.lock:
                    self.words.extend((now, w) for w in lines if w)
            time.sleep(0.0002)

    def first_after(self, t, timeout=5, skip=("delay",)):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            with self.lock:
                for at, w in self.words:
                    if at >= t and w not in skip:
                        return at, w
            time.sleep(0.001)
        return None

    def close(self):
        self.stopping = True
        self.thread.join(2)


def bench_exchange(runs, trials=8):
    figures = {"state_query_each": [], "state_query_whole": [], "K": [], "F11": [], "N": [],
               "N_key_to_sound": []}
    queries = ["AG0", "AC", "VX", "NR", "ML", "PR"]
    for _ in range(runs):
        radio = PtyRadio(delay_ms=10)
        try:
            with Session(config=config_text(port=1), prepare=radio.link) as s:
                x = X(s.wait_for_window())
                clock = SpeechClock(s.path("speech.log"))
                connected_session(s)
                # The state query: each query to the command after it.
                got = radio.commands_since(0)
                names = [c for _, c in got]
                if "AG0" in names and "RX0" in names:
                    first = names.index("AG0")
                    for q in queries:
                        i = names.index(q, first)
                        figures["state_query_each"].append(1000 * (got[i + 1][0] - got[i][0]))
                    figures["state_query_whole"].append(
                        1000 * (got[names.index("RX0", first)][0] - got[first][0]))
                for _ in range(trials):
                    # K: keyer speed asked; "on" follows the answer.
                    s.wait_for_silence()
                    t = time.monotonic()
                    x.key("k")
                    ks = arrival(radio, t, lambda c: c == "KS")
                    said = clock.first_after(ks) if ks else None
                    if said:
                        figures["K"].append(1000 * (said[0] - ks))
                    s.wait_for_silence()
                    x.key("k")  # and off again
                    # F11: microphone gain and ALC asked; the ALC value follows.
                    s.wait_for_silence()
                    t = time.monotonic()
                    x.key("F11")
                    mg = arrival(radio, t, lambda c: c == "MG")
                    rm = arrival(radio, t, lambda c: c == "RM3")
                    said = clock.first_after(rm) if rm else None
                    if mg and said:
                        figures["F11"].append(1000 * (said[0] - mg))
                    time.sleep(0.3)
                    x.key("F11")  # the watch speaks on; this ends it
                    # N read-back: menu 013, Enter, Enter; the value follows.
                    # (SDL takes the same key pressed twice in a row by
                    # XSendEvent for its auto-repeat: Shift, which does
                    # nothing, stands between the two Enters.)
                    s.wait_for_silence()
                    for k in ("n", "0", "1", "3"):
                        x.key(k)
                        time.sleep(0.05)
                    s.wait_for_silence()
                    mark = s.speech_mark()
                    x.key("Return")
                    s.wait_for_speech(["mp"], since=mark)
                    s.wait_for_silence()
                    x.key("Shift_L")
                    time.sleep(0.05)
                    t = x.key("Return")
                    ex = arrival(radio, t, lambda c: c == "EX0130000")
                    said = clock.first_after(ex) if ex else None
                    if said:
                        figures["N"].append(1000 * (said[0] - ex))
                        figures["N_key_to_sound"].append(1000 * (said[0] - t))
                clock.close()
                x.close()
        finally:
            radio.close()
        print("  exchange: state query %s ms per query, %s ms whole; K %s, F11 %s, N %s ms"
              % ([round(v) for v in figures["state_query_each"][-6:]],
                 [round(v) for v in figures["state_query_whole"][-1:]],
                 [round(v) for v in figures["K"][-trials:]], [round(v) for v in figures["F11"][-trials:]],
                 [round(v) for v in figures["N"][-trials:]]))
    goal_one, goal_two = "<= 15 ms (10 ms radio + 5)", "<= 30 ms (two exchanges)"
    return {"ms": figures,
            "state_query_each": summary(figures["state_query_each"], "ms", goal_one),
            "state_query_whole": summary(figures["state_query_whole"], "ms"),
            "K": summary(figures["K"], "ms", goal_one),
            "F11": summary(figures["F11"], "ms", goal_two),
            "N": summary(figures["N"], "ms", goal_one),
            "N_key_to_sound": summary(figures["N_key_to_sound"], "ms", goal_two)}


PASSTHROUGH_CALLS = [["f"], ["F", "14074000"], ["m"], ["M", "USB", "2400"]]


def _rigctl_seconds(port, call, timeout=30):
    started = time.monotonic()
    try:
        r = subprocess.run(["rigctl", "-m", "2037", "-r", port, "-s", "9600", *call],
                           capture_output=True, text=True, timeout=timeout)
        ok = r.returncode == 0 and not re.search(r"error|timed out|rejected", r.stdout + r.stderr, re.I)
    except subprocess.TimeoutExpired:
        ok = False
    return time.monotonic() - started, ok


def bench_passthrough(runs, trials=5):
    if not shutil.which("rigctl") or not shutil.which("socat"):
        print("  passthrough: skipped, it needs rigctl (libhamlib-utils) and socat")
        return {}
    direct = {" ".join(c): [] for c in PASSTHROUGH_CALLS}
    through = {" ".join(c): [] for c in PASSTHROUGH_CALLS}
    failures = {" ".join(c): 0 for c in PASSTHROUGH_CALLS}
    for _ in range(runs):
        # Directly on the virtual radio.
        folder = tempfile.mkdtemp(prefix="rigvox-direct-")
        radio = subprocess.Popen([os.path.join(BUILD, "virtual-radio"), "--delay", "10",
                                  os.path.join(folder, "com1")],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            radio.stdout.readline()
            for _ in range(trials):
                for call in PASSTHROUGH_CALLS:
                    seconds, _ok = _rigctl_seconds(os.path.join(folder, "com1"), call)
                    direct[" ".join(call)].append(1000 * seconds)
        finally:
            radio.terminate()
            radio.wait(5)
            shutil.rmtree(folder, ignore_errors=True)
        # Through the program, which polls the same radio meanwhile.
        socat = None
        try:
            def prepare(d):
                nonlocal socat
                socat = subprocess.Popen(["socat", "pty,raw,echo=0,link=" + os.path.join(d, "com2"),
                                          "pty,raw,echo=0,link=" + os.path.join(d, "client")],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                end = time.monotonic() + 5
                while not os.path.islink(os.path.join(d, "client")) and time.monotonic() < end:
                    time.sleep(0.01)
            with Session(config=config_text(port=1, bridge=2), radio=["--delay", "10"],
                         prepare=prepare) as s:
                connected_session(s)
                for _ in range(trials):
                    for call in PASSTHROUGH_CALLS:
                        seconds, ok = _rigctl_seconds(s.path("client"), call)
                        through[" ".join(call)].append(1000 * seconds)
                        failures[" ".join(call)] += 0 if ok else 1
        finally:
            if socat:
                socat.terminate()
                socat.wait(5)
    results = {"failed_runs": failures}
    for call in direct:
        ratio = statistics.median(through[call]) / statistics.median(direct[call])
        results[call] = "through %s; direct %s; ratio %.2f; failed %d" % (
            summary(through[call], "ms"), summary(direct[call], "ms"), ratio, failures[call])
        print("  passthrough %-13s %s" % (call, results[call]))
    return results


def bench_listen(runs):
    import bench_listen  # its own module: it needs PulseAudio, the others do not
    try:
        out = bench_listen.run(runs)
    except bench_listen.SinkError as e:
        print("  listen: skipped, %s" % e)
        return {}
    return dict(out.pop("summary"), figures=out)


BENCHMARKS = {"idle": bench_idle, "reaction": bench_reaction, "speech": bench_speech,
              "poll": bench_poll, "memory": bench_memory, "startup": bench_startup,
              "exchange": bench_exchange, "passthrough": bench_passthrough,
              "listen": bench_listen}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("benchmarks", nargs="*", help="any of %s (default: all)" % ", ".join(BENCHMARKS))
    parser.add_argument("--runs", type=int, default=3, help="repetitions of each (default 3)")
    parser.add_argument("--json", help="write every figure to this file")
    args = parser.parse_args()
    chosen = args.benchmarks or list(BENCHMARKS)
    unknown = [name for name in chosen if name not in BENCHMARKS]
    if unknown:
        parser.error("unknown benchmark %s" % ", ".join(unknown))
    rigvox_e2e.ensure_display()
    results = {"load_average": os.getloadavg(), "cpus": os.cpu_count()}
    for name in chosen:
        print("%s (%d runs)" % (name, args.runs), flush=True)
        results[name] = BENCHMARKS[name](args.runs)
    print("\nSummary (load average at start %.2f on %d cores)" % (results["load_average"][0],
                                                                 results["cpus"]))
    for name in chosen:
        for key, value in results[name].items():
            if isinstance(value, dict):
                value = value.get("summary")
            if isinstance(value, str):
                print("  %-9s %-12s %s" % (name, key, value))
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
