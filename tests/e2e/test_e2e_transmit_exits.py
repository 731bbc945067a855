#!/usr/bin/env python3
"""Every way the program can be ended while Space has the radio
transmitting puts it back to receive before the program is gone: the
close box, SIGTERM (a service manager, `kill`) and SIGINT (Ctrl+C in the
terminal that started it). SIGHUP and Q are exercised with the memory and
connection tests; Windows log-off with the Wine suite."""

import signal
import unittest

from rigvox_e2e import Session, commands, config_text


class TransmitExits(unittest.TestCase):
    def ended_while_transmitting(self, end):
        with Session(config=config_text(port=1), radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            sent, _ = s.press("space", ["on"], ["TX"])
            self.assertEqual(commands(sent), ["TX"])
            end(s)
            self.assertEqual(s.wait_exit(30), 0)
            sent = commands(s.radio_log())
            self.assertEqual(sent[-1], "RX")
            # Once after the transmission (the first is the start's own).
            self.assertEqual(sent[sent.index("TX"):].count("RX"), 1)
            self.assertIsNotNone(s.read_file("savmem.dat"))

    def test_close_box(self):
        self.ended_while_transmitting(lambda s: s.close_window())

    def test_sigterm(self):
        self.ended_while_transmitting(lambda s: s.proc.send_signal(signal.SIGTERM))

    def test_sigint(self):
        self.ended_while_transmitting(lambda s: s.proc.send_signal(signal.SIGINT))


if __name__ == "__main__":
    unittest.main(verbosity=2)
