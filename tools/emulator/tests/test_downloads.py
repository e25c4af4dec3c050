"""The download host: version file, published program, its signature, and each way a
download goes wrong; the signing code against openssl and the signing script."""

import http.client
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import EmulatorTest, EMULATOR  # noqa: E402
import signing  # noqa: E402

ROOT = os.path.normpath(os.path.join(EMULATOR, "..", ".."))
KEYS = os.path.join(ROOT, "tests", "keys")
TEST_KEY = os.path.join(KEYS, "update_test_private.pem")
FOREIGN_KEY = os.path.join(KEYS, "foreign_test_private.pem")
HAVE_OPENSSL = shutil.which("openssl") is not None


def point_of(key_file):
    with open(key_file) as f:
        return signing.public_point(signing.load_private_key(f.read()))


def openssl_verifies(public_der, data_file, sig_file):
    r = subprocess.run(["openssl", "dgst", "-sha256", "-verify", public_der, "-keyform", "DER",
                        "-signature", sig_file, data_file], capture_output=True)
    return r.returncode == 0


class Downloads(EmulatorTest):
    def setUp(self):
        super().setUp()
        self.program = b"MZ" + bytes(range(256)) * 40
        self.exe = os.path.join(self.emu.tmp.name, "Orv.exe")
        with open(self.exe, "wb") as f:
            f.write(self.program)

    def publish(self, expect=200, **spec):
        spec.setdefault("version", 31)
        spec.setdefault("exe", self.exe)
        return self.emu.control("publish", spec, expect=expect)

    def test_signed_build_is_served_whole_with_a_signature_our_key_accepts(self):
        answer = self.publish()
        self.assertEqual(answer["version"], "1f000000")
        self.assertEqual(self.emu.get("/download/orv.ver").body, b"\x1f\x00\x00\x00")
        r = self.emu.get("/download/Orv.exe")
        self.assertEqual((r.status, r.body, r.header("Content-Length")),
                         (200, self.program, str(len(self.program))))
        sig = self.emu.get("/download/Orv.exe.sig").body
        self.assertTrue(signing.verify(point_of(TEST_KEY), self.program, sig))
        self.assertFalse(signing.verify(point_of(TEST_KEY), self.program + b"\0", sig))
        if HAVE_OPENSSL:
            sig_file = os.path.join(self.emu.tmp.name, "s.sig")
            with open(sig_file, "wb") as f:
                f.write(sig)
            self.assertTrue(openssl_verifies(os.path.join(KEYS, "update_test_public.der"), self.exe, sig_file))

    def test_bad_signatures(self):
        self.publish(signature="foreign")
        sig = self.emu.get("/download/Orv.exe.sig").body
        self.assertFalse(signing.verify(point_of(TEST_KEY), self.program, sig))
        self.assertTrue(signing.verify(point_of(FOREIGN_KEY), self.program, sig))
        self.publish(signature="none")
        r = self.emu.get("/download/Orv.exe.sig")
        self.assertEqual((r.status, r.body), (404, b""))
        self.assertEqual(self.emu.get("/download/Orv.exe").body, self.program)
        self.publish(signature="garbage")
        self.assertTrue(self.emu.get("/download/Orv.exe.sig").body.startswith(b"<html>"))
        sig_file = os.path.join(self.emu.tmp.name, "given.sig")
        with open(sig_file, "wb") as f:
            f.write(b"0\x06\x02\x01\x05\x02\x01\x05")
        self.publish(signature=sig_file)
        self.assertEqual(self.emu.get("/download/Orv.exe.sig").body, b"0\x06\x02\x01\x05\x02\x01\x05")

    def test_deliveries_that_go_wrong(self):
        self.publish(delivery="cut")
        r = self.emu.get("/download/Orv.exe")
        half = self.program[:len(self.program) // 2]
        self.assertEqual((r.body, r.header("Content-Length")), (half, str(len(half))))
        # The signature stays that of the whole program.
        self.assertTrue(signing.verify(point_of(TEST_KEY), self.program,
                                       self.emu.get("/download/Orv.exe.sig").body))

        self.publish(delivery="truncated")
        conn = http.client.HTTPConnection("127.0.0.1", self.emu.port, timeout=10)
        try:
            conn.request("GET", "/download/Orv.exe")
            r = conn.getresponse()
            self.assertEqual(r.getheader("Content-Length"), str(len(self.program)))
            with self.assertRaises(http.client.IncompleteRead) as cm:
                r.read()
            self.assertEqual(cm.exception.partial, half)
        finally:
            conn.close()

        self.publish(delivery="html")
        body = self.emu.get("/download/Orv.exe").body
        self.assertTrue(body.startswith(b"<!DOCTYPE html>"))

    def test_version_file_lengths_and_nothing_published(self):
        self.publish(version="1f00000000")
        self.assertEqual(self.emu.get("/download/orv.ver").body, b"\x1f\x00\x00\x00\x00")
        self.publish(version=None, exe=None)
        for path in ("/download/orv.ver", "/download/Orv.exe", "/download/Orv.exe.sig"):
            r = self.emu.get(path)
            self.assertEqual((r.status, r.body), (404, b""), path)
        # A scenario's program goes unsigned unless it says so.
        self.emu.control("scenario", {"published_version": 31, "update_exe": self.exe})
        self.assertEqual(self.emu.get("/download/Orv.exe.sig").status, 404)
        self.emu.control("scenario", {"published_version": 31, "update_exe": self.exe,
                                      "update_signature": "test", "update_delivery": "cut"})
        self.assertEqual(len(self.emu.get("/download/Orv.exe").body), len(self.program) // 2)
        self.assertEqual(self.emu.get("/download/Orv.exe.sig").status, 200)

    def test_malformed_publish_calls_change_nothing(self):
        self.publish()
        for spec in ({"delivery": "slow"}, {"signature": 5}, {"exe": "/no/such/file"},
                     {"version": "xyz"}, {"version": True}, {"signature": "/no/such.sig"}):
            answer = self.publish(expect=400, **spec)
            self.assertFalse(answer["ok"])
        self.assertEqual(self.emu.get("/download/Orv.exe").body, self.program)


class SigningScript(unittest.TestCase):
    @unittest.skipUnless(HAVE_OPENSSL, "openssl is not installed")
    def test_script_and_emulator_sign_alike(self):
        import tempfile
        with tempfile.TemporaryDirectory() as tmp:
            data = os.path.join(tmp, "Orv.exe")
            with open(data, "wb") as f:
                f.write(b"MZ" + os.urandom(5000))
            out = subprocess.run([os.path.join(ROOT, "scripts", "sign-update"), data],
                                 capture_output=True, text=True)
            self.assertEqual(out.returncode, 0, out.stderr)
            with open(data, "rb") as f:
                program = f.read()
            with open(data + ".sig", "rb") as f:
                sig = f.read()
            self.assertTrue(signing.verify(point_of(TEST_KEY), program, sig))
            self.assertFalse(signing.verify(point_of(FOREIGN_KEY), program, sig))
            # And openssl accepts what the emulator signs.
            with open(TEST_KEY) as k, open(data + ".sig", "wb") as f:
                f.write(signing.sign(signing.load_private_key(k.read()), program))
            self.assertTrue(openssl_verifies(os.path.join(KEYS, "update_test_public.der"), data, data + ".sig"))
            out = subprocess.run([os.path.join(ROOT, "scripts", "sign-update"), "--key", FOREIGN_KEY,
                                  "--out", os.path.join(tmp, "f.sig"), data], capture_output=True)
            self.assertEqual(out.returncode, 0)
            self.assertFalse(openssl_verifies(os.path.join(KEYS, "update_test_public.der"), data,
                                              os.path.join(tmp, "f.sig")))


if __name__ == "__main__":
    sys.exit(unittest.main())
