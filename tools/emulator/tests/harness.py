"""Starts serve.py on a free port and talks to it the way the client does."""

import http.client
import json
import os
import sys
import tempfile
import time
import unittest
from urllib.parse import quote

TESTS = os.path.dirname(os.path.abspath(__file__))
EMULATOR = os.path.dirname(TESTS)
SCENARIOS = os.path.join(EMULATOR, "scenarios")
if EMULATOR not in sys.path:
    sys.path.insert(0, EMULATOR)

from emulator_process import SERVE, EmulatorProcess  # noqa: E402

TOKEN = "T0K3N"
ME = 100


def full_encoding(statement):
    """Every reserved character percent-encoded."""
    return quote(statement, safe="")


def blank_encoding(statement):
    """Only blanks encoded; quotes, brackets, '=' and ',' go as they are."""
    return statement.replace(" ", "%20")


class Response:
    def __init__(self, status, headers, body):
        self.status = status
        self.headers = headers
        self.body = body

    def json(self):
        return json.loads(self.body.decode("utf-8"))

    def header(self, name):
        for key, value in self.headers:
            if key.lower() == name.lower():
                return value
        return None


class Emulator:
    def __init__(self, scenario=None, scenario_file=None, request_log=None, extra=()):
        self.tmp = tempfile.TemporaryDirectory()
        args = []
        if scenario is not None:
            scenario_file = os.path.join(self.tmp.name, "scenario.json")
            with open(scenario_file, "w", encoding="utf-8") as f:
                json.dump(scenario, f)
        if scenario_file:
            args += ["--scenario", scenario_file]
        if request_log:
            args += ["--request-log", request_log]
        args += list(extra)
        try:
            self.process = EmulatorProcess(args, os.path.join(self.tmp.name, "emulator.out"))
        except RuntimeError:
            self.tmp.cleanup()
            raise
        self.proc = self.process.proc
        self.base = self.process.base
        self.port = self.process.port

    def output(self):
        return self.process.output()

    def stop(self):
        self.process.stop()
        self.tmp.cleanup()

    def request(self, method, target, body=None, headers=None, timeout=10):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            conn.request(method, target, body=body, headers=headers or {})
            r = conn.getresponse()
            return Response(r.status, r.getheaders(), r.read())
        finally:
            conn.close()

    def get(self, target, **kw):
        return self.request("GET", target, **kw)

    def fql_raw(self, statement, token=TOKEN, encode=full_encoding):
        return self.get("/method/fql.query?query=%s&format=JSON&access_token=%s"
                        % (encode(statement), token))

    def fql(self, statement, token=TOKEN, encode=full_encoding):
        return self.fql_raw(statement, token, encode).json()

    def graph(self, method, path, message=None, token=TOKEN):
        """A Graph call as the client makes it: token behind the path with '&'."""
        body, headers = None, {}
        if message is not None:
            body = form_body(message)
            headers = {"Content-Type": "multipart/form-data;charset=UTF-8;boundary=ORVDATA"}
        return self.request(method, "%s&access_token=%s" % (path, token), body=body,
                            headers=headers)

    def control(self, call, data=None, expect=200):
        if data is None:
            r = self.get("/_emulator/" + call)
        else:
            r = self.request("POST", "/_emulator/" + call, body=json.dumps(data).encode(),
                             headers={"Content-Type": "application/json"})
        if r.status != expect:
            raise AssertionError("control %s answered %d: %s" % (call, r.status, r.body))
        return r.json()

    def table(self, name):
        return self.control("table?name=" + name)

    def now(self):
        return self.control("state")["now"]


def form_body(text):
    """The client's multipart body: no closing delimiter after the text."""
    data = text.encode("utf-8")
    return (b"--ORVDATA\r\nContent-Disposition: form-data; name=\"message\"\r\n"
            b"Content-Type: text/plain\r\nContent-Length: %d\r\n\r\n" % len(data)) + data


class EmulatorTest(unittest.TestCase):
    """One emulator per test class; SCENARIO is loaded again before each test."""

    SCENARIO = {}

    @classmethod
    def setUpClass(cls):
        cls.emu = Emulator(dict(cls.SCENARIO, me=str(ME), token=TOKEN))

    @classmethod
    def tearDownClass(cls):
        cls.emu.stop()

    def setUp(self):
        self.emu.control("scenario", dict(self.SCENARIO, me=str(ME), token=TOKEN))
        self.emu.control("fail/clear", {})
        self.emu.control("requests/clear", {})


def wait_for(predicate, seconds=5.0):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()
