#!/usr/bin/env python3
"""Rigvox listens while it speaks. A key pressed during a readout stops it
and acts at once; Space pressed again while "tx on" sounds transmits
nothing, and a transmission goes out only once "tx on" has sounded. During
a long readout a network client gets every answer at once, a frequency just
typed is what it reads, and Hamlib's rigctl on the pass-through port
succeeds.

    virtual radio (com1) <-> rigvox <-> com2 =socat= client <-> rigctl
                                    <-> network port <- client asking f
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from rigvox_e2e import (RigctlClient, Session, commands, config_text, free_port,  # noqa: E402
                        spoken, wait_until)
from test_passthrough_rigctl import BridgeSession  # noqa: E402


class ListenWhileSpeaking(unittest.TestCase):
    def test_a_key_cuts_the_readout_and_space_again_transmits_nothing(self):
        with Session(config=config_text(port=1, announce="quiet"), radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()

            # M while F reads 7.1 MHz: the mode goes to the radio and is
            # spoken; the rest of the frequency readout never sounds.
            mark, radio = s.speech_mark(), s.radio_mark()
            s.key("f")
            s.wait_for_speech(["7"], since=mark)
            s.key("m")
            s.wait_for_radio(["MD2"], since=radio)
            s.wait_for_speech(["usb"], since=mark)
            s.wait_for_silence()
            said = spoken(s.speech_since(mark))
            self.assertEqual((said[0], said[-1]), ("7", "usb"))
            self.assertNotIn("lsb", said)

            # Space twice, the second while "tx on" still sounds: back to
            # receive, and the radio never transmitted.
            mark, radio = s.speech_mark(), s.radio_mark()
            s.key("space", "space", delay_ms=150)
            s.wait_for_speech(["tx", "off"], since=mark)
            s.wait_for_silence()
            sent = commands(s.radio_log()[radio:])
            self.assertNotIn("TX", sent)
            self.assertIn("RX", sent)

            # Space once: TX reaches the radio only after "on" has begun
            # (and sounded: the prompt is not sent on the air).
            mark, radio = s.speech_mark(), s.radio_mark()
            s.key("space")
            s.wait_for_speech(["tx", "on"], since=mark)
            self.assertNotIn("TX", commands(s.radio_log()[radio:]))
            s.wait_for_radio(["TX"], since=radio)
            s.press("space", ["tx", "off"], ["RX"])

    def test_clients_are_answered_while_the_whole_help_is_read(self):
        port = free_port()
        config = (config_text(port=1, bridge=2, debug=1, announce="quiet")
                  + "RIGCTLD=%d\r\n" % port)
        with BridgeSession(config=config, radio=["--smeter", "12", "--delay", "10"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            client = RigctlClient(port)
            try:
                # A frequency typed while its digits are still being echoed:
                # the next f gives it, never the one before.
                radio = s.radio_mark()
                s.key("e", "1", "4", "period", "0", "7", "4", "Return")
                s.wait_for_radio(["FA00014074000"], since=radio)
                self.assertEqual(client.ask("f"), ["14074000"])

                # H twice: the whole help, read for half a minute.
                mark = s.speech_mark()
                s.key("h", "h")
                s.wait_for_speech(["help"], since=mark)

                # The pass-through's rigctl works at its first attempt.
                self.assertEqual(s.rigctl("f"), ["14074000"])
                # Every f is answered, each long before a readout could end.
                slowest = 0.0
                for _ in range(20):
                    asked = time.monotonic()
                    self.assertEqual(client.ask("f"), ["14074000"])
                    slowest = max(slowest, time.monotonic() - asked)
                    time.sleep(0.1)
                self.assertLess(slowest, 1.0)
                # The help was still being read all the while.
                said = s.speech_since(mark)
                self.assertNotIn("quit", said)
                self.assertGreaterEqual(len(said), 2, said)

                # Escape stops it: nothing more is said.
                s.key("Escape")
                s.wait_for_silence()
                quiet = s.speech_mark()
                time.sleep(1.5)
                self.assertEqual(s.speech_mark(), quiet)
            finally:
                client.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
