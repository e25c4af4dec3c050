"""Commands and dialogs under Wine against the emulator: posting a status, signing out and
in again from the menu bar, adding and deleting favourites, and every dialog on screen in
two languages."""
import json
import os
import time
import urllib.parse
import urllib.request

from orvwine import OrvWineTest
from test_shell import ShellHelpers

STATUS_BUTTON = "16"  # control id of the tool bar's status button (its row number)
LANGUAGES = {"cs": 0, "en": 1}
TEXTS = {
    "cs": {"notice": "Orv - upozornění", "addfav": "Přidat k oblíbeným stránkám", "favorites": "Oblíbené stránky"},
    "en": {"notice": "Orv - notice", "addfav": "Add to favorite sites", "favorites": "Favorite sites"},
}


class CommandCase(ShellHelpers, OrvWineTest):
    scenario = "minimal.json"

    def start(self, language="en"):
        self.write_settings(language=LANGUAGES[language], openMainWindowAtStart=0, notifyNewAndUpdated=0)
        self.start_orv()
        self.tray()

    def wait_signed_in(self):
        # The first refresh has read the signed-in user once the seen-state file exists.
        deadline = time.time() + 60
        while time.time() < deadline:
            if any(name.startswith("orv_") and name.endswith(".dat") for name in os.listdir(self.folder)):
                return
            time.sleep(0.25)
        self.fail("no refresh finished; log:\n%s" % "\n".join(self.log_lines()))

    def fql(self, statement):
        query = urllib.parse.urlencode({"query": statement, "format": "JSON", "access_token": "MINI-TOKEN"})
        with urllib.request.urlopen(self.emulator.base + "/method/fql.query?" + query, timeout=10) as r:
            return json.loads(r.read().decode())

    def requests_to(self, method, path):
        return [r for r in self.emulator.requests() if r["method"] == method and r["path"] == path]

    def wait_for_request(self, method, path, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.requests_to(method, path)
            if found:
                return found
            time.sleep(0.25)
        self.fail("no %s %s; requests: %s" % (method, path, [(r["method"], r["path"]) for r in self.emulator.requests()]))

    def active_window(self):
        return self.xdotool("getactivewindow")

    def type_text(self, window, text):
        # Unicode key events from inside Wine: xdotool remaps keys for every non-ASCII
        # character, and under load Wine reads some of them before the remap.
        self.xdotool("windowactivate", "--sync", window)
        time.sleep(0.3)
        self.orvctl("type", text)

    def open_status_dialog(self):
        before = set(self.find_windows(name=""))
        self.orvctl("command", STATUS_BUTTON)
        deadline = time.time() + 15
        while time.time() < deadline:
            for w in set(self.find_windows(name="")) - before:
                if self.xdotool("getwindowname", w) == "":
                    return w
            time.sleep(0.25)
        self.screenshot("no-status-dialog")
        self.fail("the status dialog did not open")


class StatusAndSignOut(CommandCase):
    def test_status_in_czech_reaches_the_service_exactly_and_is_confirmed(self):
        self.start("cs")
        self.wait_signed_in()
        dialog = self.open_status_dialog()
        text = "Příliš žluťoučký kůň úpěl ďábelské ódy, Grüße \U0001F600"
        self.type_text(dialog, text)
        time.sleep(0.5)
        self.screenshot("status-cs")
        self.press(dialog, "Tab", "space")  # "Aktualizovat"
        box = self.wait_for_window(name="^%s$" % TEXTS["cs"]["notice"], timeout=20)
        self.screenshot("status-posted-cs")
        posted = self.wait_for_request("POST", "/me/feed")
        self.assertEqual(len(posted), 1)
        statuses = [row["message"] for row in self.fql("SELECT message FROM status WHERE uid=me()")]
        self.assertIn(text, statuses)
        self.press(box, "Return")
        self.wait_no_window("^%s$" % TEXTS["cs"]["notice"])
        self.exit_cleanly()

    def test_empty_status_sends_nothing_and_losing_the_focus_closes_the_dialog(self):
        self.start("en")
        self.wait_signed_in()
        dialog = self.open_status_dialog()
        self.press(dialog, "Tab", "space")  # "Update" with nothing typed
        time.sleep(1)
        self.assertEqual(self.requests_to("POST", "/me/feed"), [])
        self.assertNotIn(dialog, self.find_windows(name=""))

        dialog = self.open_status_dialog()
        self.type_text(dialog, "never sent")
        main = self.open_from_tray()  # the user works elsewhere
        self.xdotool("windowactivate", "--sync", main)
        time.sleep(1)
        self.assertNotIn(dialog, self.find_windows(name=""))
        self.assertEqual(self.requests_to("POST", "/me/feed"), [])
        self.exit_cleanly()

    def test_refused_status_closes_without_the_success_box(self):
        self.start("en")
        self.wait_signed_in()
        self.emulator.call("/_emulator/fail", {"path": "/me/feed", "times": 1, "mode": "error100"})
        dialog = self.open_status_dialog()
        self.type_text(dialog, "refused")
        self.press(dialog, "Tab", "space")
        self.wait_for_request("POST", "/me/feed")
        time.sleep(2)
        self.assertEqual(self.find_windows(name="^Orv - notice$"), [])
        self.assertNotIn(dialog, self.find_windows(name=""))
        self.exit_cleanly()

    def test_sign_out_opens_the_logout_page_and_the_same_entry_then_signs_in(self):
        self.start("en")
        self.wait_signed_in()
        authorizations = len(self.requests_to("GET", "/oauth/authorize"))
        self.orvctl("command", "1009")  # Options > Log out
        logout = self.wait_for_request("GET", "/logout.php")
        self.assertEqual(logout[0]["query"].get("access_token"), "MINI-TOKEN")
        main = self.wait_for_window(name="^Orv - ", timeout=15)
        time.sleep(1)
        self.press(main, "alt+o")  # the Options menu now offers "Log in"
        time.sleep(0.7)
        self.screenshot("signed-out-options")
        self.press(main, "Escape", "Escape")
        # Signed out, the shared entry is "Log in": it starts the sign-in again.
        self.orvctl("command", "1009")
        deadline = time.time() + 20
        while time.time() < deadline and len(self.requests_to("GET", "/oauth/authorize")) <= authorizations:
            time.sleep(0.25)
        self.assertGreater(len(self.requests_to("GET", "/oauth/authorize")), authorizations)
        self.assertTrue(main)
        self.exit_cleanly()


class Favourites(CommandCase):
    scenario = "empty.json"

    def favourites_file(self):
        try:
            with open(self.file_path("favorites.txt"), "rb") as f:
                return f.read().decode("utf-16-le").rstrip("\0")
        except FileNotFoundError:
            return None

    def test_add_then_delete_a_favourite(self):
        self.start("en")
        self.orvctl("command", "1006")  # Options > Add to favorites
        dialog = self.wait_for_window(name="^%s$" % TEXTS["en"]["addfav"], timeout=15)
        time.sleep(0.5)
        self.screenshot("addfav-filled-en")
        # The address starts filled from the browser; the name field has the focus with its
        # text selected, and Tab selects the next field's: type over both, then "Add".
        self.type_text(dialog, "News; daily")
        self.press(dialog, "Tab")
        self.type_text(dialog, "http://news.example/a;b")
        self.press(dialog, "Tab", "space")
        self.wait_no_window("^%s$" % TEXTS["en"]["addfav"])
        self.assertEqual(self.favourites_file(), "News  daily;http://news.example/a%3Bb\r\n")

        self.orvctl("command", "1053")  # the favourites menu's last item
        dialog = self.wait_for_window(name="^%s$" % TEXTS["en"]["favorites"], timeout=15)
        time.sleep(0.5)
        self.screenshot("favorites-en")
        self.press(dialog, "Home", "Tab", "space")  # the first line, then "Delete"
        time.sleep(0.5)
        # Deleting changes memory only; the file follows when the dialog is closed.
        self.assertEqual(self.favourites_file(), "News  daily;http://news.example/a%3Bb\r\n")
        self.screenshot("favorites-deleted-en")
        self.press(dialog, "Tab", "space")  # "Close"
        self.wait_no_window("^%s$" % TEXTS["en"]["favorites"])
        self.assertEqual(self.favourites_file(), "")
        self.exit_cleanly()


class DialogScreens(CommandCase):
    """Every dialog opened as a user would, photographed in Czech and English."""
    scenario = "minimal.json"

    DIALOGS = [("preferences", "1001"), ("reporting", "1004"), ("about", "1003"), ("addfav", "1006"),
               ("favorites", "1053")]

    def test_dialogs_in_two_languages(self):
        with open(self.file_path("favorites.txt"), "wb") as f:
            f.write("Počasí;http://www.chmi.cz/\r\nNews;http://news.example/\r\n\0".encode("utf-16-le"))
        for language in ("cs", "en"):
            self.start(language)
            self.wait_signed_in()
            for name, command in self.DIALOGS:
                before = set(self.find_windows(name=""))
                self.orvctl("command", command)
                deadline = time.time() + 15
                dialog = None
                while time.time() < deadline and not dialog:
                    new = [w for w in set(self.find_windows(name="")) - before
                           if self.xdotool("getwindowname", w).strip()]
                    dialog = new[0] if new else None
                    time.sleep(0.25)
                self.assertTrue(dialog, "%s did not open in %s" % (name, language))
                time.sleep(0.7)
                self.screenshot("%s-%s" % (name, language))
                self.press(dialog, "Escape")
                time.sleep(0.5)
            status = self.open_status_dialog()
            time.sleep(0.7)
            self.screenshot("status-%s" % language)
            self.press(status, "Escape")
            self.exit_cleanly()
