#!/usr/bin/env python3
"""Power switching (configuration line 7 = 1): the radio is woken and
switched on at start, right after the receive command, and sent the closing power
command at the end: "PS9" (off) for most models, "PS1" for models 019 and
024, whether the program ends by Q or by the window's close box."""

import unittest

from rigvox_e2e import Session, commands, config_text


class PowerSwitching(unittest.TestCase):
    def run_once(self, model, close_box):
        with Session(config=config_text(port=1, power_switch=1),
                     radio=["--model", model, "--off"]) as s:
            s.wait_for_window()
            # The radio starts switched off: "Poweron" and "PS1" wake it,
            # so it answers the model query and connects.
            s.wait_for_speech(["connected"], timeout=30)
            log = s.radio_log()
            self.assertEqual(log[:5], ["RX", "Poweron", "PS1", "FA00007100000", "ID"])
            # Six pauses after switching on, besides the one for "Poweron"
            # and the one for "ID", before the greeting's frequency.
            self.assertEqual(s.speech()[4:12], ["delay"] * 8)
            s.wait_for_silence()
            if close_box:
                s.close_window()
            else:
                s.key("q")
                s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)
            return commands(s.radio_log()), s.speech()

    def test_quit_key_switches_a_model_023_off(self):
        sent, said = self.run_once("023", close_box=False)
        self.assertEqual(sent[-2:], ["RX", "PS9"])
        self.assertEqual(said[-2:], ["quit", "delay"])

    def test_close_box_leaves_a_model_019_on(self):
        sent, said = self.run_once("019", close_box=True)
        self.assertEqual(sent[-1], "PS1")
        self.assertNotIn("RX", sent[-2:])
        self.assertEqual(said[-1], "delay")


if __name__ == "__main__":
    unittest.main(verbosity=2)
