"""serve.py as a child process, for the emulator's own tests and the Wine tests.

Its output goes to a file, so a traceback can never fill a pipe and stall the server;
stop() ends the process, reaps it and removes what the wrapper created.
"""

import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVE = os.path.join(HERE, "serve.py")
LISTENING = re.compile(r"^listening on (http://127\.0\.0\.1:(\d+))$", re.M)


class EmulatorProcess:
    """Starts `serve.py --port 0 ARGS...` and waits for its address.

    output_path: where stdout and stderr go; None keeps them in a temporary folder
    that stop() removes. serve: another serve.py (a benchmark's baseline)."""

    def __init__(self, args=(), output_path=None, serve=SERVE, start_timeout=20):
        self._tmp = None
        if output_path is None:
            self._tmp = tempfile.TemporaryDirectory(prefix="orv-emulator-")
            output_path = os.path.join(self._tmp.name, "emulator.out")
        self.output_path = output_path
        with open(output_path, "wb") as out:
            # Unclosed files and sockets of the server show in its output.
            self.proc = subprocess.Popen([sys.executable, "-u", "-W", "default::ResourceWarning", serve,
                                          "--port", "0", *args],
                                         stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + start_timeout
        while True:
            found = LISTENING.search(self.output())
            if found:
                self.base, self.port = found.group(1), int(found.group(2))
                return
            if self.proc.poll() is not None or time.monotonic() > deadline:
                text = self.output()
                self.stop()
                raise RuntimeError("emulator did not start:\n" + text)
            time.sleep(0.05)

    def output(self):
        """Everything the process printed so far."""
        try:
            with open(self.output_path, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if self._tmp is not None:
            self._tmp.cleanup()
            self._tmp = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
