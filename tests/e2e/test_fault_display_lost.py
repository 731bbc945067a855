#!/usr/bin/env python3
"""The X server goes away under the program while the radio transmits, as
when the desktop session ends: the radio is put back to receive, the memory
file is saved with the band as it stands, and the program ends by itself.
The program runs on an X server of its own here, which the test stops."""

import os
import unittest

import rigvox_e2e
from rigvox_e2e import Session, commands, config_text, dark

FREQUENCY = (280, 145, 670, 85)


class DisplayLost(unittest.TestCase):
    def test_x_server_gone_while_transmitting(self):
        xvfb, display = rigvox_e2e.start_xvfb()
        # Every tool of the harness and the program itself use this display,
        # not the one the harness would start for the test.
        os.environ["DISPLAY"] = display
        rigvox_e2e._display = display
        try:
            with Session(config=config_text(port=1), radio=["--smeter", "12"]) as s:
                s.wait_for_window()
                s.wait_for_speech(["connected"], timeout=30)
                s.wait_for_silence()
                at_7100 = s.wait_for_screen(FREQUENCY, lambda p: dark(p) > 500)
                sent, _ = s.press("space", ["on"], ["TX"])
                self.assertEqual(commands(sent), ["TX"])
                s.radio_control("freq A 7050000")
                s.wait_for_screen(FREQUENCY, lambda p: p != at_7100 and dark(p) > 500,
                                  what="7.05 MHz on the screen")

                xvfb.terminate()
                xvfb.wait(10)
                self.assertEqual(s.wait_exit(30), 0)
                self.assertEqual(commands(s.radio_log())[-1], "RX")
                band40 = s.read_file("savmem.dat").split("\r\n")[4]
                self.assertEqual(band40, "01A00007050000B000071000009990")
        finally:
            if xvfb.poll() is None:
                xvfb.kill()
                xvfb.wait(10)


if __name__ == "__main__":
    unittest.main(verbosity=2)
