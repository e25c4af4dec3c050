"""The content menus through the real tray, against the emulator's demo account: after
the first refresh a left click opens the new-and-updated menu, the arrow keys through it
mark its posts and notifications read (the saved per-user file shows it), Escape closes
it, and a right click opens the main menu whose posts submenu lists the demo's posts by
author. Menus are read from screenshots with tesseract, as a user would read them."""
import json
import os
import re
import shutil
import subprocess
import time
import unicodedata
import unittest

from orvwine import SCENARIOS, OrvWineTest
from test_refresh import ME, SEEN_FILE, read_seen
from test_shell import MAIN, NOTICE, ShellHelpers

END_OF_REFRESH = ("End of update from Facebook", "Konec aktualizace z Facebooku")
MENU_COLUMN = 640  # the menus open at the cursor's left, over the tray at the top left


def folded(text):
    """Lower case ASCII letters and digits only, without blanks: what OCR and the program
    agree on ("Go to" is read as "Goto")."""
    text = unicodedata.normalize("NFKD", text)
    return re.sub(r"[^a-z0-9]+", "", "".join(c for c in text if not unicodedata.combining(c)).lower())


@unittest.skipUnless(shutil.which("tesseract"), "tesseract-ocr is not installed")
class TrayMenus(ShellHelpers, OrvWineTest):
    scenario = "demo.json"

    def start(self, **settings):
        fields = dict(language=1, openMainWindowAtStart=0, notifyNewAndUpdated=0, notifyOnlyWithHiddenWindow=0,
                      refreshInterval=60)
        fields.update(settings)
        self.write_settings(**fields)
        self.start_orv()
        deadline = time.time() + 150
        while time.time() < deadline and not any(l.endswith(END_OF_REFRESH) for l in self.log_lines()):
            time.sleep(0.25)
        self.assertTrue(any(l.endswith(END_OF_REFRESH) for l in self.log_lines()), "\n".join(self.log_lines()))
        time.sleep(2.5)  # the after-refresh step runs on the next tick of the timer
        return self.wait_for_window(name="^Wine System Tray$", timeout=30)

    def exit_program(self):
        r = self.run_tool("orvctl.exe", "exit")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.wait_exit(timeout=30), 0)

    def keys(self, *keys, delay=60):
        self.xdotool("key", "--delay", str(delay), *keys, check=True)

    def pixel(self, x, y):
        out = subprocess.run(["import", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "+repage", "txt:-"],
                             env=self.display.env, capture_output=True, text=True, timeout=30).stdout
        m = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1] if out else "")
        return tuple(int(v) for v in m.groups()) if m else None

    def wait_for_menu(self, x=100, y=60, shown=True, timeout=20):
        """Waits until the desktop's black at (x, y) is covered by a menu (or uncovered)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if (self.pixel(x, y) not in (None, (0, 0, 0))) == shown:
                time.sleep(0.5)  # let it finish drawing
                return
            time.sleep(0.25)
        self.screenshot("menu-timeout")
        self.fail("the menu did not %s" % ("show" if shown else "close"))

    def read_screen(self, name, width=MENU_COLUMN, height=1024, left=0, top=0, psm=4):
        """A part of the screen (its top left by default) as words, each with its centre
        on the screen: [(word, x, y)]."""
        shot = self.screenshot(name)
        scaled = shot[:-4] + "-ocr.png"
        subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (width, height, left, top), "+repage", "-resize", "400%",
                        "-colorspace", "Gray", scaled], check=True)
        out = subprocess.run(["tesseract", scaled, "-", "--psm", str(psm), "tsv"], capture_output=True, text=True).stdout
        os.remove(scaled)
        words = []
        left_, top_ = left, top
        for line in out.splitlines()[1:]:
            cols = line.split("\t")
            if len(cols) == 12 and cols[11].strip():
                x, y, w, h = (int(v) for v in cols[6:10])
                words.append((cols[11], left_ + (x + w / 2) / 4, top_ + (y + h / 2) / 4))
        return words

    def screen_text(self, words):
        return folded(" ".join(w for w, _, _ in words))


    def word_at(self, words, word):
        for w, x, y in words:
            if folded(w) == folded(word):
                return int(x), int(y)
        self.fail("no %r on the screen: %s" % (word, " ".join(w for w, _, _ in words)))

    def shown_authors(self):
        """The person each listed post shows, newest update first, as the posts menu
        lists them: the source, or the actor or target when they differ from it."""
        with open(os.path.join(SCENARIOS, "demo.json"), encoding="utf-8") as f:
            demo = json.load(f)
        names = {str(u["uid"]): u["name"] for u in demo["user"]}
        names.update({str(p["page_id"]): p["name"] for p in demo.get("page", [])})
        now = time.time()

        def when(value):
            return now + int(value[3:]) if isinstance(value, str) else value

        posts = [p for p in demo["stream"] if when(p["updated_time"]) >= now - 12 * 3600]
        posts.sort(key=lambda p: -when(p["updated_time"]))
        shown = []
        for p in posts:
            source, actor, target = (str(p.get(k)) if p.get(k) else None for k in ("source_id", "actor_id", "target_id"))
            person = source
            if actor and actor != source and actor in names:
                person = actor
            if target and target != source and target in names:
                person = target
            if person in names:
                shown.append(names[person])
        return shown

    def test_left_click_reads_new_items_and_right_click_lists_posts_by_author(self):
        tray = self.start()
        self.click(tray, 10, 10)
        self.wait_for_menu()
        text = self.screen_text(self.read_screen("new-and-updated", height=200))
        self.assertIn(folded("New and updated"), text)
        self.assertIn(folded("Mark all as readed"), text)

        # Down through every row: each one highlighted is read. Then Escape closes it.
        for _ in range(8):
            self.keys(*(["Down"] * 10), delay=80)
            time.sleep(1)
        self.read_screen("new-and-updated-scrolled")
        self.keys("Escape")
        self.wait_for_menu(shown=False)
        self.screenshot("after-escape")

        # A right click opens the main menu; its posts submenu lists the posts by author.
        self.click(tray, 10, 10, button=3)
        self.wait_for_menu()
        words = self.read_screen("main-menu", width=400, height=400)
        text = self.screen_text(words)
        for caption in ("Home", "Go to", "Messages", "Recent users", "Notifications", "Posts",
                        "Settings and other", "Quit Orv"):
            self.assertIn(folded(caption), text)
        x, y = self.word_at(words, "Posts")
        self.xdotool("mousemove", str(x), str(y), check=True)
        expected = self.shown_authors()
        self.assertGreater(len(expected), 5)
        self.wait_for_menu(x=x + 400, y=y)
        words = self.read_screen("posts-submenu", width=1280, height=600)
        self.check_in_order(self.screen_text(words), expected[:5])
        self.keys("Escape", "Escape", "Escape")
        time.sleep(1)

        # Shutdown saves the per-user file: every post and notification is read.
        self.exit_program()
        seen = read_seen(self.file_path(SEEN_FILE))
        self.assertTrue(seen["posts"] and seen["notifications"])
        unread = [k1 for flags, _, k1, _, _ in seen["posts"] + seen["notifications"] if flags & 1 == 0]
        self.assertEqual(unread, [])

    def test_a_menu_opens_at_once_while_the_refresh_waits_for_pictures(self):
        # Every picture is answered only after 20 s: the first refresh waits inside the
        # download of the signed-in user's picture while the tray is clicked.
        self.write_settings(language=1, openMainWindowAtStart=0, notifyNewAndUpdated=0,
                            notifyOnlyWithHiddenWindow=0, refreshInterval=60)
        self.emulator.call("/_emulator/fail", dict(path="/pictures/", times=-1, mode="delay", seconds=20))
        self.start_orv()
        tray = self.wait_for_window(name="^Wine System Tray$", timeout=30)
        deadline = time.time() + 60
        held = None
        while held is None and time.time() < deadline:
            held = next((r for r in self.emulator.requests() if r["path"].startswith("/pictures/")), None)
            time.sleep(0.1)
        self.assertIsNotNone(held, "no picture was asked for")
        time.sleep(1)
        clicked = time.monotonic()
        self.click(tray, 10, 10, button=3)
        shown = None
        while shown is None and time.monotonic() - clicked < 25:
            if self.pixel(100, 60) not in (None, (0, 0, 0)):
                shown = time.monotonic() - clicked
        self.screenshot("menu-while-pictures-wait")
        self.assertIsNotNone(shown, "the menu did not show")
        print("menu shown %.2f s after the click, the picture still held" % shown)
        self.assertLess(shown, 3.0)
        self.assertFalse(any(l.endswith(END_OF_REFRESH) for l in self.log_lines()))
        self.keys("Escape")
        self.wait_for_menu(shown=False)
        self.exit_program()

    def check_in_order(self, text, names):
        at = 0
        for name in names:
            found = text.find(folded(name), at)
            self.assertGreaterEqual(found, 0, "%r not after position %d of %r" % (name, at, text))
            at = found

    def test_menus_in_the_four_colour_schemes(self):
        for scheme in range(4):
            with self.subTest(scheme=scheme):
                try:
                    self.menus_in_scheme(scheme)
                except BaseException:
                    self.stop_programs()  # the next scheme starts alone, not beside this one
                    raise

    def menus_in_scheme(self, scheme):
        if os.path.exists(self.log_path):
            os.remove(self.log_path)
        tray = self.start(ColourScheme=scheme)
        self.click(tray, 10, 10)
        self.wait_for_menu()
        self.keys("Down", "Down", "Down", "Down")
        time.sleep(1)
        self.screenshot("scheme%d-new-and-updated" % scheme)
        self.keys("Escape")
        self.wait_for_menu(shown=False)
        self.click(tray, 10, 10, button=3)
        self.wait_for_menu()
        x, y = self.word_at(self.read_screen("scheme%d-main" % scheme, width=400, height=400), "Posts")
        self.xdotool("mousemove", str(x), str(y), check=True)
        self.wait_for_menu(x=x + 400, y=y)
        self.screenshot("scheme%d-posts" % scheme)
        self.keys("Escape", "Escape")
        self.exit_program()

    def test_middle_click_opens_go_to_and_the_notice_opens_new_and_updated(self):
        tray = self.start(notifyNewAndUpdated=1)
        # The first refresh announced the demo's news with a notice at the lower right.
        notice = self.wait_for_window(name=NOTICE, timeout=20)
        g = self.window_geometry(notice)
        self.click(notice, 120, 40)
        self.wait_for_menu(x=g["X"] - 20, y=g["Y"] - 200)
        words = self.read_screen("notice-click", width=1280, height=1024)
        text = self.screen_text(words)
        self.assertIn(folded("New and updated"), text)
        self.assertIn(folded("Mark all as readed"), text)
        self.keys("Escape")
        time.sleep(1)
        self.screenshot("notice-click-closed")

        self.click(tray, 10, 10, button=2)
        self.wait_for_menu()
        # One block of text: the rows' icons break tesseract's column guess.
        text = self.screen_text(self.read_screen("go-to", left=24, width=200, height=250, psm=6))
        self.check_in_order(text, ["Go to", "Facebook", "My profile", "Messages", "Photos", "Events", "Links",
                                   "Pokes"])
        self.keys("Escape")
        self.wait_for_menu(shown=False)

    def yellow_pixels(self, shot, left, top, width, height):
        """How many pixels of the box are the new-posts button's yellow star."""
        ppm = subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (width, height, left, top), "+repage",
                              "ppm:-"], capture_output=True, check=True).stdout
        header = ppm.split(b"\n", 3)
        w, h = (int(v) for v in header[1].split())
        body = header[3]
        return sum(1 for i in range(0, w * h * 3, 3) if body[i] > 200 and body[i + 1] > 140 and body[i + 2] < 90)

    def test_banner_names_the_user_and_counts_until_all_is_read(self):
        self.start()
        main = self.open_from_tray()
        time.sleep(1.5)
        g = self.window_geometry(main)
        # The banner: right of the tool bar's last button.
        strip = dict(left=g["X"] + 620, top=g["Y"], width=g["WIDTH"] - 620, height=48)
        text = self.screen_text(self.read_screen("banner", **strip))
        self.assertIn(folded("Tomáš Procházka"), text)
        self.assertIn(folded("Praha"), text)
        self.assertRegex(text, "posts[0-9]+messages[0-9]+")
        shot = self.screenshot("banner")
        # The tool bar's new-posts button (its yellow star, right of the status button) shows.
        buttons = dict(left=g["X"] + 556, top=g["Y"], width=36, height=48)
        self.assertGreater(self.yellow_pixels(shot, **buttons), 50)

        # Everything read: the counts and the button go at the banner's next redraw.
        self.orvctl("command", "1046")
        time.sleep(1.5)
        text = self.screen_text(self.read_screen("banner-read", **strip))
        self.assertIn(folded("Procházka"), text)
        self.assertNotRegex(text, "posts[0-9]+")
        self.assertEqual(self.yellow_pixels(self.screenshot("banner-read"), **buttons), 0)
        self.exit_program()

    # ---- commands from the post menus ----

    def requests_to(self, method, suffix):
        return [r for r in self.emulator.requests() if r["method"] == method and r["path"].endswith(suffix)]

    def wait_for_request(self, method, suffix, count=1, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.requests_to(method, suffix)
            if len(found) >= count:
                return found
            time.sleep(0.25)
        self.fail("no %s *%s; requests: %s" % (method, suffix, [(r["method"], r["path"]) for r in self.emulator.requests()]))

    def open_first_post_submenu(self, tray, posts="Posts", first_row="Show"):
        """Right click on the tray, the posts submenu, then the newest post's own submenu.
        Returns the words on the screen and the x where the post's submenu starts."""
        self.click(tray, 10, 10, button=3)
        self.wait_for_menu()
        x, y = self.word_at(self.read_screen("main-menu", width=400, height=400), posts)
        self.xdotool("mousemove", str(x), str(y), check=True)
        self.wait_for_menu(x=x + 400, y=y)
        words = self.read_screen("posts", width=1280, height=600)
        first = self.shown_authors()[0].split()[0]
        px, py = next((int(wx), int(wy)) for w, wx, wy in words if folded(w) == folded(first) and wx > 300)
        self.xdotool("mousemove", str(px + 60), str(py + 8), check=True)
        time.sleep(1.5)
        words = self.read_screen("post-submenu", width=1280, height=1024)
        # The post's own submenu: the column of its first row, "Show post".
        show = [x for w, x, _ in words if folded(w) == folded(first_row) and x > px + 100]
        self.assertTrue(show, " ".join(w for w, _, _ in words))
        return words, int(show[0]) - 30

    def type_text(self, window, text):
        # Unicode key events from inside Wine (xdotool drops remapped keys under load).
        self.xdotool("windowactivate", "--sync", window)
        time.sleep(0.3)
        self.orvctl("type", text)

    def row_of(self, words, caption, right_of):
        """Centre of the menu row right of x that reads `caption` (a leading "I" is read
        as "|" as often as not, so it is left out of the match)."""
        want = folded(caption[2:] if caption.startswith("I ") else caption)
        for w, x, y in words:
            if x > right_of and self.row_text(words, y, right_of).endswith(want) and want.startswith(folded(w)[:3]):
                return int(x), int(y)
        self.fail("no row %r right of %d: %s" % (caption, right_of, " ".join(w for w, _, _ in words)))

    def row_text(self, words, y, right_of):
        return folded(" ".join(w for w, x, wy in words if x > right_of and abs(wy - y) < 5))

    def row_matching(self, words, pattern, right_of):
        """Centre of the first word of the row right of x whose text matches `pattern`."""
        for w, x, y in words:
            if x > right_of and re.search(pattern, self.row_text(words, y, right_of)):
                return int(x), int(y)
        self.fail("no row like %r right of %d: %s" % (pattern, right_of, " ".join(w for w, _, _ in words)))

    def likes_count(self, words, y, left):
        """The count in the row "It likes (7, new 7)" at y."""
        found = re.search(r"likes([0-9]+)", self.row_text(words, y, left))
        self.assertTrue(found, self.row_text(words, y, left))
        return int(found.group(1))

    def test_right_click_like_then_unlike_in_a_post_submenu(self):
        tray = self.start()
        words, left = self.open_first_post_submenu(tray)
        text = self.screen_text([w for w in words if w[1] > left])
        liked = folded("I don't like it") in text
        caption, method, other = ("I don't like it", "DELETE", "POST") if liked else ("Like", "POST", "DELETE")
        x, y = self.row_of(words, caption, left)
        likes_y = self.row_matching(words, r"likes[0-9]+", left)[1]  # the newest demo post has likes
        count = self.likes_count(words, likes_y, left)
        self.xdotool("mousemove", str(x), str(y), "click", "3", check=True)
        first = self.wait_for_request(method, "/likes")[0]["path"]
        self.assertRegex(first, r"^/[0-9]+_[0-9]+/likes$")
        time.sleep(1)
        # The menu stays open, the row now offers the opposite and the likes row counts it.
        opposite = "like" if liked else "dontlikeit"
        words = self.read_screen("after-like", width=1280, height=1024)
        self.assertTrue(self.row_text(words, y, left).endswith(opposite))
        self.assertEqual(self.likes_count(words, likes_y, left), count - 1 if liked else count + 1)
        self.xdotool("click", "3", check=True)
        again = self.wait_for_request(other, "/likes")
        self.assertEqual(again[0]["path"], first)
        time.sleep(1)
        words = self.read_screen("after-unlike", width=1280, height=1024)
        self.assertTrue(self.row_text(words, y, left).endswith(folded(caption)[-4:]))
        self.assertEqual(self.likes_count(words, likes_y, left), count)
        self.keys("Escape", "Escape", "Escape")
        self.exit_program()

    def test_comment_in_czech_reaches_the_service_and_is_confirmed_in_both_languages(self):
        texts = {
            "cs": dict(language=0, posts="Příspěvky", show="Zobrazit", add="^p.?.?idatkoment", title="Vložit komentář",
                       box="Orv - upozornění", text="Příliš žluťoučký kůň úpěl ďábelské ódy – komentář z nabídky"),
            "en": dict(language=1, posts="Posts", show="Show", add="^addcomment", title="Insert comment",
                       box="Orv - notice", text="Čeština v angličtině: řeřicha, ďolík, úžeh"),
        }
        for name, t in texts.items():
            with self.subTest(language=name):
                if name != "cs":
                    os.remove(self.log_path)
                try:
                    self.comment_from_tray(name, t)
                finally:
                    # A failed round leaves no program behind for the next one.
                    subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=self.display.env)

    def comment_from_tray(self, name, t):
        tray = self.start(language=t["language"])
        words, left = self.open_first_post_submenu(tray, t["posts"], t["show"])
        x, y = self.row_matching(words, t["add"], left)
        self.xdotool("mousemove", str(x), str(y), "click", "1", check=True)
        dialog = self.wait_for_window(name="^%s$" % t["title"], timeout=15)
        self.type_text(dialog, t["text"])
        time.sleep(0.5)
        self.screenshot("comment-%s" % name)
        self.press(dialog, "Tab", "space")
        box = self.wait_for_window(name="^%s$" % t["box"], timeout=20)
        self.screenshot("comment-posted-%s" % name)
        posted = self.wait_for_request("POST", "/comments")
        self.assertRegex(posted[-1]["path"], r"^/[0-9]+_[0-9]+/comments$")
        rows = self.emulator.call("/_emulator/table?name=comment")
        self.assertIn(t["text"], [r["text"] for r in rows])
        self.press(box, "Return")
        self.wait_no_window("^%s$" % t["box"])
        self.exit_program()

    def test_hidden_friend_leaves_the_posts_and_is_listed_under_users_with_hidden_posts(self):
        tray = self.start()
        words, left = self.open_first_post_submenu(tray)
        # The newest post's author (OCR may misread a letter of the name on the row).
        author = self.shown_authors()[0]
        hidden, first_name = folded(author), folded(author.split()[0])
        x, y = self.row_matching(words, "^hidepostsof" + first_name, left)
        self.xdotool("mousemove", str(x), str(y), "click", "1", check=True)
        self.wait_for_menu(shown=False)

        self.click(tray, 10, 10, button=3)
        self.wait_for_menu()
        main = self.read_screen("main-after-hide", width=400, height=400)
        x, y = self.word_at(main, "Posts")
        self.xdotool("mousemove", str(x), str(y), check=True)
        self.wait_for_menu(x=x + 400, y=y)
        posts = self.screen_text([w for w in self.read_screen("posts-after-hide", width=1280, height=1024)
                                  if w[1] > x + 60])
        self.assertNotIn(hidden, posts)
        others = [a for a in self.shown_authors() if folded(a) != hidden]
        self.check_in_order(posts, others[:3])

        x, y = self.word_at(main, "Settings")
        self.xdotool("mousemove", str(x), str(y), check=True)
        time.sleep(1.5)
        words = self.read_screen("settings-after-hide", width=1280, height=1024)
        ux, uy = self.row_matching(words, "userswithhidden", x + 60)
        self.xdotool("mousemove", str(ux), str(uy), check=True)
        time.sleep(1.5)
        words = self.read_screen("hidden-users", width=1280, height=1024)
        self.assertIn(first_name, self.screen_text([w for w in words if w[1] > ux + 60]))
        self.keys("Escape", "Escape", "Escape")
        self.exit_program()

    def test_command_1045_starts_a_refresh(self):
        self.start()
        ends = lambda: sum(1 for l in self.log_lines() if l.endswith(END_OF_REFRESH))
        self.assertEqual(ends(), 1)
        self.orvctl("command", "1045")
        deadline = time.time() + 120
        while time.time() < deadline and ends() < 2:
            time.sleep(0.5)
        self.assertEqual(ends(), 2, "\n".join(self.log_lines()[-5:]))
        self.exit_program()
