"""The maker's download host: the version file, the published program and its
detached signature (/download/Orv.exe.sig), and the ways a download can go wrong."""

import os
import re

import signing

HERE = os.path.dirname(os.path.abspath(__file__))
KEYS = os.path.normpath(os.path.join(HERE, "..", "..", "tests", "keys"))
KEY_FILES = {"test": "update_test_private.pem", "foreign": "foreign_test_private.pem"}

SIGNATURES = ("test", "foreign", "none", "garbage")
DELIVERIES = ("whole", "truncated", "cut", "html")


class PublishError(ValueError):
    pass


def fake_program():
    """A small file that passes for a Windows executable (starts with MZ)."""
    head = bytearray(b"MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xff\xff\x00\x00")
    head += bytes(64 - len(head))
    head[60:64] = (128).to_bytes(4, "little")
    head += b"\x0e\x1f\xba\x0e\x00\xb4\x09\xcd\x21\xb8\x01\x4c\xcd\x21"
    head += b"This program cannot be run in DOS mode.\r\r\n$"
    head += bytes(128 - len(head)) + b"PE\x00\x00"
    return bytes(head) + bytes((i * 7 + 3) & 0xFF for i in range(5000))


ERROR_PAGE = (b"<!DOCTYPE html><html><head><title>Error 404 - Not found</title></head>"
              b"<body><h1>Not found</h1><p>The requested file is not available.</p></body></html>")

_secrets = {}


def _secret(which):
    if which not in _secrets:
        with open(os.path.join(KEYS, KEY_FILES[which]), encoding="ascii") as f:
            _secrets[which] = signing.load_private_key(f.read())
    return _secrets[which]


def _resolve(path, base_dir):
    if not os.path.isabs(path) and base_dir:
        path = os.path.join(base_dir, path)
    return path


def _read(path, what):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError as e:
        raise PublishError("cannot read the %s %s: %s" % (what, path, e.strerror))


class Publication:
    """What the download host serves. Every part is optional: a missing one is a 404."""

    def __init__(self, version=None, program=None, signature=None, delivery="whole"):
        self.version = version        # bytes of orv.ver, or None
        self.program = program        # bytes of Orv.exe as published, or None
        self.signature = signature    # bytes of Orv.exe.sig, or None
        self.delivery = delivery

    @classmethod
    def build(cls, version=None, exe=None, signature="test", delivery="whole", base_dir=None):
        """version: a number (4 bytes little-endian) or raw bytes in hex; exe: "valid"
        (a small fake program), "html" (the legacy way to say delivery "html"), or a file;
        signature: one of SIGNATURES or a .sig file; delivery: one of DELIVERIES."""
        if isinstance(version, bool) or not isinstance(version, (int, str, type(None))):
            raise PublishError('"version" must be a number or raw bytes in hex')
        if isinstance(version, str):
            if not re.fullmatch(r"(?:[0-9A-Fa-f]{2})*", version):
                raise PublishError('"version" as a string holds raw bytes in hex')
            version_bytes = bytes.fromhex(version)
        elif version is not None:
            version_bytes = (version & 0xFFFFFFFF).to_bytes(4, "little")
        else:
            version_bytes = None
        if exe is not None and not isinstance(exe, str):
            raise PublishError('"exe" must be a string')
        if exe == "html":
            exe, delivery = "valid", "html"
        if delivery not in DELIVERIES:
            raise PublishError('"delivery" must be one of ' + ", ".join(DELIVERIES))
        if exe is None:
            program = None
        elif exe == "valid":
            program = fake_program()
        else:
            program = _read(_resolve(exe, base_dir), "program")
        if not isinstance(signature, str):
            raise PublishError('"signature" must be a string')
        if signature in KEY_FILES:
            sig = signing.sign(_secret(signature), program) if program is not None else None
        elif signature == "none":
            sig = None
        elif signature == "garbage":
            sig = b"<html><body>Signature not found</body></html>"
        else:
            sig = _read(_resolve(signature, base_dir), "signature")
        return cls(version_bytes, program, sig, delivery)

    def program_answer(self):
        """(status, headers, body, announced length or None)."""
        octets = {"Content-Type": "application/octet-stream"}
        if self.program is None:
            return 404, {"Content-Type": "text/html"}, b"", None
        if self.delivery == "html":
            return 200, {"Content-Type": "text/html; charset=utf-8"}, ERROR_PAGE, None
        if self.delivery == "cut":
            return 200, octets, self.program[:len(self.program) // 2], None
        if self.delivery == "truncated":
            # The whole length is announced, half arrives, then the line drops.
            return 200, octets, self.program[:len(self.program) // 2], len(self.program)
        return 200, octets, self.program, None

    def signature_answer(self):
        if self.signature is None:
            return 404, {"Content-Type": "text/html"}, b""
        return 200, {"Content-Type": "application/octet-stream"}, self.signature

    def describe(self):
        return {"version": self.version.hex() if self.version is not None else None,
                "exe_length": len(self.program) if self.program is not None else None,
                "signed": self.signature is not None, "delivery": self.delivery}
