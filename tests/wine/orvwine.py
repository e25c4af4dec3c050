"""Shared harness of the integration tests: Orv.exe under Wine against the emulator.

A test case derives from OrvWineTest. The class starts one virtual display with a window
manager and the Wine prefix for all its tests; each test gets a fresh program folder
(with Orv.exe, orv.service and ORV_LOG_FILE) and, when asked, an emulator with a
scenario. Helpers find windows with xdotool, click, take screenshots and read the log.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("ORV_WIN64_BUILD", os.path.join(ROOT, "build", "win64"))
EXE = os.path.join(BUILD, "Orv.exe")
WINE = "/usr/lib/wine/wine64"
SHOTS = os.environ.get("ORV_SHOTS", os.path.join(ROOT, "build", "shots"))
EMULATOR_DIR = os.path.join(ROOT, "tools", "emulator")
SCENARIOS = os.path.join(EMULATOR_DIR, "scenarios")
if EMULATOR_DIR not in sys.path:
    sys.path.insert(0, EMULATOR_DIR)

from emulator_process import SERVE, EmulatorProcess  # noqa: E402


def stop_process(proc, timeout=5):
    """Ends a child we started and reaps it."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout)
            return
        except subprocess.TimeoutExpired:
            proc.kill()
    proc.wait()


def wine_env(display):
    env = dict(os.environ)
    env.update({
        "DISPLAY": display,
        "WINEARCH": "win64",
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "WINEPREFIX": os.environ.get("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix")),
    })
    return env


class Display:
    """Xvfb with openbox (without a window manager Wine stalls when a window hides)."""

    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as r:
            while not number.endswith(b"\n"):
                chunk = r.read(1)
                if not chunk:
                    break
                number += chunk
        self.name = ":" + number.decode().strip()
        self.env = wine_env(self.name)
        self.wm = subprocess.Popen(["openbox"], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        prefix = self.env["WINEPREFIX"]
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            os.makedirs(prefix, exist_ok=True)
            subprocess.run([WINE, "wineboot", "-i"], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
        subprocess.run(["/usr/lib/wine/wineserver64", "-w"], env=self.env, timeout=120)

    def close(self):
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for p in (self.wm, self.xvfb):
            stop_process(p)


class Emulator:
    """The emulator of one test; its output and request log stay in the test's folder."""

    def __init__(self, scenario, folder, serve=SERVE):
        path = scenario if os.path.isabs(scenario) else os.path.join(SCENARIOS, scenario)
        self.request_log = os.path.join(folder, "requests.jsonl")
        self.process = EmulatorProcess(["--scenario", path, "--request-log", self.request_log],
                                       os.path.join(folder, "emulator.out"), serve=serve)
        self.base = self.process.base

    def call(self, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        req = urllib.request.Request(self.base + path, data=data,
                                     method="GET" if body is None else "POST",
                                     headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(req, timeout=10) as r:
            return json.loads(r.read().decode() or "null")

    def requests(self):
        return self.call("/_emulator/requests")

    def close(self):
        self.process.stop()


class OrvWineTest(unittest.TestCase):
    display = None
    scenario = None  # a file under tools/emulator/scenarios, or None for no emulator

    @classmethod
    def setUpClass(cls):
        if not os.path.exists(EXE):
            raise unittest.SkipTest("Orv.exe not built")
        cls.display = Display()

    @classmethod
    def tearDownClass(cls):
        if cls.display:
            cls.display.close()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="orv-wine-")
        shutil.copy(EXE, self.folder)
        self.log_path = os.path.join(self.folder, "orv.log")
        self.emulator = None
        self.proc = None
        self.started = []  # every Orv.exe of the test, reaped in tearDown
        if self.scenario:
            self.start_emulator(self.folder)

    def start_emulator(self, folder):
        """A new emulator with the test's scenario (its files in `folder`), named in
        orv.service for the next start of the program."""
        self.emulator = Emulator(self.scenario, folder)
        with open(os.path.join(self.folder, "orv.service"), "w") as f:
            f.write(self.emulator.base + "\n")

    def stop_programs(self):
        """Ends every program the test started, and Wine's server with them."""
        if self.proc and self.proc not in self.started:
            self.started.append(self.proc)  # a test's own program (menudemo.exe)
        for proc in self.started:
            if proc.poll() is None:
                proc.kill()
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=self.display.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for proc in self.started:
            proc.wait()

    def tearDown(self):
        self.stop_programs()
        if self.emulator:
            self.emulator.close()
        if os.environ.get("ORV_KEEP_FOLDERS") != "1":
            shutil.rmtree(self.folder, ignore_errors=True)

    # ---- the program ----

    def write_settings(self, **fields):
        """Writes orv.cfg from the default record with the given fields changed
        (names as in base/settings.h, e.g. language=1, openMainWindowAtStart=0)."""
        order = ["reserved0", "reserved1", "reserved2", "ColourScheme", "windowLeft", "windowTop",
                 "windowRight", "windowBottom", "translucency", "startTime", "openMainWindowAtStart",
                 "notifyNewAndUpdated", "refreshInterval", "widthMayChange", "commentsNewestFirst",
                 "hideReadPostsAfter", "likesOnlyFromFriends", "hideNoticeAfter", "language",
                 "notifyOnlyWithHiddenWindow", "commentsOnlyFromFriendsCopy", "counterDay",
                 "commentsOnlyFromFriends"]
        values = dict(zip(order, [0, 0, 0, 1, 120, 200, 1160, 800, 1, 0, 1, 1, 10, 1, 0, 12, 1, 5,
                                  1, 0, 0, 0, 0]))
        for k, v in fields.items():
            if k not in values:
                raise KeyError(k)
            values[k] = v
        import struct
        with open(os.path.join(self.folder, "orv.cfg"), "wb") as f:
            f.write(struct.pack("<23i", *[values[k] for k in order]))

    def start_orv(self, extra_env=None):
        env = dict(self.display.env)
        env["ORV_LOG_FILE"] = self.log_path
        env.update(extra_env or {})
        self.proc = subprocess.Popen([WINE, os.path.join(self.folder, "Orv.exe")], cwd=self.folder,
                                     env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.started.append(self.proc)
        return self.proc

    def wait_exit(self, timeout=30):
        return self.proc.wait(timeout)

    def run_tool(self, exe, *args, timeout=30):
        """Runs another Windows program of the build (e.g. orvctl.exe) in the same prefix."""
        path = exe if os.path.isabs(exe) else os.path.join(BUILD, exe)
        # Output goes to files, not pipes: when this process is the one that brings up
        # the Wine server and its services, they inherit its output and keep a pipe open
        # long after the tool has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.Popen([WINE, path, *args], env=self.display.env, cwd=self.folder,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err)
            try:
                code = proc.wait(timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
                raise
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(proc.args, code, out.read().decode(errors="replace"),
                                               err.read().decode(errors="replace"))

    def orvctl(self, *args):
        """Runs orvctl.exe and requires it to succeed."""
        r = self.run_tool("orvctl.exe", *args)
        self.assertEqual(r.returncode, 0, "orvctl %s: %s" % (" ".join(args), r.stderr))

    def exit_program(self):
        self.orvctl("exit")
        self.assertEqual(self.wait_exit(timeout=30), 0)

    def log_lines(self):
        try:
            with open(self.log_path, encoding="utf-8") as f:
                return [line.rstrip("\n") for line in f]
        except FileNotFoundError:
            return []

    def wait_for_log(self, text, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for line in self.log_lines():
                if text in line:
                    return line
            time.sleep(0.2)
        self.fail("log never showed %r; log was:\n%s" % (text, "\n".join(self.log_lines())))

    def situation(self):
        """What a failed wait reports besides itself: whether the program runs, the end
        of its log and the last requests the emulator saw."""
        lines = ["program: %s" % ("running" if self.proc and self.proc.poll() is None else
                                  "not running" if self.proc else "not started")]
        lines += ["log: " + line for line in self.log_lines()[-6:]]
        if self.emulator:
            try:
                lines += ["request: %s %s" % (r["method"], r["path"]) for r in self.emulator.requests()[-6:]]
            except OSError as e:
                lines.append("emulator: %s" % e)
        return "\n".join(lines)

    def file_path(self, name):
        return os.path.join(self.folder, name)

    # ---- the screen ----

    def xdotool(self, *args, check=False):
        r = subprocess.run(["xdotool", *args], env=self.display.env, capture_output=True, text=True)
        if check and r.returncode != 0:
            self.fail("xdotool %s failed: %s" % (" ".join(args), r.stderr))
        return r.stdout.strip()

    def find_windows(self, name=None, cls=None, only_visible=True):
        args = ["search"]
        if only_visible:
            args.append("--onlyvisible")
        if name is not None:
            args += ["--name", name]
        elif cls is not None:
            args += ["--class", cls]
        out = self.xdotool(*args)
        return [w for w in out.split() if w]

    def wait_for_window(self, name=None, cls=None, timeout=30, only_visible=True):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.find_windows(name=name, cls=cls, only_visible=only_visible)
            if found:
                return found[0]
            time.sleep(0.25)
        self.screenshot("missing-window")
        self.fail("no window named %r / class %r appeared\n%s" % (name, cls, self.situation()))

    def wait_no_window(self, name, timeout=15):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if not self.find_windows(name=name):
                return
            time.sleep(0.25)
        self.fail("window %r did not go away" % name)

    def window_geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        return {k: int(v) for k, v in (line.split("=") for line in out.splitlines()) if k in "XYWIDTHHEIGHT"}

    def click(self, window, x, y, button=1, repeat=1):
        self.xdotool("mousemove", "--window", window, str(x), str(y), "click", "--repeat", str(repeat),
                     "--delay", "80", str(button), check=True)

    def key(self, window, *keys):
        self.xdotool("key", "--window", window, *keys)

    def screenshot(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, "%s-%s.png" % (type(self).__name__, name))
        subprocess.run(["import", "-window", "root", path], env=self.display.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return path

    def tray_window(self, timeout=30):
        """Wine's tray: a small window near the top left of the screen holding the icon."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            for w in self.find_windows(name=""):
                g = self.window_geometry(w)
                if g.get("X", 999) < 200 and g.get("Y", 999) < 200 and 0 < g.get("WIDTH", 999) <= 64 \
                        and 0 < g.get("HEIGHT", 999) <= 64:
                    return w
            time.sleep(0.25)
        self.screenshot("no-tray")
        self.fail("no tray icon window")
