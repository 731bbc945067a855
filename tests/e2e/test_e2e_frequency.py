#!/usr/bin/env python3
"""Frequency, band and mode by real key presses: typed entry, the tuning
keys, zero, band stepping with every band remembered, the mode cycle and
the filter width, checked at the virtual radio, in the speech log and on
the screen."""

import unittest

from rigvox_e2e import Session, commands, config_text, dark, spoken

FREQUENCY = (280, 145, 670, 85)   # the big frequency figures
MODE = (45, 40, 340, 85)          # the mode name


class FrequencyBandMode(unittest.TestCase):
    def press(self, key, speech=(), sent=(), quiet=True):
        """One key (see Session.press); the radio commands without the
        polls and the words without the pauses."""
        sent, said = self.s.press(key, speech, sent, quiet)
        return commands(sent), spoken(said)

    def settle(self):
        """Waits until a frequency answer given after everything sent so far
        has been taken in (the poll has asked twice more)."""
        self.s.wait_for_radio(["FA", "FA"], since=self.s.radio_mark())

    def test_entry_tuning_bands_and_modes(self):
        with Session(config=config_text(port=1), radio=["--smeter", "12"]) as s:
            self.s = s
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            lsb = s.wait_for_screen(MODE, lambda p: dark(p) > 500, what="the mode name")
            at_7100 = s.wait_for_screen(FREQUENCY, lambda p: dark(p) > 500,
                                        what="the frequency display")

            # Typed entry: E 14.25 Enter. 20 m is USB with the preamp on.
            self.press("e", ["ef"])
            for key, word in [("1", "1"), ("4", "4"), ("period", "point"), ("2", "2"),
                              ("5", "5")]:
                self.press(key, [word])
            sent, said = self.press("Return", ["ok"], ["PA1"])
            self.assertEqual(sent, ["MD2", "SH07", "FA00014250000", "PA1"])
            self.assertEqual(said, ["preamp", "on", "ok"])
            self.settle()
            at_14250 = s.wait_for_screen(FREQUENCY, lambda p: p != at_7100 and dark(p) > 500,
                                         what="14.25 MHz on the screen")
            self.assertNotEqual(s.screen_pixels(MODE), lsb)
            _, said = self.press("f", ["usb"])
            self.assertEqual(said, ["1", "4", "point", "2", "5", "mhz", "usb"])

            # The tuning keys, each sent as one frequency command.
            steps = [("equal", "FA00015250000"), ("minus", "FA00014250000"),
                     ("bracketright", "FA00015250000"), ("bracketleft", "FA00014250000"),
                     ("Prior", "FA00014260000"), ("Next", "FA00014250000"),
                     ("Right", "FA00014250100"), ("Left", "FA00014250000"),
                     ("Up", "FA00014251000"), ("Down", "FA00014250000")]
            for key, command in steps:
                sent, _ = self.press(key, sent=[command])
                self.assertEqual(sent, [command], key)
                self.settle()
            # (The last answer may be taken in a poll late on a loaded machine.)
            s.wait_for_screen(FREQUENCY, lambda p: p == at_14250, what="14.25 MHz after the steps")

            # Zero in USB on a whole kilohertz moves up one kilohertz.
            sent, said = self.press("z", ["ok"], ["FA00014251000"])
            self.assertEqual((sent, said), (["FA00014251000"], ["0", "ok"]))
            self.settle()

            # Rejected entries: a first digit 0, and 440 MHz on its last
            # digit; Enter then sends nothing.
            _, said = self.press("e", ["ef"])
            _, said = self.press("0", ["invalid"])
            self.assertEqual(said, ["0", "invalid"])
            self.press("e", ["ef"])
            self.press("4", ["4"])
            self.press("4", ["4"])
            _, said = self.press("0", ["invalid"])
            self.assertEqual(said, ["0", "invalid"])
            sent, said = self.press("Return")
            self.assertEqual((sent, said), ([], []))

            # Band stepping: B speaks the band; Up goes to 17 m with its
            # factory record, Down comes back to 20 m where it was left.
            _, said = self.press("b", ["metres"])
            self.assertEqual(said, ["band", "20", "metres"])
            sent, said = self.press("Up", ["17", "metres"], ["SH07"])
            self.assertEqual(sent, ["FA00018100000", "PA1", "MD2", "SH07"])
            self.assertEqual(said, ["preamp", "on", "17", "metres"])
            self.settle()
            sent, said = self.press("Down", ["20", "metres"], ["SH07"])
            self.assertEqual(sent, ["FA00014251000", "PA1", "MD2", "SH07"])
            self.assertEqual(said, ["preamp", "on", "20", "metres"])
            self.settle()

            # A digit picks a band; 160 m down wraps to 70 cm (the radio
            # covers up to 70 cm), and 70 cm up wraps to 160 m.
            sent, said = self.press("1", ["160", "metres"], ["SH07"])
            self.assertEqual(sent, ["FA00001900000", "PA0", "MD1", "SH07"])
            self.settle()
            self.press("b", ["metres"])
            sent, said = self.press("Down", ["70", "metres"], ["SQ0"])
            self.assertEqual(sent, ["FA00432000000", "PA0", "MD4", "SH08", "FW0001", "SQ0"])
            self.assertEqual(said, ["preamp", "off", "70", "metres"])
            self.settle()
            sent, said = self.press("Up", ["160", "metres"], ["SH07"])
            self.assertEqual(sent, ["FA00001900000", "PA0", "MD1", "SH07"])
            self.settle()

            # Back on 40 m: the display shows 7.1 MHz exactly as at the start.
            self.press("4", ["40", "metres"], ["SH07"])
            self.settle()
            s.wait_for_screen(FREQUENCY, lambda p: p == at_7100,
                              what="7.1 MHz shown as at the start")
            self.assertEqual(s.screen_pixels(MODE), lsb)

            # The mode cycle on 10 m, where FM is allowed.
            self.press("b", ["metres"])
            sent, _ = self.press("0", ["10", "metres"], ["SH07"])
            self.assertEqual(sent, ["FA00028500000", "PA1", "MD2", "SH07"])
            self.settle()
            cycle = [(["cw"], ["MD3", "FW0600"]),
                     (["am"], ["MD5", "SH02"]),
                     (["fm", "nar"], ["MD4", "SH08", "FW0001", "SQ0"])]
            for words, expected in cycle:
                sent, said = self.press("m", words, expected[-1:])
                self.assertEqual((said, sent), (words, expected))
            # X then M swaps FM narrow for FM wide, and back; M goes on to LSB.
            _, said = self.press("x", ["on"])
            self.assertEqual(said, ["extcm", "on"])
            sent, said = self.press("m", ["fm"], ["SQ0"])
            self.assertEqual((said, sent), (["fm"], ["MD4", "SH08", "FW0000", "SQ0"]))
            self.press("x", ["on"])
            sent, said = self.press("m", ["nar"], ["SQ0"])
            self.assertEqual((said, sent),
                             (["fm", "nar"], ["MD4", "SH08", "FW0001", "SQ0"]))
            sent, said = self.press("m", ["lsb"], ["SH07"])
            self.assertEqual((said, sent), (["lsb"], ["MD1", "SH07"]))
            self.assertEqual(s.screen_pixels(MODE), lsb)
            sent, said = self.press("m", ["usb"], ["SH07"])
            self.assertEqual((said, sent), (["usb"], ["MD2", "SH07"]))
            self.assertNotEqual(s.screen_pixels(MODE), lsb)

            # Filter width in USB: index 7 is 2.4 kHz; it stops at 12 with
            # "max". The arrow keys also re-send the frequency.
            _, said = self.press("w", ["khz"])
            self.assertEqual(said, ["bw", "2", "point", "4", "khz"])
            for index in range(8, 12):
                sent, _ = self.press("Up", sent=["SH%02d" % index, "FA00028500000"])
                self.assertEqual(sent, ["SH%02d" % index, "FA00028500000"])
            for _ in range(2):
                sent, said = self.press("Up", ["max"], ["SH12"])
                self.assertEqual((sent, said), (["SH12", "FA00028500000"], ["max"]))
            _, said = self.press("w", ["khz"])
            self.assertEqual(said, ["bw", "3", "point", "4", "khz"])

            # In CW the width snaps to the radio's series and stops at 50 Hz.
            self.press("m", ["cw"], ["FW0600"])
            _, said = self.press("w", ["hz"])
            self.assertEqual(said, ["bw", "6", "0", "0", "hz"])
            self.assertEqual(self.press("Up", sent=["FW1000"])[0][0], "FW1000")
            self.assertEqual(self.press("Down", sent=["FW0600"])[0][0], "FW0600")
            for width in (500, 400, 300, 200, 100):
                self.assertEqual(self.press("Down", sent=["FW%04d" % width])[0][0],
                                 "FW%04d" % width)
            sent, said = self.press("Down", ["min"], ["FW0050"])
            self.assertEqual((sent[0], said), ("FW0050", ["min"]))

            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
