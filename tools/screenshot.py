#!/usr/bin/env python3
"""Takes the README's screenshot: the real rigvox on a virtual display,
connected to the virtual radio on 20 m with the preamp on and a few
switches set, saved as docs/screenshot.png.

Usage: RIGVOX_BUILD=build tools/screenshot.py [output.png]
"""
import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "e2e"))
import rigvox_e2e as e2e  # noqa: E402

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "docs", "screenshot.png")
with e2e.Session(config=e2e.config_text(port=1), radio=["--model", "023", "--smeter", "20"]) as s:
    s.wait_for_window()
    s.wait_for_speech(["connected"], timeout=60)
    s.key("b")
    s.wait_for_speech(["band"], timeout=20)
    s.key("6")   # 20 m
    s.wait_for_quiet(1.0)
    s.key("F3")  # noise blanker
    s.wait_for_quiet(1.0)
    s.key("F9")  # monitor
    s.wait_for_quiet(1.5)
    shot = s.screenshot()
    subprocess.run(["convert", shot, out], check=True)
    print("wrote", os.path.abspath(out))
