#!/usr/bin/env python3
"""Starts the installed Rigvox as its Start-menu shortcut does and checks
that it finds the radio alone: reads the shortcut (.lnk) for its target and
its "start in" folder, starts the virtual radio on the COM ports pinned for
the run (tools/test-windows.sh), runs the target under Wine in that folder,
which holds no rigvox.cfg, and waits for "connected". Rigvox must then have
written rigvox.cfg naming one of those ports; Q ends it.

    installed_start.py SHORTCUT.lnk
"""

import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_e2e  # noqa: E402  (also puts tests/e2e on the path)
from rigvox_e2e import HarnessError  # noqa: E402

# Shell link header flags (the .lnk format).
HAS_ID_LIST, HAS_LINK_INFO, IS_UNICODE = 0x1, 0x2, 0x80
HAS_STRING = (0x4, 0x8, 0x10, 0x20, 0x40)  # name, relative path, start in, arguments, icon


def read_shortcut(path):
    """(target, start-in folder) of a shortcut, as Windows paths."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 76 or struct.unpack_from("<I", data, 0)[0] != 76:
        raise HarnessError("%s is not a shortcut" % path)
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 76
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        size, header, info_flags, _, base = struct.unpack_from("<IIIII", data, at)
        if info_flags & 1:  # a local path
            if header >= 0x24:
                start = at + struct.unpack_from("<I", data, at + 28)[0]
                end = start
                while data[end:end + 2] != b"\0\0":
                    end += 2
                target = data[start:end].decode("utf-16-le")
            else:
                target = data[at + base:data.index(b"\0", at + base)].decode("latin-1")
        at += size
    strings = {}
    for flag in HAS_STRING:
        if flags & flag:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if flags & IS_UNICODE else 1
            raw = data[at + 2:at + 2 + count * width]
            # Wine counts the closing NUL, Windows does not.
            strings[flag] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            at += 2 + count * width
    if not target:
        raise HarnessError("shortcut %s names no local target" % path)
    return target, strings.get(0x10, "")


def unix_path(windows):
    return subprocess.run(["winepath", "-u", windows], check=True, stdout=subprocess.PIPE,
                          text=True).stdout.strip()


def main(shortcut):
    target, start_in = read_shortcut(shortcut)
    program, folder = unix_path(target), unix_path(start_in)
    print("installed_start: %s in %s" % (target, start_in))
    if os.path.exists(os.path.join(folder, "rigvox.cfg")):
        raise HarnessError("the working folder already has a rigvox.cfg")
    # The session's own directory keeps the logs; the program starts in the
    # shortcut's folder.
    with wine_e2e.WineSession(binary=program, wave=False, radio=[], program_dir=folder) as s:
        s.wait_for_window(60)
        s.wait_for_speech(["connected"], timeout=120)
        with open(os.path.join(folder, "rigvox.cfg"), encoding="ascii") as f:
            port = int(f.readline().strip()[4:])
        if port not in wine_e2e.PINNED_PORTS:
            raise HarnessError("rigvox.cfg names COM%d, not the radio's port" % port)
        s.key("q")
        s.wait_for_speech(["quit"])
        if s.wait_exit(30) != 0:
            raise HarnessError("Rigvox did not end cleanly")
    print("installed_start: connected on COM%d, rigvox.cfg written" % port)


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except HarnessError as e:
        print("installed_start: %s" % e)
        sys.exit(1)
