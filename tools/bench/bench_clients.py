#!/usr/bin/env python3
"""Real Hamlib programs beside Rigvox: JS8Call, fldigi and Gpredict on the
network port while the operator presses keys that speak and the dial is
turned at the virtual radio. A benchmark, not a test: it prints figures.

    RIGVOX_BUILD=build tools/bench/bench_clients.py [--seconds S] [--out DIR] PROGRAM

PROGRAM is js8call, fldigi, gpredict, or script-js8call / script-gpredict
(a client written here with that program's timeouts and cycle, for a machine
where the program does not run). Each run has its own Xvfb, working folder
and ports. The program is configured by its files, written into a home of
its own before it starts, for Hamlib NET rigctl (model 2) at a relay port;
the relay passes every byte on to Rigvox's network port and logs each
connection and line with its time, so what the program sent and how long
each answer took is seen from outside both programs.

The operator, every 2 s or so, presses one of F, S, M, Up, Down, or types a
frequency entry (E, digits, full stop, digits, Enter); about every 20 s the
dial is turned at the virtual radio. Measures:

  js8call   connections after the first, "T 0" lines, windows titled with
            "Error" (Rig Control Error), answers slower than 2.5 s.
  fldigi    a mode (M) or frequency (F) set every 15 s through fldigi's
            XML-RPC port; resends: the same set line sent again on the
            network port for one change, and the MD commands that reached
            the radio for it.
  gpredict  each typed entry: whether the frequency at the radio 5 s later
            is still the typed one, or the program has written over it.

Needs RIGVOX_BUILD (rigvox, virtual-radio, wave/); the programs from
Debian (js8call, fldigi, gpredict); xdotool and Xvfb."""

import argparse
import json
import os
import random
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import xmlrpc.client

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tests", "e2e"))
os.environ.setdefault("RIGVOX_E2E_OWN_DISPLAY", "1")

from rigvox_e2e import Session, _die_with_parent, config_text, free_port, xdotool  # noqa: E402

T0 = time.monotonic()


def now():
    return time.monotonic() - T0


class Relay(threading.Thread):
    """A TCP relay from a port of its own to Rigvox's network port, logging
    connections and the lines each way with their times."""

    def __init__(self, target):
        super().__init__(daemon=True)
        self.target = target
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(8)
        self.port = self.listener.getsockname()[1]
        self.events = []   # (time, connection, kind, text): kind open/close/c2s/s2c
        self.lock = threading.Lock()
        self.count = 0

    def log(self, conn, kind, text=""):
        with self.lock:
            self.events.append((now(), conn, kind, text))

    def run(self):
        while True:
            client, _ = self.listener.accept()
            self.count += 1
            conn = self.count
            try:
                server = socket.create_connection(("127.0.0.1", self.target))
            except OSError as e:
                self.log(conn, "refused", str(e))
                client.close()
                continue
            for s in (client, server):
                s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            self.log(conn, "open")
            threading.Thread(target=self.pipe, args=(client, server, conn, "c2s"),
                             daemon=True).start()
            threading.Thread(target=self.pipe, args=(server, client, conn, "s2c"),
                             daemon=True).start()

    def pipe(self, src, dst, conn, kind):
        pending = b""
        try:
            while True:
                data = src.recv(65536)
                if not data:
                    break
                dst.sendall(data)
                pending += data
                while b"\n" in pending:
                    line, pending = pending.split(b"\n", 1)
                    self.log(conn, kind, line.decode("latin-1").rstrip("\r"))
        except OSError:
            pass
        if kind == "c2s":
            self.log(conn, "close")
        for s in (src, dst):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def latencies(self):
        """(time, connection, line, seconds to the next answer bytes on that
        connection) for each client line, in order; seconds None when none
        came before the connection closed. A line sent while the program is
        held gets its time to the end of the hold."""
        events = list(self.events)
        out = []
        for i, (t, conn, kind, text) in enumerate(events):
            if kind != "c2s":
                continue
            seconds = None
            for t2, conn2, kind2, _ in events[i + 1:]:
                if conn2 == conn and kind2 == "s2c":
                    seconds = t2 - t
                    break
                if conn2 == conn and kind2 == "close":
                    break
            out.append((t, conn, text, seconds))
        return out


# ---------------------------------------------------------------------------
# The programs, configured by their files
# ---------------------------------------------------------------------------

def js8call_home(home, port):
    # A rig name of its own: JS8Call allows one instance per name (shared
    # memory and /tmp/JS8Call<name>), so two runs can go side by side.
    name = "bench%d" % port
    conf = os.path.join(home, ".config")
    os.makedirs(conf, exist_ok=True)
    with open(os.path.join(conf, "JS8Call - %s.ini" % name), "w") as f:
        f.write("[Configuration]\nMyCall=K1ABC\nMyGrid=FN42\nRig=Hamlib NET rigctl\n"
                "CATNetworkPort=127.0.0.1:%d\nPolling=1\n"
                "[MultiSettings]\nCurrentName=Default\n" % port)
    return ["js8call", "--rig-name", name]


def fldigi_home(home, port):
    d = os.path.join(home, ".fldigi")
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "fldigi_def.xml"), "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<FLDIGI_DEFS>\n'
                "<MYCALL>K1ABC</MYCALL>\n<MYLOCATOR>FN42</MYLOCATOR>\n"
                "<CHKUSEHAMLIBIS>1</CHKUSEHAMLIBIS>\n<CHKUSERIGCATIS>0</CHKUSERIGCATIS>\n"
                "<HAMRIGMODEL>2</HAMRIGMODEL>\n<HAMRIGNAME>Hamlib NET rigctl</HAMRIGNAME>\n"
                "<HAMRIGDEVICE>127.0.0.1:%d</HAMRIGDEVICE>\n<HAMLIBCMDPTT>1</HAMLIBCMDPTT>\n"
                "<CONFIRMEXIT>0</CONFIRMEXIT>\n<SAVECONFIG>0</SAVECONFIG>\n"
                "<XMLRPC_PORT>%d</XMLRPC_PORT>\n"
                "</FLDIGI_DEFS>\n" % (port, fldigi_home.xmlrpc_port))
    return ["fldigi", "--xmlrpc-server-port", str(fldigi_home.xmlrpc_port)]


fldigi_home.xmlrpc_port = 0

PROGRAMS = {"js8call": js8call_home, "fldigi": fldigi_home}


def start_program(name, home, port, folder):
    argv = PROGRAMS[name](home, port)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local", "share"))
    out = open(os.path.join(folder, name + ".out"), "wb")
    return subprocess.Popen(argv, env=env, cwd=home, stdin=subprocess.DEVNULL, stdout=out,
                            stderr=subprocess.STDOUT, preexec_fn=_die_with_parent,
                            start_new_session=True)


def stop(proc):
    """Ends the program and its helpers (JS8Call's js8 decoder), its own
    process group."""
    if proc is None:
        return
    try:
        os.killpg(proc.pid, signal.SIGTERM)
    except OSError:
        pass
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait(5)


# ---------------------------------------------------------------------------
# The operator and the dial
# ---------------------------------------------------------------------------

class Operator:
    """Keys every ~2 s; the dial every ~20 s. Logs (time, what) events."""

    def __init__(self, s, rng):
        self.s, self.rng = s, rng
        self.events = []
        self.keys = 0
        self.entries = []  # (time, typed Hz)
        self.dials = 0

    def step(self, choice=None):
        choice = choice or self.rng.choice(["f", "s", "m", "Up", "Down", "entry", "f", "s"])
        if choice == "entry":
            khz = self.rng.randrange(14000, 14300)
            hz = khz * 1000 + self.rng.choice([0, 500])
            digits = "%d.%06d" % (hz // 1000000, hz % 1000000)
            digits = digits.rstrip("0").rstrip(".") if "." in digits else digits
            keys = ["e"] + ["period" if c == "." else c for c in digits] + ["Return"]
            self.s.key(*keys, delay_ms=120)
            self.keys += len(keys)
            self.entries.append((now(), hz))
            self.events.append((now(), "entry %d" % hz))
        else:
            self.s.key(choice)
            self.keys += 1
            self.events.append((now(), "key %s" % choice))

    def dial(self):
        base = 14000000 + self.rng.randrange(0, 300) * 1000
        steps = " ".join(str(base + i * 100) for i in range(10))
        self.s.radio_control("dial %s" % steps)
        self.dials += 1
        self.events.append((now(), "dial to %d" % (base + 900)))


class GpredictCycle(threading.Thread):
    """Gpredict's radio controller as a script, for a machine where Gpredict
    cannot be engaged without clicks: every `cycle` s it reads the
    frequency ("f"); if that differs from what it last set by 1 Hz or more,
    the operator tuned, and the new dial is taken; otherwise it writes the
    dial plus the Doppler shift, which moves a few hertz each cycle ("F").
    A read that gets no answer within `timeout` s counts as no change."""

    def __init__(self, port, dial, cycle=1.0, timeout=10.0):
        super().__init__(daemon=True)
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.dial, self.cycle, self.timeout = dial, cycle, timeout
        self.last = None
        self.stopping = False
        self.buffer = b""
        self.adopted = self.timeouts = self.writes = 0

    def line(self):
        end = time.monotonic() + self.timeout
        while b"\n" not in self.buffer:
            left = end - time.monotonic()
            if left <= 0:
                return None
            self.sock.settimeout(left)
            try:
                chunk = self.sock.recv(4096)
            except socket.timeout:
                return None
            if not chunk:
                return None
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode().strip()

    def run(self):
        start = time.monotonic()
        while not self.stopping:
            t = time.monotonic()
            self.sock.sendall(b"f\n")
            answer = self.line()
            doppler = int(300 * ((t - start) % 600 - 300) / 300)
            changed = False
            if answer is None:
                self.timeouts += 1
            else:
                try:
                    read = int(float(answer))
                except ValueError:
                    read = None
                if read is not None and self.last is not None and abs(read - self.last) >= 1:
                    self.dial = read - doppler
                    self.last = read
                    changed = True
                    self.adopted += 1
            if not changed:
                hz = self.dial + doppler
                if hz != self.last:
                    self.sock.sendall(b"F %d\n" % hz)
                    self.line()
                    self.last = hz
                    self.writes += 1
            time.sleep(max(0.0, self.cycle - (time.monotonic() - t)))


def overwritten_entries(s, marks, typed_all, dial_times):
    """For each typed entry (Hz, radio-log position at its Enter, position
    5 s later, the time of its Enter): the first FA setting at the radio
    after the typed one that lies more than 2 kHz from it (the client wrote
    over the entry), or None. An entry with a dial turn from 1 s before to
    5 s after it is left out: a client that follows the dial is right to."""
    log = s.radio_log()
    out = []
    for hz, a, b, at in marks:
        if any(at - 1 <= d <= at + 5 for d in dial_times):
            continue
        sets = [int(c[2:]) for c in log[a:b] if re.fullmatch(r"FA\d{11}", c)]
        typed = sets.index(hz) if hz in sets else None
        over = None
        if typed is not None:
            for v in sets[typed + 1:]:
                if v in typed_all:
                    break   # the operator's next entry ends this one's watch
                if abs(v - hz) > 2000:
                    over = v
                    break
        out.append((hz, typed is not None, over))
    return out


def visible_windows(pid):
    out = xdotool("search", "--onlyvisible", "--pid", pid, check=False)
    return set(out.split())


def window_size(w):
    out = xdotool("getwindowgeometry", "--shell", w, check=False)
    v = dict(re.findall(r"(\w+)=(\d+)", out))
    return int(v.get("WIDTH", 0)), int(v.get("HEIGHT", 0))


def radio_freqs(s):
    """The FA settings the radio received, in order."""
    return [c for c in s.radio_log() if re.fullmatch(r"FA\d{11}", c)]


# ---------------------------------------------------------------------------

def run(args):
    rng = random.Random(args.seed)
    rig_port = free_port()
    folder = args.out or tempfile.mkdtemp(prefix="bench-clients-")
    os.makedirs(folder, exist_ok=True)
    home = os.path.join(folder, "home")
    os.makedirs(home, exist_ok=True)
    config = config_text(port=1, debug=1) + "RIGCTLD=127.0.0.1:%d\r\n" % rig_port
    result = {"program": args.program, "build": os.environ.get("RIGVOX_BUILD"),
              "seconds": args.seconds}
    proc = None
    with Session(config=config, radio=["--smeter", "12"], reply_pause_ms=0) as s:
        s._keep = True
        s.wait_for_window()
        s.wait_for_speech(["connected"], timeout=60)
        s.wait_for_silence()
        relay = Relay(rig_port)
        relay.start()
        if args.program == "fldigi":
            fldigi_home.xmlrpc_port = free_port()
        gp = None
        if args.program == "script-gpredict":
            gp = GpredictCycle(relay.port, 14250000)
            gp.start()
            proc = subprocess.Popen(["sleep", "100000"], start_new_session=True)
        else:
            proc = start_program(args.program, home, relay.port, folder)
        # The program connects; give it its start.
        time.sleep(args.settle)
        op = Operator(s, rng)
        dialogs = []   # js8call: (time, window, size) of dialogs that came up
        known = set()
        if args.program == "js8call":
            # Dialogs from the start (no sound device here) are closed; the
            # main windows are known; any later window is a dialog.
            for w in visible_windows(proc.pid):
                if window_size(w)[0] < 600:
                    xdotool("key", "--window", w, "Return", check=False)
            time.sleep(1)
            known = visible_windows(proc.pid)
        changes = []   # fldigi: (time, kind, value)
        rpc = None
        if args.program == "fldigi":
            rpc = xmlrpc.client.ServerProxy("http://127.0.0.1:%d/" % fldigi_home.xmlrpc_port)
        start = now()
        next_key, next_dial, next_change = start + 1, start + 10, start + 5
        modes = ["LSB", "USB"]
        pending, marks = [], []   # typed entries awaiting their 5 s, and done
        while now() - start < args.seconds:
            t = now()
            if t >= next_key:
                if args.program.endswith("gpredict") and rng.random() < 0.4:
                    mark = s.radio_mark()
                    op.step("entry")
                    pending.append((op.entries[-1][1], mark, now() + 5, op.entries[-1][0]))
                else:
                    op.step()
                next_key = t + rng.uniform(1.5, 2.5)
            if t >= next_dial:
                op.dial()
                next_dial = t + rng.uniform(15, 25)
            if rpc is not None and t >= next_change:
                # The change comes while a readout sounds: F, then 0.3 s.
                op.step("f")
                time.sleep(0.3)
                when = now()
                try:
                    if len(changes) % 2 == 0:
                        mode = modes[(len(changes) // 2) % 2]
                        changes.append((when, "M", mode))
                        rpc.rig.set_mode(mode)
                    else:
                        hz = 14070000 + rng.randrange(0, 30) * 100
                        changes.append((when, "F", hz))
                        rpc.main.set_frequency(float(hz))
                except Exception as e:  # fldigi busy or gone: noted, not fatal
                    changes.append((now(), "error", str(e)))
                next_change = t + 15
            if args.program == "js8call" and int(t * 10) % 10 == 0:
                for w in visible_windows(proc.pid) - known:
                    known.add(w)
                    dialogs.append((round(now(), 3), w, window_size(w)))
                    subprocess.run(["import", "-window", w, os.path.join(
                        folder, "dialog%d.png" % len(dialogs))], capture_output=True,
                        timeout=10)
            while pending and now() >= pending[0][2]:
                hz, mark, _, at = pending.pop(0)
                marks.append((hz, mark, s.radio_mark(), at))
            if proc.poll() is not None:
                result["program_exit"] = proc.returncode
                break
            time.sleep(0.1)
        time.sleep(3)
        s.screenshot(os.path.join(folder, "end.png"), whole_screen=True)
        stop(proc)
        time.sleep(1)
        lat = relay.latencies()
        answered = [x for x in lat if x[3] is not None]
        result.update({
            "keys": op.keys, "entries": len(op.entries), "dials": op.dials,
            "connections": relay.count,
            "lines": len(lat),
            "unanswered": sum(1 for x in lat if x[3] is None),
            "max_answer_s": round(max((x[3] for x in answered), default=0), 3),
            "answers_over_1s": sum(1 for x in answered if x[3] > 1.0),
            "answers_over_2_5s": sum(1 for x in answered if x[3] > 2.5),
            "T0_lines": sum(1 for e in relay.events if e[2] == "c2s"
                            and re.fullmatch(r"\s*\+?\\?T\s+0\s*|\s*\\set_ptt\s+0\s*", e[3])),
        })
        if args.program == "js8call":
            result["dialogs"] = dialogs
        if args.program.endswith("gpredict"):
            dial_times = [t for t, what in op.events if what.startswith("dial")]
            over = overwritten_entries(s, marks, {hz for _, hz in op.entries}, dial_times)
            result["entries_checked"] = len(over)
            result["entries_not_at_radio"] = sum(1 for _, seen, _ in over if not seen)
            result["entries_overwritten"] = sum(1 for _, _, o in over if o is not None)
            result["entry_detail"] = over
        if gp is not None:
            gp.stopping = True
            result.update(gpredict_adopted=gp.adopted, gpredict_writes=gp.writes,
                          gpredict_read_timeouts=gp.timeouts)
        if args.program == "fldigi":
            result["changes"] = changes
            result.update(fldigi_resends(relay, s, changes))
        with open(os.path.join(folder, "relay.log"), "w") as f:
            for t, conn, kind, text in relay.events:
                f.write("%9.3f %d %s %s\n" % (t, conn, kind, text))
        with open(os.path.join(folder, "operator.log"), "w") as f:
            for t, what in op.events:
                f.write("%9.3f %s\n" % (t, what))
        result["session_dir"] = s.dir
        result["folder"] = folder
    with open(os.path.join(folder, "result.json"), "w") as f:
        json.dump(result, f, indent=1)
    print(json.dumps(result, indent=1))


def fldigi_resends(relay, s, changes):
    """Per change: how many times its set line went out on the network port
    in the 12 s after it."""
    c2s = [(t, text) for t, conn, kind, text in relay.events if kind == "c2s"]
    per = []
    for t, kind, value in changes:
        if kind == "M":
            pat = re.compile(r"\s*\+?\\?(M|set_mode)\s+%s\b" % value)
        elif kind == "F":
            pat = re.compile(r"\s*\+?\\?(F|set_freq)\s+%d(\.0+)?\b" % value)
        else:
            continue
        n = sum(1 for tt, text in c2s if t <= tt < t + 12 and pat.match(text))
        per.append((kind, value, n))
    md = [c for c in s.radio_log() if re.fullmatch(r"MD\d", c)]
    return {"per_change_sent": per,
            "resends": sum(max(0, n - 1) for _, _, n in per),
            "radio_MD_commands": len(md)}


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("program", choices=sorted(PROGRAMS) + ["script-gpredict"])
    p.add_argument("--seconds", type=float, default=180)
    p.add_argument("--settle", type=float, default=15)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--out")
    run(p.parse_args())


if __name__ == "__main__":
    main()
