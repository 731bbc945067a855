"""A real sound sink for the benchmarks: a PulseAudio null sink, which takes
the program's sound at the pace of its own clock as a sound card would, and
a recording of its monitor mapped onto time.monotonic().

    with NullSink() as sink:             # own PulseAudio when none runs
        env = sink.program_env()          # SDL_AUDIODRIVER=pulseaudio, ...
        rec = sink.recorder()             # parec of the monitor, from now on
        ...
        rec.frame_at(t), rec.time_at(frame), rec.samples(t0, t1)
        rec.close()

PulseAudio 16 and pulseaudio-utils (pactl, parec) are needed."""

import array
import os
import shutil
import subprocess
import tempfile
import threading
import time

RATE = 44100


class SinkError(RuntimeError):
    pass


class NullSink:
    """A null sink in a PulseAudio server: the one that runs (a module loaded
    into it, unloaded at the end), or one of our own started for the
    benchmark and stopped after it."""

    def __init__(self):
        self.dir = None
        self.server = None        # our own pulseaudio process, if any
        self.module = None        # index of the null sink's module in a running server
        self.env = {}             # PULSE_SERVER for clients of our own server
        self.name = "rigvox_bench_%d" % os.getpid()

    def __enter__(self):
        for tool in ("pactl", "parec"):
            if not shutil.which(tool):
                raise SinkError("%s is not installed (Debian package pulseaudio-utils)" % tool)
        self.dir = tempfile.mkdtemp(prefix="rigvox-pulse-")
        # Never autospawn a server as a side effect of asking whether one runs.
        client = os.path.join(self.dir, "client.conf")
        with open(client, "w") as f:
            f.write("autospawn = no\n")
        self.env = {"PULSE_CLIENTCONFIG": client}
        try:
            if self._pactl("info", check=False).returncode == 0:
                out = self._pactl("load-module", "module-null-sink", "sink_name=" + self.name,
                                  "rate=%d" % RATE, "channels=2").stdout
                self.module = out.strip()
            else:
                self._start_server()
            self._pactl("set-sink-volume", self.name, "100%")
            self._pactl("set-sink-mute", self.name, "0")
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start_server(self):
        if not shutil.which("pulseaudio"):
            raise SinkError("no PulseAudio runs and pulseaudio is not installed")
        socket_path = os.path.join(self.dir, "native")
        config = os.path.join(self.dir, "bench.pa")
        with open(config, "w") as f:
            f.write("load-module module-null-sink sink_name=%s rate=%d channels=2\n" % (self.name, RATE))
            f.write("load-module module-native-protocol-unix auth-anonymous=1 socket=%s\n" % socket_path)
            f.write("set-default-sink %s\n" % self.name)
        env = dict(os.environ, HOME=self.dir, PULSE_RUNTIME_PATH=os.path.join(self.dir, "runtime"),
                   PULSE_STATE_PATH=os.path.join(self.dir, "state"))
        env.pop("DISPLAY", None)  # no X11 bell or session modules
        self.log = open(os.path.join(self.dir, "pulse.log"), "wb")
        # -n: only our configuration (no card detection, no idle suspend,
        # which would stop the sink's clock between prompts).
        self.server = subprocess.Popen(
            ["pulseaudio", "-n", "-F", config, "--daemonize=no", "--exit-idle-time=-1",
             "--system=false", "--use-pid-file=no", "--log-target=stderr"],
            env=env, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        self.env["PULSE_SERVER"] = "unix:" + socket_path
        end = time.monotonic() + 15
        while self._pactl("info", check=False).returncode != 0:
            if self.server.poll() is not None or time.monotonic() > end:
                self.log.flush()
                with open(os.path.join(self.dir, "pulse.log"), "rb") as f:
                    tail = f.read()[-1500:].decode(errors="replace")
                raise SinkError("PulseAudio did not start:\n" + tail)
            time.sleep(0.1)

    def _pactl(self, *args, check=True):
        r = subprocess.run(["pactl", *args], env=dict(os.environ, **self.env), capture_output=True,
                           text=True, timeout=10)
        if check and r.returncode != 0:
            raise SinkError("pactl %s: %s" % (" ".join(args), r.stderr.strip()))
        return r

    def own_server(self):
        return self.server is not None

    def program_env(self):
        """The environment that sends a program's SDL sound to this sink."""
        return dict(self.env, SDL_AUDIODRIVER="pulseaudio", PULSE_SINK=self.name)

    def recorder(self):
        return Recorder(self.name + ".monitor", self.env)

    def __exit__(self, *exc):
        try:
            if self.module:
                self._pactl("unload-module", self.module, check=False)
            if self.server is not None:
                self.server.terminate()
                try:
                    self.server.wait(5)
                except subprocess.TimeoutExpired:
                    self.server.kill()
                    self.server.wait(5)
                self.log.close()
        finally:
            self.server, self.module = None, None
            if self.dir:
                shutil.rmtree(self.dir, ignore_errors=True)
        return False


class Recorder:
    """The sink's monitor (mono 16-bit, the two channels mixed) read as it
    comes. The null sink renders at its own clock, the monotonic one, so
    every frame has a moment: the earliest arrival of any chunk, less the
    frames before it, fixes the start; chunks held back by a busy machine
    only arrive later, never earlier. A frame's moment is when the sink
    rendered it: at most one sink block (a few ms with parec's 5 ms) before
    it would sound."""

    def __init__(self, source, env):
        self.proc = subprocess.Popen(
            ["parec", "-d", source, "--format=s16le", "--rate=%d" % RATE, "--channels=1",
             "--latency-msec=5", "--raw"],
            env=dict(os.environ, **env), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL)
        self.data = bytearray()
        self.start = None          # monotonic moment of frame 0
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()
        end = time.monotonic() + 10
        while self.start is None and time.monotonic() < end:
            time.sleep(0.01)
        if self.start is None:
            self.close()
            raise SinkError("parec recorded nothing from %s" % source)

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            try:
                chunk = os.read(fd, 65536)
            except OSError:
                return
            now = time.monotonic()
            if not chunk:
                return
            with self.lock:
                self.data += chunk
                start = now - (len(self.data) // 2) / RATE
                if self.start is None or start < self.start:
                    self.start = start

    def frames(self):
        with self.lock:
            return len(self.data) // 2

    def time_at(self, frame):
        return self.start + frame / RATE

    def frame_at(self, t):
        return max(0, int(round((t - self.start) * RATE)))

    def wait_until(self, t, timeout=5):
        """Waits until the recording reaches the moment t."""
        end = time.monotonic() + timeout
        while self.frames() < self.frame_at(t) and time.monotonic() < end:
            time.sleep(0.01)

    def samples(self, t0, t1):
        """(first frame, samples) of the recording from t0 to t1."""
        self.wait_until(t1)
        f0, f1 = self.frame_at(t0), self.frame_at(t1)
        with self.lock:
            data = bytes(self.data[2 * f0:2 * f1])
        s = array.array("h")
        s.frombytes(data)
        return f0, s

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(5)
        self.thread.join(2)
        self.proc.stdout.close()
