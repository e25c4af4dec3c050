"""The demo scenario hangs together: what the client asks for is there."""

import json
import os
import struct
import sys
import unittest
from urllib.parse import urlsplit

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from test_statements import (COMMENTS, EVENT, GROUP, LIKES, MESSAGES, NOTIFICATIONS,  # noqa: E402
                             OWN_USER, PAGE, STATUSES, STREAM, THREADS, USER, USERS)

DEMO = os.path.join(harness.SCENARIOS, "demo.json")


class Demo(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.emu = harness.Emulator(scenario_file=DEMO)
        cls.token = cls.emu.control("state")["token"]
        cls.since = cls.emu.now() - 12 * 3600

    @classmethod
    def tearDownClass(cls):
        cls.emu.stop()

    def fql(self, statement):
        answer = self.emu.fql(statement, token=self.token)
        self.assertIsInstance(answer, list, statement)
        return answer

    def profile_kind(self, object_id):
        for kind, statement in enumerate((USER, PAGE, GROUP, EVENT)):
            if self.fql(statement % object_id):
                return kind
        return None

    def test_a_first_refresh_finds_something_everywhere(self):
        me = self.fql(OWN_USER)
        self.assertEqual(len(me), 1)
        for statement in (USERS, STATUSES, STREAM, NOTIFICATIONS):
            self.assertGreater(len(self.fql(statement % self.since)), 3, statement)
        self.assertGreaterEqual(len(self.fql(THREADS % (0, self.since))), 4)
        self.assertGreaterEqual(len(self.fql("SELECT uid2 FROM friend WHERE uid1=me()")), 40)

    def test_every_post_has_its_people_comments_and_likes(self):
        posts = self.fql(STREAM % 0)
        self.assertEqual(len(posts), 60)
        kinds = set()
        for post in posts:
            self.assertIsNotNone(self.profile_kind(post["source_id"]), post["post_id"])
            kinds.add(self.profile_kind(post["source_id"]))
            self.assertEqual(self.profile_kind(post["actor_id"]) is None, False)
            if post["target_id"] is not None:
                self.assertIsNotNone(self.profile_kind(post["target_id"]))
            comments = self.fql(COMMENTS % ("", post["post_id"]))
            self.assertEqual(len(comments), post["comments"]["count"], post["post_id"])
            for c in comments:
                self.assertIsNotNone(self.profile_kind(c["fromid"]))
            likes = self.fql(LIKES % ("", post["post_id"]))
            self.assertEqual(len(likes), post["likes"]["count"], post["post_id"])
        self.assertEqual(kinds, {0, 1, 2, 3})

    def test_special_post_types_come_with_and_without_messages(self):
        posts = self.fql(STREAM % 0)
        for kind in (80, 237, 247, 280, 373):
            of_kind = [p for p in posts if p["type"] == kind]
            self.assertTrue(of_kind, kind)
            self.assertTrue([p for p in of_kind if p["message"] is None], kind)
        albums = [p for p in posts if p["type"] == 247]
        self.assertTrue([p for p in albums if "name" not in p["attachment"]])
        widths = set()
        for post in posts:
            media = post["attachment"].get("media") or []
            if media and "src" in media[0]:
                widths.add(self.picture_size(media[0]["src"])[0])
        self.assertIn(39, widths)
        self.assertIn(40, widths)
        self.assertTrue([w for w in widths if w > 128])

    def test_threads_have_messages_and_parties(self):
        for thread in self.fql(THREADS % (0, self.since)):
            self.assertTrue(thread["recipients"])
            for uid in thread["recipients"]:
                self.assertEqual(self.profile_kind(uid), 0)
            messages = self.fql(MESSAGES % (thread["thread_id"], self.since))
            self.assertTrue(messages, thread["thread_id"])

    def picture_size(self, url):
        parts = urlsplit(url)
        self.assertEqual("%s://%s" % (parts.scheme, parts.netloc), self.emu.base)
        r = self.emu.get(parts.path)
        self.assertEqual(r.status, 200, url)
        return struct.unpack(">II", r.body[16:24])

    def test_every_profile_picture_is_served(self):
        people = self.fql("SELECT pic_square, pic FROM user WHERE uid IN "
                          "(SELECT uid1 FROM friend WHERE uid2=me()) OR uid=me()")
        self.assertGreaterEqual(len(people), 41)
        for person in people:
            self.assertEqual(self.picture_size(person["pic_square"]), (50, 50))
            self.assertGreater(self.picture_size(person["pic"])[0], 100)
        for page in self.fql("SELECT pic_square FROM page WHERE page_id IN "
                             "(SELECT page_id FROM page_fan WHERE uid=me())"):
            self.assertEqual(self.picture_size(page["pic_square"]), (50, 50))

    def test_texts_carry_diacritics_of_three_languages(self):
        body = self.emu.fql_raw(STATUSES % 0, token=self.token).body
        for escape in (b"\\u0159", b"\\u00e4", b"\\u00fc", b"\\u00df", b"\\u011b"):
            self.assertIn(escape, body + self.emu.fql_raw(USERS % 0, token=self.token).body)


if __name__ == "__main__":
    unittest.main()


class ScenarioFiles(unittest.TestCase):
    """The small scenarios for the client's tests load and do what their names say."""

    @classmethod
    def setUpClass(cls):
        cls.emu = harness.Emulator()

    @classmethod
    def tearDownClass(cls):
        cls.emu.stop()

    def load(self, name):
        with open(os.path.join(harness.SCENARIOS, name), encoding="utf-8") as f:
            scenario = json.load(f)
        self.assertEqual(self.emu.control("scenario", scenario), {"ok": True})
        return scenario

    def authorize(self):
        return self.emu.get("/oauth/authorize?client_id=271828182845904&redirect_uri=%s"
                            "/connect/login_success.html&display=page" % self.emu.base
                            ).header("Location")

    def test_every_file_loads(self):
        names = sorted(n for n in os.listdir(harness.SCENARIOS) if n.endswith(".json"))
        self.assertIn("demo.json", names)
        for name in names:
            scenario = self.load(name)
            rows = self.emu.fql(OWN_USER, token=scenario["token"])
            self.assertEqual(len(rows), 1, name)
            self.assertEqual(str(rows[0]["uid"]), scenario["me"], name)
            for post in self.emu.fql(STREAM % 0, token=scenario["token"]):
                self.assertTrue(self.emu.fql(USER % post["source_id"], token=scenario["token"])
                                or self.emu.fql(PAGE % post["source_id"],
                                                token=scenario["token"])
                                or self.emu.fql(GROUP % post["source_id"],
                                                token=scenario["token"])
                                or self.emu.fql(EVENT % post["source_id"],
                                                token=scenario["token"]), name)

    def test_sign_in_files(self):
        self.load("minimal.json")
        self.assertIn("#access_token=MINI-TOKEN&expires_in=0", self.authorize())
        self.load("signin_denied.json")
        self.assertIn("error_description=The+user+denied+your+request", self.authorize())
        self.load("signin_login.json")
        self.assertEqual(self.authorize(), self.emu.base + "/login.php")
        self.load("signin_permissions.json")
        self.assertIn("permissions.request", self.authorize())

    def test_update_files(self):
        expected = {"minimal.json": (b"\x1e\x00\x00\x00", None),
                    "update_offered.json": (b"\x1f\x00\x00\x00", b"MZ"),
                    "update_html.json": (b"\x1d\x00\x00\x00", b"<!"),
                    "update_missing.json": (b"", None),
                    "version_5_bytes.json": (b"\x1f\x00\x00\x00\x00", b"MZ")}
        for name, (version, exe) in expected.items():
            self.load(name)
            self.assertEqual(self.emu.get("/download/orv.ver").body, version, name)
            body = self.emu.get("/download/Orv.exe").body
            self.assertEqual(body[:2] if exe else body, exe or b"", name)
