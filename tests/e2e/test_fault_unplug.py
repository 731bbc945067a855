#!/usr/bin/env python3
"""The radio's USB adapter pulled out and plugged back in, at the same comN:
while the radio is away every key answers "nc"; when it is back the program
finds it by itself, reads the whole radio state again and says "connected".
Repeated cycles leave no descriptor behind, and the port in use is always
the radio's new terminal, never some other device. An adapter first plugged
in after the start is found the same way."""

import os
import time
import unittest

from rigvox_e2e import POLLS, Session, config_text, wait_until

# What the program asks of a radio when the link (re)starts (band 4's record:
# preamp off, LSB).
STATE_QUERY = ["AG0", "RG255", "PA0", "RA00", "NB0", "FW1500", "PC100", "FR0", "AC", "VX",
               "NR", "ML", "PR", "RX0"]
FREQUENCY_WORDS = ["7", "point", "1", "mhz", "lsb"]


def open_devices(pid):
    """Targets of the process's descriptors that are terminals or serial devices."""
    out = []
    fd_dir = "/proc/%d/fd" % pid
    for fd in os.listdir(fd_dir):
        try:
            target = os.readlink(os.path.join(fd_dir, fd))
        except OSError:
            continue
        if target.startswith("/dev/pts/") or target.startswith("/dev/tty"):
            out.append(target)
    return sorted(out)


def descriptor_count(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


class Unplug(unittest.TestCase):
    def test_pulled_and_plugged_back_three_times(self):
        # Port 1: on a machine with a built-in /dev/ttyS0 the program must not
        # wander off to it while the radio's link is gone.
        # The debug log counts the polls sent while the radio is away.
        with Session(config=config_text(port=1, debug=1), radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_quiet(0.5)
            pid = s.proc.pid
            link = s.path("com1")
            self.assertEqual(open_devices(pid), [os.path.realpath(link)])
            descriptors = descriptor_count(pid)

            for cycle in range(3):
                sent_mark = s.sent_mark()
                s.radio_control("unplug")
                self.assertFalse(os.path.lexists(link))
                # About two seconds of silence lose the link (twenty silent
                # collections, one every second tick); then keys say "nc".
                pulled = time.monotonic()
                wait_until(lambda: not open_devices(pid) or None, 20,
                           "the program to let go of the vanished terminal")
                # Counted in the debug log, which holds what went to the
                # vanished port: a loaded machine may take far longer than
                # two seconds to send them.
                s.wait_for_sent(24, since=sent_mark, which=lambda c: c in POLLS)
                mark = s.speech_mark()
                s.key("f")
                s.wait_for_speech(["nc"], since=mark)
                self.assertLess(time.monotonic() - pulled, 10)
                # While it is away the port stays closed: no other device,
                # over a dozen polls (the port is looked for once a second).
                s.wait_for_sent(12, since=s.sent_mark(), which=lambda c: c in POLLS)
                self.assertEqual(open_devices(pid), [], "cycle %d" % cycle)
                s.key("f")
                s.wait_for_speech(["nc"])

                # Back in: found again within a reopen period or two, the full
                # state query, "connected", and keys work again.
                s.wait_for_quiet(0.3)
                speech_mark, radio_mark = s.speech_mark(), s.radio_mark()
                s.radio_control("plug")
                wait_until(lambda: os.path.lexists(link), 20, "the radio's link")
                s.wait_for_speech(["connected"], timeout=30, since=speech_mark)
                received = [c for c in s.radio_log()[radio_mark:] if c not in POLLS]
                self.assertEqual(received[:len(STATE_QUERY)], STATE_QUERY, "cycle %d" % cycle)
                self.assertEqual(open_devices(pid), [os.path.realpath(link)], "cycle %d" % cycle)
                s.wait_for_quiet(0.3)
                s.key("f")
                s.wait_for_speech(FREQUENCY_WORDS)
                s.wait_for_quiet(0.3)

            # Polling carries on at its pace (20 queries a second once the
            # last word has sounded), and nothing was left open.
            s.wait_for_quiet(1.0)
            mark = s.radio_mark()
            time.sleep(2.0)
            self.assertGreaterEqual(s.radio_mark() - mark, 36)
            self.assertEqual(descriptor_count(pid), descriptors)
            self.assertTrue(s.running())

            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)

    def test_adapter_plugged_in_after_the_start(self):
        # No com1 at start: the port is looked for once a second (on a
        # machine with a built-in /dev/ttyS0 the program may hold that
        # meanwhile, and must leave it for com1 once com1 is there).
        with Session(config=config_text(port=1, debug=1)) as s:
            s.wait_for_window()
            s.wait_for_speech(["rigvox", "3", "point", "4"])
            # Start-up is over once the poll runs; some two and a half
            # seconds of polls give the program time to look for the port
            # more than once.
            s.wait_for_sent(25, which=lambda c: c in POLLS)
            speech_mark = s.speech_mark()
            # The reduced-feature radio: the model found at start (23, no
            # answer) must not outlive the radio's own answer.
            s.start_radio(["--smeter", "12", "--model", "020qc"], 1)
            s.wait_for_speech(["connected"], timeout=30, since=speech_mark)
            # The radio is on 14.2 MHz: the band follows it to 20 m before
            # "connected"; the model is asked first, and this radio gets the
            # short state query and then the poll of its own S-meter form.
            # (The radio logs the last of them a moment after "connected".)
            def received():
                return [c for c in s.radio_log() if c not in POLLS]

            wait_until(lambda: len(received()) >= 4, 20, "the short state query")
            self.assertEqual(received()[:4], ["ID", "OM", "AG0", "RG054"])
            after = s.wait_for_radio(["RG054", "SM"])
            self.assertNotIn("SM0", s.radio_log()[after:])
            self.assertEqual(open_devices(s.proc.pid), [os.path.realpath(s.path("com1"))])
            s.wait_for_quiet(0.3)
            s.key("f")
            s.wait_for_speech(["1", "4", "point", "2", "mhz"])
            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
