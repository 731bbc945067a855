#!/usr/bin/env python3
"""The rigctld-compatible network port (RIGCTLD= configuration line): Debian's
rigctl, as Hamlib's "NET rigctl" client (model 2), reads and sets the virtual
radio through the program; the program follows and stays silent. Then two
clients at once, a client flooding without reading, a junk client and an
overlong line: each answered or dropped, while keys and the radio link go
on as before. Then what must never key the radio behind the operator's
back: a web request with "T 1" in its body, a transmission that outlasts
the limit (TXLIMIT=2), a client lost while it holds PTT; and a full house of
clients making room for a newcomer.

    virtual radio (com1) <-> rigvox <-> 127.0.0.1:PORT <-> rigctl -m 2
"""

import os
import re
import shutil
import socket
import statistics
import subprocess
import time
import unittest

from rigvox_e2e import (HarnessError, RigctlClient as Client, Session, commands, config_text,
                        free_port, spoken, wait_until)


def descriptors(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


class RigctldPort(unittest.TestCase):
    def setUp(self):
        if not shutil.which("rigctl"):
            self.fail("rigctl is not installed (Debian package libhamlib-utils)")
        self.port = free_port()

    def rigctl(self, *words):
        """One rigctl run; its output lines. A failed command prints an
        error, which fails the test."""
        result = subprocess.run(["rigctl", "-m", "2", "-r", "127.0.0.1:%d" % self.port, *words],
                                capture_output=True, text=True, timeout=60)
        text = result.stdout + result.stderr
        if result.returncode != 0 or re.search(r"error", text, re.I):
            raise HarnessError("rigctl %s failed:\n%s\n%s" % (" ".join(words), text[-3000:],
                                                             self.s.report()))
        return [line.strip() for line in result.stdout.splitlines() if line.strip()]

    def test_rigctl_clients_flood_and_junk(self):
        # Quiet: the radio turned at its front panel below is read by rigctl,
        # and the program is to stay silent throughout.
        config = config_text(port=1, debug=1, announce="quiet") + "TXLIMIT=2\r\nRIGCTLD=%d\r\n" % self.port
        with Session(config=config, radio=["--smeter", "12"]) as s:
            self.s = s
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            said_before = s.speech_mark()

            # Reading: the radio turned at its front panel is reported from
            # the program's own state as soon as the poll has seen it.
            s.radio_control("freq A 7123450")
            wait_until(lambda: self.rigctl("f") == ["7123450"], 20, "the new frequency")
            self.assertEqual(self.rigctl("m", "t", "v", "s", "l", "STRENGTH"),
                             ["LSB", "2400", "0", "VFOA", "0", "VFOA", "-30"])

            # Setting: each reaches the radio once, through the keys' own
            # procedures (the mode with its filter), and reads back.
            mark = s.radio_mark()
            self.assertEqual(self.rigctl("F", "14074000", "M", "USB", "2400", "T", "1", "t",
                                         "T", "0", "t", "f", "m"),
                             ["1", "0", "14074000", "USB", "2400"])
            # The radio logs the last setting a moment after rigctl's answer.
            s.wait_for_radio(["TX", "RX"], since=mark)
            sent = commands(s.radio_log()[mark:])
            self.assertEqual(sent, ["FA00014074000", "MD2", "SH07", "TX", "RX"])

            # Split: transmit on VFO B at its own frequency; VFO A stays.
            mark = s.radio_mark()
            self.assertEqual(self.rigctl("S", "1", "VFOB", "I", "14076000", "s", "i", "f",
                                         "S", "0", "VFOA", "s", "f"),
                             ["1", "VFOB", "14076000", "14074000", "0", "VFOA", "14074000"])
            s.wait_for_radio(["FB00014076000", "FA00014074000"], since=mark)
            sent = commands(s.radio_log()[mark:])
            self.assertIn("FT1", sent)
            self.assertIn("FB00014076000", sent)
            self.assertEqual(sent[-1], "FA00014074000")
            mark = s.radio_mark()
            self.assertEqual(self.rigctl("L", "RFPOWER", "0.5", "l", "RFPOWER"), ["0.500000"])
            s.wait_for_radio(["PC050"], since=mark)
            self.assertIn("PC050", s.radio_log())
            # Nothing was spoken for the client (the reply pauses aside).
            self.assertEqual(spoken(s.speech_since(said_before)), [])
            # The operator's keys see what the client set.
            s.wait_for_radio(["FA", "FA", "FA"], since=s.radio_mark())
            s.press("f", ["1", "4", "point", "0", "7", "4", "mhz", "usb"])

            # Two clients at once, each line cut in pieces, answered in turn.
            a, b = Client(self.port), Client(self.port)
            a.send(b"+")
            b.send(b"\\chk_")
            a.send(b"f\n")
            b.send(b"vfo\nm\n")
            self.assertEqual(a.lines(3), ["get_freq:", "Frequency: 14074000", "RPRT 0"])
            self.assertEqual(b.lines(3), ["0", "USB", "2400"])
            self.assertEqual(b.ask("\\get_powerstat"), ["1"])
            self.assertEqual(a.ask("\\set_something 1"), ["RPRT -11"])
            self.assertEqual(b.ask("F 99999999999"), ["RPRT -1"])

            # The answer time of "f" with the radio polled meanwhile.
            times = []
            for _ in range(200):
                started = time.perf_counter()
                self.assertEqual(a.ask("f"), ["14074000"])
                times.append(time.perf_counter() - started)
            print("\n'f' over the network port: median %.2f ms, max %.2f ms (%d asks)"
                  % (statistics.median(times) * 1000, max(times) * 1000, len(times)), flush=True)
            self.assertLess(statistics.median(times), 0.005)

            # A flood from a client that never reads: dropped once its
            # answers pile up, never holding the program.
            fds = descriptors(s.proc.pid)
            flood = Client(self.port)
            flood.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            flood.sock.settimeout(0.2)
            sent_bytes = 0
            try:
                for _ in range(4000):
                    sent_bytes += flood.sock.send(b"m\n" * 512)
            except (socket.timeout, BrokenPipeError, ConnectionResetError):
                pass
            # Junk and an overlong line: an error, then the line hangs up.
            junk = Client(self.port)
            junk.send(b"f\n\x00\xff\x01binary\n")
            self.assertEqual(junk.closed_after(), b"14074000\nRPRT -8\n")
            long_line = Client(self.port)
            long_line.send(b"f" + b" " * 2000 + b"\n")
            self.assertEqual(long_line.closed_after(), b"RPRT -8\n")
            # Keys still answer, the link holds, the other client is served.
            s.press("f", ["1", "4", "point", "0", "7", "4", "mhz", "usb"])
            self.assertEqual(a.ask("t"), ["0"])
            self.assertGreater(sent_bytes, 65536)
            flood.sock.settimeout(10)
            flood.closed_after()
            for client in (a, b, flood, junk, long_line):
                client.close()
            wait_until(lambda: descriptors(s.proc.pid) <= fds - 2, 20, "the clients' sockets closed")
            self.assertNotIn("connected", s.speech_since(said_before))
            log = s.read_file("debug.dat")
            self.assertIn("***NRX=F 14074000", log)

            # A receive frequency set while split goes into the band record,
            # so the operator's V key leaving split comes back to it.
            fds = descriptors(s.proc.pid)
            c = Client(self.port)
            self.assertEqual(c.ask("S 1 VFOB"), ["RPRT 0"])
            self.assertEqual(c.ask("F 14075000"), ["RPRT 0"])
            s.press("v", ["split", "off"], ["FA00014075000"])
            self.assertEqual(c.ask("s", 2), ["0", "VFOA"])
            c.close()
            wait_until(lambda: descriptors(s.proc.pid) <= fds, 10, "the client's socket closed")

            self.web_requests_and_transmissions(s)

            s.close_window()
            self.assertEqual(s.wait_exit(), 0)

    def web_requests_and_transmissions(self, s):
        # A web page's request, "T 1" in its body and all in one piece: the
        # connection is closed without a word. So is a connection that sends
        # a header line before any command; a client that has spoken may
        # send anything and gets its answer.
        mark, said = s.radio_mark(), s.speech_mark()
        web = Client(self.port)
        web.send(b"POST / HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nContent-Type: text/plain\r\n"
                 b"Content-Length: 4\r\n\r\nT 1\n" % self.port)
        self.assertEqual(web.closed_after(), b"")
        bare = Client(self.port)  # a request line with no version (HTTP/0.9)
        bare.send(b"GET /\nT 1\n")
        self.assertEqual(bare.closed_after(), b"")
        probe = Client(self.port)
        probe.send(b"\\probe\nOrigin: http://example.org\nT 1\n")
        self.assertEqual(probe.closed_after(), b"RPRT -11\n")
        talker = Client(self.port)
        self.assertEqual(talker.ask("t"), ["0"])
        self.assertEqual(talker.ask("Name: value"), ["RPRT -11"])
        self.assertNotIn("TX", s.radio_log()[mark:])

        # Every slot taken: the longest-idle client that holds no PTT makes
        # room. The holder keyed first, so it is the longest idle of all.
        holder = Client(self.port)
        self.assertEqual(holder.ask("T 1"), ["RPRT 0"])
        keyed = time.monotonic()
        others = [Client(self.port) for _ in range(30)]
        for other in others:
            self.assertEqual(other.ask("t"), ["1"])
        newcomer = Client(self.port)
        self.assertEqual(newcomer.ask("t"), ["1"])
        self.assertEqual(talker.closed_after(), b"")
        self.assertEqual(holder.ask("t"), ["1"])

        # The holder's transmission ends by itself after the limit, with
        # the words of Space's release; the PTT it held is gone with it.
        s.wait_for_radio(["TX", "RX"], since=mark, timeout=10)
        ended = time.monotonic() - keyed
        self.assertTrue(1.9 <= ended < 3.5, "transmission ended after %.2f s" % ended)
        s.wait_for_speech(["tx", "off"], since=said)
        self.assertEqual(holder.ask("t"), ["0"])
        for client in [web, probe, talker, holder, newcomer] + others:
            client.close()

        # The operator's own transmission has no limit.
        s.wait_for_silence()
        s.press("space", ["tx", "on"], ["TX"])
        mark = s.radio_mark()
        time.sleep(3)
        self.assertNotIn("RX", s.radio_log()[mark:])
        s.press("space", ["tx", "off"], ["RX"])

        # A client lost while it holds PTT and has the keyer sending takes
        # both with it, at once and without a word: even when the lines it
        # sent behind \wait_morse fill its room, so it is read no more.
        lost = Client(self.port)
        mark, said = s.radio_mark(), s.speech_mark()
        self.assertEqual(lost.ask("T 1"), ["RPRT 0"])
        for _ in range(4):  # seconds of keying in the radio's buffer and the program's queue
            self.assertEqual(lost.ask("b CQ CQ CQ DE TEST TEST TEST CQ CQ CQ DE TEST TEST TEST K"), ["RPRT 0"])
        lost.send(b"\\wait_morse\n" + b"f\n" * 3000)
        s.wait_for_radio(["TX"], since=mark)
        wait_until(lambda: any(c.startswith("KY ") for c in s.radio_log()[mark:]), 10, "the CW text")
        time.sleep(0.3)  # the inbox is full, the rest waits in the socket
        lost.sock.close()
        ended = s.seconds_until_radio("RX", since=mark)
        print("\nlost client with a full inbox: RX %.0f ms after its close" % (ended * 1000), flush=True)
        self.assertIn("RX", s.radio_log()[mark:])
        # Well before the limit (2 s) would have ended it.
        self.assertLess(ended, 1.0)
        self.assertIn("KY0", s.radio_log()[mark:])
        self.assertNotIn("off", s.speech_since(said))


if __name__ == "__main__":
    unittest.main(verbosity=2)
