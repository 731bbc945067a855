#!/usr/bin/env python3
"""Saving the memory file on a full disk and in a read-only working
directory. The program must lose nothing (the file keeps what it held, the
channels stay in memory and reach the disk at the next save that can be
made), must say "invalid" for a save that did not reach the disk, and must
never report as saved, in speech or in the memory-bank report, what was not.

The working directory is a small tmpfs mounted in a mount namespace of this
test's own (so the mount goes with the test process, whatever happens). That
needs root, as in CI; elsewhere the test is skipped."""

import ctypes
import errno
import os
import shutil
import subprocess
import tempfile
import unittest

from rigvox_e2e import Session, config_text

CLONE_NEWNS = 0x00020000
MS_REC, MS_PRIVATE = 0x4000, 1 << 18
# Files the harness and the virtual radio write beside the program; they
# live outside the small file system so that filling it blinds nobody.
OUTSIDE = ["speech.log", "radio.log", "radio.err", "stdout.txt", "stderr.txt", "screen.png",
           "region.png"]


def private_mounts():
    """Puts this process (and the processes it starts) in a mount namespace
    of its own. Returns an error text, or None on success."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.unshare(CLONE_NEWNS) != 0:
        return "unshare: %s" % os.strerror(ctypes.get_errno())
    if libc.mount(b"none", b"/", None, MS_REC | MS_PRIVATE, None) != 0:
        return "mount --make-rprivate /: %s" % os.strerror(ctypes.get_errno())
    return None


def mount(*args):
    subprocess.run(["mount", *args], check=True, capture_output=True, timeout=20)


def channel_line(path, slot):
    """Line of channel slot (bank 0) in the memory file text."""
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").split("\r\n")
    return lines[15 + slot]


def fill(directory):
    """Writes a filler file until the file system is full; returns its size."""
    size = 0
    with open(os.path.join(directory, "filler"), "wb", buffering=0) as f:
        while True:
            try:
                size += f.write(b"\0" * 4096)
            except OSError as e:
                if e.errno != errno.ENOSPC:
                    raise
                break
    # Every last block too (a partial one may still fit).
    with open(os.path.join(directory, "filler"), "ab", buffering=0) as f:
        try:
            while True:
                size += f.write(b"\0")
        except OSError:
            pass
    return size


@unittest.skipUnless(os.geteuid() == 0, "mounting a small file system needs root")
class FullDisk(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        problem = private_mounts()
        if problem:
            raise AssertionError("cannot make a mount namespace as root: " + problem)

    def setUp(self):
        self.outside = tempfile.mkdtemp(prefix="rigvox-outside-")
        self.workdir = None

    def tearDown(self):
        if self.workdir:
            subprocess.run(["umount", "-l", self.workdir], capture_output=True, timeout=20)
            shutil.rmtree(self.workdir, ignore_errors=True)
        shutil.rmtree(self.outside, ignore_errors=True)

    def prepare(self, directory):
        mount("-t", "tmpfs", "-o", "size=256k,mode=0700", "tmpfs", directory)
        self.workdir = directory
        for name in OUTSIDE:
            os.symlink(os.path.join(self.outside, name), os.path.join(directory, name))

    def store(self, s, slot, answer):
        mark = s.speech_mark()
        s.key("c")
        s.wait_for_speech(["sch"], since=mark)
        s.key(str(slot))
        s.wait_for_speech([str(slot), answer], since=mark)
        s.wait_for_silence()

    def test_full_disk_then_read_only_directory(self):
        with Session(config=config_text(port=1), radio=["--smeter", "12"],
                     prepare=self.prepare) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            memory, report = s.path("savmem.dat"), s.path("memory.txt")

            # A channel stored while there is room.
            self.store(s, 1, "ok")
            self.assertNotEqual(channel_line(memory, 1), "9")
            saved = s.read_file("savmem.dat")
            report_before = s.read_file("memory.txt")
            self.assertIn("Slot 1", report_before)

            # The disk fills up: the next store is refused aloud, the file
            # keeps exactly what it held, no half-written file is left, and
            # the report does not list the channel that did not reach it.
            self.assertGreater(fill(s.dir), 0)
            self.store(s, 2, "invalid")
            self.assertEqual(s.read_file("savmem.dat"), saved)
            self.assertFalse(os.path.exists(s.path("savemem.dat")))
            self.assertNotIn("Slot 2", s.read_file("memory.txt", ""))
            self.assertTrue(s.running())

            # Room again: the next store saves everything. The refused store
            # ("invalid") changed nothing, so its slot is still empty.
            os.unlink(s.path("filler"))
            self.store(s, 3, "ok")
            stored = {slot: channel_line(memory, slot) for slot in (1, 2, 3)}
            self.assertEqual(stored[2], "9")
            self.assertEqual(stored[3], stored[1])
            report_now = s.read_file("memory.txt")
            for slot in (1, 3):
                self.assertIn("Slot %d" % slot, report_now)
            self.assertNotIn("Slot 2", report_now)
            saved = s.read_file("savmem.dat")

            # The directory turns read-only: a store is refused aloud, and so
            # is the save at quit; nothing on the disk changes.
            mount("-o", "remount,ro", s.dir)
            self.store(s, 4, "invalid")
            mark = s.speech_mark()
            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)
            self.assertIn("invalid", s.speech_since(mark))
            self.assertEqual(s.read_file("savmem.dat"), saved)
            self.assertEqual(s.read_file("memory.txt"), report_now)
            self.assertEqual(channel_line(memory, 4), "9")
            mount("-o", "remount,rw", s.dir)


if __name__ == "__main__":
    unittest.main(verbosity=2)
