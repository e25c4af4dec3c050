"""The FQL interpreter on its own: grammar, errors, and what the rows hold."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402,F401  (puts the emulator on the path)
import fql  # noqa: E402
from store import Store, StoreError  # noqa: E402


def make_store(**tables):
    store = Store(os.path.join(harness.EMULATOR, "pictures"))
    store.base = "http://127.0.0.1:8080"
    store.load(dict({"me": "1"}, **tables))
    return store


PEOPLE = [{"uid": i, "name": n, "profile_update_time": t}
          for i, n, t in ((1, "Me", 10), (2, "Anna", 20), (3, "Bert", 30), (4, "Cyril", 20),
                          (5, "Dana", 50))]
FRIENDS = [{"uid1": 1, "uid2": 2}, {"uid1": 1, "uid2": 3}, {"uid1": 4, "uid2": 1}]


class Grammar(unittest.TestCase):
    def setUp(self):
        self.store = make_store(user=PEOPLE, friend=FRIENDS)

    def uids(self, statement):
        return [r["uid"] for r in self.store.query(statement)]

    def test_and_binds_tighter_than_or(self):
        self.assertEqual(self.uids("SELECT uid FROM user WHERE uid=1 OR uid=2 AND name='x'"), [1])
        self.assertEqual(self.uids("SELECT uid FROM user WHERE (uid=1 OR uid=2) AND name='Anna'"),
                         [2])

    def test_nested_parentheses_and_not(self):
        self.assertEqual(self.uids(
            "SELECT uid FROM user WHERE ((uid>1 AND (uid<4)) OR (uid=5)) AND NOT uid=3"), [2, 5])

    def test_in_sub_select_value_list_and_not_in(self):
        self.assertEqual(self.uids(
            "SELECT uid FROM user WHERE uid IN (SELECT uid2 FROM friend WHERE uid1=me())"),
            [2, 3, 4])
        self.assertEqual(self.uids("SELECT uid FROM user WHERE uid IN (5, '2', 9)"), [2, 5])
        self.assertEqual(self.uids(
            "SELECT uid FROM user WHERE uid NOT IN (SELECT uid1 FROM friend WHERE uid2=me())"),
            [1, 5])

    def test_comparison_operators(self):
        cases = {"=": [3], "==": [3], "!=": [1, 2, 4, 5], "<>": [1, 2, 4, 5], ">": [5],
                 ">=": [3, 5], "<": [1, 2, 4], "<=": [1, 2, 3, 4]}
        for op, expected in cases.items():
            self.assertEqual(self.uids("SELECT uid FROM user WHERE profile_update_time%s30" % op),
                             expected, op)

    def test_quoted_and_bare_values_compare_alike(self):
        for value in ("3", "'3'", '"3"'):
            self.assertEqual(self.uids("SELECT uid FROM user WHERE uid=%s" % value), [3])
        store = make_store(thread=[{"thread_id": "77", "unread": 1}])
        self.assertEqual(len(store.query("SELECT thread_id FROM thread WHERE thread_id=77")), 1)

    def test_strings_with_quotes_and_escapes(self):
        store = make_store(user=[{"uid": 1, "name": "O'Brien"}, {"uid": 2, "name": 'Say "hi"'}])
        for statement in ("SELECT uid FROM user WHERE name='O\\'Brien'",
                          "SELECT uid FROM user WHERE name='O''Brien'",
                          "SELECT uid FROM user WHERE name=\"O'Brien\""):
            self.assertEqual([r["uid"] for r in store.query(statement)], [1], statement)
        self.assertEqual(len(store.query("SELECT uid FROM user WHERE name='Say \"hi\"'")), 1)

    def test_order_by_several_keys_and_limit_forms(self):
        self.assertEqual(self.uids(
            "select uid from user order BY profile_update_time desc, name ASC"), [5, 3, 2, 4, 1])
        self.assertEqual(self.uids("SELECT uid FROM user ORDER BY uid DESC LIMIT 2"), [5, 4])
        self.assertEqual(self.uids("SELECT uid FROM user LIMIT 1, 2"), [2, 3])
        self.assertEqual(self.uids("SELECT uid FROM user LIMIT 2 OFFSET 3"), [4, 5])
        self.assertEqual(self.uids("SELECT uid FROM user LIMIT 0"), [])

    def test_rows_keep_the_order_they_were_added(self):
        store = make_store(user=[{"uid": u} for u in (9, 3, 7)])
        self.assertEqual([r["uid"] for r in store.query(
            "SELECT uid FROM user WHERE uid IN (7, 9, 3)")], [9, 3, 7])

    def test_now_follows_the_emulator_clock(self):
        store = make_store(user=[{"uid": 1, "profile_update_time": "now-100"},
                                 {"uid": 2, "profile_update_time": "now+100"}])
        self.assertEqual(len(store.query("SELECT uid FROM user WHERE profile_update_time<now()")),
                         1)
        store.set_clock(advance=200)
        self.assertEqual(len(store.query("SELECT uid FROM user WHERE profile_update_time<now()")),
                         2)


class Refusals(unittest.TestCase):
    def setUp(self):
        self.store = make_store(user=PEOPLE)

    def code(self, statement):
        with self.assertRaises(fql.FqlError) as ctx:
            self.store.query(statement)
        return ctx.exception.code

    def test_unparsable_statements_give_601(self):
        for statement in ("", "   ", "SELECT", "SELECT uid", "SELECT uid FROM",
                          "SELECT uid FROM user WHERE", "SELECT uid FROM user WHERE uid=",
                          "SELECT uid FROM user WHERE (uid=1", "SELECT uid FROM user WHERE uid=1)",
                          "SELECT uid FROM user WHERE name='open", "SELECT * FROM user",
                          "SELECT uid, FROM user", "SELECT uid FROM user LIMIT x",
                          "SELECT uid FROM user WHERE uid IN ()", "DELETE FROM user",
                          "SELECT uid FROM user WHERE uid=strlen(name)",
                          "SELECT uid FROM user WHERE uid IN (SELECT uid1, uid2 FROM friend)",
                          "SELECT uid FROM nosuchtable", "SELECT uid FROM user; DROP TABLE user",
                          "SELECT uid FROM user WHERE uid = 1 ORDER uid"):
            self.assertEqual(self.code(statement), 601, statement)
        # nothing was harmed
        self.assertEqual(len(self.store.query("SELECT uid FROM user")), 5)

    def test_unknown_columns_give_602(self):
        self.assertEqual(self.code("SELECT uid, shoe_size FROM user"), 602)
        self.assertEqual(self.code("SELECT uid FROM user WHERE shoe_size=1"), 602)
        self.assertEqual(self.code("SELECT uid FROM user ORDER BY shoe_size"), 602)
        self.assertEqual(self.code(
            "SELECT uid FROM user WHERE uid IN (SELECT uid FROM friend)"), 602)

    def test_values_never_reach_sql_as_text(self):
        rows = self.store.query("SELECT uid FROM user WHERE name='x'' OR ''1''=''1'")
        self.assertEqual(rows, [])


class Values(unittest.TestCase):
    def test_ids_are_typed_per_column(self):
        store = make_store(
            stream=[{"post_id": 12, "actor_id": "34", "source_id": 34,
                     "likes": {"count": 1}}],
            thread=[{"thread_id": 5, "recipients": ["1", 2, "x"], "snippet_author": "2"}],
            comment=[{"id": 7, "post_id": "12", "fromid": "3", "user_likes": "false"}])
        post = store.query("SELECT post_id, actor_id, source_id FROM stream")[0]
        self.assertEqual(post, {"post_id": "12", "actor_id": 34, "source_id": 34})
        thread = store.query("SELECT thread_id, recipients, snippet_author FROM thread")[0]
        self.assertEqual(thread, {"thread_id": "5", "recipients": [1, 2, "x"],
                                  "snippet_author": 2})
        comment = store.query("SELECT id, fromid, user_likes, likes FROM comment")[0]
        self.assertEqual(comment, {"id": "7", "fromid": 3, "user_likes": False, "likes": 0})

    def test_absent_scalars_are_null_and_absent_nested_values_empty(self):
        store = make_store(stream=[{"post_id": "1_1"}],
                           user=[{"uid": 1, "current_location": None}])
        post = store.query("SELECT message, attachment, likes, action_links FROM stream")[0]
        self.assertEqual(post, {"message": None, "attachment": {}, "likes": {},
                                "action_links": []})
        # a scenario that says null means null
        self.assertIsNone(store.query("SELECT current_location FROM user")[0]["current_location"])

    def test_relative_times_also_inside_nested_values(self):
        store = make_store(user=[{"uid": 1, "status": {"message": "m", "time": "now-60"},
                                  "profile_update_time": "now - 3600"}])
        now = store.now()
        row = store.query("SELECT status, profile_update_time FROM user")[0]
        self.assertAlmostEqual(row["status"]["time"], now - 60, delta=1)
        self.assertAlmostEqual(row["profile_update_time"], now - 3600, delta=1)

    def test_addresses_get_the_emulator_base(self):
        store = make_store(user=[{"uid": 1, "pic_square": "avatar_01_s.png",
                                  "pic": "no_such_picture.png",
                                  "profile_url": "/profile.php?id=1"}],
                           stream=[{"post_id": "1_1", "attachment": {
                               "href": "http://example.com/a",
                               "media": [{"src": "photo_40x40.png", "href": "/photo.php"}]}}])
        user = store.query("SELECT pic_square, pic, profile_url FROM user")[0]
        self.assertEqual(user, {"pic_square": "http://127.0.0.1:8080/pictures/avatar_01_s.png",
                                "pic": "no_such_picture.png",
                                "profile_url": "http://127.0.0.1:8080/profile.php?id=1"})
        media = store.query("SELECT attachment FROM stream")[0]["attachment"]
        self.assertEqual(media["href"], "http://example.com/a")
        self.assertEqual(media["media"][0], {"src": "http://127.0.0.1:8080/pictures/photo_40x40.png",
                                             "href": "http://127.0.0.1:8080/photo.php"})

    def test_a_bad_row_appends_nothing(self):
        store = make_store(user=[{"uid": 1}])
        store.add_status("kept")
        with self.assertRaises(StoreError):
            store.add_rows("user", [{"uid": 2, "shoe_size": 44}, {"uid": 3, "bad name": 1}])
        self.assertEqual(store.query("SELECT uid FROM user"), [{"uid": 1}])
        with self.assertRaises(fql.FqlError):
            store.query("SELECT shoe_size FROM user")
        self.assertEqual(len(store.query("SELECT post_id FROM stream WHERE message='kept'")), 1)

    def test_friendship_is_mutual(self):
        store = make_store(friend=[{"uid1": 2, "uid2": 1}])
        self.assertEqual(store.query("SELECT uid2 FROM friend WHERE uid1=me()"), [{"uid2": 2}])
        self.assertEqual(store.delete("friend", {"uid1": 1, "uid2": 2}), 2)
        self.assertEqual(store.query("SELECT uid1 FROM friend"), [])

    def test_bad_scenarios_are_refused_and_leave_the_data(self):
        store = make_store(user=[{"uid": 1, "name": "kept"}])
        for scenario in ([], {"signin": "maybe"}, {"me": ""}, {"user": {"uid": 1}},
                         {"user": [5]}, {"user": [{"bad name": 1}]},
                         {"published_version": "xyz"}, {"token": ""}):
            with self.assertRaises(StoreError, msg=repr(scenario)):
                store.load(scenario)
            self.assertEqual(store.query("SELECT name FROM user"), [{"name": "kept"}])
            self.assertEqual(store.me, "1")


if __name__ == "__main__":
    unittest.main()
