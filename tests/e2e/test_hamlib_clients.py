#!/usr/bin/env python3
"""The network port as the Hamlib clients people use drive it, each against
the virtual radio through the real program:

- WSJT-X with "Rig" split, through Debian's python3-hamlib (Hamlib's own
  NET rigctl client, model 2): open, the +-55 Hz resolution probe, the mode,
  split, the transmit frequency, PTT, the SWR while keyed, then its poll;
- CQRLOG, as the raw lines it writes to rigctld: "+f +m +v" on one line,
  the capability lines it reads, CW text through the radio's keyer (a
  TS-590S, which takes its own right-aligned "KY" form), and every way the
  text stops (\\stop_morse, the operator's Space, the client gone);
- Gpredict: VFO mode, space-padded frequencies, satellite split.
"""

import re
import shutil
import sys
import time
import unittest

from rigvox_e2e import (HarnessError, RigctlClient as Client, Session, commands, config_text,
                        free_port, spoken, wait_until)

try:
    import Hamlib
except ImportError:
    # Debian's python3-hamlib lives with the system's Python; a Python of
    # its own version elsewhere on the PATH loads it from there.
    sys.path.append("/usr/lib/python3/dist-packages")
    import Hamlib


def session(port, model="023"):
    config = config_text(port=1, debug=1) + "RIGCTLD=%d\r\n" % port
    return Session(config=config, radio=["--smeter", "12", "--model", model])


def connected(s):
    s.wait_for_window()
    s.wait_for_speech(["connected"], timeout=30)
    s.wait_for_silence()


def keyed_text(log):
    """The CW text a radio's log shows keyed, blanks run together: the
    "KY" commands with text (a field's blanks key as a word gap)."""
    pieces = [c[3:] for c in log if c.startswith("KY2") or c.startswith("KY ")]
    return " ".join(" ".join(pieces).split())


def refusals(debug_log):
    """The radio's "?;" answers in the debug log."""
    return [line for line in debug_log.splitlines() if line.startswith("RX=") and "?;" in line]


class HamlibClients(unittest.TestCase):
    def setUp(self):
        if not shutil.which("rigctl"):
            self.fail("rigctl is not installed (Debian package libhamlib-utils)")
        self.port = free_port()

    def check(self, rig, what):
        if rig.error_status != 0:
            raise HarnessError("%s: RPRT %d\n%s" % (what, rig.error_status, self.s.report()))

    def test_wsjtx_with_rig_split(self):
        with session(self.port) as s:
            self.s = s
            connected(s)
            said = s.speech_mark()
            s.radio_control("swr 6")  # 1.5 on the meter's scale while keyed
            Hamlib.rig_set_debug(Hamlib.RIG_DEBUG_NONE)
            rig = Hamlib.Rig(Hamlib.RIG_MODEL_NETRIGCTL)
            rig.set_conf("rig_pathname", "127.0.0.1:%d" % self.port)
            rig.open()
            self.check(rig, "open")
            # Every read reaches the port, none is answered from the client's cache.
            Hamlib.rig_set_cache_timeout_ms(rig.rig, Hamlib.HAMLIB_CACHE_ALL, 0)
            self.assertEqual(rig.get_powerstat(), Hamlib.RIG_POWER_ON)
            mark = s.radio_mark()

            # The resolution probe: 55 Hz either side reads back exactly.
            rig.set_freq(Hamlib.RIG_VFO_CURR, 14074000)
            self.check(rig, "set_freq")
            for hz in (14074055, 14073945, 14074000):
                rig.set_freq(Hamlib.RIG_VFO_CURR, hz)
                self.assertEqual(rig.get_freq(), hz)
                self.check(rig, "probe %d" % hz)
            # The mode with its passband kept, then Rig split.
            rig.set_mode(Hamlib.RIG_MODE_USB, -1)
            self.check(rig, "set_mode")
            rig.set_split_vfo(Hamlib.RIG_SPLIT_ON, Hamlib.RIG_VFO_B)
            self.check(rig, "set_split_vfo")
            rig.set_split_mode(Hamlib.RIG_MODE_USB, -1)
            self.check(rig, "set_split_mode")
            rig.set_split_freq(Hamlib.RIG_VFO_CURR, 14075500)
            self.check(rig, "set_split_freq")
            # Keyed: the SWR from the same scale the SWR key speaks.
            rig.set_ptt(Hamlib.RIG_VFO_CURR, Hamlib.RIG_PTT_ON)
            self.check(rig, "set_ptt on")
            self.assertEqual(rig.get_ptt(), Hamlib.RIG_PTT_ON)
            self.assertAlmostEqual(rig.get_level_f(Hamlib.RIG_LEVEL_SWR), 1.5)
            self.check(rig, "get_level SWR")
            rig.set_ptt(Hamlib.RIG_VFO_CURR, Hamlib.RIG_PTT_OFF)
            self.check(rig, "set_ptt off")
            # Its poll, a few times over.
            for _ in range(3):
                self.assertEqual(rig.get_freq(), 14074000)
                self.assertEqual(rig.get_mode(), [Hamlib.RIG_MODE_USB, 2400])
                self.assertEqual(rig.get_ptt(), Hamlib.RIG_PTT_OFF)
                self.assertEqual(rig.get_split_freq(), 14075500)
                self.assertEqual(rig.get_split_mode(), [Hamlib.RIG_MODE_USB, 2400])
                self.check(rig, "poll")
                time.sleep(0.2)
            rig.close()

            sent = [c for c in commands(s.radio_log()[mark:]) if not c.startswith("RM")]
            self.assertEqual(sent, ["FA00014074000", "FA00014074055", "FA00014073945", "FA00014074000",
                                    "MD2", "SH07", "FT1", "MD2", "SH07", "FB00014075500", "TX", "RX"])
            # This radio (a TS-590SG) gives its meters all at once: read, not selected.
            self.assertIn("RM", s.radio_log()[mark:])
            self.assertNotIn("RM1", s.radio_log()[mark:])
            self.assertEqual(spoken(s.speech_since(said)), [])
            s.close_window()
            self.assertEqual(s.wait_exit(), 0)

    def test_cqrlog_raw_lines_and_cw_text(self):
        text = "CQ CQ DE TEST TEST TEST K1ABC K1ABC K1ABC PSE K"
        long_text = "TEST " * 60
        with session(self.port, model="021") as s:
            self.s = s
            connected(s)
            c = Client(self.port)
            self.assertEqual(c.ask("+\\chk_vfo"), ["ChkVFO: 0"])
            c.send(b"+\\dump_caps\n")
            caps = []
            while not caps or not caps[-1].startswith("RPRT"):
                caps += c.lines(1)
            self.assertEqual(caps[0], "dump_caps:")
            self.assertEqual(caps[-1], "RPRT 0")
            for line in ("Can get VFO:\tY", "Can send Morse:\tY", "Can set Power Stat:\tN"):
                self.assertIn(line, caps)
            self.assertEqual(c.ask("+\\set_powerstat 1", 2), ["set_powerstat: 1", "RPRT 0"])
            self.assertEqual(c.ask("+f +m +v", 10),
                             ["get_freq:", "Frequency: 7100000", "RPRT 0", "get_mode:", "Mode: LSB",
                              "Passband: 2400", "RPRT 0", "get_vfo:", "VFO: VFOA", "RPRT 0"])
            self.assertEqual(c.ask("|f"), ["get_freq:|Frequency: 7100000|RPRT 0"])
            # CQRLOG 2.5's poll runs the letters together; rigctld reads f, m, v.
            self.assertEqual(c.ask("fmv", 4), ["7100000", "LSB", "2400", "VFOA"])
            mark = s.radio_mark()
            self.assertEqual(c.ask("L KEYSPD 28"), ["RPRT 0"])
            s.wait_for_radio(["KS028"], since=mark)

            # The text goes out piece by piece as the keyer makes room;
            # \wait_morse answers once all of it is in, then the next line.
            mark = s.radio_mark()
            c.send(("b %s\n\\wait_morse\nt\n" % text).encode())
            self.assertEqual(c.lines(1), ["RPRT 0"])
            self.assertEqual(c.lines(2, timeout=20), ["RPRT 0", "0"])
            log = s.radio_log()[mark:]
            self.assertEqual(keyed_text(log), text)
            self.assertIn("KY", log)  # asked for room
            # Each piece in the TS-590S's own form: the radio refused none.
            self.assertTrue(any(c.startswith("KY  ") for c in log))
            self.assertEqual(refusals(s.read_file("debug.dat")), [])

            # \stop_morse: "KY0", and the rest stays unsent.
            mark = s.radio_mark()
            self.assertEqual(c.ask("b " + long_text), ["RPRT 0"])
            s.wait_for_radio(["KY"], since=mark)
            self.assertEqual(c.ask("\\stop_morse"), ["RPRT 0"])
            stopped = s.wait_for_radio(["KY0"], since=mark)
            # Half a second of the program's own polls: nothing more is keyed.
            s.wait_for_radio(["FA"] * 5, since=stopped)
            self.assertNotEqual(keyed_text(s.radio_log()[mark:]), " ".join(long_text.split()))
            self.assertFalse([cmd for cmd in s.radio_log()[stopped:] if cmd.startswith("KY ")])

            # The operator's Space stops it too, and keys nothing.
            mark = s.radio_mark()
            self.assertEqual(c.ask("b " + long_text), ["RPRT 0"])
            s.wait_for_radio(["KY"], since=mark)
            radio, speech = s.press("space", ["tx", "off"], ["KY0"])
            self.assertNotIn("TX", radio)
            self.assertEqual(c.ask("t"), ["0"])

            # A client gone leaves no text sending.
            gone = Client(self.port)
            mark = s.radio_mark()
            self.assertEqual(gone.ask("b " + long_text), ["RPRT 0"])
            s.wait_for_radio(["KY"], since=mark)
            gone.close()
            s.wait_for_radio(["KY0"], since=mark)
            c.close()
            s.close_window()
            self.assertEqual(s.wait_exit(), 0)

    def test_gpredict_vfo_mode_and_satellite_split(self):
        with session(self.port) as s:
            self.s = s
            connected(s)
            c = Client(self.port)
            self.assertEqual(c.ask("\\set_vfo_opt 1"), ["RPRT 0"])
            self.assertEqual(c.ask("\\chk_vfo"), ["1"])
            mark = s.radio_mark()
            # Downlink on VFO A, uplink on VFO B, both space-padded.
            self.assertEqual(c.ask("F VFOA  145800000"), ["RPRT 0"])
            self.assertEqual(c.ask("S VFOA 1 VFOB"), ["RPRT 0"])
            self.assertEqual(c.ask("I VFOA  435300000"), ["RPRT 0"])
            self.assertEqual(c.ask("i VFOA"), ["435300000"])
            self.assertEqual(c.ask("f VFOA"), ["145800000"])
            # Doppler steps on both.
            self.assertEqual(c.ask("F VFOA  145799000"), ["RPRT 0"])
            self.assertEqual(c.ask("I VFOA  435301000"), ["RPRT 0"])
            self.assertEqual(c.ask("s VFOA", 2), ["1", "VFOB"])
            self.assertEqual(c.ask("S VFOA 0 VFOA"), ["RPRT 0"])
            self.assertEqual(c.ask("\\set_vfo_opt 0"), ["RPRT 0"])
            self.assertEqual(c.ask("\\chk_vfo"), ["0"])
            self.assertEqual(c.ask("f"), ["145799000"])
            # The radio logs the last command a moment after the client's answer.
            s.wait_for_radio(["FB00435301000", "FA00145799000"], since=mark)
            sent = commands(s.radio_log()[mark:])
            for cmd in ("FA00145800000", "FT1", "FB00435300000", "FA00145799000", "FB00435301000"):
                self.assertIn(cmd, sent)
            self.assertEqual(sent[-1], "FA00145799000")  # leaving split keeps the receive frequency
            c.close()
            s.close_window()
            self.assertEqual(s.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
