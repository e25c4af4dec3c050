"""The sign-in through the embedded browser against the emulator: the token is taken
from the address the authorize page redirects to, a refusal shows its notice and keeps
no token, and an FQL answer with error 190 signs the program in again."""
import json
import os
import subprocess
import tempfile
import time
import uuid

from orvwine import SCENARIOS, OrvWineTest

SCOPE = ("user_location,friends_location,user_birthday,friends_birthday,friends_status,"
         "friends_likes,publish_stream,user_likes,read_mailbox,read_stream,user_status,"
         "friends_online_presence,manage_notifications")


class SignInCase(OrvWineTest):
    def start(self, open_main=0):
        # English texts; no pop-up notice, so the only visible window of class ORV is the
        # main window.
        self.write_settings(language=1, openMainWindowAtStart=open_main, notifyNewAndUpdated=0)
        self.start_orv()

    def paths(self):
        return [(r["method"], r["path"]) for r in self.emulator.requests()]

    def wait_for_request(self, test, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for r in self.emulator.requests():
                if test(r):
                    return r
            time.sleep(0.25)
        self.screenshot("no-such-request")
        alive = self.proc is not None and self.proc.poll() is None
        self.fail("no such request (Orv.exe %s); requests were:\n%s\nlog:\n%s" % (
            "still runs" if alive else "has ended", "\n".join(map(str, self.paths())), "\n".join(self.log_lines())))

    def token_lines(self):
        return [l for l in self.log_lines() if l.endswith(" - Obtained access token")]

    def main_window_visible(self):
        return bool(self.find_windows(cls="ORV"))


class ApprovedSignIn(SignInCase):
    scenario = "demo.json"

    def test_token_from_the_redirect_and_the_program_stays_in_the_tray(self):
        self.start(open_main=0)
        self.wait_for_log("Obtained access token")
        # The refresh starts with the captured token.
        fql = self.wait_for_request(lambda r: r["path"] == "/method/fql.query")
        self.assertEqual(fql["query"]["access_token"], "DEMO-TOKEN")
        self.assertEqual(fql["query"]["format"], "JSON")

        requests = self.emulator.requests()
        # The daily hit counter goes out while the settings load, the published version is
        # read for the update offer, and only then does the browser open the home page.
        self.assertEqual([r["path"] for r in requests[:3]],
                         ["/counter", "/download/orv.ver", "/home.php"])
        authorize = [r for r in requests if r["path"] == "/oauth/authorize"]
        self.assertEqual(len(authorize), 1)
        self.assertEqual(authorize[0]["query"], {
            "client_id": "271828182845904",
            "redirect_uri": self.emulator.base + "/connect/login_success.html",
            "display": "page", "response_type": "token", "scope": SCOPE})
        self.assertEqual(len(self.token_lines()), 1)
        self.assertFalse(any("DEMO-TOKEN" in l for l in self.log_lines()))
        time.sleep(1)
        self.assertFalse(self.main_window_visible())

    def test_main_window_opens_when_the_settings_say_so(self):
        self.start(open_main=1)
        self.wait_for_log("Obtained access token")
        self.wait_for_window(cls="ORV", timeout=15)
        self.screenshot("signed-in")

    def test_error_190_goes_back_to_the_authorize_page(self):
        # The first statement of the first refresh is answered with error 190.
        self.emulator.call("/_emulator/fail",
                           {"path": "/method/fql.query", "times": 1, "mode": "error190"})
        self.start(open_main=0)
        deadline = time.time() + 40
        while len(self.token_lines()) < 2 and time.time() < deadline:
            time.sleep(0.25)
        self.assertEqual(len(self.token_lines()), 2, "\n".join(self.log_lines()))
        paths = [p for _, p in self.paths()]
        first_auth = paths.index("/oauth/authorize")
        second_auth = paths.index("/oauth/authorize", first_auth + 1)
        self.assertIn("/method/fql.query", paths[first_auth:second_auth])
        # Signed in again: the next refresh gets its answers.
        self.wait_for_request(lambda r: r["path"] == "/method/fql.query"
                              and r["query"].get("access_token") == "DEMO-TOKEN"
                              and r["time"] >= self.emulator.requests()[second_auth]["time"])


class RefusedSignIn(SignInCase):
    scenario = "signin_denied.json"

    def test_refusal_shows_the_notice_and_keeps_no_token(self):
        self.start(open_main=0)
        box = self.wait_for_window(name="^Orv - notice$", timeout=30)
        self.screenshot("refused")
        self.xdotool("windowactivate", "--sync", box)
        self.key(box, "Return")
        self.wait_no_window("^Orv - notice$")
        # The root page follows and brings the main window up; nothing asks again.
        self.wait_for_request(lambda r: r["path"] == "/")
        self.wait_for_window(cls="ORV", timeout=15)
        time.sleep(2)
        paths = [p for _, p in self.paths()]
        self.assertEqual(paths.count("/oauth/authorize"), 1)
        self.assertNotIn("/method/fql.query", paths)
        self.assertEqual(self.token_lines(), [])
        self.assertFalse(self.find_windows(name="^Orv - notice$"))


class LoginPageSignIn(SignInCase):
    scenario = "signin_login.json"

    def test_login_page_brings_the_main_window_up(self):
        self.start(open_main=0)
        self.wait_for_request(lambda r: r["path"] == "/login.php")
        self.wait_for_window(cls="ORV", timeout=15)
        self.assertEqual(self.token_lines(), [])


class PermissionSignIn(SignInCase):
    scenario = "signin_permissions.json"

    def test_permission_request_brings_the_main_window_up(self):
        self.start(open_main=0)
        self.wait_for_request(lambda r: "permissions.request" in str(r["query"]))
        self.wait_for_window(cls="ORV", timeout=15)
        self.assertEqual(self.token_lines(), [])


class TokenStaysInMemory(SignInCase):
    """The token travels in addresses (the redirect's fragment, the log-out page), which
    the browser would keep in its cache and history; none of it may reach the disk."""

    def setUp(self):
        self.token = "TK" + uuid.uuid4().hex.upper()
        with open(os.path.join(SCENARIOS, "minimal.json"), encoding="utf-8") as f:
            scenario = json.load(f)
        scenario["token"] = self.token
        fd, self.scenario = tempfile.mkstemp(prefix="orv-token-", suffix=".json")
        with os.fdopen(fd, "w", encoding="utf-8") as f:
            json.dump(scenario, f)
        self.addCleanup(os.remove, self.scenario)
        super().setUp()

    def files_holding_token(self):
        """Files of the Wine prefix and the program folder that hold the token in
        UTF-8 or UTF-16."""
        subprocess.run(["/usr/lib/wine/wineserver64", "-w"], env=self.display.env, timeout=60)  # registry written
        needles = [self.token.encode(), self.token.encode("utf-16-le")]
        found = []
        for top in (self.display.env["WINEPREFIX"], self.folder):
            for folder, _, names in os.walk(top):
                for name in names:
                    if name in ("requests.jsonl", "emulator.out"):
                        continue  # the emulator's own records
                    path = os.path.join(folder, name)
                    if os.path.islink(path) or not os.path.isfile(path):
                        continue
                    with open(path, "rb") as f:
                        data = f.read()
                    if any(n in data for n in needles):
                        found.append(path)
        return found

    def test_no_file_holds_the_token_after_sign_in_and_sign_out(self):
        self.start(open_main=0)
        self.wait_for_log("Obtained access token")
        self.wait_for_request(lambda r: r["path"] == "/method/fql.query"
                              and r["query"].get("access_token") == self.token)
        self.orvctl("command", "1009")  # the menu bar's log-out row
        self.wait_for_request(lambda r: r["path"] == "/logout.php")
        time.sleep(2)
        self.run_tool("orvctl.exe", "exit")
        self.assertEqual(self.wait_exit(timeout=30), 0)
        self.assertEqual(self.files_holding_token(), [])
