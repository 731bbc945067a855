#!/usr/bin/env python3
"""CW from the keyboard against the virtual radio (a TS-590S, which takes
its own right-aligned "KY" form): J and a message echoed character by
character (Shift and slash a question mark), Escape sending nothing, Enter
putting the text in the radio's keyer, and J or Q while the keyer still
sends stopping it."""

import unittest

from rigvox_e2e import Session, commands, config_text, spoken


class CwFromTheKeyboard(unittest.TestCase):
    def test_message_cancelled_sent_and_stopped(self):
        with Session(config=config_text(port=1), radio=["--model", "021", "--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()

            # Escape: the message goes nowhere, and its letters ran no command.
            mark, said = s.radio_mark(), s.speech_mark()
            s.key("j", "t", "e", "s", "t", "shift+slash", "slash", "Escape")
            s.wait_for_speech(["cancelled"], since=said)
            s.wait_for_silence()
            self.assertEqual(spoken(s.speech_since(said)),
                             ["cwmessage", "t", "e", "s", "t", "question", "slash", "cancelled"])
            self.assertEqual([c for c in commands(s.radio_log()[mark:]) if c.startswith(("KY", "TX", "MD"))], [])

            # Enter: the text in the keyer, right-aligned in its 24-character field.
            mark, said = s.radio_mark(), s.speech_mark()
            s.key("j", "c", "q", "space", "c", "q", "space", "7", "3", "Return")
            s.wait_for_radio(["KS", "KY", "KY " + " " * 16 + "CQ CQ 73"], since=mark)
            self.assertEqual(spoken(s.speech_since(said)),
                             ["cwmessage", "c", "q", "space", "c", "q", "space", "7", "3", "sending"])

            # J while the keyer still sends it (six seconds at the radio's
            # 20 words a minute): stopped, not a new message.
            mark, said = s.radio_mark(), s.speech_mark()
            s.key("j")
            s.wait_for_radio(["KY0"], since=mark)
            s.wait_for_speech(["cw", "stopped"], since=said)
            self.assertEqual(spoken(s.speech_since(said)), ["cw", "stopped"])

            # Q while the keyer sends: back to receive, and the keyer stopped.
            mark = s.radio_mark()
            s.key("j", "7", "3", "space", "7", "3", "Return")
            piece = s.wait_for_radio(["KY " + " " * 19 + "73 73"], since=mark)
            s.key("q")
            self.assertEqual(s.wait_exit(), 0)
            self.assertIn("KY0", s.radio_log()[piece:])


if __name__ == "__main__":
    unittest.main(verbosity=2)
