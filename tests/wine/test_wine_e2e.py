#!/usr/bin/env python3
"""The Windows program under Wine, key for key as on Linux: the Linux
end-to-end scenarios for the connection and state query, the frequency
readout, typed frequency, band steps and modes, and memory store, quit,
restart and recall through savmem.dat, ending with a log-off while
transmitting, run unchanged against rigvox.exe; then what only Windows has:
the radio on COM5 and on COM12 (opened as "\\\\.\\COM12", keeping the
cable's handshake), the window's frame, the keypad with Num Lock on, and the
window as a screen reader reads it.
Run by tools/test-windows.sh, which prepares Wine."""

import os
import subprocess
import sys
import termios
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_e2e  # noqa: E402  (also puts tests/e2e on the path)
import rigvox_e2e  # noqa: E402

# The Linux scenarios take their Session from the harness at import.
rigvox_e2e.Session = wine_e2e.WineSession
import test_e2e_connection  # noqa: E402
import test_e2e_frequency  # noqa: E402
import test_e2e_memory  # noqa: E402

from rigvox_e2e import commands, config_text, spoken  # noqa: E402
from wine_e2e import WineSession  # noqa: E402


class WindowsOnly(unittest.TestCase):
    def test_com5_window_frame_and_keypad(self):
        with WineSession(config=config_text(port=5), radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            self.assertEqual(s.window_title(), rigvox_e2e.TITLE)
            # A fixed frame around a 950 x 500 client area at 250,100.
            _, _, width, height = s.window_geometry()
            dx, dy = s.client_offset
            self.assertEqual((width - 2 * dx, height - dy - dx), rigvox_e2e.WINDOW_SIZE)
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()

            # The frequency typed on the keypad, Num Lock on: its digits,
            # point and Enter are the same keys as the main keyboard's.
            wine_e2e.ensure_num_lock()
            s.press("e", ["ef"])
            for key, word in [("KP_1", "1"), ("KP_4", "4"), ("KP_Decimal", "point"),
                              ("KP_2", "2"), ("KP_5", "5")]:
                _, said = s.press(key, [word])
                self.assertEqual(spoken(said), [word], key)
            sent, said = s.press("KP_Enter", ["ok"], ["PA1"])
            self.assertEqual(commands(sent), ["MD2", "SH07", "FA00014250000", "PA1"])
            # Keypad plus: one megahertz up.
            sent, _ = s.press("KP_Add", sent=["FA00015250000"])
            self.assertEqual(commands(sent), ["FA00015250000"])

            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)
            self.assertEqual(commands(s.radio_log())[-1], "RX")

    def test_system_voice_under_wine(self):
        # VOICE=system: SAPI 5 under Wine. Wine without a voice to speak
        # with cannot be reached: the prompts speak and the debug log says
        # so. A Wine whose SAPI speaks takes the readouts instead; either
        # way every readout is named in the speech log and nothing is lost.
        config = config_text(port=1, debug=1) + "VOICE=system\r\n"
        with WineSession(config=config, radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["rigvox", "3", "point", "4"])
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            _, said = s.press("f", ["lsb"])
            self.assertEqual(spoken(said), ["7", "point", "1", "mhz", "lsb"])
            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)
            voice_lines = [line for line in s.read_file("debug.dat").splitlines()
                           if line.startswith("VOICE")]
            self.assertIn(voice_lines, ([], ["VOICE=system: the system's speech could not be "
                                             "reached; the prompts speak"]))

    def test_screen_reader_reads_the_window_where_notifications_fail(self):
        # BRAILLE=on: each readout is also a UI Automation notification for
        # the screen reader. Wine's UI Automation has no notification call:
        # the program runs as before, the prompts speak, and the debug log
        # says once that the readouts go unread. A screen reader in another
        # process reads the window: its element is "Rigvox", its value the
        # panel line (where the client reads values).
        config = config_text(port=1, debug=1) + "BRAILLE=on\r\n"
        with WineSession(config=config, radio=["--smeter", "12"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            _, said = s.press("f", ["lsb"])
            self.assertEqual(spoken(said), ["7", "point", "1", "mhz", "lsb"])
            probe = subprocess.run([wine_e2e._wine(), os.path.join(wine_e2e.WINDOWS_BUILD, "tests",
                                                                   "uia-probe.exe")],
                                   capture_output=True, stdin=subprocess.DEVNULL, timeout=60)
            out = probe.stdout.decode("utf-8", "replace")
            self.assertEqual(probe.returncode, 0, out)
            lines = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
            self.assertNotEqual(int(lines.get("answer", "0"), 16), 0, out)
            self.assertEqual(lines.get("name"), "Rigvox", out)
            if "value" in lines:
                self.assertRegex(lines["value"], r"\b7\.10* MHz\b.*\bLSB\b", out)
            else:
                # Wine's client asks no provider for a value (E_NOTIMPL); the
                # unit test reads the value from the element itself.
                self.assertEqual(lines.get("value-status"), "80004001", out)
            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)
            self.assertEqual(commands(s.radio_log())[-1], "RX")
            braille_lines = [line for line in s.read_file("debug.dat").splitlines()
                             if line.startswith("BRAILLE")]
            self.assertEqual(len(braille_lines), 1, braille_lines)

    def test_com12_through_the_device_namespace_keeping_the_handshake(self):
        # The radio's cable runs RTS/CTS handshake: the port keeps it.
        with WineSession(config=config_text(port=12), radio=["--smeter", "12", "--rtscts"]) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=30)
            self.assertEqual(s.radio_log()[:3], ["RX", "FA00007100000", "ID"])
            fd = os.open(s.radio_pty, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
            try:
                self.assertTrue(termios.tcgetattr(fd)[2] & termios.CRTSCTS)
            finally:
                os.close(fd)
            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)


def load_tests(loader, tests, pattern):
    suite = unittest.TestSuite()
    for module in (test_e2e_connection, test_e2e_frequency, test_e2e_memory):
        suite.addTests(loader.loadTestsFromModule(module))
    suite.addTests(loader.loadTestsFromTestCase(WindowsOnly))
    return suite


if __name__ == "__main__":
    unittest.main(verbosity=2)
