#!/usr/bin/env python3
"""The receiver and transmitter switches with the options readout and the
status row, and the stepped levels (power, AF and RF gain, keyer speed,
noise level) with their limits: real keys, the virtual radio, the speech
log and the screen."""

import unittest

from rigvox_e2e import Session, commands, config_text, spoken

STATUS = (30, 246, 915, 48)   # the row of function flags


class ReceiverAndLevels(unittest.TestCase):
    def press(self, key, speech=(), sent=(), quiet=True):
        """One key (see Session.press); the radio commands without the
        polls and the words without the pauses."""
        sent, said = self.s.press(key, speech, sent, quiet)
        return commands(sent), spoken(said)

    def step(self, key, command):
        """A step that speaks nothing: waits for its one command only."""
        sent, _ = self.press(key, sent=[command], quiet=False)
        self.assertEqual(sent, [command], key)

    def steps(self, key, expected):
        """The same silent key once per expected command, typed in one go
        (the program takes queued keys in order): exactly those commands,
        in order, and not a word."""
        s = self.s
        speech_mark, radio_mark = s.speech_mark(), s.radio_mark()
        s.key(*[key] * len(expected), delay_ms=15)
        s.wait_for_radio(expected, since=radio_mark, timeout=20)
        self.assertEqual(commands(s.radio_log()[radio_mark:]), expected)
        self.assertEqual(spoken(s.speech_since(speech_mark)), [])

    def test_switches_options_and_levels(self):
        # Start power 10 W (a line of 8 characters keeps its last two).
        with Session(config=config_text(port=1, power=10), radio=["--smeter", "12"]) as s:
            self.s = s
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            self.assertIn("PC010", s.radio_log())
            s.wait_for_silence()
            # The radio answered "ML": the monitor counts as on.
            baseline = s.screen_pixels(STATUS)
            _, said = self.press("o", ["off"])
            self.assertEqual(said, ["options", "mon", "on", "tuner", "is", "off"])

            # Every switch on, each with its word, its command and its flag.
            switches_on = [("F1", ["preamp", "on"], ["PA1"]),
                           ("F2", ["at", "on"], ["RA01"]),
                           ("F3", ["nb", "on"], ["NB1", "NL"]),
                           ("F4", ["nr", "on"], ["NR1", "RL"]),
                           ("F5", ["notch", "on"], ["NT10"]),
                           # The processor key goes on to re-send the frequency.
                           ("F7", ["spc", "on"], ["PR1", "FA00007100000"]),
                           ("F8", ["vox", "on"], ["VX1"]),
                           ("F9", ["mon", "off"], ["ML000"])]
            previous = baseline
            for key, words, expected in switches_on:
                sent, said = self.press(key, words, expected)
                self.assertEqual((said, sent), (words, expected), key)
                now = s.screen_pixels(STATUS)
                self.assertNotEqual(now, previous, "%s changes the status row" % key)
                previous = now
                if key == "F8":
                    # L takes the level of the noise function switched on
                    # last (noise reduction, read from the radio as 4);
                    # switching the monitor lets go of it.
                    _, said = self.press("l", ["lev"])
                    self.assertEqual(said, ["nr", "lev"])
                    self.step("Up", "RL05")
                    self.step("Down", "RL04")

            _, said = self.press("o", ["off"])
            self.assertEqual(said, ["options", "preamp", "on", "at", "on", "nb", "on", "nr", "on",
                                    "notch", "on", "spc", "on", "vox", "on", "tuner", "is",
                                    "off"])

            # F6 does nothing at all.
            self.assertEqual(self.press("F6"), ([], []))

            self.assertEqual(self.press("l"), ([], []))

            # Every switch off again: the status row is as it was.
            switches_off = [("F1", ["preamp", "off"], ["PA0"]),
                            ("F2", ["at", "off"], ["RA00"]),
                            ("F3", ["nb", "off"], ["NB0"]),
                            ("F4", ["nr", "off"], ["NR0"]),
                            ("F5", ["notch", "off"], ["NT00"]),
                            # The level keys are still chosen (after L): no
                            # frequency goes out this time.
                            ("F7", ["spc", "off"], ["PR0"]),
                            ("F8", ["vox", "off"], ["VX0"]),
                            ("F9", ["mon", "on"], ["ML007"])]
            for key, words, expected in switches_off:
                sent, said = self.press(key, words, expected)
                self.assertEqual((said, sent), (words, expected), key)
            self.assertEqual(s.screen_pixels(STATUS), baseline)

            # Power: 10 W down to the 5 W floor; up from 5 goes to 10; in AM
            # the ceiling is a quarter of 100 W.
            _, said = self.press("p", ["watts"])
            self.assertEqual(said, ["power", "1", "0", "watts"])
            for _ in range(2):
                sent, said = self.press("Down", ["watts"], ["PC005"])
                self.assertEqual((sent, said), (["PC005"], ["min", "5", "watts"]))
            sent, said = self.press("Up", ["watts"], ["PC010"])
            self.assertEqual((sent, said), (["PC010"], ["1", "0", "watts"]))
            self.press("m", ["usb"])
            self.press("m", ["cw"])
            # In CW the VOX key is break-in, shown as "bin".
            sent, said = self.press("F8", ["on"], ["VX1"])
            self.assertEqual((said, sent), (["bkin", "on"], ["VX1"]))
            self.assertNotEqual(s.screen_pixels(STATUS), baseline)
            sent, said = self.press("F8", ["off"], ["VX0"])
            self.assertEqual((said, sent), (["bkin", "off"], ["VX0"]))
            self.assertEqual(s.screen_pixels(STATUS), baseline)
            self.press("m", ["am"])
            sent, said = self.press("Up", ["watts"], ["PC020"])
            self.assertEqual((sent, said), (["PC020"], ["2", "0", "watts"]))
            for _ in range(2):
                sent, said = self.press("Up", ["watts"], ["PC025"])
                self.assertEqual((sent, said), (["PC025"], ["max", "2", "5", "watts"]))
            self.press("m", ["lsb"])

            # AF gain, read from the radio as 100: up to 255 with "max", down
            # to 0 with "min".
            _, said = self.press("a", ["ag"])
            self.assertEqual(said, ["ag"])
            self.steps("Up", ["AG0%03d" % value for value in range(110, 251, 10)])
            for _ in range(2):
                sent, said = self.press("Up", ["max"], ["AG0255"])
                self.assertEqual((sent, said), (["AG0255"], ["max"]))
            self.steps("Down", ["AG0%03d" % value for value in range(245, 0, -10)])
            sent, said = self.press("Down", ["min"], ["AG0000"])
            self.assertEqual((sent, said), (["AG0000"], ["min"]))

            # RF gain: already at 255 ("max"); down to 0 without a word.
            _, said = self.press("r", ["rf"])
            sent, said = self.press("Up", ["max"], ["RG255"])
            self.assertEqual((sent, said), (["RG255"], ["max"]))
            self.steps("Down", ["RG%03d" % value for value in range(235, 0, -20)])
            self.assertEqual(self.press("Down", sent=["RG000"]), (["RG000"], []))
            self.assertEqual(self.press("Down", sent=["RG000"]), (["RG000"], []))

            # Keyer speed: K switches to CW, reads the radio's 20 wpm and
            # turns break-in off; the steps stop at 60 and 4; K again goes
            # back to LSB.
            sent, said = self.press("k", ["wpm"], ["BI0"])
            self.assertEqual(said, ["ks", "on", "2", "0", "wpm"])
            self.assertEqual(sent, ["MD3", "FW0600", "KS", "BI0"])
            self.steps("Up", ["KS0%02d" % wpm for wpm in range(21, 60)])
            for _ in range(2):
                sent, said = self.press("Up", ["max"], ["KS060"])
                self.assertEqual((sent, said), (["KS060"], ["max"]))
            self.steps("Down", ["KS0%02d" % wpm for wpm in range(59, 4, -1)])
            for _ in range(2):
                sent, said = self.press("Down", ["min"], ["KS004"])
                self.assertEqual((sent, said), (["KS004"], ["min"]))
            sent, said = self.press("k", ["wpm"], ["SH07"])
            self.assertEqual((said, sent), (["ks", "off", "4", "wpm"], ["MD1", "SH07"]))

            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
