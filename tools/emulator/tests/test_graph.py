"""Graph writes as the client sends them, and the tokens they need."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import ME, EmulatorTest, form_body  # noqa: E402

STREAM_OF = ("SELECT post_id,message,comments,likes,updated_time,actor_id,source_id "
             "FROM stream WHERE post_id='%s'")

SCENARIO = {
    "user": [{"uid": ME, "name": "Já"}, {"uid": 101, "name": "Petra"}],
    "friend": [{"uid1": ME, "uid2": 101}],
    "stream": [
        {"post_id": "101_1", "message": "Ahoj", "actor_id": 101, "source_id": 101,
         "updated_time": 1000, "comments": {"count": 1, "can_post": True},
         "likes": {"count": 2, "user_likes": False, "can_like": True}},
        {"post_id": "101_2", "message": "bare", "actor_id": 101, "source_id": 101,
         "updated_time": 1000},
    ],
    "comment": [{"id": "101_1_1", "post_id": "101_1", "fromid": 101, "text": "první",
                 "time": 900, "likes": 1}],
    "like": [{"post_id": "101_1", "user_id": 101}, {"post_id": "101_1", "user_id": 102}],
}


class GraphWrites(EmulatorTest):
    SCENARIO = SCENARIO

    def post_row(self, post_id):
        rows = self.emu.fql(STREAM_OF % post_id)
        self.assertEqual(len(rows), 1)
        return rows[0]

    def test_comment_from_the_multipart_body(self):
        text = "Žluťoučký kůň / \"quoted\" ✓"
        r = self.emu.graph("POST", "/101_1/comments", message=text)
        self.assertEqual(r.status, 200)
        new_id = r.json()["id"]
        self.assertTrue(new_id.startswith("101_1_"))
        self.assertIn(b'{"id":"101_1_', r.body)
        rows = self.emu.fql("SELECT post_id, fromid, text, time, likes FROM comment WHERE  "
                            "post_id='101_1' ORDER by time DESC LIMIT 100")
        self.assertEqual(len(rows), 2)
        self.assertEqual(rows[0]["text"], text)
        self.assertEqual(rows[0]["fromid"], ME)
        self.assertAlmostEqual(rows[0]["time"], self.emu.now(), delta=2)
        post = self.post_row("101_1")
        self.assertEqual(post["comments"], {"count": 2, "can_post": True})
        # the post moved, so a refresh sees it again
        self.assertAlmostEqual(post["updated_time"], self.emu.now(), delta=2)
        self.assertEqual(self.emu.table("comment")[-1]["id"], new_id)

    def test_comment_body_with_a_closing_delimiter_or_a_short_length(self):
        closed = form_body("jedna") + b"\r\n--ORVDATA--\r\n"
        r = self.emu.request("POST", "/101_2/comments&access_token=T0K3N", body=closed,
                             headers={"Content-Type": "multipart/form-data; boundary=ORVDATA"})
        self.assertEqual(r.status, 200)
        lying = form_body("dva").replace(b"Content-Length: 3", b"Content-Length: 99")
        r = self.emu.request("POST", "/101_2/comments&access_token=T0K3N", body=lying,
                             headers={"Content-Type": "multipart/form-data;boundary=ORVDATA"})
        self.assertEqual(r.status, 200)
        texts = [c["text"] for c in self.emu.table("comment") if c["post_id"] == "101_2"]
        self.assertEqual(texts, ["jedna", "dva"])
        self.assertEqual(self.post_row("101_2")["comments"]["count"], 2)

    def test_comment_sent_in_chunks(self):
        import http.client
        conn = http.client.HTTPConnection("127.0.0.1", self.emu.port, timeout=5)
        try:
            conn.request("POST", "/101_2/comments&access_token=T0K3N",
                         body=iter([form_body("po")[:30], form_body("po")[30:]]),
                         headers={"Content-Type": "multipart/form-data;boundary=ORVDATA"},
                         encode_chunked=True)
            self.assertEqual(conn.getresponse().status, 200)
        finally:
            conn.close()
        self.assertEqual(self.emu.table("comment")[-1]["text"], "po")

    def test_comment_refusals(self):
        for path, message in (("/999_9/comments", "x"), ("/101_1/comments", ""),
                              ("/101_1/comments", None)):
            r = self.emu.graph("POST", path, message=message)
            self.assertEqual(r.json()["error"]["code"], 100, path)
            self.assertEqual(r.json()["error"]["type"], "OAuthException")
        self.assertEqual(len(self.emu.table("comment")), 1)

    def test_status_update_is_a_post_a_status_and_the_user_status(self):
        r = self.emu.graph("POST", "/me/feed", message="Dnes prší.")
        post_id = r.json()["id"]
        owner, status_id = post_id.split("_")
        self.assertEqual(owner, str(ME))
        post = self.post_row(post_id)
        self.assertEqual((post["message"], post["actor_id"], post["source_id"]),
                         ("Dnes prší.", ME, ME))
        statuses = self.emu.fql(
            "SELECT uid,status_id,message,source,time FROM status WHERE (uid IN (SELECT uid1 "
            "FROM friend WHERE uid2=me()) OR uid IN (SELECT page_id FROM page_fan WHERE "
            "uid=me()) OR uid=me()) AND time>=%d ORDER by time DESC LIMIT 150"
            % (self.emu.now() - 60))
        self.assertEqual([(s["uid"], str(s["status_id"]), s["message"]) for s in statuses],
                         [(ME, status_id, "Dnes prší.")])
        me = self.emu.fql("SELECT status FROM user WHERE uid=me()")[0]
        self.assertEqual(me["status"]["message"], "Dnes prší.")
        self.assertEqual(self.emu.graph("POST", "/101/feed", message="x").json()["error"]["code"],
                         100)

    def test_like_and_unlike_change_counts_once(self):
        for _ in range(2):
            r = self.emu.graph("POST", "/101_1/likes")
            self.assertEqual(r.body, b"true")
        post = self.post_row("101_1")
        self.assertEqual(post["likes"], {"count": 3, "user_likes": True, "can_like": True})
        likers = self.emu.fql("SELECT user_id FROM like WHERE  post_id='101_1' LIMIT 50")
        self.assertEqual([l["user_id"] for l in likers], [101, 102, ME])
        for _ in range(2):
            self.assertEqual(self.emu.graph("DELETE", "/101_1/likes").body, b"true")
        self.assertEqual(self.post_row("101_1")["likes"]["count"], 2)
        self.assertFalse(self.post_row("101_1")["likes"]["user_likes"])
        self.assertEqual(len(self.emu.table("like")), 2)

    def test_like_of_a_post_without_likes_and_of_a_comment(self):
        self.emu.graph("POST", "/101_2/likes")
        self.assertEqual(self.post_row("101_2")["likes"],
                         {"count": 1, "user_likes": True, "can_like": True})
        self.assertEqual(self.emu.graph("POST", "/101_1_1/likes").body, b"true")
        comment = self.emu.table("comment")[0]
        self.assertEqual((comment["likes"], comment["user_likes"]), (2, True))
        self.emu.graph("DELETE", "/101_1_1/likes")
        self.assertEqual(self.emu.table("comment")[0]["likes"], 1)
        self.assertEqual(self.emu.graph("POST", "/424242/likes").json()["error"]["code"], 100)

    def test_writes_need_the_current_token(self):
        for method, path, message in (("POST", "/101_1/likes", None),
                                      ("DELETE", "/101_1/likes", None),
                                      ("POST", "/101_1/comments", "x"),
                                      ("POST", "/me/feed", "x")):
            r = self.emu.graph(method, path, message=message, token="WRONG")
            self.assertEqual(r.json()["error"]["code"], 190, path)
            self.assertEqual(r.json()["error"]["type"], "OAuthException")
        self.assertEqual(self.post_row("101_1")["likes"]["count"], 2)
        self.assertEqual(len(self.emu.table("comment")), 1)
        self.assertEqual(len(self.emu.table("stream")), 2)

    def test_token_may_also_come_after_a_question_mark(self):
        r = self.emu.request("POST", "/101_1/likes?access_token=T0K3N")
        self.assertEqual(r.body, b"true")
        log = self.emu.control("requests")
        self.assertEqual(log[-1]["path"], "/101_1/likes")
        self.assertEqual(log[-1]["query"], {"access_token": "T0K3N"})

    def test_graph_read_of_me(self):
        r = self.emu.get("/me&access_token=T0K3N")
        self.assertEqual(r.json(), {"id": str(ME), "name": "Já"})


if __name__ == "__main__":
    unittest.main()
