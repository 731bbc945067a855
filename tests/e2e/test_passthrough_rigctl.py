#!/usr/bin/env python3
"""Another program on the pass-through port: Hamlib's rigctl (Kenwood TS-2000
backend) reads and sets the radio's frequency and mode through the program,
over a socat null-modem pair, and the program follows what it sets.

    virtual radio (com1) <-> rigvox <-> com2 =socat= client <-> rigctl

rigctl options, and why (see docs/pass-through.md):
  --vfo                   commands name the VFO: the virtual radio does not
                          answer "IF", which rigctl otherwise asks to learn
                          the current VFO (a real Kenwood answers it)
  post_write_delay=100    the program forwards one command per tick and drops
                          the rest of what came with it, so rigctl's check
                          "ID;" must not arrive with the setting command
  timeout=500             the program answers after its 100 ms reply pause
                          plus up to a tick; rigctl's 200 ms is too tight
"""

import os
import re
import shutil
import statistics
import struct
import subprocess
import sys
import time
import unittest
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rigvox_e2e  # noqa: E402
from rigvox_e2e import HarnessError, Session, config_text, wait_until  # noqa: E402

RIGCTL_OPTIONS = ["-m", "2014", "-s", "9600", "--vfo",
                  "-C", "timeout=500,post_write_delay=100"]
TIMED_READS = 7

# Window regions (x, y, width, height): the mode name and the big figures.
MODE = (40, 35, 260, 90)
FREQUENCY = (280, 145, 670, 85)


def dark(pixels):
    return sum(1 for b in pixels if b < 100)


def silent_wav(path, ms):
    """A silent 16-bit mono WAV of the given length."""
    rate = 22050
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack("<h", 0) * (rate * ms // 1000))


class BridgeSession(Session):
    """A session whose working directory also holds com2, one end of a socat
    pseudo-terminal pair (the program's pass-through port), and client, the
    other end, for rigctl."""

    socat = None

    def start_radio(self, options=(), port=1):
        # The reply pause is the length of wave/delay.wav: without the built
        # prompts the pass-through would read every answer before it came.
        if not os.path.islink(self.path("wave")) and not os.path.exists(self.path("wave/delay.wav")):
            silent_wav(self.path("wave/delay.wav"), 100)
        super().start_radio(options, port)
        socat = shutil.which("socat")
        if not socat:
            raise HarnessError("socat is not installed")
        self._socat_err = open(self.path("socat.err"), "wb")
        self.socat = subprocess.Popen(
            [socat, "-d", "-d", "pty,raw,echo=0,link=" + self.path("com2"),
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

    def rigctl(self, *command, timeout=90):
        """Runs one rigctl command line against the client end; returns its
        output lines. rigctl ends with 0 even when a command failed, so a
        failure is recognised by the error text it prints."""
        started = time.monotonic()
        result = subprocess.run(["rigctl", "-r", self.path("client"), *RIGCTL_OPTIONS, *command],
                                capture_output=True, text=True, timeout=timeout)
        seconds = time.monotonic() - started
        text = result.stdout + result.stderr
        if result.returncode != 0 or re.search(r"error|timed out|rejected", text, re.I):
            raise HarnessError("rigctl %s failed (exit %d) after %.1f s:\n%s\n%s"
                               % (" ".join(command), result.returncode, seconds, text[-3000:],
                                  self.report()))
        return [line.strip() for line in result.stdout.splitlines() if line.strip()], seconds

    def timed_reads(self, count):
        """Reads the frequency count times in one rigctl session (commands
        on its standard input, no caching) and returns (answers, seconds of
        each read), the rig's opening not counted."""
        proc = subprocess.Popen(
            ["rigctl", "-r", self.path("client"), *RIGCTL_OPTIONS, "-C", "cache_timeout=0", "-"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
            bufsize=1)
        answers, seconds = [], []
        try:
            for _ in range(count + 1):  # the first read waits for the opening too
                started = time.monotonic()
                proc.stdin.write("f VFOA\n")
                proc.stdin.flush()
                while True:
                    line = proc.stdout.readline()
                    if not line:
                        raise HarnessError("rigctl ended while reading the frequency\n%s"
                                           % self.report())
                    if line.startswith("f VFOA"):
                        break
                seconds.append(time.monotonic() - started)
                answers.append(line.split()[-1])
            proc.stdin.close()
            proc.wait(30)
        finally:
            rigvox_e2e._stop_process(proc)
            for pipe in (proc.stdin, proc.stdout):
                if not pipe.closed:
                    pipe.close()
        return answers[1:], seconds[1:]


class PassThroughRigctl(unittest.TestCase):
    def setUp(self):
        if not shutil.which("rigctl"):
            self.fail("rigctl is not installed (Debian package libhamlib-utils)")

    @staticmethod
    def read_after_key_press(s, expected):
        """F after a first key press and a few frequency polls: speaks the
        frequency and mode the program holds."""
        s.wait_for_quiet(0.5)
        s.key("f")
        s.wait_for_quiet(0.5)
        s.wait_for_radio(["FA", "FA", "FA"], since=s.radio_mark())
        mark = s.speech_mark()
        s.key("f")
        s.wait_for_speech(expected, since=mark)

    def test_rigctl_reads_and_sets_frequency_and_mode_through_the_program(self):
        with BridgeSession(config=config_text(port=1, speed=9600, bridge=2, debug=1),
                           radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            # The pass-through port is opened when the link comes up.
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_quiet(0.5)

            # Reading: the radio's own frequency, turned at its front panel.
            s.radio_control("freq A 7123450")
            lines, first_run = s.rigctl("f", "VFOA")
            self.assertEqual(lines, ["7123450"])

            answers, seconds = s.timed_reads(TIMED_READS)
            self.assertEqual(answers, ["7123450"] * TIMED_READS)
            print("\none rigctl 'f' through the pass-through port: median %.0f ms "
                  "(min %.0f, max %.0f, %d reads in one rigctl session); "
                  "a whole rigctl run (opening and one 'f'): %.1f s"
                  % (statistics.median(seconds) * 1000, min(seconds) * 1000,
                     max(seconds) * 1000, len(seconds), first_run), flush=True)

            # Setting the frequency: the radio is tuned, rigctl reads it
            # back, and the program shows and speaks it.
            s.wait_for_quiet(0.5)
            before = s.screen_region(FREQUENCY)
            mark = s.radio_mark()
            self.assertEqual(s.rigctl("F", "VFOA", "14074000")[0], [])
            s.wait_for_radio(["FA00014074000"], since=mark)
            self.assertEqual(s.rigctl("f", "VFOA")[0], ["14074000"])
            s.wait_for_screen(FREQUENCY, lambda p: p != before and dark(p) > 500,
                              what="the display to show 14.074 MHz")
            # F speaks the band's record, which is not rewritten while the
            # other program drives the radio; the first key press ends that,
            # and the next frequency answers refresh the record.
            self.read_after_key_press(s, ["1", "4", "point", "0", "7", "4", "mhz", "lsb.wav"])

            # Setting the mode: the client's "MD2" goes to the radio, and the
            # program, now in USB too, sends it again with its filter.
            s.wait_for_quiet(0.5)
            mode_before = s.screen_region(MODE)
            mark = s.radio_mark()
            self.assertEqual(s.rigctl("M", "currVFO", "USB", "2400")[0], [])
            s.wait_for_radio(["MD2", "MD2", "SH07"], since=mark)
            self.assertEqual(s.rigctl("m", "currVFO")[0][0], "USB")
            s.wait_for_screen(MODE, lambda p: p != mode_before and dark(p) > 200,
                              what="the mode name to change")
            self.read_after_key_press(s, ["1", "4", "point", "0", "7", "4", "mhz", "usb.wav"])
            # M steps on from the program's own mode: USB gives CW.
            s.key("m")
            s.wait_for_speech(["cw.wav"])

            # rigctl got the answers to its own commands only: every reply
            # forwarded to it holds one answer, never one to the program's
            # own polling.
            forwarded = [line[len("***VTX1="):] for line in s.read_file("debug.dat").splitlines()
                         if line.startswith("***VTX1=")]
            self.assertTrue(forwarded)
            self.assertEqual([r for r in forwarded if r.count(";") != 1], [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
