#!/usr/bin/env python3
"""The network port and rigvox.cfg, as a user meets them. A network port on
every interface lets in only the clients RIGCTLD_ALLOW names (and this
computer's own programs): a client from another address is closed before it
can key the radio. Lines of rigvox.cfg that are not understood are heard at
start as "configuration" and their numbers, and the start goes on with safe
values, which debug.dat names though the log is off."""

import socket
import subprocess
import unittest

from rigvox_e2e import RigctlClient as Client, Session, commands, config_text, free_port


def own_address():
    """An address of this machine other than loopback, and its family; None
    when it has none."""
    for family, flag in ((socket.AF_INET, "-4"), (socket.AF_INET6, "-6")):
        out = subprocess.run(["ip", "-o", flag, "addr", "show", "scope", "global"],
                             capture_output=True, text=True).stdout
        for line in out.splitlines():
            words = line.split()
            if "inet" in words or "inet6" in words:
                address = words[words.index("inet6" if family == socket.AF_INET6 else "inet") + 1]
                return address.split("/")[0], family
    return None


class Door(unittest.TestCase):
    def test_a_client_from_elsewhere_is_shut_out(self):
        found = own_address()
        if found is None:
            self.skipTest("this machine has no address but loopback: the allow-list's unit test covers it")
        address, family = found
        port = free_port()
        every = "0.0.0.0" if family == socket.AF_INET else "[::]"
        # The list names another network: this machine's own address is not in it.
        config = (config_text(port=1, debug=1, announce="quiet") +
                  "TXLIMIT=0\r\nRIGCTLD=%s:%d\r\nRIGCTLD_ALLOW=10.99.0.0/16, fd99::/16\r\n" % (every, port))
        with Session(config=config, radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            self.assertNotIn("netlocal", s.speech())

            foreign = Client(port, host=address)
            foreign.send(b"T 1\nf\n")
            self.assertEqual(foreign.closed_after(10), b"")
            foreign.close()

            # A program on this computer is let in, and nothing was keyed.
            local = Client(port)
            self.assertRegex(local.ask("f")[0], r"^\d+$")
            self.assertEqual(local.ask("t"), ["0"])
            local.close()
            self.assertNotIn("TX", commands(s.radio_log()))
            self.assertIn("RIGCTLD client %s not in RIGCTLD_ALLOW: closed" % address,
                          s.read_file("debug.dat", ""))

    def test_lines_not_understood_are_heard(self):
        port = free_port()
        config = (config_text(port=1, power=999, swr=7, debug=0) +
                  "TXLIMIT=abc\r\nANNOUNCE=LOUD\r\nRIGCTLD=99999\r\nRIGCTLD=%d\r\nTXLIMIT=0\r\n" % port)
        with Session(config=config, radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["rigvox", "3", "point", "4", "cfg", "3", "cfg", "4", "cfg", "1", "0",
                               "cfg", "1", "1", "cfg", "1", "2", "cfg", "1", "3", "cfg", "1", "4"],
                              timeout=30, since=0)
            s.wait_for_speech(["connected"], timeout=30)
            # Each line once, and only at start.
            self.assertEqual(s.speech().count("cfg"), 7)
            # The power held to the radio's 100 W, never "PC999"; the first
            # RIGCTLD line stands, so no network port; the others' safe values.
            sent = commands(s.radio_log())
            self.assertIn("PC100", sent)
            self.assertFalse([c for c in sent if c.startswith("PC") and c != "PC100"], sent)
            with self.assertRaises(OSError):
                socket.create_connection(("127.0.0.1", port), timeout=2).close()
            log = s.read_file("debug.dat", "")
            for note in ('line 3 not understood: "POWER=999"; 200 W used',
                         'line 4 not understood: "SWR=7"; 0 (off) used',
                         'line 10 not understood: "TXLIMIT=abc"; TXLIMIT=180 used',
                         'line 11 not understood: "ANNOUNCE=LOUD"; ANNOUNCE=radio used',
                         'line 12 not understood: "RIGCTLD=99999"; no network port',
                         'line 13 not understood: "RIGCTLD=%d"; a line before it names the same' % port,
                         'line 14 not understood: "TXLIMIT=0"; a line before it names the same',
                         "power held to 100 W, the most model 23 gives"):
                self.assertIn(note, log)
            self.assertNotIn("TX=", log)  # the log itself stays off


if __name__ == "__main__":
    unittest.main(verbosity=2)
