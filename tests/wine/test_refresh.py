"""The refresh cycle under Wine against the emulator's demo account: the first refresh
lists and announces everything, the per-user seen-state file keeps what was read across
a restart, and a comment added to a read post makes that post updated unless the
comment itself is remembered read."""
import os
import re
import struct
import subprocess
import tempfile
import time
import urllib.parse
import urllib.request

from orvwine import OrvWineTest

ME = "100000000000001"
TOKEN = "DEMO-TOKEN"
SEEN_FILE = "orv_%s.dat" % ME
END_OF_REFRESH = "End of update from Facebook"
SUMMARY = re.compile(r" - ((Posts|Messages|Notifications): \d+(, (Messages|Notifications): \d+)*)$")
NOTICE = r"^Orv - [0-9]+:[0-9][0-9] - "
SECTIONS = ["users", "posts", "comments", "messages", "likes", "notifications"]
ICONS = os.path.join(os.path.dirname(__file__), "..", "..", "res", "icons")

# Two posts of the demo account, updated within the last twelve hours, without comments.
POST_1 = "100000000000101_1500000017"
POST_2 = "100000000000108_1500000136"
AUTHOR_1 = "100000000000114"
AUTHOR_2 = "100000000000105"


def read_seen(path):
    """The seen-state file as {section: [(flags, mark, key1, key2, stamp)]}."""
    with open(path, "rb") as f:
        data = f.read()
    at = 0

    def u32():
        nonlocal at
        value = struct.unpack_from("<I", data, at)[0]
        at += 4
        return value

    def key():
        nonlocal at
        if data[at] == 0:
            at += 1
            return None
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        text = data[at:end].decode("utf-16-le")
        at = end + 2
        return text

    assert u32() == 1
    out = {}
    for name in SECTIONS:
        entries = []
        for _ in range(u32()):
            flags, mark = u32(), u32()
            k1, k2 = key(), key()
            stamp = struct.unpack("<i", struct.pack("<I", u32()))[0]
            entries.append((flags, mark, k1, k2, stamp))
        out[name] = entries
    assert at == len(data), "bytes after the last section"
    return out


def write_seen(path, sections):
    def key(text):
        return b"\0" if text is None else text.encode("utf-16-le") + b"\0\0"

    data = struct.pack("<I", 1)
    for name in SECTIONS:
        entries = sections[name]
        data += struct.pack("<I", len(entries))
        for flags, mark, k1, k2, stamp in entries:
            data += struct.pack("<II", flags, mark) + key(k1) + key(k2) + struct.pack("<i", stamp)
    with open(path, "wb") as f:
        f.write(data)


class DemoStart:
    """Starts Orv in English with notices on, whether the main window shows or not."""

    def start(self, **settings):
        fields = dict(language=1, openMainWindowAtStart=0, notifyNewAndUpdated=1,
                      notifyOnlyWithHiddenWindow=0)
        fields.update(settings)
        self.write_settings(**fields)
        self.start_orv()


class RefreshTest(DemoStart, OrvWineTest):
    scenario = "demo.json"

    # ---- the program ----

    def refreshes_done(self):
        return sum(1 for line in self.log_lines() if line.endswith(" - " + END_OF_REFRESH))

    def wait_for_refreshes(self, count, timeout=120):
        deadline = time.time() + timeout
        while self.refreshes_done() < count and time.time() < deadline:
            time.sleep(0.25)
        self.assertGreaterEqual(self.refreshes_done(), count, "\n".join(self.log_lines()))
        # The after-refresh step runs on the next tick of the one-second timer.
        time.sleep(2.5)

    def summaries(self):
        return [m.group(1) for m in map(SUMMARY.search, self.log_lines()) if m]

    # ---- the service ----

    def fql(self, statement):
        query = urllib.parse.urlencode({"query": statement, "format": "JSON", "access_token": TOKEN})
        with urllib.request.urlopen(self.emulator.base + "/method/fql.query?" + query, timeout=10) as r:
            import json
            return json.loads(r.read().decode())

    def statements(self):
        return [r["query"]["query"] for r in self.emulator.requests() if r["path"] == "/method/fql.query"]

    def statement_like(self, start):
        for s in self.statements():
            if s.startswith(start):
                return s
        self.fail("no statement beginning %r was sent" % start)

    # ---- the screen ----

    def tray_icon(self):
        """The resource id of the icon the tray shows: the one of the four tray icons (at 16
        x 16, on the tray's white) found most exactly in Wine's tray window."""
        tray = self.wait_for_window(name="^Wine System Tray$", timeout=30)
        g = self.window_geometry(tray)
        shot = tempfile.mktemp(suffix=".png")
        # Everything from the screen's corner to the window's far corner: the position
        # xdotool gives is not exactly where the frame puts the client area.
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+0+0" % (g["X"] + g["WIDTH"] + 8, g["Y"] + g["HEIGHT"] + 8),
                        "+repage", shot], env=self.display.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        best, best_error = None, None
        self.icon_errors = {}
        for icon in (130, 138, 143, 156):
            rendered = tempfile.mktemp(suffix=".png")
            # The tray draws the 32-pixel image scaled down.
            subprocess.run(["convert", "-background", "white", os.path.join(ICONS, "%d.ico[1]" % icon), "-flatten",
                            "-resize", "16x16", rendered], check=True)
            r = subprocess.run(["compare", "-metric", "RMSE", "-dissimilarity-threshold", "1", "-subimage-search",
                                shot, rendered, "null:"],
                               capture_output=True, text=True)
            os.remove(rendered)
            try:
                error = float(r.stderr.split()[0])
            except (IndexError, ValueError):
                self.fail("compare failed: %s (tray window %r)" % (r.stderr, g))
            self.icon_errors[icon] = error
            if best_error is None or error < best_error:
                best, best_error = icon, error
        os.remove(shot)
        return best

    # ---- the tests ----

    def test_first_refresh_lists_and_announces_everything(self):
        self.start()
        self.wait_for_refreshes(1)

        # What the service holds for the statements the program sent.
        stream = self.fql(self.statement_like("SELECT type,attachment,permalink,post_id"))
        notifications = self.fql(self.statement_like("SELECT sender_id,title_text"))
        since = int(re.search(r"updated_time>(\d+)", self.statement_like("SELECT thread_id,folder_id")).group(1))
        messages = 0
        for thread in self.fql(self.statement_like("SELECT thread_id,folder_id")):
            rows = self.fql("SELECT thread_id,message_id,author_id,body,created_time,attachment FROM message "
                            "WHERE thread_id=%s AND created_time>=%d" % (thread["thread_id"], since))
            messages += sum(1 for m in rows if str(m["author_id"]) != ME)
        self.assertTrue(stream and notifications and messages)
        expected = "Posts: %d, Messages: %d, Notifications: %d" % (len(stream), messages, len(notifications))
        self.assertEqual(self.summaries(), [expected])

        self.wait_for_window(name=NOTICE, timeout=15)
        self.screenshot("first-refresh")
        self.assertEqual(self.tray_icon(), 143)

        # The per-user file holds every post, unread.
        seen = read_seen(self.file_path(SEEN_FILE))
        posts = {k1: flags for flags, _, k1, _, _ in seen["posts"]}
        self.assertEqual(set(posts), {row["post_id"] for row in stream})
        self.assertTrue(all(flags & 1 == 0 for flags in posts.values()))
        self.assertEqual(len(seen["notifications"]), len(notifications))

        # Each picture came once, however many profiles show it.
        pictures = [r["path"] for r in self.emulator.requests() if r["path"].startswith("/pictures/")]
        self.assertTrue(pictures)
        self.assertEqual(len(pictures), len(set(pictures)), sorted(pictures))
        self.exit_program()

    def test_first_refreshes_in_a_row_lose_no_request(self):
        # Every start meets a new service and downloads every picture again, a hundred
        # requests in a second: one that never goes out holds the refresh for the
        # transport's whole silence limit, 65 s.
        for start in range(4):
            if start:
                self.exit_program()
                self.emulator.close()
                folder = self.file_path("service-%d" % start)
                os.makedirs(folder)
                self.start_emulator(folder)
                os.remove(self.file_path(SEEN_FILE))
                os.remove(self.log_path)
            began = time.time()
            self.start()
            self.wait_for_refreshes(1, timeout=90)
            self.assertLess(time.time() - began, 40, "start %d:\n%s" % (start, "\n".join(self.log_lines())))
        self.exit_program()

    def test_read_items_stay_read_and_a_new_comment_updates_its_post(self):
        # Notifying only with a hidden window while the window shows: the refresh marks
        # everything read instead of announcing it.
        self.start(openMainWindowAtStart=1, notifyOnlyWithHiddenWindow=1)
        self.wait_for_refreshes(1)
        self.assertEqual(self.summaries(), [])
        self.exit_program()
        seen = read_seen(self.file_path(SEEN_FILE))
        self.assertTrue(seen["posts"])
        self.assertTrue(all(flags & 1 for flags, _, _, _, _ in seen["posts"] + seen["notifications"]))
        self.assertTrue(all(flags & 1 for flags, _, _, _, _ in seen["messages"]))

        # The second post's coming comment is remembered read from an earlier run.
        now = int(time.time())
        seen["comments"].append((1, 0, POST_2, AUTHOR_2, now - 20))
        write_seen(self.file_path(SEEN_FILE), seen)

        # A restart announces nothing: everything is remembered read. (Refreshing every
        # minute, so the next refresh brings the comments below.)
        os.remove(self.log_path)
        self.start(refreshInterval=1)
        self.wait_for_refreshes(1)
        self.assertEqual(self.summaries(), [])
        self.assertFalse(self.find_windows(name=NOTICE))
        self.assertEqual(self.tray_icon(), 130)

        # Both posts get a comment; only the first comment is new to the user.
        self.emulator.call("/_emulator/rows", {"table": "comment", "rows": [
            {"id": POST_1 + "_901", "post_id": POST_1, "fromid": AUTHOR_1, "text": "New one", "time": now - 30,
             "likes": 0},
            {"id": POST_2 + "_902", "post_id": POST_2, "fromid": AUTHOR_2, "text": "Seen one", "time": now - 20,
             "likes": 0}]})
        for post in (POST_1, POST_2):
            self.emulator.call("/_emulator/update", {"table": "stream", "where": {"post_id": post}, "set": {
                "updated_time": now - 10, "comments": {"count": 1, "can_post": True, "can_remove": False}}})
        self.wait_for_refreshes(2, timeout=150)
        self.assertEqual(self.summaries(), ["Posts: 1"])
        self.wait_for_window(name=NOTICE, timeout=15)
        self.screenshot("updated-post")
        self.assertEqual(self.tray_icon(), 143)

        # Readers take the first entry of an id; an older one may be carried after it.
        seen = read_seen(self.file_path(SEEN_FILE))
        posts = {}
        for flags, _, k1, _, stamp in seen["posts"]:
            posts.setdefault(k1, (flags, stamp))
        self.assertEqual(posts[POST_1], (0, now - 10))
        self.assertEqual(posts[POST_2], (1, now - 10))
        comments = {}
        for flags, _, k1, k2, _ in seen["comments"]:
            comments.setdefault((k1, k2), flags)
        self.assertEqual(comments[(POST_1, AUTHOR_1)], 0)
        self.assertEqual(comments[(POST_2, AUTHOR_2)], 1)
        self.exit_program()
