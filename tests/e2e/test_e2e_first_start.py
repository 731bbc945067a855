#!/usr/bin/env python3
"""The first start, without rigvox.cfg: the program looks for the radio on
every serial device, writes rigvox.cfg with the port and speed where it
answered, and connects. Later, while no radio answers, D finds it again on
another device and rewrites the file, keeping the old one. The search
leaves other programs' devices as it found them, takes no other Kenwood
for the radio, and ends at once on a signal."""

import fcntl
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty
import unittest

from rigvox_e2e import SOURCE, Session, wait_until


def sample_lines():
    with open(os.path.join(SOURCE, "tools", "sample-rigvox.cfg")) as f:
        return f.read().splitlines()


def config_with(port, speed):
    lines = sample_lines()
    lines[0] = "COM=%d" % port
    lines[1] = "SPEED=%d" % speed
    return "".join(line + "\r\n" for line in lines)


class FirstStart(unittest.TestCase):
    def setUp(self):
        # The system's /dev/serial/by-id, made for this test: a serial
        # console that is no radio, and later two radios.
        self.devices = tempfile.mkdtemp(prefix="rigvox-e2e-devices-")
        self.addCleanup(shutil.rmtree, self.devices, ignore_errors=True)
        self.by_id = os.path.join(self.devices, "by-id")
        os.mkdir(self.by_id)
        master, slave = os.openpty()
        self.addCleanup(os.close, master)
        self.addCleanup(os.close, slave)
        tty.setraw(slave)
        os.set_blocking(master, False)
        self.console = master
        os.symlink(os.ttyname(slave), os.path.join(self.by_id, "usb-0000_Serial_Console-if00"))

    def console_heard(self):
        heard = b""
        while True:
            try:
                chunk = os.read(self.console, 4096)
            except (BlockingIOError, OSError):
                return heard
            if not chunk:
                return heard
            heard += chunk

    def test_finds_the_radio_writes_the_file_and_finds_it_again(self):
        radio_a = os.path.join(self.by_id, "usb-Kenwood_A-if00")
        radio_b = os.path.join(self.by_id, "usb-Kenwood_B-if00")
        with Session(config=None, radio=["--baud", "38400", "--smeter", "12"], radio_link=radio_a,
                     env={"RIGVOX_SERIAL_DEVICES": os.path.join(self.by_id, "*")}) as s:
            s.wait_for_window()
            # The console is asked at every speed and stays silent; the radio
            # hears the question only at its own speed.
            s.wait_for_speech(["rigvox", "3", "point", "4", "cfgnf", "searching", "found", "port", "1",
                               "3", "8", "4", "0", "0", "baud"], timeout=30)
            s.wait_for_speech(["connected"], timeout=30)
            # The radio's device had no number: it got the link com1, and
            # rigvox.cfg is the sample with that port and speed.
            self.assertEqual(os.readlink(s.path("com1")), radio_a)
            self.assertEqual(s.read_file("rigvox.cfg"), config_with(1, 38400))
            self.assertEqual(self.console_heard(), b"ID;" * 6)
            s.wait_for_silence()
            s.key("f")
            s.wait_for_speech(["7", "point", "1", "mhz"])
            s.wait_for_silence()
            s.key("d")  # connected: the search only says so
            s.wait_for_speech(["connected"])

            # H, then Space: Space is explained, and the radio stays in
            # receive. H twice: every key's help in turn, until a key.
            s.wait_for_silence()
            mark = s.radio_mark()
            s.key("h", "space")
            s.wait_for_speech(["helpkey", "keyspace"])
            s.wait_for_silence()
            self.assertNotIn("TX", s.radio_log()[mark:])
            s.key("h", "h")
            s.wait_for_speech(["helpkey", "help", "keyf", "keye"], timeout=30)
            s.key("f")
            s.wait_for_speech(["7", "point", "1", "mhz"])
            s.wait_for_silence(margin=1.0)
            self.assertFalse([w for w in s.speech()[s.speech_cursor:] if w.startswith("key")])

            # The radio goes; another comes on another device, at 9600 baud.
            s.wait_for_silence()
            s.stop_radio()

            # Some two seconds of unanswered polls, counted while the program
            # is idle, lose the radio. F is tried now and then, each time
            # once its last answer has been spoken: keys typed faster than
            # the program answers would keep it from ever being idle.
            def nc_heard():
                mark = s.speech_mark()
                s.key("f")
                wait_until(lambda: {"nc", "mhz"} & set(s.speech_since(mark)), 30,
                           "an answer to F")
                s.wait_for_silence()
                return "nc" in s.speech_since(mark)

            wait_until(nc_heard, 60, "keys to answer nc while no radio answers", interval=1.0)
            s.start_radio(["--baud", "9600", "--smeter", "12"], link=radio_b)
            s.wait_for_silence()
            mark = s.speech_mark()
            s.key("d")
            s.wait_for_speech(["searching", "found", "port", "2", "9", "6", "0", "0", "baud"],
                              since=mark, timeout=30)
            s.wait_for_speech(["connected"], timeout=30)
            self.assertEqual(os.readlink(s.path("com2")), radio_b)
            self.assertEqual(s.read_file("rigvox.cfg"), config_with(2, 9600))
            self.assertEqual(s.read_file("rigvox.cfg.bak"), config_with(1, 38400))
            # Nothing but the identity question ever reached the console.
            self.assertEqual(self.console_heard(), b"ID;" * 6)

            s.wait_for_silence()
            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)
            self.assertEqual(s.radio_log()[-1], "RX")


def line_editing_pty():
    """A pseudo-terminal set up as a person's terminal: 9600 baud, line
    editing and echo. Returns (master, slave, slave path)."""
    master, slave = os.openpty()
    attrs = termios.tcgetattr(slave)
    attrs[3] |= termios.ICANON | termios.ECHO
    attrs[4] = attrs[5] = termios.B9600
    termios.tcsetattr(slave, termios.TCSANOW, attrs)
    os.set_blocking(master, False)
    return master, slave, os.ttyname(slave)


def read_all(fd):
    heard = b""
    while True:
        try:
            chunk = os.read(fd, 4096)
        except (BlockingIOError, OSError):
            return heard
        if not chunk:
            return heard
        heard += chunk


class SearchLeavesOthersAlone(unittest.TestCase):
    def setUp(self):
        self.by_id = tempfile.mkdtemp(prefix="rigvox-e2e-devices-")
        self.addCleanup(shutil.rmtree, self.by_id, ignore_errors=True)

    def device(self, name):
        master, slave, path = line_editing_pty()
        self.addCleanup(os.close, master)
        self.addCleanup(os.close, slave)
        os.symlink(path, os.path.join(self.by_id, name))
        return master, slave, path

    def lock(self, path, pid):
        """The lock file serial programs make for a device they hold."""
        lock = "/run/lock/LCK.." + path[len("/dev/"):].replace("/", "_")
        with open(lock, "w") as f:
            f.write("%10d\n" % pid)
        self.addCleanup(os.unlink, lock)

    def test_held_devices_are_skipped_tried_ones_restored_and_other_kenwoods_passed(self):
        # A terminal program holds the first device by its lock file, and
        # another holds the second for itself alone (TIOCEXCL); the third
        # has a lock left by a program that has gone; the fourth is a
        # Kenwood of a kind Rigvox does not know, answering "ID017;".
        holder = subprocess.Popen(["sleep", "300"])
        self.addCleanup(holder.wait)
        self.addCleanup(holder.kill)
        gone = subprocess.Popen(["true"])
        gone.wait()
        held, held_slave, held_path = self.device("usb-a-held")
        exclusive, exclusive_slave, _ = self.device("usb-a2-exclusive")
        fcntl.ioctl(exclusive_slave, termios.TIOCEXCL)
        stale, stale_slave, stale_path = self.device("usb-b-stale")
        other, other_slave, _ = self.device("usb-c-Kenwood-other")
        tty.setraw(other_slave)
        self.lock(held_path, holder.pid)
        self.lock(stale_path, gone.pid)
        settings = {fd: termios.tcgetattr(fd) for fd in (held_slave, exclusive_slave, stale_slave)}

        heard_by_other = []
        done = threading.Event()

        def answer_as_another_kenwood():
            os.set_blocking(other, True)
            while not done.is_set():
                try:
                    chunk = os.read(other, 64)
                except OSError:
                    return
                heard_by_other.append(chunk)
                if b"ID;" in b"".join(heard_by_other):
                    os.write(other, b"ID017;")

        answerer = threading.Thread(target=answer_as_another_kenwood, daemon=True)
        answerer.start()
        with Session(config=None, env={"RIGVOX_SERIAL_DEVICES": os.path.join(self.by_id, "*")}) as s:
            self.assertEqual(s.wait_exit(60), 0)
            said = s.speech()
            self.assertFalse(os.path.exists(s.path("rigvox.cfg")))
        done.set()
        self.assertEqual(said[said.index("searching"):],
                         ["searching", "found", "0", "1", "7", "notsupported", "notfound"])
        self.assertEqual(read_all(held), b"")
        self.assertEqual(read_all(exclusive), b"")
        self.assertEqual(read_all(stale), b"ID;" * 6)
        self.assertEqual(b"".join(heard_by_other), b"ID;")
        for fd, before in settings.items():
            self.assertEqual(termios.tcgetattr(fd), before)

    def test_a_signal_ends_the_search_at_once_with_the_device_as_found(self):
        devices = [self.device("usb-silent-%02d" % n) for n in range(15)]
        first, first_slave, _ = devices[0]
        settings = [termios.tcgetattr(slave) for _, slave, _ in devices]
        with Session(config=None, env={"RIGVOX_SERIAL_DEVICES": os.path.join(self.by_id, "*")}) as s:
            s.wait_for_speech(["cfgnf", "searching"], timeout=30)
            wait_until(lambda: b"ID;" in read_all(first), 30, "the first device to be asked")
            time.sleep(0.1)  # somewhere in the wait for its answer
            asked_at = time.monotonic()
            s.proc.send_signal(signal.SIGTERM)
            self.assertEqual(s.wait_exit(10), 0)
            ended_in = time.monotonic() - asked_at
        sys.stderr.write("SIGTERM to exit during the search: %.0f ms\n" % (ended_in * 1000))
        # Well below the whole search's 15 devices x 6 speeds x 200 ms.
        self.assertLess(ended_in, 2.0)
        for (_, slave, path), before in zip(devices, settings):
            self.assertEqual(termios.tcgetattr(slave), before, path)


if __name__ == "__main__":
    unittest.main(verbosity=2)
