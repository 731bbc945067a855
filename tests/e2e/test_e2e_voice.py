#!/usr/bin/env python3
"""VOICE=system: the readouts reach speech-dispatcher as text, here a
stand-in that speaks SSIP on a Unix socket of the test's own (libspeechd is
pointed at it with SPEECHD_ADDRESS) and records what it is told. Without it
the program speaks its prompts and says why in the debug log."""

import os
import shutil
import socket
import tempfile
import threading
import time
import unittest

from rigvox_e2e import Session, config_text, prompt_seconds, spoken, wait_until

# libspeechd starts the service itself when none answers; this command
# refuses, so no real speech-dispatcher is started by a test.
NO_SPAWN = "/bin/false"


class StandInSpeechDispatcher:
    """A speech-dispatcher that answers every SSIP command with success and
    keeps the text of every SPEAK, in order (`said`), and every command line
    (`commands`)."""

    def __init__(self, path):
        self.path = path
        self.said = []
        self.commands = []
        self.lock = threading.Lock()
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(path)
        self.server.listen(4)
        self.server.settimeout(0.2)
        self.stopping = False
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def close(self):
        self.stopping = True
        self.thread.join(5)
        self.server.close()

    def _serve(self):
        while not self.stopping:
            try:
                conn, _ = self.server.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            threading.Thread(target=self._client, args=(conn,), daemon=True).start()

    def _client(self, conn):
        buffer, text, message = b"", None, 0
        with conn:
            while True:
                try:
                    data = conn.recv(4096)
                except OSError:
                    return
                if not data:
                    return
                buffer += data
                while b"\r\n" in buffer:
                    line, buffer = buffer.split(b"\r\n", 1)
                    line = line.decode("utf-8")
                    if text is not None:  # the message's lines up to "."
                        if line == ".":
                            message += 1
                            with self.lock:
                                self.said.append("\n".join(text))
                            text = None
                            conn.sendall(b"225-%d\r\n225 OK MESSAGE QUEUED\r\n" % message)
                        else:
                            text.append(line[1:] if line.startswith("..") else line)
                        continue
                    with self.lock:
                        self.commands.append(line)
                    word = line.split(" ")[0].upper()
                    if word == "SPEAK":
                        text = []
                        conn.sendall(b"230 OK RECEIVING DATA\r\n")
                    elif word == "QUIT":
                        conn.sendall(b"231 HAPPY HACKING\r\n")
                        return
                    else:
                        conn.sendall(b"200 OK\r\n")

    def texts(self):
        with self.lock:
            return list(self.said)

    def wait_for(self, text, since=0, timeout=20):
        """Waits until `text` has been said as one utterance at or after
        position `since`; returns the position after it."""
        def found():
            said = self.texts()
            for i in range(since, len(said)):
                if said[i] == text:
                    return i + 1
            return None
        try:
            return wait_until(found, timeout, "the utterance %r" % text)
        except AssertionError as e:
            raise AssertionError("%s; said: %r" % (e, self.texts()[since:]))


class SystemVoice(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="rigvox-speechd-")
        self.address = "unix_socket:" + os.path.join(self.folder, "speechd.sock")
        self.env = {"SPEECHD_ADDRESS": self.address, "SPEECHD_CMD": NO_SPAWN}

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_readouts_reach_the_speech_service_as_text(self):
        speechd = StandInSpeechDispatcher(os.path.join(self.folder, "speechd.sock"))
        try:
            config = config_text(port=1, debug=1) + "VOICE=system\r\n"
            with Session(config=config, radio=[], env=self.env) as s:
                s.wait_for_window()
                # The greeting is one utterance, in the words of the recordings.
                speechd.wait_for("Rig Vox version three point four")
                s.wait_for_speech(["connected"], timeout=30)
                at = speechd.wait_for("connected")
                s.wait_for_quiet(0.5)

                # F: the frequency and mode readout as one utterance; the
                # speech log still names its prompts.
                mark = s.speech_mark()
                s.key("f")
                after = speechd.wait_for("seven point one megahertz lower sideband", since=at)
                s.wait_for_speech(["lsb"], since=mark)
                self.assertEqual(speechd.texts()[at:after],
                                 ["seven point one megahertz lower sideband"])
                self.assertEqual(spoken(s.speech_since(mark)), ["7", "point", "1", "mhz", "lsb"])

                # Q: "quit" is said before the program ends. Nothing holds the
                # program while it is said: the window is gone before a key-up.
                s.key_down("q")
                self.assertEqual(s.wait_exit(30), 0)
                self.assertEqual(speechd.texts()[-1], "quit")
                debug = s.read_file("debug.dat")
            said = speechd.texts()
            self.assertFalse([t for t in said if "delay" in t], said)  # the pause is silence
            client = [c for c in speechd.commands if "CLIENT_NAME" in c.upper()]
            self.assertTrue(client and ":rigvox:" in client[0], speechd.commands)
            self.assertNotIn("VOICE", debug)
        finally:
            speechd.close()

    def test_without_the_service_the_prompts_speak_and_the_log_says_why(self):
        config = config_text(port=1, debug=1) + "VOICE=system\r\n"
        with Session(config=config, radio=[], env=self.env) as s:
            s.wait_for_window()
            s.wait_for_speech(["rigvox", "3", "point", "4"])
            s.wait_for_speech(["connected"], timeout=30)
            s.wait_for_silence()
            # The recordings play: each is logged as it starts, so the last
            # comes once the ones before it have sounded (the system's speech
            # would not hold the program at all).
            start = time.monotonic()
            _, said = s.press("f", ["lsb"], quiet=False)
            took = time.monotonic() - start
            self.assertEqual(spoken(said), ["7", "point", "1", "mhz", "lsb"])
            held = sum(prompt_seconds(name) for name in ["7", "point", "1", "mhz"])
            self.assertGreater(held, 0.5)  # the built prompts are there
            self.assertGreaterEqual(took, 0.8 * held)
            s.close_window()
            self.assertEqual(s.wait_exit(30), 0)
            self.assertIn("VOICE=system: the system's speech could not be reached; the prompts speak",
                          s.read_file("debug.dat"))


if __name__ == "__main__":
    unittest.main()
