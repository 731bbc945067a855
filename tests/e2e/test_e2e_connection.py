#!/usr/bin/env python3
"""Connecting to the radio, following its front panel, losing it and
finding it again: the real program against the virtual radio."""

import unittest

from rigvox_e2e import POLLS, Session, commands, config_text, dark, spoken

# Window regions (x, y, width, height): the big frequency figures.
FREQUENCY = (280, 145, 670, 85)

# What the program asks of a radio when the link (re)starts, after the
# first frequency answer; band 4's record has its preamp flag off.
STATE_QUERY = ["AG0", "RG255", "PA0", "RA00", "NB0", "FW1500", "PC100", "FR0", "AC", "VX",
               "NR", "ML", "PR", "RX0"]


class Connection(unittest.TestCase):
    def test_connects_follows_the_radio_and_survives_a_lost_link(self):
        # The debug log counts the polls sent to the silent radio below.
        with Session(config=config_text(port=1, debug=1), radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)

            # Greeting, then the band's frequency and mode, then "connected".
            self.assertEqual(spoken(s.speech()),
                             ["rigvox", "3", "point", "4", "7", "point", "1", "mhz", "lsb",
                              "preamp", "off", "connected"])
            # Start-up puts the radio to receive (a killed run may have left
            # it keyed), tunes band 4, asks the model, sets LSB with its
            # filter and no tone; the first frequency answer brings the state
            # query. The radio logs what it reads a moment after the program spoke.
            s.wait_for_radio(STATE_QUERY)
            log = s.radio_log()
            self.assertEqual(log[:6], ["RX", "FA00007100000", "ID", "MD1", "SH07", "CT0"])
            self.assertEqual(log[6], "FA")
            self.assertEqual(log[7:7 + len(STATE_QUERY)], STATE_QUERY)

            # The next frequency answer is shown.
            at_7100 = s.wait_for_screen(FREQUENCY, lambda p: dark(p) > 500,
                                        what="the frequency display")

            # Turned at the radio: the display follows, and once the new
            # band's record holds it, F reads it back.
            mark = s.radio_mark()
            s.radio_control("freq A 14074000")
            s.wait_for_screen(FREQUENCY, lambda p: p != at_7100 and dark(p) > 500,
                              what="the display to show the radio's new frequency")
            s.wait_for_radio(["FA", "FA", "FA"], since=mark)
            s.key("f")
            s.wait_for_speech(["1", "4", "point", "0", "7", "4", "mhz", "lsb"])

            # Back at the radio to 7.1 MHz: the very same figures as before.
            s.radio_control("freq A 7100000")
            s.wait_for_screen(FREQUENCY, lambda p: p == at_7100,
                              what="the display to show 7.1 MHz again")

            # The radio goes silent. Right away the link still counts as up;
            # after some two seconds of silence (twenty unanswered polls,
            # counted while the program is idle) every key answers "nc".
            # Those polls are counted in the program's debug log, which holds
            # what went to the silent radio: a loaded machine may take far
            # longer than two seconds to send them.
            s.wait_for_silence()
            s.radio_control("silent")
            s.key("f")
            s.wait_for_speech(["7", "point", "1", "mhz", "lsb"])
            s.wait_for_silence()
            s.wait_for_sent(24, since=s.sent_mark(), which=lambda c: c in POLLS)
            s.key("f")
            s.wait_for_speech(["nc"])

            # The radio answers again: frequency, mode, "connected", and the
            # whole state query once more, in order.
            s.wait_for_silence()
            speech_mark, mark = s.speech_mark(), s.radio_mark()
            s.radio_control("alive")
            s.wait_for_speech(["connected"], timeout=15)
            self.assertEqual(spoken(s.speech_since(speech_mark)),
                             ["7", "point", "1", "mhz", "lsb", "preamp", "off", "connected"])
            s.wait_for_radio(STATE_QUERY, since=mark)
            self.assertEqual(commands(s.radio_log()[mark:]), STATE_QUERY)
            s.key("f")
            s.wait_for_speech(["7", "point", "1", "mhz", "lsb"])

            # Q: back to receive, "quit", a clean end.
            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)
            self.assertEqual(commands(s.radio_log())[-1], "RX")


if __name__ == "__main__":
    unittest.main(verbosity=2)
