#!/usr/bin/env python3
"""Meters and transmitting by real key presses: the S-meter on screen and
spoken, transmit, split with its screen marker, the tune sequence with the
SWR spoken from the radio's meter, the ALC watch with its peak, and the
CTCSS tone, remembered with its band."""

import unittest

from rigvox_e2e import Session, commands, config_text, dark, spoken, wait_until

SMETER = (745, 40, 200, 85)     # "S" and the S unit
SPLIT = (75, 145, 205, 85)      # the split marker "B"
STATUS = (30, 246, 915, 48)     # the row of function flags

DIGITS = set("0123456789")


class MetersAndTransmit(unittest.TestCase):
    def press(self, key, speech=(), sent=(), quiet=True):
        """One key (see Session.press); the radio commands without the
        polls and the words without the pauses."""
        sent, said = self.s.press(key, speech, sent, quiet)
        return commands(sent), spoken(said)

    def settle(self, query="FA"):
        self.s.wait_for_radio([query, query], since=self.s.radio_mark())

    def test_meters_transmit_split_tune_alc_and_tone(self):
        # Tuner setting 1: no automatic tuner, the tune key keys a carrier.
        # Quiet: VFO B turned at the radio below is read back by F, unannounced.
        config = config_text(port=1, swr=1, atu=1, announce="quiet")
        with Session(config=config, radio=["--smeter", "12"]) as s:
            self.s = s
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)

            # S-meter: 12 steps are S4, on screen and spoken; 30 is S9 plus.
            s4 = s.wait_for_screen(SMETER, lambda p: dark(p) > 300, what="the S-meter")
            self.assertEqual(self.press("s", ["s"])[1], ["s", "4"])
            s.radio_control("smeter 30")
            s.wait_for_screen(SMETER, lambda p: p != s4 and dark(p) > 300,
                              what="the S-meter to rise")
            self.assertEqual(self.press("s", ["plus"])[1], ["s", "9", "plus"])
            s.radio_control("smeter 12")
            s.wait_for_screen(SMETER, lambda p: p == s4, what="S4 again")

            # Transmit by Space; S then reads the SWR, of which nothing has
            # been measured yet.
            sent, said = self.press("space", ["on"], ["TX"])
            self.assertEqual((sent, said), (["TX"], ["tx", "on"]))
            self.assertEqual(self.press("s", ["na"])[1], ["swr", "na"])
            sent, said = self.press("space", ["off"], ["RX"])
            self.assertEqual((sent, said), (["RX"], ["tx", "off"]))

            # Split: transmit on VFO B, which takes the working frequency; the
            # next display shows the marker and says "split" once.
            no_marker = s.screen_pixels(SPLIT)
            sent, said = self.press("v", ["split"], ["FT1", "FB00007100000"])
            self.assertEqual((sent, said), (["FT1", "FB00007100000"], ["split"]))
            s.wait_for_screen(SPLIT, lambda p: dark(p) > 300, what="the split marker")
            self.settle("FB")
            _, said = self.press("f", ["lsb"])
            self.assertEqual(said, ["vfob", "7", "point", "1", "mhz", "lsb"])
            # VFO B turned at the radio is what the program now follows.
            s.radio_control("freq B 7105000")
            self.settle("FB")
            self.settle("FB")
            _, said = self.press("f", ["lsb"])
            self.assertEqual(said, ["vfob", "7", "point", "1", "0", "5", "mhz", "lsb"])
            sent, said = self.press("v", ["off"], ["FA00007100000"])
            self.assertEqual((sent, said), (["RX0", "FA00007100000"], ["split", "off"]))
            self.settle("FA")
            s.wait_for_screen(SPLIT, lambda p: p == no_marker, what="the marker to go")

            # Tune: a 5 W AM carrier; the radio's SWR meter is read and
            # spoken, first with "SWR" and "to one", then as bare figures.
            mark = s.speech_mark()
            sent, said = self.press("t", ["off"], ["TX2"], quiet=False)
            self.assertEqual(said[:4], ["tune", "on", "atu", "off"])
            self.assertEqual(sent, ["RM1", "PC005", "MD5", "TX2"])
            # Count 3 on the meter's scale reads 1.25: spoken 1.3.
            s.wait_for_speech(["tune", "on", "atu", "off", "swr", "1", "point", "3", "21",
                               "1", "point", "3"], since=mark)
            s.radio_control("swr 12")
            s.wait_for_speech(["2", "point", "0", "2", "point", "0"])
            s.radio_control("swr 30")
            s.wait_for_speech(["gt6", "gt6"])
            # While tuning only T and S work.
            self.assertIn("ton", self.press("f", ["ton"], quiet=False)[1])
            # T again: back to receive, five pauses, the power and the mode.
            radio_mark = s.radio_mark()
            s.key("t")
            s.wait_for_speech(["tune", "off"])
            s.wait_for_radio(["SH07"], since=radio_mark)
            s.wait_for_silence()
            self.assertEqual(commands(s.radio_log()[radio_mark:]),
                             ["RM1", "RX", "PC100", "MD1", "SH07"])
            # (A reading asked for before T may still be spoken once, late;
            # after that the meter is the S-meter again.)
            mark = s.speech_mark()
            s.wait_for_radio(["SM0"] * 10, since=s.radio_mark())
            self.assertEqual(s.speech_since(mark), [])
            self.assertEqual(self.press("s", ["s"])[1], ["s", "4"])

            # ALC watch: F11 reads the microphone gain (50) and the ALC (0
            # while receiving); Up steps the gain; then the peak of the ALC
            # is spoken while the operator talks, never going down.
            sent, said = self.press("F11", ["lev"], ["MG", "RM3"], quiet=False)
            self.assertEqual(said[:2], ["micgain", "lev"])
            s.wait_for_speech(["alc", "0"])
            sent, _ = self.press("Up", sent=["MG051"], quiet=False)
            self.assertIn("MG051", sent)
            s.radio_control("alc 20")
            s.radio_control("ptt on")
            mark = s.speech_mark()

            def peaks():
                heard = s.speech_since(mark)
                digits = [w for w in heard if w in DIGITS]
                start = next((i for i, d in enumerate(digits) if d != "0"), len(digits))
                return heard, [int(a + b) for a, b in zip(digits[start::2], digits[start + 1::2])]

            # Some three peaks, each after half a second of quiet.
            wait_until(lambda: len(peaks()[1]) >= 3, 30, "three ALC peaks spoken")
            s.radio_control("ptt off")
            heard, values = peaks()
            self.assertGreaterEqual(len(values), 2, heard)
            self.assertTrue(all(17 <= v <= 28 for v in values), heard)
            self.assertEqual(values, sorted(values), heard)
            # F11 ends it with the microphone gain.
            s.key("F11")
            s.wait_for_speech(["micgain", "lev", "5", "1", "off"])
            s.wait_for_silence()

            # CTCSS on 2 m: I, two digits, Enter.
            self.press("b", ["metres"])
            self.press("t", ["2", "metres"], ["SQ0"])
            self.settle()
            no_tone = s.screen_pixels(STATUS)
            self.assertEqual(self.press("i", ["ec"])[1], ["ec"])
            self.press("1", ["1"])
            self.press("2", ["2"])
            sent, said = self.press("Return", ["on"], ["CT1"])
            self.assertEqual((sent, said), (["TN12", "CN12", "CT1"], ["ctcss", "on"]))
            with_tone = s.screen_pixels(STATUS)
            self.assertNotEqual(with_tone, no_tone)
            _, said = self.press("f", ["2"])
            self.assertEqual(said, ["1", "4", "5", "mhz", "fm", "nar", "ctcss", "1", "2"])

            # The tone stays with the band: 40 m has none (the tone goes off
            # with FM), back on 2 m it is switched on again.
            self.press("b", ["metres"])
            sent, _ = self.press("4", ["40", "metres"], ["SH07"])
            self.assertIn("CT0", sent)
            self.settle()
            self.assertEqual(s.screen_pixels(STATUS), no_tone)
            self.press("b", ["metres"])
            sent, said = self.press("t", ["2", "metres"], ["SQ0"])
            self.assertEqual(sent[:4], ["FA00145000000", "TN12", "CN12", "CT1"])
            self.assertEqual(said[:3], ["ctcss", "1", "2"])
            self.assertEqual(s.screen_pixels(STATUS), with_tone)

            # I switches it off; a tone number above 42 is refused.
            sent, said = self.press("i", ["off"], ["CT0"])
            self.assertEqual((sent, said), (["CT0"], ["ctcss", "off"]))
            self.assertEqual(s.screen_pixels(STATUS), no_tone)
            self.press("i", ["ec"])
            self.press("4", ["4"])
            self.press("3", ["3"])
            self.assertEqual(self.press("Return", ["invalid"]), ([], ["invalid"]))

            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
