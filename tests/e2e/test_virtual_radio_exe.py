#!/usr/bin/env python3
"""The virtual-radio executable on a real pseudo-terminal: the link, the
answers, the command log, the control file, the signals and a clean stop."""

import os
import select
import signal
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ.get("RIGVOX_BUILD", os.getcwd())
EXE = os.path.join(BUILD, "virtual-radio")


def read_for(fd, seconds, until=None):
    """Bytes arriving on fd within seconds (sooner once `until` has arrived)."""
    out = b""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if until is not None and until in out:
            break
        ready, _, _ = select.select([fd], [], [], 0.02)
        if ready:
            try:
                out += os.read(fd, 4096)
            except OSError:
                break
    return out


class Radio:
    """One running virtual radio in a temporary folder."""

    def __init__(self, *options):
        self.dir = tempfile.TemporaryDirectory()
        self.link = os.path.join(self.dir.name, "com1")
        self.log = os.path.join(self.dir.name, "radio.log")
        self.control_path = os.path.join(self.dir.name, "control")
        self.proc = subprocess.Popen(
            [EXE, "--link", self.link, "--log", self.log, "--control", self.control_path, *options],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.ready = self.proc.stdout.readline()
        self.fd = None

    def open(self):
        self.fd = os.open(self.link, os.O_RDWR | os.O_NOCTTY)

    def ask(self, text, seconds=2.0):
        os.write(self.fd, text.encode())
        return read_for(self.fd, seconds, until=b";").decode()

    def control(self, line):
        # One write, so the radio never sees half a line.
        with open(self.control_path, "a") as f:
            f.write(line + "\n")
        end = time.monotonic() + 2
        while os.path.exists(self.control_path) and time.monotonic() < end:
            time.sleep(0.01)

    def logged(self):
        with open(self.log) as f:
            return f.read().splitlines()

    def close(self):
        if self.fd is not None:
            os.close(self.fd)
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(5)
        self.proc.stdout.close()
        self.proc.stderr.close()
        self.dir.cleanup()


class VirtualRadioExecutable(unittest.TestCase):
    def setUp(self):
        self.radio = None

    def tearDown(self):
        if self.radio:
            self.radio.close()

    def test_help_and_bad_options(self):
        done = subprocess.run([EXE, "--help"], capture_output=True, text=True, timeout=5)
        self.assertEqual(done.returncode, 0)
        for word in ("--model", "--control", "--log", "--delay", "silent", "freq", "unplug"):
            self.assertIn(word, done.stdout)
        for bad in (["--model", "025"], ["--delay"], ["--bogus"]):
            done = subprocess.run([EXE, *bad], capture_output=True, text=True, timeout=5)
            self.assertEqual(done.returncode, 2, bad)

    def test_answers_logs_and_stops_cleanly(self):
        self.radio = r = Radio("--model", "024")
        self.assertIn("link=" + r.link, r.ready)
        self.assertIn("pid=%d" % r.proc.pid, r.ready)
        self.assertTrue(os.path.islink(r.link))
        r.open()
        self.assertEqual(r.ask("ID;"), "ID024;")
        self.assertEqual(r.ask("EX00101 ;"), "EX00101 001;")
        os.write(r.fd, b"FA00007100000;F")
        self.assertEqual(r.ask("A;"), "FA00007100000;")
        self.assertEqual(r.logged(), ["ID", "EX00101 ", "FA00007100000", "FA"])
        r.proc.send_signal(signal.SIGTERM)
        self.assertEqual(r.proc.wait(5), 0)
        self.assertFalse(os.path.lexists(r.link))

    def test_control_file_and_signals(self):
        self.radio = r = Radio("--model", "020qc")
        r.open()
        self.assertEqual(r.ask("OM;"), "OMQC;")
        r.control("freq A 14074000")
        self.assertEqual(r.ask("FA;"), "FA00014074000;")
        r.control("silent")
        self.assertEqual(r.ask("ID;", 0.3), "")
        r.control("alive")
        self.assertEqual(r.ask("ID;"), "ID020;")
        r.proc.send_signal(signal.SIGUSR1)
        time.sleep(0.1)
        self.assertEqual(r.ask("ID;", 0.3), "")
        r.proc.send_signal(signal.SIGUSR2)
        time.sleep(0.1)
        self.assertEqual(r.ask("ID;"), "ID020;")

    def test_unplug_and_plug_again(self):
        self.radio = r = Radio()
        r.open()
        self.assertEqual(r.ask("ID;"), "ID023;")
        r.control("unplug")
        self.assertFalse(os.path.lexists(r.link))
        with self.assertRaises(OSError):
            os.write(r.fd, b"ID;")
            os.read(r.fd, 10)
        os.close(r.fd)
        r.fd = None
        r.control("plug")
        self.assertTrue(os.path.islink(r.link))
        r.open()
        self.assertEqual(r.ask("ID;"), "ID023;")
        # A program closing and reopening the port finds the radio again.
        os.close(r.fd)
        r.open()
        self.assertEqual(r.ask("PS;"), "PS1;")

    def test_delay_holds_answers_back(self):
        self.radio = r = Radio("--delay", "400")
        r.open()
        os.write(r.fd, b"ID;")
        self.assertEqual(read_for(r.fd, 0.15), b"")
        self.assertEqual(read_for(r.fd, 3, until=b";"), b"ID023;")


if __name__ == "__main__":
    unittest.main(verbosity=2)
