#!/usr/bin/env python3
"""A second program floods the pass-through port (configuration line 8) with
as much as it can write, first bytes without any ";" (a command that never
ends), then a stream of commands and junk ending in ";". The program's
memory must stay where it was, no descriptor may pile up, the link to the
radio must hold (no "connected" again) and keys must keep answering.

The two ends of the pass-through cable are a socat null-modem pair: the
program opens com2 (one end), the flooding program writes the other end."""

import os
import random
import select
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from rigvox_e2e import Session, config_text, wait_until

FREQUENCY_WORDS = ["7", "point", "1", "mhz", "lsb"]
PHASE_SECONDS = 22


def status_kb(pid, field):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise AssertionError("no %s for %d" % (field, pid))


def descriptor_count(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


class Flooder(threading.Thread):
    """Writes chunks from make_chunk() to fd as fast as the line takes them,
    reading (and counting) whatever comes back, until stopped."""

    def __init__(self, fd, make_chunk):
        super().__init__(daemon=True)
        self.fd, self.make_chunk = fd, make_chunk
        self.offered = self.written = self.answered = 0
        self.stopping = False

    def run(self):
        chunk = b""
        while not self.stopping:
            if not chunk:
                chunk = self.make_chunk()
                self.offered += len(chunk)
            readable, writable, _ = select.select([self.fd], [self.fd], [], 0.05)
            try:
                if readable:
                    self.answered += len(os.read(self.fd, 65536))
                if writable:
                    n = os.write(self.fd, chunk)
                    self.written += n
                    chunk = chunk[n:]
            except (BlockingIOError, InterruptedError):
                pass

    def stop(self):
        self.stopping = True
        self.join(5)


class BridgeFlood(unittest.TestCase):
    def setUp(self):
        self.cable = tempfile.mkdtemp(prefix="rigvox-cable-")
        self.socat = subprocess.Popen(
            ["socat", "pty,raw,echo=0,link=%s/program" % self.cable,
             "pty,raw,echo=0,link=%s/other" % self.cable],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wait_until(lambda: os.path.exists(self.cable + "/program")
                   and os.path.exists(self.cable + "/other"), 10, "socat's two ends")

    def tearDown(self):
        self.socat.terminate()
        self.socat.wait(5)
        self.socat.stderr.close()
        for name in ("program", "other"):
            try:
                os.unlink(os.path.join(self.cable, name))
            except OSError:
                pass
        os.rmdir(self.cable)

    def flood(self, s, make_chunk, samples):
        """One phase: floods for PHASE_SECONDS, pressing F every few seconds
        and sampling the resident size."""
        fd = os.open(self.cable + "/other", os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        flooder = Flooder(fd, make_chunk)
        flooder.start()
        try:
            end = time.monotonic() + PHASE_SECONDS
            while time.monotonic() < end:
                time.sleep(4)
                mark = s.speech_mark()
                s.key("f")
                s.wait_for_speech(["mhz", "lsb"], since=mark, timeout=30)
                samples.append(status_kb(s.proc.pid, "VmRSS"))
        finally:
            flooder.stop()
            os.close(fd)
        return flooder

    def test_flood_with_and_without_terminators(self):
        rng = random.Random(int(os.environ.get("RIGVOX_FAULT_SEED") or 1))
        letters = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \r\n\x00\xff"
        # Queries, errors, empty and overlong commands, control bytes, and a
        # frequency one digit short: nothing that would really tune the radio.
        commands = [b"FA;", b"ID;", b"SM0;", b"XX;", b"?;", b";", b";;;", b"FA0001420000",
                    b"Z" * 300 + b";", bytes(range(1, 59)) + b";"]

        def unterminated():
            return bytes(rng.choice(letters) for _ in range(8192))

        def terminated():
            return b"".join(rng.choice(commands) for _ in range(600))

        # The product's own reply pause: each junk command the radio leaves
        # unanswered waits one out, and the line must drain at that pace.
        with Session(config=config_text(port=1, bridge=2), radio=["--smeter", "12"],
                     reply_pause_ms=0) as s:
            os.symlink(os.readlink(self.cable + "/program"), s.path("com2"))
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_quiet(0.5)
            pid = s.proc.pid
            # Two F readouts first, so every prompt the phases use is loaded once.
            for _ in range(2):
                s.key("f")
                s.wait_for_speech(FREQUENCY_WORDS)
            s.wait_for_quiet(0.5)
            rss_before = status_kb(pid, "VmRSS")
            descriptors = descriptor_count(pid)
            speech_mark = s.speech_mark()

            samples = []
            plain = self.flood(s, unterminated, samples)
            mixed = self.flood(s, terminated, samples)
            s.wait_for_quiet(1.0)
            rss_after = status_kb(pid, "VmRSS")
            sys.stderr.write(
                "offered %d + %d bytes, taken by the line %d + %d, answers back %d; "
                "VmRSS %d -> %d kB (samples %s)\n"
                % (plain.offered, mixed.offered, plain.written, mixed.written, mixed.answered,
                   rss_before, rss_after, samples))

            # The other program was heard: its commands reached the radio and
            # their answers came back to it.
            self.assertGreater(plain.written + mixed.written, 50000)
            self.assertGreater(mixed.answered, 0)
            self.assertIn("ID", s.radio_log())
            # Bounded memory, no descriptor left behind.
            self.assertLess(rss_after - rss_before, 2048)
            self.assertLess(max(samples) - min(samples), 2048)
            self.assertEqual(descriptor_count(pid), descriptors)
            # The link held all along, and the keys answered throughout.
            self.assertNotIn("connected", s.speech_since(speech_mark))
            self.assertNotIn("nc", s.speech_since(speech_mark))
            # Once the line has drained and a key has ended the other
            # program's turn (band records are left alone while it drives the
            # radio), a frequency turned at the radio is read back.
            s.wait_for_quiet(1.0)
            s.key("f")
            s.wait_for_speech(["mhz", "lsb"])
            mark = s.radio_mark()
            s.radio_control("freq A 7050000")
            s.wait_for_radio(["FA", "FA", "FA"], since=mark)
            s.key("f")
            s.wait_for_speech(["7", "point", "0", "5", "mhz", "lsb"])

            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
