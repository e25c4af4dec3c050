"""Self-update under Wine: build 30 installs a signed build 31 and restarts into it; every
bad download leaves the program's folder byte for byte as it was and the program running.

The newer build is a real Orv.exe with build number 31, built once into its own build
folder (preset win64-build31) and reused while it is current.
"""
import os
import subprocess
import time
import unittest

from orvwine import EXE, ROOT, OrvWineTest
from test_refresh import SEEN_FILE

BUILD31 = os.path.join(ROOT, "build", "win64-build31", "Orv.exe")
QUESTION = "^Orv - Facebook interface - 1.0.30$"
# Written by the harness or growing with every line: not the program's folder state.
NOT_COMPARED = {"orv.log", "requests.jsonl"}


def build_newer_program():
    if os.environ.get("ORV_WIN64_BUILD"):
        return  # a prebuilt tree is under test; its build 31 must be there too
    subprocess.run([os.path.join(ROOT, "scripts", "build"), "win64-build31"], check=True,
                   stdout=subprocess.DEVNULL, env=dict(os.environ, JOBS=os.environ.get("JOBS", "2")))


def read(path):
    with open(path, "rb") as f:
        return f.read()


class UpdateCase(OrvWineTest):
    scenario = "minimal.json"  # publishes build 30: nothing to offer

    @classmethod
    def setUpClass(cls):
        build_newer_program()
        if not os.path.exists(BUILD31):
            raise unittest.SkipTest("build 31 of Orv.exe not built")
        cls.newer = read(BUILD31)
        super().setUpClass()

    def setUp(self):
        super().setUp()
        self.write_settings(openMainWindowAtStart=0, language=1)
        self.older = read(self.file_path("Orv.exe"))

    def tearDown(self):
        # The program started by the update is no child of ours.
        self.run_tool("orvctl.exe", "exit")
        super().tearDown()

    def publish(self, **spec):
        spec.setdefault("version", 31)
        spec.setdefault("exe", BUILD31)
        self.emulator.call("/_emulator/publish", spec)

    def answer_yes(self):
        box = self.wait_for_window(name=QUESTION, timeout=30)
        self.xdotool("windowactivate", "--sync", box)
        self.xdotool("key", "--clearmodifiers", "Return", check=True)
        self.wait_no_window(QUESTION)

    def folder_state(self):
        state = {}
        for name in os.listdir(self.folder):
            if name in NOT_COMPARED:
                continue
            path = self.file_path(name)
            state[name] = read(path) if os.path.isfile(path) else "<folder>"
        return state

    def wait_for_paths(self, path, timeout=30):
        """The paths requested so far, once `path` is among them."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            paths = [r["path"] for r in self.emulator.requests()]
            if path in paths:
                return paths
            time.sleep(0.25)
        self.fail("%s never requested; log was:\n%s" % (path, "\n".join(self.log_lines())))

    def program_running(self):
        return self.run_tool("orvctl.exe", "wait", "1").returncode == 0


class GoodUpdate(UpdateCase):
    def test_signed_newer_build_replaces_the_program_and_runs(self):
        self.publish()
        self.start_orv()
        self.answer_yes()
        # The old program ends on its own; the new one starts hidden, removes the backup.
        self.assertEqual(self.wait_exit(30), 0)
        self.wait_for_log("Orv updated to build 31", timeout=30)
        self.assertEqual(read(self.file_path("Orv.exe")), self.newer)
        self.assertFalse(os.path.exists(self.file_path("Orv.bak")))
        self.assertFalse(os.path.exists(self.file_path("Orv.update")))
        self.assertTrue(self.program_running())
        lines = self.log_lines()
        for text in ("Checking new version of Orv", "Updating Orv"):
            self.assertTrue(any(text in line for line in lines), text)
        self.assertFalse(any("Update not sucessfull" in line for line in lines))
        paths = [r["path"] for r in self.emulator.requests()]
        self.assertIn("/download/Orv.exe.sig", paths)
        self.screenshot("updated")


class UpdateThatDidNotTake(UpdateCase):
    def test_restart_still_older_than_published_says_so_and_offers_again(self):
        # Build 30 published as 31: the restarted program is still older.
        self.publish(exe=EXE)
        self.start_orv()
        self.answer_yes()
        self.assertEqual(self.wait_exit(30), 0)
        box = self.wait_for_window(name="^Orv - Facebook interface$", timeout=30)
        self.screenshot("did-not-take")
        self.xdotool("windowactivate", "--sync", box)
        self.xdotool("key", "--clearmodifiers", "Return", check=True)
        self.wait_for_log("Update not sucessfull")
        # Then it counts as a normal start: asked again, and the backup stays.
        question = self.wait_for_window(name=QUESTION, timeout=30)
        self.xdotool("windowactivate", "--sync", question)
        self.xdotool("key", "--clearmodifiers", "--delay", "100", "Tab", "Return", check=True)
        self.wait_for_log("Update of Orv needed")
        self.assertEqual(read(self.file_path("Orv.bak")), self.older)
        self.assertTrue(self.program_running())


class BadUpdates(UpdateCase):
    def check_refused(self, reason, prepare=None):
        before = self.folder_state()
        if prepare:
            prepare()
            before = self.folder_state()
        self.run_tool("orvctl.exe", "command", "1015")
        self.answer_yes()
        self.wait_for_log(reason, timeout=30)
        time.sleep(0.5)
        self.assertEqual(self.folder_state(), before, reason)
        self.assertIsNone(self.proc.poll(), "the program ended after: " + reason)
        self.assertTrue(self.program_running())

    def test_each_bad_download_touches_nothing(self):
        # A version file of the wrong length offers nothing at start. The question would
        # hold the start before the browser opens its first page, so that page shows
        # the offer step is over.
        self.publish(version="1f00000000")
        self.start_orv()
        paths = self.wait_for_paths("/home.php")
        self.assertLess(paths.index("/download/orv.ver"), paths.index("/home.php"))
        self.assertFalse(self.find_windows(name=QUESTION))
        self.assertEqual(self.run_tool("orvctl.exe", "wait", "10").returncode, 0)
        # The first refresh ends by saving the per-user file, renamed into place whole;
        # the next one is minutes away, so from here only an update could touch the folder.
        self.wait_for_log("End of update from Facebook")
        deadline = time.time() + 30
        while not os.path.exists(self.file_path(SEEN_FILE)) and time.time() < deadline:
            time.sleep(0.2)
        self.assertTrue(os.path.exists(self.file_path(SEEN_FILE)), "the first refresh saved nothing")

        self.publish(delivery="html")
        self.check_refused("The download is not a program")
        self.publish(delivery="truncated")
        self.check_refused("The update was not downloaded whole")
        self.publish(delivery="cut")
        self.check_refused("The signature does not match the update")
        self.publish(signature="none")
        self.check_refused("The update has no valid signature")
        self.publish(signature="garbage")
        self.check_refused("The update has no valid signature")
        self.publish(signature="foreign")
        self.check_refused("The signature does not match the update")
        # A good download that cannot be written, or cannot be put in place.
        self.publish()
        self.check_refused("The update could not be written to Orv.update",
                           lambda: os.mkdir(self.file_path("Orv.update")))
        os.rmdir(self.file_path("Orv.update"))
        self.check_refused("Orv could not be replaced, the previous version stays",
                           lambda: os.mkdir(self.file_path("Orv.bak")))
        self.assertEqual(read(self.file_path("Orv.exe")), self.older)
        self.screenshot("refused")


if __name__ == "__main__":
    unittest.main()
