"""The /_emulator/ control calls, failure modes, the request log and the process."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import ME, TOKEN, Emulator, EmulatorTest, form_body, wait_for  # noqa: E402

OWN = "SELECT uid,name,profile_update_time FROM user WHERE uid=me()"

SCENARIO = {
    "user": [{"uid": ME, "name": "Já", "profile_update_time": 1000}],
    "stream": [{"post_id": "100_1", "message": "m", "actor_id": ME, "source_id": ME,
                "updated_time": 1000, "likes": {"count": 1, "user_likes": False,
                                                "can_like": True}}],
    "published_version": 30,
}


class Control(EmulatorTest):
    SCENARIO = SCENARIO

    def test_rows_are_appended_with_relative_times(self):
        now = self.emu.now()
        answer = self.emu.control("rows", {"table": "user", "rows": [
            {"uid": 101, "name": "Nový", "profile_update_time": "now-10"}]})
        self.assertEqual(answer, {"ok": True, "count": 1})
        rows = self.emu.fql("SELECT uid, profile_update_time FROM user WHERE uid=101")
        self.assertAlmostEqual(rows[0]["profile_update_time"], now - 10, delta=2)

    def test_update_replaces_nested_values_whole(self):
        answer = self.emu.control("update", {"table": "stream", "where": {"post_id": "100_1"},
                                             "set": {"likes": {"count": 5},
                                                     "updated_time": "now"}})
        self.assertEqual(answer["count"], 1)
        row = self.emu.fql("SELECT likes, updated_time FROM stream WHERE post_id='100_1'")[0]
        self.assertEqual(row["likes"], {"count": 5})
        self.assertAlmostEqual(row["updated_time"], self.emu.now(), delta=2)
        self.assertEqual(self.emu.control("update", {"table": "stream",
                                                     "where": {"post_id": "nope"},
                                                     "set": {"message": "x"}})["count"], 0)

    def test_delete(self):
        self.assertEqual(self.emu.control("delete", {"table": "stream",
                                                     "where": {"post_id": "100_1"}})["count"], 1)
        self.assertEqual(self.emu.fql("SELECT post_id FROM stream WHERE updated_time>0"), [])

    def test_scenario_replaces_everything(self):
        self.emu.control("scenario", {"me": "7", "token": "other", "user": [{"uid": 7}]})
        self.assertEqual(self.emu.fql(OWN)["error_code"], 190)
        self.assertEqual(self.emu.fql(OWN, token="other"),
                         [{"uid": 7, "name": None, "profile_update_time": None}])
        self.assertEqual(self.emu.table("stream"), [])
        self.assertEqual(self.emu.get("/download/orv.ver").status, 404)

    def test_clock(self):
        before = self.emu.now()
        after = self.emu.control("clock", {"advance": 3600})["now"]
        self.assertAlmostEqual(after - before, 3600, delta=2)
        self.assertEqual(self.emu.control("clock", {"now": 1234567890})["now"], 1234567890)
        self.emu.control("rows", {"table": "status", "rows": [
            {"uid": ME, "status_id": 1, "time": "now-5"}]})
        self.assertEqual(self.emu.fql("SELECT time FROM status WHERE uid=me()"),
                         [{"time": 1234567885}])
        self.assertEqual(len(self.emu.fql("SELECT uid FROM user WHERE profile_update_time<now()")),
                         1)
        self.emu.control("clock", {"now": int(time.time())})

    def test_malformed_calls_are_refused_with_a_message(self):
        cases = [("rows", {"table": "nosuch", "rows": []}), ("rows", {"table": "user"}),
                 ("rows", {"table": "user", "rows": [{"bad name": 1}]}),
                 ("update", {"table": "user", "where": {"nosuch": 1}, "set": {"name": "x"}}),
                 ("update", {"table": "user", "where": {}, "set": {}}),
                 ("delete", {"table": "nosuch"}), ("clock", {}),
                 ("fail", {"path": "/", "mode": "explode"}), ("token", {}),
                 ("scenario", {"signin": "never"})]
        for call, data in cases:
            answer = self.emu.control(call, data, expect=400)
            self.assertFalse(answer["ok"], call)
            self.assertTrue(answer["error"], call)
        r = self.emu.request("POST", "/_emulator/rows", body=b"{not json")
        self.assertEqual(r.status, 400)
        self.assertEqual(self.emu.request("POST", "/_emulator/nonsense", body=b"{}").status, 404)
        # the failed scenario left the old one in place
        self.assertEqual(self.emu.fql(OWN)[0]["name"], "Já")

    def test_request_log(self):
        self.emu.fql_raw(OWN)
        self.emu.request("POST", "/100_1/comments&access_token=" + TOKEN,
                         body=form_body("čau"),
                         headers={"Content-Type": "multipart/form-data;boundary=ORVDATA"})
        self.emu.get("/download/orv.ver")
        log = self.emu.control("requests")
        self.assertEqual([(e["method"], e["path"]) for e in log],
                         [("GET", "/method/fql.query"), ("POST", "/100_1/comments"),
                          ("GET", "/download/orv.ver")])
        self.assertEqual(log[0]["query"]["query"], OWN)
        self.assertIn("čau", log[1]["body"])
        self.assertEqual(log[1]["query"], {"access_token": TOKEN})
        self.assertLessEqual(log[0]["time"], log[2]["time"])
        self.emu.control("requests/clear", {})
        self.assertEqual(self.emu.control("requests"), [])


class Failures(EmulatorTest):
    SCENARIO = SCENARIO

    def fail(self, **rule):
        self.assertEqual(self.emu.control("fail", rule), {"ok": True})

    def test_error_modes_take_the_service_shape_of_the_path(self):
        self.fail(path="/method/fql.query", times=2, mode="error190")
        self.fail(path="/100_1/likes", mode="error190")
        self.fail(path="/100_1/comments", mode="error100")
        self.fail(path="/method/", mode="error100")
        self.assertEqual(self.emu.fql(OWN)["error_code"], 190)
        self.assertEqual(self.emu.fql(OWN)["error_code"], 190)
        self.assertEqual(self.emu.fql(OWN)["error_code"], 100)
        self.assertEqual(self.emu.fql(OWN)[0]["uid"], ME)
        self.assertEqual(self.emu.graph("POST", "/100_1/likes").json()["error"]["code"], 190)
        self.assertEqual(self.emu.graph("POST", "/100_1/comments", "x").json()["error"]["code"],
                         100)
        # nothing was written by the failed calls
        self.assertEqual(self.emu.table("like"), [])
        self.assertEqual(self.emu.table("comment"), [])
        self.assertEqual(len(self.emu.control("requests")), 6)

    def test_body_modes(self):
        normal = self.emu.fql_raw(OWN).body
        for mode in ("false", "empty", "truncated", "garbage", "status500"):
            self.fail(path="/method/fql.query", mode=mode)
        r = self.emu.fql_raw(OWN)
        self.assertEqual((r.status, r.body), (200, b"false"))
        r = self.emu.fql_raw(OWN)
        self.assertEqual((r.status, r.body), (200, b""))
        self.assertEqual(self.emu.fql_raw(OWN).body, normal[:len(normal) // 2])
        garbage = self.emu.fql_raw(OWN).body
        self.assertNotEqual(garbage, normal)
        self.assertGreater(len(garbage), 0)
        r = self.emu.fql_raw(OWN)
        self.assertEqual(r.status, 500)
        self.assertIn(b"<html>", r.body)
        self.assertEqual(self.emu.fql_raw(OWN).body, normal)

    def test_rules_match_by_path_prefix_and_can_last(self):
        self.fail(path="/download/", times=-1, mode="empty")
        for _ in range(3):
            self.assertEqual(self.emu.get("/download/orv.ver").body, b"")
        self.assertEqual(self.emu.fql(OWN)[0]["uid"], ME)
        self.emu.control("fail/clear", {})
        self.assertEqual(self.emu.get("/download/orv.ver").body, b"\x1e\x00\x00\x00")

    def test_a_truncated_write_still_happened(self):
        self.fail(path="/100_1/likes", mode="truncated")
        self.assertEqual(self.emu.graph("POST", "/100_1/likes").body, b"tr")
        self.assertEqual(len(self.emu.table("like")), 1)

    def test_delay_does_not_hold_up_other_requests(self):
        self.fail(path="/method/fql.query", mode="delay", seconds=1.0)
        result = {}

        def slow():
            started = time.time()
            result["rows"] = self.emu.fql(OWN)
            result["took"] = time.time() - started

        worker = threading.Thread(target=slow)
        worker.start()
        time.sleep(0.2)
        started = time.time()
        self.assertEqual(self.emu.get("/download/orv.ver").status, 200)
        self.assertLess(time.time() - started, 0.5)
        worker.join(5)
        self.assertGreaterEqual(result["took"], 0.95)
        self.assertEqual(result["rows"][0]["uid"], ME)


def count_lines(path):
    with open(path, encoding="utf-8") as f:
        return len(f.readlines())


class Process(unittest.TestCase):
    def test_request_log_file_and_sigterm(self):
        with tempfile.TemporaryDirectory() as tmp:
            log_path = os.path.join(tmp, "requests.log")
            emu = Emulator({"me": "100", "token": TOKEN}, request_log=log_path)
            try:
                emu.fql_raw("SELECT uid FROM user WHERE uid=me()")
                emu.get("/counter")
                self.assertTrue(wait_for(lambda: count_lines(log_path) == 2))
                with open(log_path, encoding="utf-8") as f:
                    lines = [json.loads(line) for line in f]
                self.assertEqual(lines, emu.control("requests"))
                emu.proc.send_signal(signal.SIGTERM)
                self.assertEqual(emu.proc.wait(5), 0)
            finally:
                emu.stop()

    def test_a_bad_scenario_file_stops_the_start(self):
        args = [sys.executable, harness.SERVE, "--port", "0", "--scenario",
                    os.path.join(harness.TESTS, "no-such-scenario.json")]
        r = subprocess.run(args, capture_output=True, text=True, timeout=10)
        self.assertEqual(r.returncode, 2)
        self.assertEqual(r.stdout, "")
        self.assertIn("no-such-scenario.json", r.stderr)


if __name__ == "__main__":
    unittest.main()
