#!/usr/bin/env python3
"""Rigvox network-port benchmarks: the real program with its rigctld-
compatible port open (RIGCTLD= line of rigvox.cfg), timed from outside.

    bench_net.py [--runs N] [--seconds S] [BENCHMARK ...]

BENCHMARK is any of answer, set, idle, reaction, flood (default: all).

  answer    a connected client's "f" to its answer, 500 times, with the
            program polling a radio that answers 10 ms after each query.
  set       a client's "F 14074000" to "FA00014074000;" arriving at the
            radio port (the radio's own clock of the arrival).
  idle      CPU time of the program over S seconds (default 60) without a
            client, then over S seconds while one client asks "f", "m" and
            "t" ten times a second: without a display and with the window
            under Xvfb.
  reaction  a key (Right) to its frequency command at the radio port while
            that client polls: to compare with bench.py's reaction figure.
  flood     Space to "RX;" (releasing) and to "TX;" beyond its spoken "tx on"
            (keying) at the radio port while a client keeps 400 lines
            alternating "S 1 VFOB" and "S 0 VFOA" queued, with a radio
            answering 70 ms after each query.

Needs RIGVOX_BUILD (rigvox, virtual-radio, wave/)."""

import argparse
import contextlib
import os
import socket
import statistics
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tests", "e2e"))
sys.path.insert(0, HERE)

from bench import PtyRadio, X, arrival, connected_session, key_reactions, summary  # noqa: E402
from rigvox_e2e import (RigctlClient as Client, Session, config_text, free_port,  # noqa: E402
                        prompt_seconds)
from soak import cpu_percent  # noqa: E402


class Flooder(threading.Thread):
    """A client that keeps the program busy: the split switched on and off,
    400 lines queued at any time, its answers read as they come."""

    LINES = 400

    def __init__(self, port):
        super().__init__(daemon=True)
        self.client = Client(port)
        self.stopping = False
        self.answered = 0

    def run(self):
        sock = self.client.sock
        sock.settimeout(0.05)
        sent, pending = 0, b""
        while not self.stopping:
            while sent - self.answered < self.LINES:
                sock.sendall(b"S 1 VFOB\n" if sent % 2 == 0 else b"S 0 VFOA\n")
                sent += 1
            try:
                chunk = sock.recv(65536)
            except socket.timeout:
                continue
            except OSError:
                return
            if not chunk:
                return
            pending += chunk
            self.answered += pending.count(b"\n")
            pending = pending[pending.rfind(b"\n") + 1:]

    def stop(self):
        self.stopping = True
        self.join(5)
        self.client.close()


class Poller(threading.Thread):
    """A logger's polling: f, m and t, ten times a second."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.client = Client(port)
        self.stopping = False
        self.rounds = 0

    def run(self):
        next_round = time.monotonic()
        while not self.stopping:
            self.client.ask("f")
            self.client.ask("m", 2)
            self.client.ask("t")
            self.rounds += 1
            next_round += 0.1
            time.sleep(max(0.0, next_round - time.monotonic()))

    def stop(self):
        self.stopping = True
        self.join(5)
        self.client.close()


def port_session(port, radio=None, env=None):
    config = config_text(port=1) + "RIGCTLD=%d\r\n" % port
    if radio is not None:
        return Session(config=config, prepare=radio.link, env=env)
    return Session(config=config, radio=["--smeter", "12"], env=env)


@contextlib.contextmanager
def own_radio_session(delay_ms=0, window=False):
    """The program connected to the benchmark's own radio, with its network
    port open: yields the session, the radio, the port and (window=True) the
    window's key sender."""
    radio = PtyRadio(delay_ms=delay_ms)
    port = free_port()
    try:
        with port_session(port, radio) as s:
            x = X(s.wait_for_window()) if window else None
            connected_session(s)
            try:
                yield s, radio, port, x
            finally:
                if x is not None:
                    x.close()
    finally:
        radio.close()


def bench_answer(runs, asks=500):
    figures = []
    for _ in range(runs):
        with own_radio_session(delay_ms=10) as (s, radio, port, x):
            client = Client(port)
            for _ in range(asks):
                started = time.perf_counter()
                client.ask("f")
                figures.append(1000 * (time.perf_counter() - started))
            client.close()
    text = summary(figures, "ms", "< 5 ms")
    print("  answer: " + text + "; 99th percentile %.2f ms"
          % sorted(figures)[int(0.99 * (len(figures) - 1))])
    return {"ms": figures, "summary": text}


def bench_set(runs, trials=40):
    figures = []
    for _ in range(runs):
        with own_radio_session() as (s, radio, port, x):
            client = Client(port)
            for i in range(trials):
                hz = 14074000 + 10 * i
                time.sleep(0.12)
                sent = time.monotonic()
                client.ask("F %d" % hz)
                wanted = "FA%011d" % hz
                at = arrival(radio, sent, lambda c: c == wanted, timeout=2)
                if at is not None:
                    figures.append(1000 * (at - sent))
            client.close()
    text = summary(figures, "ms", "within one tick (50 ms)")
    print("  set: " + text)
    return {"ms": figures, "summary": text}


def bench_idle(runs, seconds):
    """The same process measured twice: S seconds without a client, then S
    seconds with the polling client, so other load on the machine shows in
    both figures alike."""
    results = {}
    for mode in ("headless", "window"):
        alone, polled = [], []
        for _ in range(runs):
            env = {"DISPLAY": ""} if mode == "headless" else {}
            port = free_port()
            with port_session(port, env=env) as s:
                connected_session(s)
                time.sleep(2)
                pid = s.proc.pid
                alone.append(cpu_percent(pid, seconds)[0])
                poller = Poller(port)
                poller.start()
                time.sleep(2)
                percent, rate = cpu_percent(pid, seconds, lambda: poller.rounds)
                poller.stop()
                polled.append(percent)
                print("  idle %-8s %.2f %% of a core without a client, %.2f %% with one asking "
                      "f m t %.1f times a second" % (mode, alone[-1], polled[-1], rate))
        goal = "< 0.5 %" if mode == "headless" else "<= 1 %"
        results[mode] = {"percent": polled, "without": alone, "summary": summary(polled, "%", goal)}
    return results


def bench_reaction(runs, trials=40):
    figures = []
    for _ in range(runs):
        with own_radio_session(window=True) as (s, radio, port, x):
            poller = Poller(port)
            poller.start()
            figures += key_reactions(x, radio, trials)
            poller.stop()
    text = summary(figures, "ms", "as without a client (median < 2 ms)")
    print("  reaction with a polling client: " + text)
    return {"ms": figures, "summary": text}


def bench_flood(runs, trials=20, timeout=60):
    """Space pressed while a client floods the program with work that each
    waits for a 70 ms radio. Space releasing sends "RX" first and speaks
    after, so its figure is the key's wait for the program; Space keying
    speaks "tx" "on" first (wait=True, about 0.8 s) and then sends "TX", so
    its figure is the time to "TX" beyond that speech. A command that does
    not come within the timeout counts as the timeout."""
    speech = 1000 * (prompt_seconds("tx") + prompt_seconds("on"))
    release, key, lines = [], [], []
    for _ in range(runs):
        with own_radio_session(delay_ms=70, window=True) as (s, radio, port, x):
            flooder = Flooder(port)
            flooder.start()
            time.sleep(1.0)
            served0, t0 = flooder.answered, time.monotonic()
            for i in range(trials):
                time.sleep(1.2)  # the last Space's speech has ended
                keying = i % 2 == 0
                wanted = "TX" if keying else "RX"
                sent = x.key("space")
                at = arrival(radio, sent, lambda c: c == wanted, timeout=timeout)
                ms = 1000 * ((at if at is not None else sent + timeout) - sent)
                (key if keying else release).append(ms - speech if keying else ms)
            lines.append((flooder.answered - served0) / (time.monotonic() - t0))
            flooder.stop()
    text = summary(release, "ms", "< 150 ms")
    print("  Space releasing, under a flooding client, 70 ms radio: key to \"RX\" " + text)
    print("  Space keying: \"TX\" after its %.0f ms of speech, %s" % (speech, summary(key, "ms")))
    print("  the flooding client's lines answered: %.1f a second" % statistics.median(lines))
    return {"release_ms": release, "key_ms": key, "summary": text}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=int, default=60)
    parser.add_argument("benchmarks", nargs="*", default=["answer", "set", "idle", "reaction", "flood"])
    args = parser.parse_args()
    for name in args.benchmarks:
        print(name)
        if name == "answer":
            bench_answer(args.runs)
        elif name == "set":
            bench_set(args.runs)
        elif name == "idle":
            bench_idle(args.runs, args.seconds)
        elif name == "reaction":
            bench_reaction(args.runs)
        elif name == "flood":
            bench_flood(args.runs)
        else:
            parser.error("unknown benchmark %s" % name)


if __name__ == "__main__":
    main()
