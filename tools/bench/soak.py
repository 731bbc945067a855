#!/usr/bin/env python3
"""Soak run: the real program (rigvox-soak, its poll tick shortened) against
the virtual radio under Xvfb for a given number of poll queries, sampling
the program's resident memory, its open descriptors, its CPU time and the
rate of queries the radio receives.

    soak.py [--queries N] [--tick-ms MS] [--max-seconds S] [--every S] [--json FILE]

A day of the product's 50 ms ticks is 1,728,000 ticks, each sending one
query to a radio that answers: the default. With a 1 ms tick that takes
about half an hour. Prints one line per sample and a verdict; exits 1 when
a check fails (memory growing, a descriptor left open, the poll rate falling
off, the link lost more than now and then or down at the end, or no clean
exit).

Needs RIGVOX_BUILD (the build folder with rigvox-soak, virtual-radio and
wave/) and finds the end-to-end harness in tests/e2e beside this folder."""

import argparse
import json
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tests", "e2e"))

from rigvox_e2e import Session, config_text  # noqa: E402

DAY_OF_TICKS = 24 * 3600 * 1000 // 50
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")

# Limits of the verdict.
RSS_GROWTH_KB = 512        # resident size, last sample against the first
RATE_DRIFT = 0.05          # poll rate: the last third of the run may not fall further below the first


class LineCounter:
    """Counts the lines of a growing file, reading only what is new."""

    def __init__(self, path):
        self.path, self.offset, self.lines = path, 0, 0

    def count(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                chunk = f.read()
        except OSError:
            return self.lines
        self.offset += len(chunk)
        self.lines += chunk.count(b"\n")
        return self.lines


def cpu_percent(pid, seconds, count=lambda: 0):
    """The share of a core the process used over the next `seconds`, and how
    often `count` (a running tally, such as a client's questions) went up
    each second meanwhile."""
    cpu0, t0, n0 = proc_sample(pid)[3], time.monotonic(), count()
    time.sleep(seconds)
    cpu1, t1, n1 = proc_sample(pid)[3], time.monotonic(), count()
    return 100.0 * (cpu1 - cpu0) / (t1 - t0), (n1 - n0) / (t1 - t0)


def proc_sample(pid):
    """VmRSS and VmHWM in kB, open descriptors, CPU seconds (user + system)."""
    fields = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                fields[key] = int(value.split()[0])
    with open("/proc/%d/stat" % pid) as f:
        stat = f.read().rsplit(")", 1)[1].split()
    cpu = (int(stat[11]) + int(stat[12])) / CLOCK_TICKS
    fds = len(os.listdir("/proc/%d/fd" % pid))
    return fields["VmRSS"], fields["VmHWM"], fds, cpu


def queries_done(samples):
    return samples[-1]["queries"] if samples else 0


def third_rates(samples):
    """Mean query rates of the first and the last third of the samples."""
    n = len(samples)
    if n < 6:
        return None, None
    def rate(part):
        return (part[-1]["queries"] - part[0]["queries"]) / (part[-1]["t"] - part[0]["t"])
    return rate(samples[: n // 3 + 1]), rate(samples[-(n // 3) - 1:])


def run(queries=DAY_OF_TICKS, tick_ms=1, max_seconds=None, every=5.0, out=sys.stdout):
    """One soak run; returns its samples and verdict as a dictionary."""
    result = {"queries_wanted": queries, "tick_ms": tick_ms, "samples": [], "problems": []}
    with Session(config=config_text(port=1), binary="rigvox-soak", radio=["--smeter", "12"],
                 env={"RIGVOX_TEST_TICK_MS": str(tick_ms)}) as s:
        s.wait_for_window()
        s.wait_for_speech(["connected"], timeout=60)
        s.wait_for_silence()
        time.sleep(2)  # let the fast poll settle before the first sample
        pid = s.proc.pid
        speech_mark = s.speech_mark()
        counter = LineCounter(s.path("radio.log"))
        start = time.monotonic()
        first = counter.count()
        samples = result["samples"]
        while True:
            t = time.monotonic() - start
            done = counter.count() - first
            rss, hwm, fds, cpu = proc_sample(pid)
            samples.append({"t": round(t, 2), "queries": done, "rss_kb": rss, "hwm_kb": hwm,
                            "fds": fds, "cpu_s": cpu})
            out.write("soak t=%7.1f s  queries=%9d  rate=%6.0f/s  VmRSS=%6d kB  VmHWM=%6d kB  fds=%d\n"
                      % (t, done, done / t if t > 0 else 0, rss, hwm, fds))
            out.flush()
            if done >= queries or (max_seconds is not None and t >= max_seconds):
                break
            if not s.running():
                result["problems"].append("the program ended during the run")
                break
            time.sleep(every)

        # With the tick shortened the watchdog takes some 20 to 40 ms of
        # silence for a lost link (20 silent collections), which a busy
        # machine can cause now and then: such resynchronisations are counted
        # and reported. The link must be up at the end, and losses must stay
        # rare.
        said = s.speech_since(speech_mark)
        result["resynchronisations"] = said.count("connected")
        if result["resynchronisations"] > max(2, queries_done(samples) // 500000):
            result["problems"].append("the link was lost %d times" % result["resynchronisations"])
        if s.running():
            s.wait_for_silence()
            mark = s.speech_mark()
            s.key("f")
            try:
                s.wait_for_speech(["mhz"], since=mark, timeout=10)
            except AssertionError:
                result["problems"].append("no frequency readout at the end: %s" % s.speech_since(mark))
        if s.running():
            s.close_window()
            code = s.wait_exit(60)
            if code != 0:
                result["problems"].append("exit code %s" % code)

    samples = result["samples"]
    result["queries_done"] = samples[-1]["queries"]
    result["seconds"] = samples[-1]["t"]
    result["ticks_equivalent_hours"] = round(samples[-1]["queries"] * 0.05 / 3600, 2)
    result["rss_growth_kb"] = samples[-1]["rss_kb"] - samples[0]["rss_kb"]
    result["rss_range_kb"] = max(x["rss_kb"] for x in samples) - min(x["rss_kb"] for x in samples)
    result["hwm_kb"] = samples[-1]["hwm_kb"]
    result["fds"] = sorted({x["fds"] for x in samples})
    early, late = third_rates(samples)
    result["rate_first_third"], result["rate_last_third"] = early, late
    if result["rss_growth_kb"] > RSS_GROWTH_KB:
        result["problems"].append("resident memory grew by %d kB" % result["rss_growth_kb"])
    if len(result["fds"]) != 1:
        result["problems"].append("open descriptors changed: %s" % result["fds"])
    # A slower poll late in the run is the fault looked for (per-tick work
    # growing, the timer falling behind); a faster one only means the machine
    # had more to spare, since at a 1 ms tick the radio's own answer time
    # decides how many ticks find their answer.
    if early and late and (early - late) / early > RATE_DRIFT:
        result["problems"].append("poll rate drifted from %.0f/s to %.0f/s" % (early, late))
    if early is None:
        result["problems"].append("too few samples to judge the poll rate")
    out.write("soak: %d queries (%.1f hours of 50 ms ticks) in %.0f s; VmRSS %+d kB (range %d kB), "
              "VmHWM %d kB; descriptors %s; rate %s/s -> %s/s; %d resynchronisation(s); %s\n"
              % (result["queries_done"], result["ticks_equivalent_hours"], result["seconds"],
                 result["rss_growth_kb"], result["rss_range_kb"], result["hwm_kb"], result["fds"],
                 "%.0f" % early if early else "?", "%.0f" % late if late else "?",
                 result.get("resynchronisations", 0), "; ".join(result["problems"]) or "all checks passed"))
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--queries", type=int, default=DAY_OF_TICKS,
                        help="poll queries to run (default: a day of 50 ms ticks, %d)" % DAY_OF_TICKS)
    parser.add_argument("--tick-ms", type=int, default=1, help="tick period of the run, 1..50 ms")
    parser.add_argument("--max-seconds", type=float, default=None, help="stop earlier after this long")
    parser.add_argument("--every", type=float, default=10.0, help="seconds between samples")
    parser.add_argument("--json", help="write the samples and verdict to this file")
    args = parser.parse_args()
    result = run(args.queries, args.tick_ms, args.max_seconds, args.every)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(result, f, indent=1)
    return 1 if result["problems"] else 0


if __name__ == "__main__":
    sys.exit(main())
