#!/usr/bin/env python3
"""Rigvox speed benchmarks for the Windows build under Wine, timed from outside.

    tools/test-windows.sh --bench [--runs N] [BENCHMARK ...]

(test-windows.sh prepares Wine and runs this script.) BENCHMARK is any of
idle, reaction, startup (default: all); each is repeated and reported as a
median with its spread, as tools/bench/bench.py does for Linux.

  idle      CPU time (user + system, /proc) of rigvox.exe polling the
            virtual radio at 20 queries a second, window shown under Xvfb,
            and of the wineserver meanwhile (Wine's serial and timer calls go
            through it: part of the program's cost under Wine).
  reaction  a real key event (XTEST) to its CAT command arriving at the
            serial port: the tuning key, which sends the frequency first.
  startup   process start (wine rigvox.exe) to the first poll query at the
            radio, with the greeting's recordings left out.
"""

import argparse
import ctypes
import os
import shutil
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
sys.path.insert(0, HERE)

import wine_e2e  # noqa: E402  (puts tests/e2e on the path)
import rigvox_e2e  # noqa: E402
from bench import GREETING, PtyRadio, connected_session, summary  # noqa: E402
from rigvox_e2e import BUILD, config_text  # noqa: E402
from soak import proc_sample  # noqa: E402
from wine_e2e import WineSession  # noqa: E402


def link_radio(radio):
    """Points the pinned COM link at the benchmark's own radio."""
    try:
        os.unlink(wine_e2e.RADIO_LINK)
    except FileNotFoundError:
        pass
    os.symlink(os.ttyname(radio.slave), wine_e2e.RADIO_LINK)


def pid_running(name):
    """Process id of the newest process whose command line holds name."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read().replace(b"\0", b" ").decode(errors="replace")
            with open("/proc/%s/stat" % entry) as f:
                start = int(f.read().rsplit(")", 1)[1].split()[19])
        except OSError:
            continue
        if name in cmdline:
            found.append((start, int(entry)))
    return max(found)[1] if found else None


def bench_idle(runs, seconds=60):
    program, server = [], []
    for _ in range(runs):
        with WineSession(config=config_text(port=5), radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            connected_session(s)
            time.sleep(2)
            pid, wineserver = pid_running("rigvox.exe"), pid_running("wineserver")
            c0, w0, t0, q0 = (proc_sample(pid)[3], proc_sample(wineserver)[3], time.monotonic(),
                              s.radio_mark())
            time.sleep(seconds)
            c1, w1, t1, q1 = (proc_sample(pid)[3], proc_sample(wineserver)[3], time.monotonic(),
                              s.radio_mark())
            program.append(100.0 * (c1 - c0) / (t1 - t0))
            server.append(100.0 * (w1 - w0) / (t1 - t0))
            print("  idle: rigvox.exe %.2f %%, wineserver %.2f %% of a core at %.1f queries/s"
                  % (program[-1], server[-1], (q1 - q0) / (t1 - t0)), flush=True)
    return {"program": summary(program, "%", "< 0.5 %"), "wineserver": summary(server, "%")}


def bench_reaction(runs, trials=40):
    figures = []
    dpy = wine_e2e._X.open()
    code = wine_e2e._X.lib.XKeysymToKeycode(dpy, wine_e2e._X.lib.XStringToKeysym(b"Right"))
    try:
        for _ in range(runs):
            radio = PtyRadio()
            try:
                link_radio(radio)
                with WineSession(config=config_text(port=5)) as s:
                    s.wait_for_window()
                    connected_session(s)
                    for _ in range(trials):
                        time.sleep(0.12)
                        wine_e2e._X.xtst.XTestFakeKeyEvent(dpy, code, 1, 0)
                        wine_e2e._X.lib.XFlush(dpy)
                        sent = time.monotonic()
                        wine_e2e._X.xtst.XTestFakeKeyEvent(dpy, code, 0, 0)
                        wine_e2e._X.lib.XFlush(dpy)
                        end = sent + 2
                        while time.monotonic() < end:
                            got = [at for at, c in radio.commands_since(sent)
                                   if c.startswith("FA") and len(c) > 2]
                            if got:
                                figures.append(1000 * (got[0] - sent))
                                break
                            time.sleep(0.0002)
            finally:
                radio.close()
    finally:
        wine_e2e._X.lib.XCloseDisplay(dpy)
    print("  reaction: " + summary(figures, "ms", "median < 2 ms"), flush=True)
    return {"ms": summary(figures, "ms", "median < 2 ms")}


def bench_startup(runs):
    quiet = tempfile.mkdtemp(prefix="rigvox-quiet-")
    figures = []
    try:
        for name in os.listdir(os.path.join(BUILD, "wave")):
            if name[:-4] not in GREETING:
                os.symlink(os.path.join(BUILD, "wave", name), os.path.join(quiet, name))
        for _ in range(runs):
            radio = PtyRadio()
            try:
                link_radio(radio)

                def prepare(d):
                    os.symlink(quiet, os.path.join(d, "wave"))
                started = time.monotonic()
                with WineSession(config=config_text(port=5), wave=False, prepare=prepare) as s:
                    end = time.monotonic() + 30
                    while time.monotonic() < end:
                        polls = [at for at, c in radio.commands_since(started) if c == "FA"]
                        if polls:
                            figures.append(1000 * (polls[0] - started))
                            break
                        time.sleep(0.001)
                    s.wait_for_speech(["connected"], timeout=30)
            finally:
                radio.close()
    finally:
        shutil.rmtree(quiet, ignore_errors=True)
    print("  startup: " + summary(figures, "ms"), flush=True)
    return {"ms": summary(figures, "ms")}


BENCHMARKS = {"idle": bench_idle, "reaction": bench_reaction, "startup": bench_startup}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("benchmarks", nargs="*", help="any of %s (default: all)" % ", ".join(BENCHMARKS))
    parser.add_argument("--runs", type=int, default=3, help="repetitions of each (default 3)")
    args = parser.parse_args()
    chosen = args.benchmarks or list(BENCHMARKS)
    rigvox_e2e.ensure_display()
    load = os.getloadavg()[0]
    results = {}
    for name in chosen:
        print("%s (%d runs)" % (name, args.runs), flush=True)
        results[name] = BENCHMARKS[name](args.runs)
    print("\nSummary (load average at start %.2f on %d cores)" % (load, os.cpu_count()))
    for name in chosen:
        for key, value in results[name].items():
            print("  %-9s %-11s %s" % (name, key, value))
    return 0


if __name__ == "__main__":
    sys.exit(main())
