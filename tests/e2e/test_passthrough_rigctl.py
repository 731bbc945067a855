#!/usr/bin/env python3
"""Another program on the pass-through port: Hamlib's rigctl, as a new user
runs it (TS-590SG backend, no options), reads and sets the radio's frequency
and mode through the program over a socat null-modem pair; every command
is answered, each with its own answer and never one to the program's
polling, the radio receives each setting exactly as often as rigctl sent it,
and the program follows what was set. A transmission rigctl keys ends by
itself after the limit (TXLIMIT=2), and at once when the port's other end
goes away.

What rigctl sent and received is read on its own side of the socat pair
(socat -v logs every transfer): on a busy machine rigctl's own 500 ms
timeout may run out and it sends a setting again, which the radio must then
receive twice, no more and no less.

    virtual radio (com1) <-> rigvox <-> com2 =socat= client <-> rigctl
"""

import os
import re
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rigvox_e2e  # noqa: E402
from rigvox_e2e import HarnessError, Session, config_text, wait_until  # noqa: E402

RIGCTL = ["rigctl", "-m", "2037", "-s", "9600"]

# Window regions (x, y, width, height): the mode name and the big figures.
MODE = (40, 35, 260, 90)
FREQUENCY = (280, 145, 670, 85)


# One transfer in socat's -v log: direction ("<" from the client end,
# ">" to it), time, byte count; the bytes follow the header.
TRANSFER = re.compile(r"([<>]) \S+ \S+\s+length=(\d+) from=\d+ to=\d+\n")


class BridgeSession(Session):
    """A session whose working directory also holds com2, one end of a socat
    pseudo-terminal pair (the program's pass-through port), and client, the
    other end, for rigctl. socat logs what passes in socat.err."""

    socat = None

    def start_radio(self, options=(), port=1, link=None):
        super().start_radio(options, port, link)
        socat = shutil.which("socat")
        if not socat:
            raise HarnessError("socat is not installed")
        self._socat_err = open(self.path("socat.err"), "wb")
        self.socat = subprocess.Popen(
            [socat, "-d", "-d", "-v", "pty,raw,echo=0,link=" + self.path("com2"),
             "pty,raw,echo=0,link=" + self.path("client")],
            cwd=self.dir, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=self._socat_err, preexec_fn=rigvox_e2e._die_with_parent)
        wait_until(lambda: os.path.islink(self.path("com2")) and os.path.islink(self.path("client")),
                   10, "socat's pseudo-terminal pair")

    def stop(self):
        try:
            super().stop()
        finally:
            rigvox_e2e._stop_process(self.socat)
            if self.socat is not None:
                self._socat_err.close()
            self.socat = None

    def client_traffic(self):
        """What rigctl's end of the pair sent and received: two lists of
        commands and answers, without their ";", in order."""
        log = self.read_file("socat.err", "")
        sent, received = "", ""
        at = 0
        while True:
            m = TRANSFER.search(log, at)
            if not m:
                break
            data = log[m.end():m.end() + int(m.group(2))]
            at = m.end() + len(data)
            if m.group(1) == "<":
                sent += data
            else:
                received += data
        return [c for c in sent.split(";") if c], [a for a in received.split(";") if a]

    def client_mark(self):
        """A position in what rigctl sent."""
        return len(self.client_traffic()[0])

    def rigctl(self, *command, timeout=60):
        """Runs one plain rigctl command line against the client end and
        returns its output lines. rigctl ends with 0 even when a command
        failed, so a failure is recognised by the error text it prints."""
        started = time.monotonic()
        result = subprocess.run([*RIGCTL, "-r", self.path("client"), *command],
                                capture_output=True, text=True, timeout=timeout)
        text = result.stdout + result.stderr
        if result.returncode != 0 or re.search(r"error|timed out|rejected|retry", text, re.I):
            raise HarnessError("rigctl %s failed (exit %d) after %.1f s:\n%s\n%s"
                               % (" ".join(command), result.returncode,
                                  time.monotonic() - started, text[-3000:], self.report()))
        return [line.strip() for line in result.stdout.splitlines() if line.strip()]


class PassThroughRigctl(unittest.TestCase):
    def setUp(self):
        if not shutil.which("rigctl"):
            self.fail("rigctl is not installed (Debian package libhamlib-utils)")

    def test_plain_rigctl_reads_and_sets_frequency_and_mode_through_the_program(self):
        # Quiet: the radio turned at its front panel below is read by rigctl,
        # and its words would only lengthen the test.
        config = config_text(port=1, speed=9600, bridge=2, debug=1, announce="quiet") + "TXLIMIT=2\r\n"
        with BridgeSession(config=config,
                           radio=["--smeter", "12", "--delay", "10"]) as s:
            s.wait_for_window()
            # The pass-through port is opened when the link comes up.
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_quiet(0.5)

            # Reading: the radio's own frequency, turned at its front panel.
            s.radio_control("freq A 7123450")
            self.assertEqual(s.rigctl("f"), ["7123450"])

            # Setting the frequency: the radio receives it as often as
            # rigctl sent it, and rigctl reads it back.
            before = s.screen_region(FREQUENCY)
            mark, sent = s.radio_mark(), s.client_mark()
            self.assertEqual(s.rigctl("F", "14074000"), [])
            tries = s.client_traffic()[0][sent:].count("FA00014074000")
            self.assertGreaterEqual(tries, 1)
            self.assertEqual(s.radio_log()[mark:].count("FA00014074000"), tries)
            self.assertEqual(s.rigctl("f"), ["14074000"])
            s.wait_for_screen(FREQUENCY, lambda p: p != before and rigvox_e2e.dark(p) > 500,
                              what="the display to show 14.074 MHz")

            # Setting the mode: the radio receives "MD2" as often as rigctl
            # sent it (the program follows it without sending it again), and
            # rigctl reads USB back.
            self.assertEqual(s.rigctl("m")[0], "LSB")
            mode_before = s.screen_region(MODE)
            mark, sent = s.radio_mark(), s.client_mark()
            self.assertEqual(s.rigctl("M", "USB", "2400"), [])
            self.assertEqual(s.rigctl("m")[0], "USB")
            tries = s.client_traffic()[0][sent:].count("MD2")
            self.assertGreaterEqual(tries, 1)
            self.assertEqual(s.radio_log()[mark:].count("MD2"), tries)
            s.wait_for_screen(MODE, lambda p: p != mode_before and rigvox_e2e.dark(p) > 200,
                              what="the mode name to change")

            # F speaks the radio's frequency and the program's new mode at
            # once, though the band records stay the operator's while the
            # other program drives the radio.
            s.wait_for_quiet(0.5)
            mark = s.speech_mark()
            s.key("f")
            s.wait_for_speech(["1", "4", "point", "0", "7", "4", "mhz", "usb"], since=mark)
            # M steps on from the program's own mode: USB gives CW.
            s.key("m")
            s.wait_for_speech(["cw"])

            # rigctl keys the transmitter and leaves: after the limit the
            # program sends the receive command and says what Space says.
            s.wait_for_quiet(0.5)
            mark, said = s.radio_mark(), s.speech_mark()
            self.assertEqual(s.rigctl("T", "1"), [])
            keyed = time.monotonic()
            self.assertTrue([c for c in s.radio_log()[mark:] if re.fullmatch(r"TX\d?", c)])
            s.wait_for_speech(["tx", "off"], since=said, timeout=10)
            ended = time.monotonic() - keyed
            self.assertTrue(1.0 <= ended < 3.5, "transmission ended after %.2f s" % ended)
            self.assertIn("RX", s.radio_log()[mark:])

            # Every question rigctl asked (a bare command: its settings carry
            # a value, but for transmit and receive) was answered, in order,
            # and rigctl got nothing else: no answer to the program's own
            # polling, no error.
            sent, received = s.client_traffic()
            asked = [c for c in sent if len(c) == 2 and c not in ("TX", "RX")]
            self.assertGreater(len(asked), 20)
            self.assertEqual([a[:2] for a in received], asked)

            # A program that keys the transmitter and vanishes with its
            # cable ("Port 2 gone") takes the transmission with it, long
            # before the limit.
            mark = s.radio_mark()
            end = os.open(s.path("client"), os.O_RDWR | os.O_NOCTTY)
            try:
                os.write(end, b"TX;")
                s.wait_for_radio(["TX"], since=mark, timeout=10)
            finally:
                os.close(end)
            time.sleep(0.3)
            self.assertNotIn("RX", s.radio_log()[mark:])
            rigvox_e2e._stop_process(s.socat)
            ended = s.seconds_until_radio("RX", since=mark)
            print("\npass-through port gone: RX %.0f ms after its end closed" % (ended * 1000), flush=True)
            self.assertIn("RX", s.radio_log()[mark:])
            # Well before the limit (2 s) would have ended it.
            self.assertLess(ended, 1.0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
