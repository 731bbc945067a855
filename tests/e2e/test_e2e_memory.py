#!/usr/bin/env python3
"""Memory channels across two runs: store, the memory file, the report and
the debug log written at quit; the next run starts on the saved band and
recalls the channels, and the radio gets the same frequency and mode; it
ends with the desktop session while transmitting, and saves as at quit."""

import unittest

from rigvox_e2e import Session, commands, config_text, dark, spoken

FREQUENCY = (280, 145, 670, 85)
MODE = (45, 40, 340, 85)
HEADER = "RIGVOX v3.2b   3.4a"
FACTORY_40M = "01A00007100000B000071000009990"


def crlf_lines(text):
    """The lines of a file written with CR LF, which every line must end in."""
    assert text.endswith("\r\n"), repr(text[-20:])
    lines = text[:-2].split("\r\n")
    assert not any("\n" in line or "\r" in line for line in lines)
    return lines


class MemoryChannels(unittest.TestCase):
    def press(self, key, speech=(), sent=(), quiet=True):
        """One key (see Session.press); the radio commands without the
        polls and the words without the pauses."""
        sent, said = self.s.press(key, speech, sent, quiet)
        return commands(sent), spoken(said)

    def settle(self):
        self.s.wait_for_radio(["FA", "FA"], since=self.s.radio_mark())

    def test_store_quit_restart_recall(self):
        # First run: no memory file yet, debug log on.
        with Session(config=config_text(port=1, debug=1), radio=["--smeter", "12"]) as s:
            self.s = s
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            # A missing memory file is made at start from the factory tables.
            lines = crlf_lines(s.read_file("savmem.dat"))
            self.assertEqual(lines[0], HEADER + " 4")
            self.assertEqual(len(lines), 115)
            self.assertEqual(lines[4], FACTORY_40M)
            self.assertEqual(lines[15:], ["9"] * 100)
            self.assertEqual(crlf_lines(s.read_file("memory.txt")),
                             ["Memory Bank Information", "  ", "Empty"])
            at_7100 = s.wait_for_screen(FREQUENCY, lambda p: dark(p) > 500,
                                        what="the frequency display")

            # 21.3 MHz (15 m, USB, preamp on), then CW, stored in slot 5.
            self.press("e", ["ef"])
            for key, word in [("2", "2"), ("1", "1"), ("period", "point"), ("3", "3")]:
                self.press(key, [word])
            sent, _ = self.press("Return", ["ok"], ["PA1"])
            self.assertEqual(sent, ["MD2", "SH07", "FA00021300000", "PA1"])
            self.settle()
            self.press("m", ["cw"], ["FW0600"])
            self.settle()
            # The display follows the radio's answers, which a loaded machine
            # may take in a poll or two late: waited for, not assumed.
            at_21300 = s.wait_for_screen(FREQUENCY, lambda p: p != at_7100 and dark(p) > 500,
                                         what="21.3 MHz on the screen")
            cw = s.screen_pixels(MODE)
            _, said = self.press("c", ["sch"])
            sent, said = self.press("5", ["ok"])
            self.assertEqual((sent, said), ([], ["5", "ok"]))
            channel = "0308A00021300000B000212000009991"
            lines = crlf_lines(s.read_file("savmem.dat"))
            self.assertEqual(lines[15 + 5], channel)
            # C, B, bank digit, slot digit: bank 3 slot 7.
            self.press("c", ["sch"])
            _, said = self.press("b", ["bank"])
            _, said = self.press("3", ["channel"])
            self.assertEqual(said, ["3", "channel"])
            _, said = self.press("7", ["ok"])
            self.assertEqual(said, ["7", "ok"])
            self.assertEqual(crlf_lines(s.read_file("memory.txt")),
                             ["Memory Bank Information", "  ",
                              "  ", "Bank0", "Slot 5 A=21.3  B=21.2  CW" + " " * 11,
                              "  ", "Bank3", "Slot 7 A=21.3  B=21.2  CW" + " " * 11])

            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)
            self.assertEqual(commands(s.radio_log())[-1], "RX")
            saved = s.read_file("savmem.dat")
            lines = crlf_lines(saved)
            # The current band (15 m, the character 48 + 8) and its record.
            self.assertEqual(lines[0], HEADER + " 8")
            self.assertEqual(lines[8], "03A00021300000B000212000009991")
            self.assertEqual(lines[15 + 5], channel)
            self.assertEqual(lines[15 + 37], channel)

            debug = crlf_lines(s.read_file("debug.dat"))
            self.assertRegex(debug[0], r"^RIGVOX 3\.4a  \d\d-\d\d-\d{4}   \d\d:\d\d:\d\d$")
            self.assertEqual(debug[1], "Comport= 1  Speed= 9600 Baud")
            self.assertEqual(debug[2:7], ["TX=RX;", "TX=FA00007100000;", "TX=ID;", "RX=ID023;", "TX=MD1;"])
            for line in ("*E", "*C/R", "*.", "*C", "*5", "TX=FA00021300000;", "TX=MD3;"):
                self.assertIn(line, debug)
            self.assertEqual(debug[-2:], ["*Q", "TX=RX;"])

        # Second run with that memory file: it starts on 15 m in CW.
        with Session(config=config_text(port=1), radio=["--smeter", "12"],
                     files={"savmem.dat": saved.encode("latin-1")}) as s:
            self.s = s
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            self.assertEqual(commands(s.radio_log())[:6],
                             ["RX", "FA00021300000", "ID", "MD3", "FW0600", "CT0"])
            self.assertEqual(spoken(s.speech())[4:],
                             ["2", "1", "point", "3", "mhz", "cw", "preamp", "on",
                              "connected"])
            s.wait_for_screen(FREQUENCY, lambda p: p == at_21300,
                              what="21.3 MHz shown as in the first run")

            # Away to 40 m, then G 5: the radio gets the channel's
            # frequency and mode again, and the screen shows them.
            self.press("b", ["metres"])
            self.press("4", ["40", "metres"], ["SH07"])
            self.settle()
            s.wait_for_screen(FREQUENCY, lambda p: p != at_21300 and dark(p) > 500)
            self.assertNotEqual(s.screen_pixels(MODE), cw)
            self.assertEqual(self.press("g", ["gch"])[1], ["gch"])
            sent, said = self.press("5", ["on"], ["PA1"])
            self.assertEqual(sent, ["MD3", "FW0600", "FA00021300000", "CT0", "RX0", "PA1"])
            self.assertEqual(said, ["5", "2", "1", "point", "3", "mhz", "cw", "preamp", "on"])
            self.settle()
            s.wait_for_screen(FREQUENCY, lambda p: p == at_21300, what="the recalled frequency")
            self.assertEqual(s.screen_pixels(MODE), cw)

            # U: the next stored channel of bank 0 is slot 5 itself.
            sent, said = self.press("u", ["on"], ["PA1"])
            self.assertEqual(said[:3], ["channel", "5", "2"])
            self.assertIn("FA00021300000", sent)
            # G B 3 7 recalls bank 3; an empty slot is refused.
            self.press("g", ["gch"])
            self.press("b", ["bank"])
            self.press("3", ["channel"])
            sent, said = self.press("7", ["on"], ["PA1"])
            self.assertEqual(said[0], "7")
            self.assertIn("FA00021300000", sent)
            self.press("g", ["gch"])
            self.assertEqual(self.press("1", ["invalid"]), ([], ["1", "invalid"]))

            # Transmitting, a channel stored, the dial turned at the radio;
            # then the desktop session ends. The radio is put back to
            # receive and the memory file saved with the band's new
            # frequency, as the close box and Q do.
            sent, _ = self.press("space", ["on"], ["TX"])
            self.assertEqual(sent, ["TX"])
            self.press("c", ["sch"])
            self.press("6", ["ok"])
            s.radio_control("freq A 21250000")
            s.wait_for_screen(FREQUENCY, lambda p: p != at_21300 and dark(p) > 500,
                              what="21.25 MHz on the screen")
            s.end_session()
            self.assertEqual(s.wait_exit(30), 0)
            self.assertEqual(commands(s.radio_log())[-1], "RX")
            lines = crlf_lines(s.read_file("savmem.dat"))
            self.assertEqual(lines[0], HEADER + " 8")
            self.assertEqual(lines[8], "03A00021250000B000212000009991")
            self.assertEqual(lines[15 + 6], channel)
            self.assertEqual(lines[15 + 37], channel)
            self.assertNotIn("quit", s.speech())


if __name__ == "__main__":
    unittest.main(verbosity=2)
