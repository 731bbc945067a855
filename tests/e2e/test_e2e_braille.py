#!/usr/bin/env python3
"""BRAILLE=on: every readout's text reaches the braille display through
Debian's BRLTTY and BrlAPI. BRLTTY runs with its Virtual driver, whose
"display" is this test: a Unix socket on which BRLTTY tells what the cells
show ("Visual" lines) and takes the display's keys (panning, routing). Its
BrlAPI listens on a local socket of the test's own (BRLAPI_HOST), so tests
side by side never share one."""

import os
import random
import re
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import unittest

from rigvox_e2e import Session, config_text, wait_until, _die_with_parent, _stop_process

CELLS = 40
# The panel line: the frequency to at least the kHz, the mode, and so on.
PANEL = re.compile(r"^\d+\.\d{3,6} MHz (LSB|USB|CW|AM|FM)")


class VirtualDisplay:
    """The far end of BRLTTY's Virtual driver: a display of CELLS cells that
    records every text BRLTTY shows on it and can press its keys."""

    def __init__(self, path):
        self.path = path
        self.shown = []
        self.lock = threading.Lock()
        self.conn = None
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(path)
        self.server.listen(1)
        self.server.settimeout(30)
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        try:
            conn, _ = self.server.accept()
        except OSError:
            return
        self.conn = conn
        conn.sendall(b"cells %d\n" % CELLS)
        buffer = b""
        while True:
            try:
                data = conn.recv(4096)
            except OSError:
                return
            if not data:
                return
            buffer += data
            while b"\n" in buffer:
                line, buffer = buffer.split(b"\n", 1)
                line = line.decode("utf-8", "replace").rstrip("\r")
                if line.startswith('Visual "'):
                    text = line[len('Visual "'):-1].replace('\\"', '"').replace("\\\\", "\\")
                    with self.lock:
                        self.shown.append(text.rstrip())

    def close(self):
        for s in (self.conn, self.server):
            if s is not None:
                s.close()

    def now(self):
        with self.lock:
            return self.shown[-1] if self.shown else None

    def last(self, predicate, before):
        """The last text shown before position `before` for which predicate holds."""
        with self.lock:
            return next((t for t in reversed(self.shown[:before]) if predicate(t)), "")

    def mark(self):
        with self.lock:
            return len(self.shown)

    def wait_for(self, predicate, what, since=0, timeout=30):
        """The first text shown at or after `since` for which predicate holds."""
        def found():
            with self.lock:
                return next((t for t in self.shown[since:] if predicate(t)), None)
        try:
            return wait_until(found, timeout, what)
        except AssertionError as error:
            raise AssertionError("%s; the display showed: %r" % (error, self.shown[since:])) from None

    def press(self, command):
        """A display key as BRLTTY's command: "FWinRt", "Route 3" (cells from 1)."""
        self.conn.sendall(command.encode() + b"\n")


def text_lines(path):
    """The readout texts the program logged so far, one a line."""
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


class BrailleTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="rigvox-braille-")
        self.display = VirtualDisplay(os.path.join(self.dir, "vr.sock"))
        # A BrlAPI socket number nobody else uses (BRLTTY refuses one in use);
        # its socket is /var/lib/BrlAPI/<number>.
        number = next(n for n in (random.randint(1000, 60000) for _ in range(100))
                      if not os.path.exists("/var/lib/BrlAPI/%d" % n))
        self.host = ":%d" % number
        self.brltty_log = open(os.path.join(self.dir, "brltty.log"), "wb")
        self.brltty = subprocess.Popen(
            ["brltty", "-n", "-q", "-e", "-f", "/dev/null", "-s", "no", "-x", "no",
             "-b", "vr", "-d", "client:" + self.display.path,
             "-A", "host=%s,auth=none" % self.host,
             "-P", os.path.join(self.dir, "brltty.pid"), "-U", self.dir],
            stdin=subprocess.DEVNULL, stdout=self.brltty_log, stderr=subprocess.STDOUT,
            preexec_fn=_die_with_parent)
        wait_until(lambda: self.display.conn is not None, 30, "BRLTTY to reach the display")
        # Its first output ("no screen") tells that the driver has taken the
        # display's size: a client asking before then is told no display.
        wait_until(lambda: self.display.shown, 30, "BRLTTY's first output")
        # BrlAPI's socket comes a little later than the display; the program
        # looks for it once, at start.
        wait_until(lambda: os.path.exists("/var/lib/BrlAPI/%d" % number), 30, "BrlAPI's socket")

    def tearDown(self):
        _stop_process(self.brltty)
        self.brltty_log.close()
        self.display.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def session(self, text_log):
        config = config_text(port=1, announce="all") + "BRAILLE=on\r\n"
        return Session(config=config, radio=[],
                       env={"BRLAPI_HOST": self.host, "RIGVOX_TEXT_LOG": text_log})

    def test_readouts_and_the_panel_line_on_the_display(self):
        d = self.display
        text_log = os.path.join(self.dir, "text.log")

        def texts():
            return text_lines(text_log)

        def readout_of(action, what):
            """Runs action; returns the one new text of the text log, once
            the display shows it (as far as its cells go)."""
            before, mark = len(texts()), d.mark()
            action()
            text = wait_until(lambda: texts()[before:] and texts()[-1], 30, what + " in the text log")
            d.wait_for(lambda t: t == text[:CELLS].rstrip(), what + " on the display", since=mark)
            return text

        with self.session(text_log) as s:
            s.wait_for_window()
            # The panel line once the radio has answered: frequency and mode.
            d.wait_for(lambda t: PANEL.match(t), "the panel line")

            said = readout_of(lambda: s.key("f"), "F's readout")
            self.assertRegex(said, r"^\d+(\.\d+)? MHz (LSB|USB|CW|AM|FM)")
            self.assertNotIn("mhz", said)

            said = readout_of(lambda: s.key("m"), "M's readout")
            self.assertIn(said, ["LSB", "USB", "CW", "AM", "FM narrow", "FM"])

            said = readout_of(lambda: s.radio_control("dial A 14050000 14060000 14074000"),
                              "the dial's announcement")
            self.assertIn("14.074 MHz", said)

            # Nothing new to read: the panel line comes back with the new state.
            mark = d.mark()
            d.wait_for(lambda t: PANEL.match(t) and t.startswith("14.074 MHz") and t != said[:CELLS],
                       "the panel line again", since=mark)

            # A routing key over the frequency starts a frequency entry, as E does.
            speech = s.speech_mark()
            d.press("Route 2")
            s.wait_for_speech(["ef"], since=speech)

            # H, then F: a help sentence longer than the display; panning
            # right shows the rest of it.
            s.key("Escape")
            readout_of(lambda: s.key("h"), "H's readout")
            help_text = readout_of(lambda: s.key("f"), "F's help")
            self.assertGreater(len(help_text), CELLS)
            mark = d.mark()
            d.press("FWinRt")
            d.wait_for(lambda t: t == help_text[CELLS:2 * CELLS].rstrip(), "the help panned", since=mark)

            s.close_window()
            self.assertEqual(s.wait_exit(), 0)

    def test_every_key_of_the_key_card_is_read_on_the_display(self):
        # Each key, in an order that leaves no entry open for the next one.
        # A key that answers gets its text on the display (as far as its
        # cells go); the tuning keys answer with no words, and the panel line
        # shows their new frequency. Space and T are left out: they key the
        # transmitter; F6 and F10 have no command, and Q ends the program.
        TEXT, PANEL_LINE, SILENT = "text", "panel", "silent"
        steps = [("f", TEXT), ("e", TEXT), ("1", TEXT), ("4", TEXT), ("period", TEXT), ("2", TEXT),
                 ("Return", TEXT), ("equal", TEXT), ("minus", TEXT), ("Prior", PANEL_LINE),
                 ("Next", PANEL_LINE), ("Right", PANEL_LINE), ("Left", PANEL_LINE),
                 ("Up", PANEL_LINE), ("Down", PANEL_LINE), ("z", TEXT), ("b", TEXT), ("4", TEXT),
                 ("m", TEXT), ("w", TEXT), ("p", TEXT), ("Down", TEXT), ("a", TEXT), ("r", TEXT),
                 ("F11", TEXT), ("k", TEXT), ("k", TEXT), ("s", TEXT), ("F12", TEXT),
                 ("F12", TEXT), ("v", TEXT), ("v", TEXT), ("F1", TEXT), ("F1", TEXT),
                 ("F2", TEXT), ("F2", TEXT), ("F3", TEXT), ("F3", TEXT), ("F4", TEXT), ("F4", TEXT),
                 ("F5", TEXT), ("F5", TEXT), ("F7", TEXT), ("F8", TEXT), ("F8", TEXT), ("F9", TEXT),
                 ("F9", TEXT), ("o", TEXT), ("n", TEXT), ("Escape", SILENT), ("c", TEXT), ("1", TEXT),
                 ("g", TEXT), ("1", TEXT), ("j", TEXT), ("c", TEXT), ("q", TEXT), ("Return", TEXT),
                 ("h", TEXT), ("f", TEXT), ("y", TEXT), ("y", TEXT), ("y", TEXT), ("x", TEXT),
                 ("x", TEXT)]
        d = self.display
        text_log = os.path.join(self.dir, "text.log")

        def texts():
            return text_lines(text_log)

        def frequency(line):
            return line.split(" MHz")[0]

        self.maxDiff = None
        unread = []
        with self.session(text_log) as s:
            s.wait_for_window()
            d.wait_for(lambda t: PANEL.match(t), "the panel line")
            for key, answer in steps:
                before, mark = len(texts()), d.mark()
                s.key(key)
                try:
                    if answer == TEXT:
                        wait_until(lambda: len(texts()) > before, 15, "%s's text" % key)
                        # The display is written only when its text changes: a
                        # readout that repeats what it shows stands as it is.
                        shown = texts()[-1][:CELLS].rstrip()
                        wait_until(lambda: d.now() == shown or shown in d.shown[mark:], 15,
                                   "%s's %r on the display" % (key, shown))
                    elif answer == PANEL_LINE:
                        old = frequency(d.last(PANEL.match, before=mark))
                        d.wait_for(lambda t: PANEL.match(t) and frequency(t) != old,
                                           "%s's frequency on the panel line" % key, since=mark, timeout=15)
                    else:
                        s.wait_for_silence()
                except AssertionError as error:
                    unread.append((key, str(error)[:200]))
            s.close_window()
            self.assertEqual(s.wait_exit(), 0)
        self.assertEqual(unread, [])

    def test_without_brltty_nothing_is_said_and_the_debug_log_has_one_line(self):
        _stop_process(self.brltty)
        config = config_text(port=1, debug=1) + "BRAILLE=on\r\n"
        with Session(config=config, radio=[], env={"BRLAPI_HOST": self.host}) as s:
            s.wait_for_window()
            s.wait_for_speech(["rigvox", "3", "point", "4"])
            s.key("f")
            s.wait_for_speech(["mhz"])
            s.close_window()
            self.assertEqual(s.wait_exit(), 0)
            log = s.read_file("debug.dat", "")
            self.assertEqual(log.count("BRAILLE=on"), 1)


if __name__ == "__main__":
    unittest.main()
