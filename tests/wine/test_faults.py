"""Failures of the service under Wine against the demo account: a first refresh that
fails after the own-user query keeps the stored read state, restarts do not grow the
per-user file, and no fail mode of the emulator brings in a phantom notification."""
import os
import re
import time

from orvwine import OrvWineTest
from test_refresh import DemoStart, SEEN_FILE, SUMMARY, END_OF_REFRESH, read_seen

FAILED = "Request to Facebook failed ("
UPDATING = " - Updating data from Facebook"


class FaultTest(DemoStart, OrvWineTest):
    scenario = "demo.json"

    def count_lines(self, text):
        return sum(1 for line in self.log_lines() if text in line)

    def wait_for_count(self, text, count, timeout=60):
        deadline = time.time() + timeout
        while self.count_lines(text) < count and time.time() < deadline:
            time.sleep(0.25)
        self.assertGreaterEqual(self.count_lines(text), count, "\n".join(self.log_lines()))
        time.sleep(2.5)  # the after-refresh step runs on the next tick of the timer

    def summaries(self):
        return [m.group(1) for m in map(SUMMARY.search, self.log_lines()) if m]

    def seen_bytes(self):
        with open(self.file_path(SEEN_FILE), "rb") as f:
            return f.read()

    def fail_service(self, mode, times=-1, path="/method/", **extra):
        self.emulator.call("/_emulator/fail", dict(path=path, times=times, mode=mode, **extra))

    def test_failed_first_refresh_keeps_the_read_state_and_restarts_keep_the_file(self):
        # Everything read: the window shows and notices are only for a hidden window.
        self.start(openMainWindowAtStart=1, notifyOnlyWithHiddenWindow=1)
        self.wait_for_count(" - " + END_OF_REFRESH, 1)
        self.exit_program()
        read = self.seen_bytes()
        first = read_seen(self.file_path(SEEN_FILE))
        self.assertTrue(first["posts"] and first["likes"] and first["notifications"])
        self.assertTrue(all(e[0] & 1 for e in first["posts"] + first["notifications"]))

        # The own-user query is answered, every later request fails.
        self.fail_service("delay", times=1, seconds=0)
        self.fail_service("status500")
        os.remove(self.log_path)
        self.start()
        self.wait_for_count(FAILED, 1)
        self.assertEqual(self.count_lines(END_OF_REFRESH), 0)
        self.assertEqual(self.summaries(), [])
        self.assertEqual(self.seen_bytes(), read)  # the failed refresh saved nothing
        self.exit_program()
        self.assertEqual(self.seen_bytes(), read)  # nor did the save at exit lose anything

        # The service is back: nothing is announced again, and the file keeps its size
        # (each start lists the same likes under a new stamp).
        self.emulator.call("/_emulator/fail/clear", {})
        os.remove(self.log_path)
        self.start()
        self.wait_for_count(" - " + END_OF_REFRESH, 1)
        self.assertEqual(self.summaries(), [])
        self.exit_program()
        again = read_seen(self.file_path(SEEN_FILE))
        for section in first:
            self.assertEqual(len(again[section]), len(first[section]), section)
        self.assertEqual(len(self.seen_bytes()), len(read))

    def test_no_fail_mode_brings_a_phantom_notification(self):
        # Refreshing every minute; each round fails the four queries of one refresh
        # (users, statuses, stream, notifications, in that order) with these modes.
        rounds = [["false", "empty", "status500", "error100"],
                  ["garbage", "false", "empty", "truncated"],
                  ["status500", "truncated", "error100", "garbage"]]
        self.start(refreshInterval=1)
        self.wait_for_count(" - " + END_OF_REFRESH, 1)
        announced = self.summaries()
        self.assertEqual(len(announced), 1)
        for number, modes in enumerate(rounds, 1):
            for mode in modes:
                self.fail_service(mode, path="/method/fql.query", times=1)
            self.wait_for_count(FAILED, 4 * number, timeout=120)
        failed = [line for line in self.log_lines() if FAILED in line]
        self.assertEqual(len(failed), 12, failed)
        self.assertTrue(all(re.search(r"\((user|status|stream|notification)\)$", l) for l in failed), failed)

        # A good refresh after them all: the same notifications, none without an id.
        self.wait_for_count(" - " + END_OF_REFRESH, 2, timeout=120)
        self.assertEqual(self.summaries(), announced)
        self.exit_program()
        seen = read_seen(self.file_path(SEEN_FILE))
        ids = [e[2] for e in seen["notifications"]]
        self.assertTrue(all(ids), ids)
        self.assertEqual(len(ids), len(set(ids)))
        expected = re.search(r"Notifications: (\d+)", announced[0])
        self.assertEqual(len(ids), int(expected.group(1)))

    def test_a_silent_service_holds_no_refresh_and_no_exit(self):
        # The users query of a refresh gets no answer for four minutes: the request gives up
        # on its own, the refresh says which step failed, and the next one runs.
        self.start()
        self.wait_for_count(" - " + END_OF_REFRESH, 1)
        self.fail_service("delay", path="/method/fql.query", times=1, seconds=240)
        self.orvctl("command", "1045")
        self.wait_for_count(FAILED, 1, timeout=90)
        self.assertTrue(any(line.endswith("(user)") for line in self.log_lines() if FAILED in line),
                        self.log_lines())
        # A command that comes while the failed refresh is still ending is ignored, as
        # while any refresh runs: ask until the next one starts.
        started = self.count_lines(UPDATING)
        deadline = time.time() + 30
        while self.count_lines(UPDATING) == started and time.time() < deadline:
            self.orvctl("command", "1045")
            time.sleep(3)
        self.wait_for_count(" - " + END_OF_REFRESH, 2, timeout=60)

        # Exit while a request hangs: the program does not wait for it.
        asked = len(self.emulator.requests())
        self.fail_service("delay", path="/method/fql.query", times=1, seconds=240)
        self.orvctl("command", "1045")
        deadline = time.time() + 30
        while time.time() < deadline and not any(
                r["path"].startswith("/method/fql.query") for r in self.emulator.requests()[asked:]):
            time.sleep(0.5)
        time.sleep(1)
        began = time.time()
        self.exit_program()
        self.assertLess(time.time() - began, 10)
