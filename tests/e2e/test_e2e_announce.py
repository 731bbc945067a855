#!/usr/bin/env python3
"""Changes nobody asked about, heard once they settle: the dial turned and
the mode switched at the virtual radio's front panel, a network client's
change at the levels "radio" and "all", and Y, which steps the level from
radio to all to quiet."""

import unittest

from rigvox_e2e import RigctlClient, Session, config_text, free_port, spoken

# A change settles after half a second and two unchanged reports. Ten more
# frequency queries (a second of the program's own polling, however loaded
# the machine) are well past that: an announcement would have begun.
SETTLED = ["FA"] * 10


class Announcements(unittest.TestCase):
    def test_radio_changes_are_spoken_once_settled_and_y_sets_the_level(self):
        port = free_port()
        config = config_text(port=1) + "RIGCTLD=%d\r\n" % port
        with Session(config=config, radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()

            def heard_after(action, names):
                """What was spoken from the action on, once names have been."""
                mark = s.speech_mark()
                action()
                s.wait_for_speech(names, since=mark)
                s.wait_for_silence()
                return spoken(s.speech_since(mark))

            def silent_after(action, radio_sees=()):
                mark = s.speech_mark()
                radio_mark = s.radio_mark()
                action()
                s.wait_for_radio(list(radio_sees) + SETTLED, since=radio_mark)
                self.assertEqual(spoken(s.speech_since(mark)), [])

            # The dial turned at the radio from 7.1 MHz through two values
            # the poll sees once each, to 14.074 MHz: without a key, the new
            # band, then the frequency as F says it. The values passed on
            # the way are never spoken.
            radio_mark = s.radio_mark()
            said = heard_after(lambda: s.radio_control("dial A 14050000 14060000 14074000"),
                               ["20", "metres", "1", "4", "point", "0", "7", "4", "mhz"])
            self.assertEqual(said, ["20", "metres", "1", "4", "point", "0", "7", "4", "mhz"])
            self.assertGreaterEqual(s.radio_log()[radio_mark:].count("FA"), 4)

            # The mode switched at the radio (its digit 3, CW) is spoken.
            self.assertEqual(heard_after(lambda: s.radio_control("mode 3"), ["cw"]), ["cw"])

            # A network client's change is not spoken at the level "radio".
            client = RigctlClient(port)
            silent_after(lambda: self.assertEqual(client.ask("F 14075000"), ["RPRT 0"]),
                         ["FA00014075000"])

            # Y: "all". Now a client's change is spoken once settled.
            self.assertEqual(heard_after(lambda: s.key("y"), ["all"]), ["all"])
            said = heard_after(lambda: client.ask("F 14076000"),
                               ["1", "4", "point", "0", "7", "6", "mhz"])
            self.assertEqual(said, ["1", "4", "point", "0", "7", "6", "mhz"])

            # Y again: "quiet". The dial turned at the radio says nothing.
            self.assertEqual(heard_after(lambda: s.key("y"), ["quiet"]), ["quiet"])
            silent_after(lambda: s.radio_control("freq A 14080000"))
            client.close()

            # F still reads what the radio has now.
            self.assertEqual(heard_after(lambda: s.key("f"), ["mhz"]),
                             ["1", "4", "point", "0", "8", "mhz", "cw"])
            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
