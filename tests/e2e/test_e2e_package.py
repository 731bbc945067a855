#!/usr/bin/env python3
"""The Debian package as a newcomer meets it. cpack makes the package from
the build; it is unpacked into a scratch root (where dpkg would put its
files, without touching this machine's /usr). Its menu entry is valid and
listed under HamRadio, the key card is in its documentation folder, and
Rigvox is started exactly as the menu entry starts it: the Exec line,
looked up through PATH, with an empty home folder. The launcher makes
~/rigvox with the prompts; Rigvox, with no rigvox.cfg, finds the virtual
radio on a USB serial device by itself, writes rigvox.cfg and connects."""

import configparser
import glob
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rigvox_e2e  # noqa: E402
from rigvox_e2e import HarnessError, Session  # noqa: E402


def make_package(folder):
    """The build's Debian package, made by cpack into folder."""
    done = subprocess.run(
        ["cpack", "-G", "DEB", "--config", os.path.join(rigvox_e2e.BUILD, "CPackConfig.cmake"),
         "-B", folder], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    packages = glob.glob(os.path.join(folder, "rigvox_*.deb"))
    if done.returncode != 0 or len(packages) != 1:
        raise HarnessError("cpack made no package:\n" + done.stdout)
    return packages[0]


class DebianPackage(unittest.TestCase):
    def test_menu_entry_starts_rigvox_which_finds_the_radio(self):
        scratch = tempfile.mkdtemp(prefix="rigvox-package-")
        self.addCleanup(shutil.rmtree, scratch, True)
        deb = make_package(os.path.join(scratch, "out"))
        root = os.path.join(scratch, "root")
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        usr = os.path.join(root, "usr")

        # The menu entry: valid, in the amateur-radio menu, no terminal.
        desktop = os.path.join(usr, "share/applications/rigvox.desktop")
        check = subprocess.run(["desktop-file-validate", desktop], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True)
        self.assertEqual((check.returncode, check.stdout), (0, ""))
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(desktop)
        entry = entry["Desktop Entry"]
        self.assertIn("HamRadio", entry["Categories"].split(";"))
        self.assertEqual(entry["Terminal"], "false")

        # The key card, for a braille line or a screen reader.
        with open(os.path.join(usr, "share/doc/rigvox/keycard.txt"), encoding="utf-8") as f:
            card = f.read().splitlines()
        self.assertGreater(len(card), 40)
        self.assertEqual([line for line in card if len(line) > 80], [])

        # The radio as a USB serial device, the only one this run may see.
        devices = os.path.join(scratch, "dev")
        home = os.path.join(scratch, "home")
        os.mkdir(devices)
        os.mkdir(home)
        command = shlex.split(entry["Exec"])
        self.assertEqual(len(command), 1, entry["Exec"])
        path = os.path.join(usr, "bin") + os.pathsep + os.environ.get("PATH", "")
        program = shutil.which(command[0], path=path)
        self.assertTrue(program and program.startswith(usr), program)
        radio_device = os.path.join(devices, "ttyUSB0")
        env = {"HOME": home, "PATH": path,
               "RIGVOX_SERIAL_DEVICES": os.path.join(devices, "ttyUSB*")}
        with Session(binary=program, wave=False, radio=[], radio_link=radio_device,
                     env=env) as s:
            s.wait_for_window()
            s.wait_for_speech(["connected"], timeout=90)

            folder = os.path.join(home, "rigvox")
            self.assertEqual(os.path.realpath(os.path.join(folder, "wave")),
                             os.path.realpath(os.path.join(usr, "share/rigvox/wave")))
            # rigvox.cfg names the port Rigvox gave the device: a comN link.
            with open(os.path.join(folder, "rigvox.cfg"), encoding="ascii") as f:
                port = f.readline().strip()[4:]
            link = os.path.join(folder, "com" + port)
            self.assertEqual(os.path.realpath(link), os.path.realpath(radio_device))

            s.key("q")
            s.wait_for_speech(["quit"])
            self.assertEqual(s.wait_exit(30), 0)
            self.assertEqual(rigvox_e2e.commands(s.radio_log())[-1], "RX")


if __name__ == "__main__":
    unittest.main()
