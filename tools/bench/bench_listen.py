#!/usr/bin/env python3
"""Rigvox while it speaks: what the poll, the network port, the pass-through
port and the keys get during a readout, with the sound played by a real sink
(a PulseAudio null sink, whose clock paces playback as a sound card does),
not SDL's dummy driver.

    bench_listen.py [--runs N] [--trials T] [--idle-seconds S] [--json FILE] [PART ...]

PART is any of readout, passthrough, key, escape, idle (default: all). Each
run is one program (the idle part: one more per run). The prompts are
replaced by steady levels of the recordings' lengths, one level per prompt
name, so the sink's monitor, recorded with parec, tells which prompt sounds
at every moment and where sound stops. The radio is the virtual radio
answering in 10 ms behind a tap of the benchmark's own that notes when each
command reaches it.

  readout      during an F readout (the frequency and mode, about 2.5 s): a
               network client asking "f" every 100 ms, its answer times (the
               largest, the median); the largest gap between poll queries
               at the radio (50 ms at rest).
  passthrough  rigctl -m 2031 (TS-590S) "f" through the pass-through port,
               started 100 ms into an F readout, beside the same at rest:
               successes and run times.
  key          M (the next mode) 200 ms into an F readout: key to its "MD"
               setting at the radio, to its first prompt in the speech log,
               and to that prompt's sound at the sink.
  escape       Escape 1.5 s into the whole help (H, H): key to the end of
               the help's sound at the sink.
  idle         CPU of the program over S seconds (default 30) without a
               client and then with one asking "f" every 100 ms, sound on
               the null sink.

Every wait has a time limit; a figure that runs into one is reported as the
limit, marked as such. Needs RIGVOX_BUILD (rigvox, virtual-radio, wave/),
PulseAudio and pulseaudio-utils; a PulseAudio that runs is used (a null sink
loaded into it), otherwise one of the benchmark's own is started and
stopped."""

import argparse
import array
import json
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
from bench import SpeechClock  # noqa: E402
from rigvox_e2e import BUILD, POLLS, RigctlClient, Session, config_text, free_port  # noqa: E402
from bench import X, connected_session  # noqa: E402
from sink import RATE, NullSink, SinkError  # noqa: E402
from soak import cpu_percent  # noqa: E402

SILENT = 40          # a sample this close to 0 is silence
RIGCTL_TIMEOUT = 30  # s, one rigctl run
ANSWER_TIMEOUT = 15  # s, one network answer
HELP_TIMEOUT = 60    # s, the help's sound to stop after Escape


# ---------------------------------------------------------------------------
# Prompts as levels
# ---------------------------------------------------------------------------

class CodedPrompts:
    """The built prompts as constant sample values of the recordings' own
    lengths, a level of its own per prompt name ("delay" stays silent): the
    level read at the sink names the prompt sounding."""

    BASE = 800

    def __init__(self, directory):
        built = os.path.join(BUILD, "wave")
        names = sorted(n for n in os.listdir(built) if n.lower().endswith(".wav"))
        self.step = min(150, (30000 - self.BASE) // max(1, len(names)))
        self.level = {}
        os.makedirs(directory, exist_ok=True)
        for i, name in enumerate(names):
            with wave.open(os.path.join(built, name)) as w:
                frames, rate = w.getnframes(), w.getframerate()
            prompt = name[:-4].lower()
            value = 0 if prompt == "delay" else self.BASE + self.step * i
            if value:
                self.level[prompt] = value
            # At the device's rate: a resampler's gain (SDL's is 0.998)
            # would move the levels by more than half a step.
            with wave.open(os.path.join(directory, name), "wb") as out:
                out.setnchannels(1)
                out.setsampwidth(2)
                out.setframerate(RATE)
                out.writeframes(array.array("h", [value]).tobytes() * (frames * RATE // rate))

    def matches(self, sample, prompt):
        return abs(sample - self.level.get(prompt, -99999)) <= self.step * 2 // 5


def first_run(samples, start, predicate, length):
    """Index of the first run of `length` samples from `start` on for which
    predicate holds, or None."""
    run = 0
    for i in range(start, len(samples)):
        run = run + 1 if predicate(samples[i]) else 0
        if run >= length:
            return i - length + 1
    return None


def last_sound(samples):
    """Index after the last sample of sound, 0 if none."""
    for i in range(len(samples) - 1, -1, -1):
        if abs(samples[i]) > SILENT:
            return i + 1
    return 0


# ---------------------------------------------------------------------------
# The radio behind a tap, and the session around it
# ---------------------------------------------------------------------------

class Tap:
    """A pseudo-terminal of our own in front of the virtual radio's: bytes
    pass both ways as they come, and each command the program sends is noted
    with the moment it arrived (the virtual radio logs no times)."""

    def __init__(self, radio_pty, link):
        self.radio = os.open(radio_pty, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.radio)
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        os.symlink(os.ttyname(self.slave), link)
        self.received = []   # (monotonic time, command without ";")
        self.error = None
        self.lock = threading.Lock()
        self.stopping = False
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        pending = ""
        while not self.stopping:
            ready, _, _ = select.select([self.master, self.radio], [], [], 0.1)
            for fd in ready:
                other = self.radio if fd == self.master else self.master
                try:
                    chunk = os.read(fd, 4096)
                    now = time.monotonic()
                    left = chunk
                    while left:
                        left = left[os.write(other, left):]
                except (BlockingIOError, InterruptedError):
                    continue
                except OSError as e:
                    # The figures after this are not the program's: say so.
                    self.error = "the tap between program and radio stopped: %s" % e
                    return
                if fd == self.master:
                    pending += chunk.decode("latin-1")
                    *commands, pending = pending.split(";")
                    with self.lock:
                        self.received.extend((now, c) for c in commands)

    def commands_since(self, t):
        with self.lock:
            return [(at, c) for at, c in self.received if at >= t]

    def arrival(self, since, wanted, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            for at, c in self.commands_since(since):
                if wanted(c):
                    return at
            time.sleep(0.001)
        return None

    def close(self):
        self.stopping = True
        self.thread.join(2)
        for fd in (self.master, self.slave, self.radio):
            os.close(fd)


class ListenSession(Session):
    """The program with its sound on the null sink, the coded prompts, the
    virtual radio (10 ms) behind a tap on com1, a socat pair for the
    pass-through port (com2, and "client" for rigctl) and the network port."""

    def __init__(self, sink, prompts_dir, net_port):
        config = (config_text(port=1, bridge=2, announce="quiet")
                  + "RIGCTLD=127.0.0.1:%d\r\n" % net_port)
        super().__init__(config=config, radio=["--delay", "10", "--smeter", "12"], wave=False,
                         env=sink.program_env(),
                         prepare=lambda d: os.symlink(prompts_dir, os.path.join(d, "wave")))
        self.tap = None
        self.socat = None

    def start_radio(self, options=(), port=1, link=None):
        super().start_radio(options, port, link=self.path("radio-pty"))
        self.tap = Tap(self.radio_pty, self.path("com%d" % port))
        self.socat = subprocess.Popen(
            ["socat", "pty,raw,echo=0,link=" + self.path("com2"),
             "pty,raw,echo=0,link=" + self.path("client")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=rigvox_e2e._die_with_parent)
        rigvox_e2e.wait_until(lambda: os.path.islink(self.path("client")), 10, "socat's pair")

    def stop(self):
        try:
            super().stop()
        finally:
            if self.tap is not None:
                self.tap.close()
                self.tap = None
            rigvox_e2e._stop_process(self.socat)
            self.socat = None


class FPoller(threading.Thread):
    """A logger on the network port: "f" every 100 ms, each answer awaited
    (up to ANSWER_TIMEOUT) before the next is asked."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.client = RigctlClient(port)
        self.asks = []          # (sent, answered or None)
        self.stopping = False

    def run(self):
        due = time.monotonic()
        while not self.stopping:
            sent = time.monotonic()
            try:
                got = self.client.ask("f")
                self.asks.append((sent, time.monotonic() if got and got[0] else None))
            except OSError:
                self.asks.append((sent, None))
                return  # a lost answer would pair the next ones wrongly
            due += 0.1
            time.sleep(max(0.0, due - time.monotonic()))
            due = max(due, time.monotonic())

    def stop(self):
        self.stopping = True
        self.join(ANSWER_TIMEOUT + 5)
        self.client.close()


def settle(s, rec):
    """Silence, the poll going again, the sink silent for half a second (a
    program that logs its prompts as it queues them is not silent when the
    log says so), and a second more (the sound device stays open: it rests
    only after 5 s)."""
    s.wait_for_silence(timeout=90)
    end = time.monotonic() + 60
    while time.monotonic() < end:
        now = time.monotonic()
        _, samples = rec.samples(now - 0.55, now - 0.05)
        if not any(abs(v) > SILENT for v in samples):
            break
        time.sleep(0.1)
    time.sleep(1.0)


def readout(s, x):
    """Presses F; returns the key's moment."""
    return x.key("f")


def sound_end(rec, t, timeout=30):
    """The moment the sound started after t ends (the first 300 ms of
    silence after it), or None."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        f0, s = rec.samples(t, time.monotonic() - 0.05)
        first = first_run(s, 0, lambda v: abs(v) > SILENT, 1)
        if first is not None:
            quiet = first_run(s, first, lambda v: abs(v) <= SILENT, int(0.3 * RATE))
            if quiet is not None:
                return rec.time_at(f0 + quiet)
        time.sleep(0.2)
    return None


# ---------------------------------------------------------------------------
# The parts
# ---------------------------------------------------------------------------

def part_readout(s, x, rec, port, trials, out):
    poller = FPoller(port)
    poller.start()
    tap = s.tap
    time.sleep(2.0)
    for _ in range(trials):
        settle(s, rec)
        rest_from = time.monotonic() - 1.0
        t = readout(s, x)
        end = sound_end(rec, t)
        s.wait_for_silence(timeout=90)
        if end is None:
            print("  readout: no sound at the sink")
            continue
        asks = [(a, b) for a, b in poller.asks if a <= end and (b is None or b >= t)]
        answers = [1000 * ((b if b is not None else a + ANSWER_TIMEOUT) - a) for a, b in asks]
        lost = sum(1 for _, b in asks if b is None)
        polls = [at for at, c in tap.commands_since(rest_from) if c in POLLS]
        gaps = [1000 * (b - a) for a, b in zip(polls, polls[1:]) if b >= t and a <= end]
        rest = [1000 * (b - a) for a, b in zip(polls, polls[1:]) if b < t]
        if not gaps:
            # No poll query at all from the key to the end of the readout.
            before = [p for p in polls if p < t]
            after = tap.commands_since(end)
            nxt = next((at for at, c in after if c in POLLS), None)
            gaps = [1000 * ((nxt or time.monotonic()) - (before[-1] if before else t))]
        out["readout_ms"].append(1000 * (end - t))
        out["f_answer_max_ms"].append(max(answers) if answers else float("nan"))
        out["f_answer_median_ms"].append(statistics.median(answers) if answers else float("nan"))
        out["f_answers"] += answers
        out["f_lost"] += lost
        out["poll_gap_max_ms"].append(max(gaps))
        out["poll_gap_rest_ms"] += rest
        print("  readout %.0f ms: f answers %s ms%s; poll gaps max %.0f ms (at rest %s)"
              % (1000 * (end - t), [round(v, 1) for v in answers],
                 " (%d timed out)" % lost if lost else "", max(gaps),
                 "median %.0f" % statistics.median(rest) if rest else "-"))
    poller.stop()


def rigctl_f(client):
    started = time.monotonic()
    try:
        r = subprocess.run(["rigctl", "-m", "2031", "-r", client, "f"], capture_output=True,
                           text=True, timeout=RIGCTL_TIMEOUT)
        text = r.stdout + r.stderr
        ok = (r.returncode == 0 and re.search(r"^\d{6,}$", r.stdout, re.M) is not None
              and not re.search(r"error|timed out|rejected", text, re.I))
    except subprocess.TimeoutExpired:
        ok, text = False, "killed after %d s" % RIGCTL_TIMEOUT
    return 1000 * (time.monotonic() - started), ok


def part_passthrough(s, x, rec, trials, out):
    if not shutil.which("rigctl"):
        print("  passthrough: skipped, rigctl (libhamlib-utils) is not installed")
        return
    for during in (False, True):
        for _ in range(trials):
            settle(s, rec)
            if during:
                t = readout(s, x)
                time.sleep(max(0.0, t + 0.1 - time.monotonic()))
            ms, ok = rigctl_f(s.path("client"))
            key = "rigctl_during" if during else "rigctl_idle"
            out[key + "_ms"].append(ms)
            out[key + "_ok"].append(ok)
            print("  rigctl f %s: %.0f ms, %s" % ("100 ms into a readout" if during else "at rest",
                                                  ms, "ok" if ok else "FAILED"))
            s.wait_for_silence(timeout=90)


def part_key(s, x, rec, clock, prompts, trials, out):
    for _ in range(trials):
        settle(s, rec)
        t = readout(s, x)
        time.sleep(max(0.0, t + 0.2 - time.monotonic()))
        tm = x.key("m")
        md = s.tap.arrival(tm, lambda c: c.startswith("MD") and len(c) > 2, timeout=20)
        s.wait_for_silence(timeout=90)
        if md is None:
            out["key_command_ms"].append(20000.0)
            out["key_timeouts"] += 1
            print("  M: no MD setting within 20 s")
            continue
        out["key_command_ms"].append(1000 * (md - tm))
        # The mode key sends before it speaks: its first word is the first
        # one logged after its command reached the radio.
        said = [(at, w) for at, w in clock.since(md - 0.005)]
        if not said:
            print("  M: MD after %.0f ms; nothing said" % (1000 * (md - tm)))
            continue
        logged, word = said[0]
        out["key_logged_ms"].append(1000 * (logged - tm))
        f0, samples = rec.samples(tm, time.monotonic() - 0.05)
        i = first_run(samples, 0, lambda v: prompts.matches(v, word), 22)
        sound = rec.time_at(f0 + i) if i is not None else None
        if sound is not None:
            out["key_sound_ms"].append(1000 * (sound - tm))

        print("  M 200 ms into a readout: MD after %.0f ms, \"%s\" logged after %.0f ms, "
              "sounding after %s ms" % (1000 * (md - tm), word, 1000 * (logged - tm),
                                        "%.0f" % (1000 * (sound - tm)) if sound else "?"))


def part_escape(s, x, rec, prompts, trials, out):
    help_levels = [v for name, v in prompts.level.items() if name.startswith(("key", "help"))]
    tolerance = prompts.step * 2 // 5

    def is_help(v):
        return any(abs(v - h) <= tolerance for h in help_levels)

    for _ in range(trials):
        settle(s, rec)
        x.key("h")
        time.sleep(0.4)
        x.key("Shift_L")  # SDL could take a second H sent at once for a repeat
        time.sleep(0.1)
        x.key("h")
        time.sleep(1.5)
        te = x.key("Escape")
        # Sound of the help is over when none of it follows for 300 ms.
        stop = None
        limit = time.monotonic() + HELP_TIMEOUT
        while stop is None and time.monotonic() < limit:
            time.sleep(0.5)
            f0, samples = rec.samples(te - 0.05, time.monotonic() - 0.05)
            if not any(is_help(v) for v in samples[:int(0.05 * RATE)]):
                break  # no help sounding at the key: the trial does not count
            last, run = None, 0
            for i in range(len(samples)):
                if is_help(samples[i]):
                    run += 1
                    if run >= 22:
                        last = i
                else:
                    run = 0
            if last is not None and len(samples) - last > 0.3 * RATE:
                stop = rec.time_at(f0 + last + 1)
        if stop is None and time.monotonic() < limit:
            print("  Escape: the whole help was not sounding at the key; left out")
            s.wait_for_silence(timeout=90)
            continue
        ms = 1000 * (stop - te) if stop is not None else 1000.0 * HELP_TIMEOUT
        out["escape_ms"].append(ms)
        if stop is None:
            out["escape_timeouts"] += 1
        print("  Escape in the whole help: silent after %s ms" % ("%.1f" % ms if stop else "> %d000" % HELP_TIMEOUT))
        s.wait_for_silence(timeout=90)


def part_idle(sink, prompts_dir, seconds, out):
    port = free_port()
    with ListenSession(sink, prompts_dir, port) as s:
        connected_session(s)
        time.sleep(2)
        pid = s.proc.pid
        out["idle_cpu_pct"].append(cpu_percent(pid, seconds)[0])
        poller = FPoller(port)
        poller.start()
        time.sleep(2)
        percent, rate = cpu_percent(pid, seconds, lambda: len(poller.asks))
        poller.stop()
        out["idle_cpu_client_pct"].append(percent)
        print("  idle: %.2f %% of a core without a client, %.2f %% with one asking f %.1f times a second"
              % (out["idle_cpu_pct"][-1], percent, rate))


# ---------------------------------------------------------------------------

PARTS = ["readout", "passthrough", "key", "escape", "idle"]


def figure(values, unit="ms"):
    values = [v for v in values if v == v]
    if not values:
        return "-"
    form = "%.2f" if unit == "%" else "%.1f"
    return (form + " %s (" + form + " - " + form + ", n=%d)") % (
        statistics.median(values), unit, min(values), max(values), len(values))


def run(runs=3, parts=None, trials=3, idle_seconds=30):
    parts = parts or PARTS
    out = {k: [] for k in ("readout_ms", "f_answer_max_ms", "f_answer_median_ms", "f_answers",
                           "poll_gap_max_ms", "poll_gap_rest_ms", "rigctl_idle_ms", "rigctl_idle_ok",
                           "rigctl_during_ms", "rigctl_during_ok", "key_command_ms", "key_logged_ms",
                           "key_sound_ms", "escape_ms", "idle_cpu_pct", "idle_cpu_client_pct")}
    out.update(f_lost=0, key_timeouts=0, escape_timeouts=0, parts_ended_early=[])
    rigvox_e2e.ensure_display()
    folder = tempfile.mkdtemp(prefix="rigvox-listen-")
    try:
        prompts = CodedPrompts(os.path.join(folder, "wave"))
        with NullSink() as sink:
            out["own_pulseaudio"] = sink.own_server()
            print("  sound: PulseAudio null sink %s (%s)"
                  % (sink.name, "own server" if sink.own_server() else "in the running server"))
            for r in range(runs):
                if any(p != "idle" for p in parts):
                    port = free_port()
                    rec = sink.recorder()
                    try:
                        with ListenSession(sink, os.path.join(folder, "wave"), port) as s:
                            x = X(s.wait_for_window())
                            clock = SpeechClock(s.path("speech.log"))
                            connected_session(s)
                            s.radio_control("freq A 14074000")
                            s.radio_control("mode 1")
                            s.wait_for_radio(["FA", "FA"], since=s.radio_mark())
                            steps = [
                                ("readout", lambda: part_readout(s, x, rec, port, trials, out)),
                                ("passthrough", lambda: part_passthrough(s, x, rec, trials, out)),
                                ("key", lambda: part_key(s, x, rec, clock, prompts, trials, out)),
                                ("escape", lambda: part_escape(s, x, rec, prompts,
                                                               max(1, trials - 1), out))]
                            for name, step in steps:
                                if name not in parts:
                                    continue
                                try:
                                    step()
                                except rigvox_e2e.HarnessError as e:
                                    # A program that never falls silent ends this
                                    # part, not the benchmark.
                                    print("  %s: ended early, %s" % (name, str(e).splitlines()[0]))
                                    out["parts_ended_early"].append(name)
                            if s.tap.error:
                                print("  " + s.tap.error)
                                out["parts_ended_early"].append(s.tap.error)
                            clock.close()
                            x.close()
                    finally:
                        rec.close()
                if "idle" in parts:
                    part_idle(sink, os.path.join(folder, "wave"), idle_seconds, out)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    report(out)
    return out


def report(out):
    def ok(key):
        got = out[key]
        return "%d of %d" % (sum(got), len(got)) if got else "-"

    lines = [
        ("F readout, key to silence", figure(out["readout_ms"])),
        ("f answer, largest per readout", figure(out["f_answer_max_ms"])),
        ("f answer, every ask during readouts", figure(out["f_answers"])
         + (", %d timed out (counted %d s)" % (out["f_lost"], ANSWER_TIMEOUT) if out["f_lost"] else "")),
        ("poll gap, largest per readout", figure(out["poll_gap_max_ms"])),
        ("poll gap at rest", figure(out["poll_gap_rest_ms"])),
        ("rigctl f at rest", figure(out["rigctl_idle_ms"]) + ", succeeded " + ok("rigctl_idle_ok")),
        ("rigctl f 100 ms into a readout", figure(out["rigctl_during_ms"]) + ", succeeded "
         + ok("rigctl_during_ok")),
        ("M 200 ms into a readout: to MD", figure(out["key_command_ms"])
         + (", %d timed out" % out["key_timeouts"] if out["key_timeouts"] else "")),
        ("M: to its first prompt logged", figure(out["key_logged_ms"])),
        ("M: to its first prompt sounding", figure(out["key_sound_ms"])),
        ("Escape in the whole help: to silence", figure(out["escape_ms"])
         + (", %d timed out" % out["escape_timeouts"] if out["escape_timeouts"] else "")),
        ("idle CPU, no client", figure(out["idle_cpu_pct"], "%")),
        ("idle CPU, client asking f 10/s", figure(out["idle_cpu_client_pct"], "%")),
    ]
    if out["parts_ended_early"]:
        lines.append(("parts ended early", ", ".join(out["parts_ended_early"])))
    print("\nSummary (median, range)")
    for name, text in lines:
        if text.startswith("-"):
            continue
        print("  %-40s %s" % (name, text))
    out["summary"] = dict(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("parts", nargs="*", help="any of %s (default: all)" % ", ".join(PARTS))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--trials", type=int, default=3, help="readouts per part and run (default 3)")
    parser.add_argument("--idle-seconds", type=int, default=30)
    parser.add_argument("--json", help="write every figure to this file")
    args = parser.parse_args()
    unknown = [p for p in args.parts if p not in PARTS]
    if unknown:
        parser.error("unknown part %s" % ", ".join(unknown))
    print("load average %.2f on %d cores" % (os.getloadavg()[0], os.cpu_count()))
    try:
        out = run(args.runs, args.parts, args.trials, args.idle_seconds)
    except SinkError as e:
        print("listen: %s" % e)
        return 1
    if args.json:
        with open(args.json, "w") as f:
            json.dump(out, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
