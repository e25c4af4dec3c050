"""Sign-in pages in their four modes, the other web pages, downloads and pictures."""

import os
import re
import struct
import sys
import unittest
from urllib.parse import quote

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import TOKEN, EmulatorTest  # noqa: E402

SCOPE = ("user_location,friends_location,user_birthday,friends_birthday,friends_status,"
         "friends_likes,publish_stream,user_likes,read_mailbox,read_stream,user_status,"
         "friends_online_presence,manage_notifications")


def title(response):
    m = re.search(rb"<title>(.*?)</title>", response.body)
    return m.group(1).decode("utf-8") if m else None


class SignIn(EmulatorTest):
    SCENARIO = {"user": [{"uid": 100, "name": "Tomáš"}]}

    def authorize(self):
        # the client's address, redirect_uri not escaped
        return self.emu.get("/oauth/authorize?client_id=271828182845904&redirect_uri=%s"
                            "/connect/login_success.html&display=page&response_type=token"
                            "&scope=%s" % (self.emu.base, SCOPE))

    def follow(self, response):
        location = response.header("Location")
        self.assertTrue(location.startswith(self.emu.base), location)
        return self.emu.get(location[len(self.emu.base):].partition("#")[0])

    def set_mode(self, mode, **extra):
        self.emu.control("scenario", dict(self.SCENARIO, me="100", token=TOKEN, signin=mode,
                                          **extra))

    def test_approved_goes_straight_to_login_success(self):
        r = self.authorize()
        self.assertEqual(r.status, 302)
        self.assertEqual(r.header("Location"), self.emu.base
                         + "/connect/login_success.html#access_token=T0K3N&expires_in=0")
        page = self.follow(r)
        self.assertEqual(page.status, 200)
        self.assertIn(b"Success", page.body)

    def test_login_page_first_then_the_token(self):
        self.set_mode("login")
        r = self.authorize()
        self.assertEqual(r.header("Location"), self.emu.base + "/login.php")  # exactly
        form = self.follow(r)
        self.assertIn(b"<form", form.body)
        r = self.emu.request("POST", "/login.php", body=b"email=a%40b.cz&pass=x",
                             headers={"Content-Type": "application/x-www-form-urlencoded"})
        self.assertEqual(r.status, 302)
        again = self.follow(r)        # back to authorize with the original query
        self.assertEqual(again.header("Location"), self.emu.base
                         + "/connect/login_success.html#access_token=T0K3N&expires_in=0")
        # logged in now: the next sign-in needs no login until log-out
        self.assertIn("#access_token=", self.authorize().header("Location"))
        self.emu.get("/logout.php?next=http://orv.example.com/&access_token=T0K3N")
        self.assertEqual(self.authorize().header("Location"), self.emu.base + "/login.php")

    def test_permission_request_then_allow(self):
        self.set_mode("permissions")
        r = self.authorize()
        location = r.header("Location")
        self.assertIn("permissions.request", location)
        page = self.follow(r)
        links = re.findall(rb'href="([^"]+)"', page.body)
        allow = [l for l in links if b"grant=allow" in l][0].decode().replace("&amp;", "&")
        self.assertIn("permissions.request", allow)
        r = self.emu.get(allow)
        self.assertEqual(r.header("Location"), self.emu.base
                         + "/connect/login_success.html#access_token=T0K3N&expires_in=0")
        self.assertIn("#access_token=", self.authorize().header("Location"))

    def test_permission_request_refused(self):
        self.set_mode("permissions")
        page = self.follow(self.authorize())
        deny = [l for l in re.findall(rb'href="([^"]+)"', page.body) if b"grant=deny" in l][0]
        r = self.emu.get(deny.decode().replace("&amp;", "&"))
        self.assertIn("error_description=The+user+denied+your+request", r.header("Location"))

    def test_denied(self):
        self.set_mode("denied")
        location = self.authorize().header("Location")
        self.assertEqual(location, self.emu.base + "/connect/login_success.html?error_reason="
                         "user_denied&error=access_denied&error_description="
                         "The+user+denied+your+request")
        self.assertNotIn("access_token", location)

    def test_expired_token_is_replaced_at_the_next_sign_in(self):
        self.emu.control("token", {"expire": True})
        self.assertEqual(self.emu.fql("SELECT uid FROM user WHERE uid=me()")["error_code"], 190)
        location = self.authorize().header("Location")
        new = re.search(r"#access_token=([^&]+)&", location).group(1)
        self.assertNotEqual(new, TOKEN)
        self.assertEqual(self.emu.fql("SELECT uid FROM user WHERE uid=me()", token=new),
                         [{"uid": 100}])
        self.assertEqual(self.emu.fql("SELECT uid FROM user WHERE uid=me()")["error_code"], 190)

    def test_chosen_token_is_handed_out_next(self):
        token = "271828182845904|2.AbC_d-E|1299999999-100"
        self.emu.control("token", {"token": token})
        location = self.authorize().header("Location")
        self.assertTrue(location.endswith("#access_token=%s&expires_in=0" % token))
        self.assertEqual(self.emu.fql("SELECT uid FROM user WHERE uid=me()",
                                      token=quote(token, safe="")), [{"uid": 100}])
        # the old one still works until it is expired
        self.assertEqual(self.emu.fql("SELECT uid FROM user WHERE uid=me()"), [{"uid": 100}])


class WebPages(EmulatorTest):
    SCENARIO = {"user": [{"uid": 100, "name": "Tomáš Dvořák"}, {"uid": 101, "name": "Petra"}],
                "page": [{"page_id": 500, "name": "Kavárna"}],
                "published_version": 31, "update_exe": "valid"}

    def test_home_root_and_go_to_pages_have_titles(self):
        expected = {"/": "Facebook", "/home.php": "Facebook",
                    "/profile.php": "Tomáš Dvořák | Facebook",
                    "/profile.php?id=101": "Petra | Facebook",
                    "/messages": "Messages | Facebook", "/?sk=media": "Photos | Facebook",
                    "/home.php?sk=app_2305272732_2392950137": "Photos | Facebook",
                    "/?sk=events": "Events | Facebook",
                    "/posted.php?ref=bookmarks&count=0": "Posted Items | Facebook",
                    "/pokes": "Pokes | Facebook",
                    "/?sk=messages&action=read&tid=5001": "Messages | Facebook",
                    "/messages/101": "Messages - Petra | Facebook",
                    "/pages/Kavarna/500": "Kavárna | Facebook",
                    "/login.php": "Log In | Facebook"}
        for path, name in expected.items():
            r = self.emu.get(path)
            self.assertEqual(r.status, 200, path)
            self.assertEqual(title(r), name, path)
            self.assertTrue(r.header("Content-Type").startswith("text/html"))

    def test_unknown_page_is_404_with_a_body(self):
        r = self.emu.get("/no/such/page")
        self.assertEqual(r.status, 404)
        self.assertEqual(title(r), "Page Not Found | Facebook")

    def test_outgoing_link_page(self):
        r = self.emu.get("/l.php?u=http%3A%2F%2Fexample.com%2Fa&h=x")
        self.assertEqual(r.status, 200)
        self.assertIn(b"http://example.com/a", r.body)
        r = self.emu.get("/l.php?u=" + quote(self.emu.base + "/pokes", safe=""))
        self.assertEqual(r.header("Location"), self.emu.base + "/pokes")

    def test_version_file_is_four_bytes_little_endian(self):
        r = self.emu.get("/download/orv.ver")
        self.assertEqual(r.body, b"\x1f\x00\x00\x00")
        for version, data in ((-2, b"\xfe\xff\xff\xff"), ("0102030405", b"\x01\x02\x03\x04\x05"),
                              (305419896, b"\x78\x56\x34\x12")):
            self.emu.control("scenario", {"published_version": version})
            self.assertEqual(self.emu.get("/download/orv.ver").body, data)
        self.emu.control("scenario", {})
        r = self.emu.get("/download/orv.ver")
        self.assertEqual((r.status, r.body), (404, b""))

    def test_update_download_modes(self):
        r = self.emu.get("/download/Orv.exe")
        self.assertEqual(r.body[:2], b"MZ")
        self.assertGreater(len(r.body), 2048)
        self.emu.control("scenario", {"update_exe": "html"})
        r = self.emu.get("/download/Orv.exe")
        self.assertTrue(r.body.startswith(b"<!DOCTYPE html>"))
        self.emu.control("scenario", {})
        self.assertEqual(self.emu.get("/download/Orv.exe").body, b"")
        with open(os.path.join(self.emu.tmp.name, "real.exe"), "wb") as f:
            f.write(b"MZreal")
        self.emu.control("scenario", {"update_exe": os.path.join(self.emu.tmp.name, "real.exe")})
        self.assertEqual(self.emu.get("/download/Orv.exe").body, b"MZreal")

    def test_hit_counter(self):
        r = self.emu.get("/counter?id=orv")
        self.assertEqual(r.status, 200)
        self.assertEqual(r.body[:6], b"GIF89a")
        self.assertEqual(self.emu.control("requests")[-1]["path"], "/counter")

    def test_pictures_are_pngs_of_the_promised_sizes(self):
        def size(name):
            r = self.emu.get("/pictures/" + name)
            self.assertEqual(r.status, 200, name)
            self.assertEqual(r.header("Content-Type"), "image/png")
            self.assertEqual(r.body[:8], b"\x89PNG\r\n\x1a\n")
            return struct.unpack(">II", r.body[16:24])
        self.assertEqual(size("avatar_00_s.png"), (50, 50))
        self.assertGreaterEqual(size("avatar_00.png")[0], 150)
        self.assertEqual(size("photo_39x60.png"), (39, 60))
        self.assertEqual(size("photo_40x40.png"), (40, 40))
        self.assertEqual(size("photo_600x120.png"), (600, 120))
        for bad in ("../serve.py", "..%2Fserve.py", "nope.png", ".hidden"):
            self.assertEqual(self.emu.get("/pictures/" + bad).status, 404, bad)


if __name__ == "__main__":
    unittest.main()
