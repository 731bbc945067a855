#!/usr/bin/env python3
"""Smoke test: the real program starts without a radio, shows its window,
speaks its greeting and version, and ends with exit code 0 when the window
is closed."""

import os
import unittest

from rigvox_e2e import (TITLE, WINDOW_POSITION, WINDOW_SIZE, Session, config_text,
                        display_owned, ink_fraction, wait_until)


class Smoke(unittest.TestCase):
    def test_window_greeting_and_close(self):
        # Port 40 exists nowhere: the program runs without a radio.
        with Session(config=config_text(port=40)) as s:
            s.wait_for_window()
            self.assertEqual(s.window_title(), TITLE)
            x, y, width, height = s.window_geometry()
            self.assertEqual((width, height), WINDOW_SIZE)
            if display_owned():  # no window manager to move it
                self.assertEqual((x, y), WINDOW_POSITION)

            s.wait_for_speech(["rigvox", "3", "point", "4"], timeout=30)

            # The banner at the top of the window is drawn once start-up,
            # which waits out a reply pause for the missing radio, is over.
            def banner():
                return ink_fraction(s.screenshot(), 300, 10, 400, 25)

            wait_until(lambda: banner() > 0.01, 30, "the banner to be drawn", interval=0.2)
            self.assertGreater(banner(), 0.01)

            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)
            self.assertNotIn("cfgnf", s.speech())


if __name__ == "__main__":
    unittest.main()
