#!/usr/bin/env python3
"""A radio on a bad line: for some two thousand poll ticks its answers come
as noise, cut short, split across reads, overlong, run into each other,
repeated or with characters hit (the virtual radio's "garble" control). The
program must not crash, must keep showing the last valid frequency, must
keep the link (no loss, no new state query) and must keep answering keys.

The virtual radio's seed is random per run and printed; RIGVOX_FAULT_SEED
repeats a run."""

import os
import random
import sys
import unittest

from rigvox_e2e import Session, config_text, wait_until

# The big frequency figures and the split marker beside them.
FREQUENCY = (60, 145, 890, 85)
STATE_QUERY = {"AG0", "RG255", "PA0", "RA00", "NB0", "FW1500", "PC100", "FR0", "AC", "VX",
               "NR", "ML", "PR", "RX0"}
FREQUENCY_WORDS = ["7", "point", "1", "mhz", "lsb"]


def dark(pixels):
    return sum(1 for b in pixels if b < 100)


class Garble(unittest.TestCase):
    def run_phase(self, s, clean, per_mille, polls):
        """Spoils per_mille of the answers while the program sends the radio
        `polls` queries (twenty a second when idle), checking every sixty
        (some three seconds) that the program lives, shows the same
        figures and answers F. Counted in queries, not seconds, so a loaded
        machine makes the phase longer, never thinner."""
        s.radio_control("garble %d" % per_mille)
        end = s.radio_mark() + polls
        checks = 0
        while s.radio_mark() < end:
            due = min(end, s.radio_mark() + 60)
            wait_until(lambda: s.radio_mark() >= due or not s.running(), 60,
                       "sixty more queries at %d per mille" % per_mille)
            self.assertTrue(s.running(), "the program ended\n" + s.report())
            self.assertEqual(s.screen_region(FREQUENCY), clean,
                             "the frequency display changed at %d per mille" % per_mille)
            checks += 1
            if checks % 3 == 0:
                mark = s.speech_mark()
                s.key("f")
                s.wait_for_speech(FREQUENCY_WORDS, since=mark)
                s.wait_for_quiet(0.6)
            if checks % 4 == 1:
                # The S-meter readout parses a spoiled answer: any words
                # will do, as long as the program lives on.
                s.key("s")
                s.wait_for_quiet(0.6)

    def test_spoiled_answers_for_thousands_of_ticks(self):
        seed = int(os.environ.get("RIGVOX_FAULT_SEED") or random.randrange(1, 2 ** 31))
        sys.stderr.write("virtual radio seed %d\n" % seed)
        with Session(config=config_text(port=1), radio=["--smeter", "12", "--seed", seed]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_quiet(0.5)
            clean = s.wait_for_screen(FREQUENCY, lambda p: dark(p) > 500,
                                      what="the frequency display")
            speech_mark, radio_mark = s.speech_mark(), s.radio_mark()

            self.run_phase(s, clean, 1000, 700)  # every answer spoiled
            self.run_phase(s, clean, 250, 800)   # a bad line that mostly works
            s.radio_control("garble 0")
            s.wait_for_quiet(1.0)

            # Thousands of ticks went by, on one unbroken link.
            polls = s.radio_log()[radio_mark:]
            self.assertGreater(len(polls), 1400)
            self.assertFalse(STATE_QUERY & set(polls), "the link was lost and found again")
            self.assertNotIn("connected", s.speech_since(speech_mark))
            self.assertNotIn("nc", s.speech_since(speech_mark))
            self.assertEqual(s.screen_region(FREQUENCY), clean)

            # The line is clean again and the program follows the radio.
            s.radio_control("freq A 14074000")
            s.wait_for_screen(FREQUENCY, lambda p: p != clean and dark(p) > 500,
                              what="the display to show the radio's new frequency")
            mark = s.radio_mark()
            s.wait_for_radio(["FA", "FA", "FA"], since=mark)
            s.key("f")
            s.wait_for_speech(["1", "4", "point", "0", "7", "4", "mhz", "lsb"])

            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
