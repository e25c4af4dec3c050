"""Every FQL statement the client sends, over HTTP, with the rows it must get."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import EmulatorTest, blank_encoding, full_encoding  # noqa: E402

T0 = 1300000000
SINCE = T0 - 43200

OWN_USER = ("SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,"
            "status,current_location,birthday FROM user WHERE uid=me()")
USERS = ("SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,"
         "status,current_location,birthday FROM user WHERE profile_update_time>=%d AND "
         "(uid IN (SELECT uid1 FROM friend WHERE uid2=me()) OR uid=me()) LIMIT 150")
STATUSES = ("SELECT uid,status_id,message,source,time FROM status WHERE (uid IN (SELECT uid1 "
            "FROM friend WHERE uid2=me()) OR uid IN (SELECT page_id FROM page_fan WHERE "
            "uid=me()) OR uid=me()) AND time>=%d ORDER by time DESC LIMIT 150")
STREAM = ("SELECT type,attachment,permalink,post_id,actor_id,target_id,message,source_id,"
          "created_time,updated_time,comments,likes,attachment,app_id FROM stream WHERE "
          "filter_key='others' AND updated_time>=%d LIMIT 150")
NOTIFICATIONS = ("SELECT sender_id,title_text,body_text,created_time,updated_time,href,"
                 "notification_id FROM notification WHERE recipient_id=me() AND "
                 "updated_time>=%d LIMIT 150")
USER = ("SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,"
        "status,current_location,birthday FROM user WHERE uid='%s'")
PAGE = "SELECT page_id,name,pic_square,pic,page_url FROM page WHERE page_id='%s'"
GROUP = "SELECT gid,name,pic_small FROM group WHERE gid='%s'"
EVENT = "SELECT eid,name,pic_small FROM event WHERE eid='%s'"
THREADS = ("SELECT thread_id,folder_id,subject,updated_time,message_count,unread,"
           "snippet_author,parent_thread_id,snippet,message_count,recipients FROM thread "
           "WHERE folder_id=%d AND updated_time>%d AND unread!=0")
MESSAGES = ("SELECT thread_id,message_id,author_id,body,created_time,attachment FROM message "
            "WHERE thread_id=%s AND created_time>=%d")
FRIENDS_ONLY = ("(user_id IN (SELECT uid1 FROM friend WHERE uid2=me()) OR user_id=me() OR "
                "user_id IN (SELECT page_id FROM page_fan WHERE uid=me())) AND")
COMMENTS = "SELECT post_id, fromid, text, time, likes FROM comment WHERE %s post_id='%s' ORDER by time DESC LIMIT 100"
LIKES = "SELECT user_id FROM like WHERE %s post_id='%s' LIMIT 50"

SCENARIO = {
    "user": [
        {"uid": "100", "name": "Tomáš Dvořák", "profile_url": "/profile.php?id=100",
         "pic_square": "avatar_00_s.png", "pic": "avatar_00.png", "online_presence": "active",
         "profile_update_time": T0 - 500, "status": {"message": "Doma/venku", "time": T0 - 400},
         "current_location": {"city": "Plzeň"}, "birthday": "May 4"},
        {"uid": 101, "name": "Petra Nováková", "profile_url": "/profile.php?id=101",
         "online_presence": "idle", "profile_update_time": T0 - 100},
        {"uid": 102, "name": "Jürgen Weiß", "profile_update_time": T0 - 50000},
        {"uid": 103, "name": "Zoë Smith", "profile_update_time": SINCE},
        {"uid": 200, "name": "Stranger", "profile_update_time": T0 - 10},
    ],
    # one friendship in each direction: both must count
    "friend": [{"uid1": 101, "uid2": 100}, {"uid1": 100, "uid2": 102},
               {"uid1": 100, "uid2": 103}, {"uid1": 200, "uid2": 101}],
    "page": [{"page_id": 500, "name": "Kavárna Slavie", "pic_square": "page_00_s.png",
              "pic": "page_00.png", "page_url": "/pages/Kavarna/500"},
             {"page_id": 501, "name": "Other page"}],
    "page_fan": [{"uid": 100, "page_id": 500}, {"uid": 101, "page_id": 501}],
    "group": [{"gid": 700, "name": "Třída 4.A", "pic_small": "group_00.png"}],
    "event": [{"eid": 800, "name": "Grillfest", "pic_small": "event_00.png"}],
    "status": [
        {"uid": 101, "status_id": 10, "message": "older", "time": T0 - 200},
        {"uid": 102, "status_id": 20, "message": "too old", "time": T0 - 60000},
        {"uid": 200, "status_id": 30, "message": "not a friend", "time": T0 - 10},
        {"uid": 500, "status_id": 40, "message": "page news", "time": T0 - 300},
        {"uid": 501, "status_id": 50, "message": "page not liked", "time": T0 - 30},
        {"uid": 100, "status_id": 60, "message": "mine", "time": T0 - 400},
        {"uid": 101, "status_id": 11, "message": "newest", "time": T0 - 100},
        {"uid": 103, "status_id": 70, "message": "boundary", "time": SINCE},
    ],
    "stream": [
        {"post_id": "101_1", "type": 46, "message": "Ahoj / čau 🍺", "actor_id": 101,
         "source_id": 101, "created_time": T0 - 200, "updated_time": T0 - 100,
         "permalink": "/permalink.php?story_fbid=1&id=101",
         "comments": {"count": 3, "can_post": True},
         "likes": {"count": 4, "user_likes": True, "can_like": True}},
        {"post_id": "102_2", "type": 46, "message": "old", "actor_id": 102, "source_id": 102,
         "updated_time": T0 - 50000},
        {"post_id": "103_3", "type": 46, "message": "other filter", "actor_id": 103,
         "source_id": 103, "updated_time": T0 - 50, "filter_key": "nf"},
        {"post_id": "101_4", "type": 80, "actor_id": 101, "source_id": 101,
         "updated_time": SINCE, "app_id": 2309869772,
         "attachment": {"name": "Článek", "href": "/l.php?u=http%3A%2F%2Fexample.com",
                        "description": "Popis",
                        "media": [{"href": "/l.php?u=x", "src": "photo_39x60.png"}]}},
        {"post_id": "100_5", "type": 56, "message": "Na zeď", "actor_id": 101,
         "source_id": 100, "target_id": 100, "updated_time": T0 - 300},
    ],
    "comment": [
        {"id": "101_1_1", "post_id": "101_1", "fromid": 101, "text": "Super!", "time": T0 - 150},
        {"id": "101_1_2", "post_id": "101_1", "fromid": 200, "text": "Hi", "time": T0 - 120,
         "likes": 2},
        {"id": "101_1_3", "post_id": "101_1", "fromid": 100, "text": "Díky", "time": T0 - 110},
        {"id": "100_5_1", "post_id": "100_5", "fromid": 101, "text": "other post",
         "time": T0 - 100},
    ],
    "like": [{"post_id": "101_1", "user_id": 101}, {"post_id": "101_1", "user_id": 200},
             {"post_id": "101_1", "user_id": 100}, {"post_id": "101_1", "user_id": 500},
             {"post_id": "100_5", "user_id": 102}],
    "notification": [
        {"notification_id": "9001", "sender_id": 101, "title_text": "Petra commented.",
         "body_text": "Super!", "created_time": T0 - 20, "updated_time": T0 - 10,
         "href": "/permalink.php?story_fbid=1&id=101"},
        {"notification_id": "9002", "sender_id": 101, "recipient_id": 101,
         "title_text": "for someone else", "updated_time": T0 - 10},
        {"notification_id": "9003", "sender_id": 102, "title_text": "old",
         "updated_time": T0 - 60000},
        {"notification_id": "9004", "sender_id": 103, "title_text": "boundary",
         "created_time": T0 - 50000, "updated_time": SINCE},
    ],
    "thread": [
        {"thread_id": "5001", "folder_id": 0, "updated_time": T0 - 100, "unread": 1,
         "message_count": 3, "subject": "Oběd", "snippet": "ok", "snippet_author": 101,
         "recipients": ["100", 101]},
        {"thread_id": "5002", "updated_time": SINCE, "unread": 2, "recipients": [100, 102]},
        {"thread_id": "5003", "folder_id": 1, "updated_time": T0 - 100, "unread": 1},
        {"thread_id": "5004", "updated_time": T0 - 100, "unread": 0},
        {"thread_id": 5005, "updated_time": SINCE + 1, "unread": 3, "recipients": [100]},
    ],
    "message": [
        {"message_id": "5001_1", "thread_id": "5001", "author_id": 101, "body": "Ahoj",
         "created_time": SINCE},
        {"message_id": "5001_2", "thread_id": "5001", "author_id": 100, "body": "",
         "created_time": T0 - 100,
         "attachment": {"description": "trasa.gpx", "href": "/attachments/1"}},
        {"message_id": "5001_0", "thread_id": "5001", "author_id": 101, "body": "old",
         "created_time": T0 - 50000},
        {"message_id": "5005_1", "thread_id": "5005", "author_id": 100, "body": "note",
         "created_time": T0 - 100},
    ],
}


class ProgramStatements(EmulatorTest):
    SCENARIO = SCENARIO

    def ids(self, rows, key):
        return [row[key] for row in rows]

    def both(self, statement):
        """The answer, checked to be the same whichever way the client encodes."""
        a = self.emu.fql_raw(statement, encode=full_encoding)
        b = self.emu.fql_raw(statement, encode=blank_encoding)
        self.assertEqual(a.status, 200)
        self.assertEqual(a.body, b.body)
        return a.json()

    def test_own_user_row_is_written_as_the_service_wrote_it(self):
        body = self.emu.fql_raw(OWN_USER).body.decode("ascii")
        base = self.emu.base.replace("/", "\\/")
        self.assertEqual(body, (
            '[{"uid":100,"profile_url":"%(b)s\\/profile.php?id=100",'
            '"name":"Tom\\u00e1\\u0161 Dvo\\u0159\\u00e1k",'
            '"pic_square":"%(b)s\\/pictures\\/avatar_00_s.png",'
            '"pic":"%(b)s\\/pictures\\/avatar_00.png","online_presence":"active",'
            '"profile_update_time":1299999500,'
            '"status":{"message":"Doma\\/venku","time":1299999600},'
            '"current_location":{"city":"Plze\\u0148"},"birthday":"May 4"}]') % {"b": base})

    def test_profile_fetch_as_user_page_group_event(self):
        petra = self.both(USER % "101")
        self.assertEqual(len(petra), 1)
        self.assertEqual(petra[0]["uid"], 101)
        self.assertEqual(petra[0]["current_location"], {})   # empty nested value
        self.assertIsNone(petra[0]["birthday"])               # absent value
        self.assertIsNone(petra[0]["pic_square"])
        # a page id is no user: the client then asks the page table
        self.assertEqual(self.both(USER % "500"), [])
        page = self.both(PAGE % "500")
        self.assertEqual(page, [{"page_id": 500, "name": "Kavárna Slavie",
                                 "pic_square": self.emu.base + "/pictures/page_00_s.png",
                                 "pic": self.emu.base + "/pictures/page_00.png",
                                 "page_url": self.emu.base + "/pages/Kavarna/500"}])
        self.assertEqual(self.both(GROUP % "700"),
                         [{"gid": 700, "name": "Třída 4.A",
                           "pic_small": self.emu.base + "/pictures/group_00.png"}])
        self.assertEqual(self.both(EVENT % "800"),
                         [{"eid": 800, "name": "Grillfest",
                           "pic_small": self.emu.base + "/pictures/event_00.png"}])
        self.assertEqual(self.both(EVENT % "700"), [])

    def test_changed_friends_include_me_and_the_boundary_not_strangers(self):
        rows = self.both(USERS % SINCE)
        self.assertEqual(self.ids(rows, "uid"), [100, 101, 103])

    def test_changed_friends_are_limited_to_150(self):
        extra = [{"uid": 1000 + i, "name": "F%d" % i, "profile_update_time": T0}
                 for i in range(160)]
        self.emu.control("rows", {"table": "user", "rows": extra})
        self.emu.control("rows", {"table": "friend",
                                  "rows": [{"uid1": 100, "uid2": 1000 + i} for i in range(160)]})
        rows = self.both(USERS % SINCE)
        self.assertEqual(len(rows), 150)
        self.assertEqual(self.ids(rows, "uid")[:3], [100, 101, 103])

    def test_statuses_of_friends_liked_pages_and_me_newest_first(self):
        rows = self.both(STATUSES % SINCE)
        self.assertEqual([(r["uid"], r["status_id"]) for r in rows],
                         [(101, 11), (101, 10), (500, 40), (100, 60), (103, 70)])
        self.assertEqual(rows[0], {"uid": 101, "status_id": 11, "message": "newest",
                                   "source": None, "time": T0 - 100})

    def test_stream_filters_by_key_and_update_time(self):
        rows = self.both(STREAM % SINCE)
        self.assertEqual(self.ids(rows, "post_id"), ["101_1", "101_4", "100_5"])
        first = rows[0]
        # the repeated attachment column comes once; the columns keep their order
        self.assertEqual(list(first), ["type", "attachment", "permalink", "post_id", "actor_id",
                                       "target_id", "message", "source_id", "created_time",
                                       "updated_time", "comments", "likes", "app_id"])
        self.assertEqual(first["likes"], {"count": 4, "user_likes": True, "can_like": True})
        self.assertEqual(first["comments"], {"count": 3, "can_post": True})
        self.assertEqual(first["attachment"], {})
        self.assertIsNone(first["target_id"])
        link = rows[1]
        self.assertNotIn("message", [k for k, v in link.items() if v is not None])
        self.assertEqual(link["attachment"]["media"][0]["src"],
                         self.emu.base + "/pictures/photo_39x60.png")
        self.assertEqual(link["attachment"]["href"],
                         self.emu.base + "/l.php?u=http%3A%2F%2Fexample.com")
        self.assertEqual(rows[2]["target_id"], 100)

    def test_stream_text_is_escaped_like_the_service(self):
        body = self.emu.fql_raw(STREAM % SINCE).body
        self.assertIn(b'"message":"Ahoj \\/ \\u010dau \\ud83c\\udf7a"', body)
        self.assertIn(b'"post_id":"101_1"', body)          # post ids are strings
        self.assertIn(b'"actor_id":101,', body)            # author ids are numbers
        self.assertTrue(all(b < 0x80 for b in body))

    def test_notifications_of_me_since(self):
        rows = self.both(NOTIFICATIONS % SINCE)
        self.assertEqual(self.ids(rows, "notification_id"), ["9001", "9004"])
        self.assertEqual(rows[0]["href"], self.emu.base + "/permalink.php?story_fbid=1&id=101")
        self.assertIsNone(rows[1]["body_text"])

    def test_threads_strictly_after_since_with_unread_in_the_inbox(self):
        rows = self.both(THREADS % (0, SINCE))
        self.assertEqual(self.ids(rows, "thread_id"), ["5001", "5005"])
        self.assertEqual(rows[0]["recipients"], [100, 101])     # numbers, not strings
        self.assertEqual(rows[0]["snippet_author"], 101)
        self.assertEqual(rows[0]["parent_thread_id"], "0")
        self.assertEqual(rows[1]["recipients"], [100])
        self.assertEqual(self.ids(self.both(THREADS % (1, SINCE)), "thread_id"), ["5003"])
        body = self.emu.fql_raw(THREADS % (0, SINCE)).body
        self.assertIn(b'"recipients":[100,101]', body)

    def test_messages_of_a_thread_with_unquoted_id(self):
        rows = self.both(MESSAGES % ("5001", SINCE))
        self.assertEqual(self.ids(rows, "message_id"), ["5001_1", "5001_2"])
        self.assertEqual(rows[0]["attachment"], {})
        self.assertEqual(rows[1]["attachment"],
                         {"description": "trasa.gpx", "href": self.emu.base + "/attachments/1"})
        self.assertEqual(rows[1]["body"], "")
        self.assertEqual(self.ids(self.both(MESSAGES % ("5005", SINCE)), "message_id"),
                         ["5005_1"])

    def test_comments_of_a_post_newest_first(self):
        statement = COMMENTS % ("", "101_1")
        self.assertIn("WHERE  post_id", statement)   # two blanks when the setting is off
        rows = self.both(statement)
        self.assertEqual([r["text"] for r in rows], ["Díky", "Hi", "Super!"])
        self.assertEqual(rows[1], {"post_id": "101_1", "fromid": 200, "text": "Hi",
                                   "time": T0 - 120, "likes": 2})
        self.assertEqual(rows[0]["likes"], 0)

    def test_friends_only_comments_name_a_column_the_comment_table_lacks(self):
        # the condition speaks of user_id; comments have fromid, so the
        # service refused this statement
        answer = self.emu.fql(COMMENTS % (FRIENDS_ONLY, "101_1"))
        self.assertEqual(answer["error_code"], 602)
        self.assertIn("user_id", answer["error_msg"])

    def test_likes_with_and_without_the_friends_condition(self):
        self.assertEqual(self.ids(self.both(LIKES % ("", "101_1")), "user_id"),
                         [101, 200, 100, 500])
        self.assertEqual(self.ids(self.both(LIKES % (FRIENDS_ONLY, "101_1")), "user_id"),
                         [101, 100, 500])
        self.assertEqual(self.both(LIKES % ("", "999_9")), [])

    def test_a_statement_with_raw_blanks_is_refused(self):
        import socket
        with socket.create_connection(("127.0.0.1", self.emu.port), timeout=5) as sock:
            sock.sendall(b"GET /method/fql.query?query=SELECT uid FROM user WHERE uid=me()"
                         b"&format=JSON&access_token=T0K3N HTTP/1.1\r\nHost: x\r\n\r\n")
            self.assertTrue(sock.recv(100).startswith(b"HTTP/1.1 400"))

    def test_the_log_holds_the_statement_unchanged(self):
        for encode in (full_encoding, blank_encoding):
            self.emu.control("requests/clear", {})
            self.emu.fql_raw(STATUSES % SINCE, encode=encode)
            log = self.emu.control("requests")
            self.assertEqual(len(log), 1)
            self.assertEqual(log[0]["path"], "/method/fql.query")
            self.assertEqual(log[0]["query"], {"query": STATUSES % SINCE, "format": "JSON",
                                               "access_token": "T0K3N"})


if __name__ == "__main__":
    unittest.main()
