#!/usr/bin/env python3
"""The radio models: the extended menu with three-digit numbers (model 023)
and with five-digit numbers (model 024), and the reduced-feature radio
(model 020 answering "OMQC"), each against the virtual radio."""

import unittest

from rigvox_e2e import Session, commands, config_text, dark, spoken

SMETER = (745, 40, 200, 85)


class Models(unittest.TestCase):
    def press(self, key, speech=(), sent=(), quiet=True):
        """One key (see Session.press); the radio commands without the
        polls and the words without the pauses."""
        sent, said = self.s.press(key, speech, sent, quiet)
        return commands(sent), spoken(said)

    def menu(self, number, value, words):
        """N, the number's digits, Enter; unless the number is refused, the
        value's digits (none: the setting is read back) and Enter. Waits for
        `words`, the last Enter's speech, and returns what it sent and said."""
        self.assertEqual(self.press("n", ["mn"])[1], ["mn"])
        for digit in number:
            self.assertEqual(self.press(digit, [digit])[1], [digit])
        if words == ["invalid"]:
            return self.press("Return", words)
        self.assertEqual(self.press("Return", ["mp"]), ([], ["mp"]))
        for digit in value:
            self.assertEqual(self.press(digit, [digit])[1], [digit])
        return self.press("Return", words)

    def start(self, model, **config):
        s = Session(config=config_text(port=1, **config), radio=["--model", model,
                                                                 "--smeter", "12"])
        self.s = s.start()
        self.addCleanup(s.stop)
        s.wait_for_window()
        s.wait_for_speech(["connected"], timeout=30)
        s.wait_for_silence()
        return s

    def quit(self):
        self.s.key("q")
        self.s.wait_for_speech(["quit"])
        self.assertEqual(self.s.wait_exit(30), 0)

    def test_three_digit_menu(self):
        s = self.start("023")
        # A value sets the menu; Enter alone reads the setting back.
        self.assertEqual(self.menu("012", "1", ["ok"]), (["EX01200001"], ["ok"]))
        self.assertEqual(self.menu("012", "", ["1"]), (["EX0120000"], ["1"]))
        # A value set at the radio with a decimal point is read with "point".
        s.radio_control("menu 014 1.5")
        words = ["1", "point", "5"]
        self.assertEqual(self.menu("014", "", words), (["EX0140000"], words))
        # Two digits are not a menu number here.
        self.assertEqual(self.menu("12", "", ["invalid"]), ([], ["invalid"]))
        self.quit()

    def test_five_digit_menu(self):
        self.start("024")
        # Enter alone reads the setting back: the radio's factory "001".
        words = ["0", "0", "1"]
        self.assertEqual(self.menu("00101", "", words), (["EX00101 "], words))
        self.assertEqual(self.menu("00101", "3", ["ok"]), (["EX00101 3"], ["ok"]))
        self.assertEqual(self.menu("012", "", ["invalid"]), ([], ["invalid"]))
        self.quit()

    def test_reduced_feature_radio(self):
        s = self.start("020qc")
        # Start-up finds the model by "OM", asks "VN" and sends no filter or
        # tone command; the state query is AF and RF gain only.
        log = s.radio_log()
        self.assertEqual(log[:6], ["RX", "FA00007100000", "ID", "OM", "MD1", "VN"])
        self.assertEqual(commands(log), ["RX", "FA00007100000", "ID", "OM", "MD1", "VN", "AG0",
                                         "RG054"])
        self.assertEqual(spoken(s.speech())[4:], ["7", "point", "1", "mhz", "lsb",
                                                  "connected"])

        # What this radio lacks: every F key, the menu, the filter width.
        for key in ("F1", "F6", "F9", "F12"):
            self.assertEqual(self.press(key, ["na"]), ([], ["na"]), key)
        self.assertEqual(self.press("n", ["na"]), ([], ["na"]))
        self.assertEqual(self.press("w", ["na"])[1], ["bw", "na"])
        self.assertEqual(self.press("j", ["na"]), ([], ["cw", "na"]))  # no keyer for text
        # Its power is fixed: P says so and leaves the arrows on tuning.
        self.assertEqual(self.press("p", ["watts"])[1], ["power", "4", "point", "5", "watts"])
        self.assertEqual(self.press("Up", sent=["FA00007101000"])[0], ["FA00007101000"])
        # The mode cycle has no AM or FM, and no filter commands.
        self.assertEqual(self.press("m", ["usb"], ["MD2"]), (["MD2"], ["usb"]))
        self.assertEqual(self.press("m", ["cw"], ["MD3"]), (["MD3"], ["cw"]))
        self.assertEqual(self.press("m", ["lsb"], ["MD1"]), (["MD1"], ["lsb"]))
        # Its S-meter counts three times as fine ("SM" and three digits).
        s.wait_for_screen(SMETER, lambda p: dark(p) > 300, what="the S-meter")
        self.assertEqual(self.press("s", ["s"])[1], ["s", "4"])

        # Tune: a CW carrier keyed by the operator; the SWR is asked with
        # "SW" and spoken from the answer's own characters.
        mark = s.speech_mark()
        sent, said = self.press("t", ["presskey"], ["MD3"], quiet=False)
        self.assertEqual((sent[:1], said[:3]), (["MD3"], ["tune", "on", "presskey"]))
        s.wait_for_speech(["swr", "1", "point", "0", "21", "1", "point", "0"], since=mark)
        self.assertIn("SW", s.radio_log())
        sent, said = self.press("t", ["off"], ["MD1"])
        self.assertEqual(sent, ["MD1"])
        self.quit()


if __name__ == "__main__":
    unittest.main(verbosity=2)
