"""HTTP side of the emulator: every host of the service on one port."""

import html
import http.server
import json
import os
import re
import threading
import time
import traceback
from urllib.parse import quote, unquote, unquote_plus

import fql
from downloads import Publication, PublishError
from store import GraphError, StoreError

APP_ID = "271828182845904"
DENIED_QUERY = ("error_reason=user_denied&error=access_denied"
                "&error_description=The+user+denied+your+request")

# Bytes of a 1x1 transparent GIF, the usual answer of a hit counter.
COUNTER_GIF = bytes.fromhex(
    "47494638396101000100800000000000ffffff21f90401000000002c00000000"
    "010001000002024401003b")


def dump_json(value):
    """Compact JSON as the service wrote it: \\u escapes and escaped slashes."""
    text = json.dumps(value, ensure_ascii=True, separators=(",", ":"))
    return text.replace("/", "\\/").encode("ascii")


def split_target(raw):
    """Path and decoded query of a request target.

    The Graph calls put their token behind the path with "&" and no "?"
    ("/123_45/likes&access_token=..."), so a "&" also ends the path.
    """
    path, _, query = raw.partition("?")
    if "&" in path:
        path, _, extra = path.partition("&")
        query = extra + ("&" + query if query else "")
    params = {}
    for part in query.split("&"):
        if not part:
            continue
        key, _, value = part.partition("=")
        key = unquote_plus(key)
        value = unquote_plus(value)
        if key in params:
            old = params[key]
            params[key] = (old if isinstance(old, list) else [old]) + [value]
        else:
            params[key] = value
    return unquote(path) or "/", params


def first(params, key, default=None):
    value = params.get(key, default)
    return value[0] if isinstance(value, list) else value


def form_message(body, content_type):
    """The "message" field of a multipart or url-encoded request body."""
    if not body:
        return None
    content_type = content_type or ""
    if "multipart" in content_type.lower() or body.startswith(b"--"):
        m = re.search(r'boundary="?([^";\s]+)"?', content_type, re.I)
        if m:
            boundary = m.group(1).encode("latin-1")
        else:
            boundary = body.split(b"\r\n", 1)[0][2:]
        if not boundary:
            return None
        delim = b"--" + boundary
        pos = body.find(delim)
        while pos >= 0:
            pos += len(delim)
            if body.startswith(b"--", pos):
                break
            if body.startswith(b"\r\n", pos):
                pos += 2
            head_end = body.find(b"\r\n\r\n", pos)
            if head_end < 0:
                break
            headers = {}
            for line in body[pos:head_end].split(b"\r\n"):
                key, _, value = line.decode("latin-1").partition(":")
                headers[key.strip().lower()] = value.strip()
            start = head_end + 4
            length = headers.get("content-length", "")
            if length.isdigit() and start + int(length) <= len(body):
                end = start + int(length)
                nxt = body.find(delim, end)
            else:
                nxt = body.find(b"\r\n" + delim, start)
                end = nxt if nxt >= 0 else len(body)
                if nxt >= 0:
                    nxt += 2
            disposition = headers.get("content-disposition", "")
            name = re.search(r'name="?([^";]+)"?', disposition)
            if name and name.group(1) == "message":
                return body[start:end].decode("utf-8", "replace")
            pos = nxt
        return None
    if "urlencoded" in content_type.lower():
        _, params = split_target("?" + body.decode("utf-8", "replace"))
        return first(params, "message")
    return None


def page(title, body_html, status=200):
    text = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title></head>"
            "<body>%s</body></html>" % (html.escape(title), body_html))
    return status, {"Content-Type": "text/html; charset=utf-8"}, text.encode("utf-8")


def redirect(location):
    body = ("<html><head><title>Moved</title></head><body><a href=\"%s\">here</a>"
            "</body></html>" % html.escape(location)).encode("utf-8")
    return 302, {"Location": location, "Content-Type": "text/html; charset=utf-8"}, body


def json_answer(value, status=200):
    return status, {"Content-Type": "text/javascript; charset=UTF-8"}, dump_json(value)


def fql_error(code, message, params):
    args = [{"key": k, "value": v if not isinstance(v, list) else v[0]}
            for k, v in params.items() if k != "access_token"]
    return json_answer({"error_code": code, "error_msg": message, "request_args": args})


def graph_error(code, message, status=400):
    return json_answer({"error": {"message": message, "type": "OAuthException", "code": code}},
                       status)


def control_answer(value, status=200):
    body = json.dumps(value, ensure_ascii=False).encode("utf-8")
    return status, {"Content-Type": "application/json; charset=utf-8"}, body


def not_found():
    return page("Page Not Found | Facebook",
                "<h1>Page Not Found</h1><p>The page you requested was not found.</p>", 404)


class FailRule:
    def __init__(self, path, times, mode, seconds):
        self.path = path
        self.times = times
        self.mode = mode
        self.seconds = seconds


FAIL_MODES = ("error190", "error100", "false", "empty", "truncated", "garbage",
              "status500", "delay")


class Emulator:
    """State that is not the service's data: failures and the request log."""

    def __init__(self, store, request_log_path=None):
        self.store = store
        self.lock = threading.Lock()
        self.fail_rules = []
        self.requests = []
        self.log_file = open(request_log_path, "a", encoding="utf-8") if request_log_path else None

    def record(self, method, path, params, body, raw):
        entry = {"method": method, "path": path, "query": params,
                 "body": body.decode("utf-8", "replace") if body else "",
                 "time": round(self.store.now_float(), 3), "raw": raw}
        with self.lock:
            self.requests.append(entry)
            if self.log_file:
                self.log_file.write(json.dumps(entry, ensure_ascii=False) + "\n")
                self.log_file.flush()

    def close(self):
        with self.lock:
            if self.log_file:
                self.log_file.close()
                self.log_file = None

    def take_failure(self, path):
        with self.lock:
            for rule in self.fail_rules:
                if path.startswith(rule.path) and rule.times != 0:
                    if rule.times > 0:
                        rule.times -= 1
                    self.fail_rules = [r for r in self.fail_rules if r.times != 0]
                    return rule
        return None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "Apache"
    emulator = None     # set by make_server
    verbose = False

    def version_string(self):
        return self.server_version

    def log_message(self, fmt, *args):
        if self.verbose:
            super().log_message(fmt, *args)

    def do_GET(self):
        self.handle_any("GET")

    def do_POST(self):
        self.handle_any("POST")

    def do_DELETE(self):
        self.handle_any("DELETE")

    def do_PUT(self):
        self.handle_any("PUT")

    def do_HEAD(self):
        self.handle_any("HEAD")

    # ----- plumbing -----

    def read_body(self):
        length = self.headers.get("Content-Length")
        if length and length.strip().isdigit():
            return self.rfile.read(int(length))
        if "chunked" in (self.headers.get("Transfer-Encoding") or "").lower():
            data = b""
            try:
                while True:
                    size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                    if size == 0:
                        while self.rfile.readline().strip():   # trailers
                            pass
                        return data
                    data += self.rfile.read(size)
                    self.rfile.readline()
            except ValueError:
                self.close_connection = True    # lost track of the stream
                return data
        return b""

    def send(self, status, headers, body, head_only=False):
        self.send_response(status)
        announced = str(len(body))
        for key, value in headers.items():
            if key == "Content-Length":
                announced = value
            else:
                self.send_header(key, value)
        self.send_header("Content-Length", announced)
        self.send_header("Cache-Control", "no-store")
        # Headers and body leave in one write: a second small write on a kept-alive
        # connection waits for the client's delayed acknowledgement (Nagle).
        self._headers_buffer.append(b"\r\n")
        if not head_only:
            self._headers_buffer.append(body)
        self.flush_headers()
        if announced != str(len(body)):
            # Less than announced: the line drops here.
            self.close_connection = True

    def handle_any(self, method):
        emu = self.emulator
        raw = self.path
        body = self.read_body()
        path, params = split_target(raw)
        if path.startswith("/_emulator/") or path == "/_emulator":
            try:
                answer = self.control(method, path, params, body)
            except KeyError as e:
                answer = control_answer({"ok": False, "error": "missing %s" % e}, 400)
            except (StoreError, ValueError, TypeError) as e:
                answer = control_answer({"ok": False, "error": str(e)}, 400)
            self.send(*answer)
            return
        emu.record(method, path, params, body, raw)
        rule = emu.take_failure(path)
        if rule is not None and rule.mode not in ("truncated", "delay"):
            self.send(*self.failure(rule, path))
            return
        if rule is not None and rule.mode == "delay":
            time.sleep(max(0.0, rule.seconds))
        try:
            answer = self.route(method, path, params, body)
        except Exception:  # a fault of the emulator must not look like a dropped line
            traceback.print_exc()
            answer = page("Internal Server Error", "<h1>Internal Server Error</h1>", 500)
        if rule is not None and rule.mode == "truncated":
            status, headers, data = answer
            answer = (status, headers, data[:len(data) // 2])
        self.send(*answer, head_only=(method == "HEAD"))

    def failure(self, rule, path):
        is_fql = path.startswith("/method/")
        if rule.mode in ("error190", "error100"):
            code = 190 if rule.mode == "error190" else 100
            if is_fql:
                msg = "Invalid OAuth 2.0 Access Token" if code == 190 else "Invalid parameter"
                return json_answer({"error_code": code, "error_msg": msg})
            msg = ("Error validating access token." if code == 190
                   else "(#100) Invalid parameter")
            return graph_error(code, msg)
        if rule.mode == "false":
            return 200, {"Content-Type": "text/javascript; charset=UTF-8"}, b"false"
        if rule.mode == "empty":
            return 200, {"Content-Type": "text/javascript; charset=UTF-8"}, b""
        if rule.mode == "garbage":
            return 200, {"Content-Type": "text/javascript; charset=UTF-8"}, os.urandom(300)
        return page("Facebook | Error",
                    "<h1>Sorry, something went wrong.</h1><p>We're working on getting "
                    "this fixed as soon as we can.</p>", 500)

    @property
    def base(self):
        return self.emulator.store.base

    # ----- routing -----

    def route(self, method, path, params, body):
        store = self.emulator.store
        if path == "/method/fql.query":
            return self.fql_query(params)
        if path == "/oauth/authorize":
            return self.authorize(params)
        if path == "/login.php":
            if method == "POST" or "email" in params:
                with store.lock:
                    store.logged_in = True
                    pending = store.pending_authorize
                return redirect(self.base + ("/oauth/authorize?" + pending if pending
                                             else "/home.php"))
            return page("Log In | Facebook",
                        "<h1>Log in</h1><form method=\"post\" action=\"/login.php\">"
                        "<input name=\"email\"><input name=\"pass\" type=\"password\">"
                        "<input type=\"submit\" value=\"Log In\"></form>")
        if path == "/connect/uiserver.php":
            return self.permissions(params)
        if path == "/connect/login_success.html":
            return page("Success", "<p>Success</p>")
        if path == "/logout.php":
            with store.lock:
                store.logged_in = False
            nxt = first(params, "next", "")
            if nxt.startswith(self.base + "/"):
                return redirect(nxt)
            return page("Facebook", "<p>You have been logged out.</p>%s" % (
                "<p><a href=\"%s\">Continue</a></p>" % html.escape(nxt) if nxt else ""))
        if path == "/l.php":
            target = first(params, "u", "")
            if target.startswith(self.base + "/"):
                return redirect(target)
            return page("Leaving Facebook...",
                        "<p>You are leaving Facebook.</p><p><a href=\"%s\">%s</a></p>"
                        % (html.escape(target), html.escape(target)))
        if path.lower() == "/download/orv.ver":
            data = store.current_publication().version
            if data is None:
                return 404, {"Content-Type": "text/html"}, b""
            return 200, {"Content-Type": "application/octet-stream"}, data
        if path.lower() == "/download/orv.exe":
            status, headers, data, announced = store.current_publication().program_answer()
            if announced is not None:
                headers = dict(headers, **{"Content-Length": str(announced)})
            return status, headers, data
        if path.lower() == "/download/orv.exe.sig":
            return store.current_publication().signature_answer()
        if path.startswith("/counter"):
            return 200, {"Content-Type": "image/gif"}, COUNTER_GIF
        if path.startswith("/pictures/"):
            return self.picture(path[len("/pictures/"):])
        if method in ("POST", "DELETE") or (method == "GET" and "access_token" in params
                                              and self.is_graph_object(path)):
            return self.graph(method, path, params, body)
        return self.service_page(path, params)

    @staticmethod
    def is_graph_object(path):
        return re.fullmatch(r"/(me|\d+(_\d+)*)", path) is not None

    # ----- FQL -----

    def fql_query(self, params):
        store = self.emulator.store
        if not store.token_ok(first(params, "access_token")):
            return fql_error(190, "Invalid OAuth 2.0 Access Token", params)
        statement = first(params, "query")
        try:
            rows = store.query(statement or "")
        except fql.FqlError as e:
            return fql_error(e.code, e.message, params)
        return json_answer(rows)

    # ----- Graph -----

    def graph(self, method, path, params, body):
        store = self.emulator.store
        if not store.token_ok(first(params, "access_token")):
            return graph_error(190, "Error validating access token: the session is invalid "
                               "or has expired.")
        parts = path.strip("/").split("/")
        try:
            if len(parts) == 2 and parts[1] == "comments" and method == "POST":
                message = form_message(body, self.headers.get("Content-Type"))
                return json_answer({"id": store.add_comment(parts[0], message)})
            if len(parts) == 2 and parts[1] == "feed" and method == "POST":
                if parts[0] not in ("me", store.me):
                    raise GraphError(100, "(#100) Posting to another profile's feed is "
                                     "not allowed for this application")
                message = form_message(body, self.headers.get("Content-Type"))
                return json_answer({"id": store.add_status(message)})
            if len(parts) == 2 and parts[1] == "likes" and method in ("POST", "DELETE"):
                return json_answer(store.set_like(parts[0], method == "POST"))
            if len(parts) == 1 and method == "GET":
                return json_answer(store.profile(parts[0]))
        except GraphError as e:
            return graph_error(e.code, e.message)
        return graph_error(100, "(#100) Unknown path components: %s" % path)

    # ----- sign-in -----

    def authorize(self, params):
        store = self.emulator.store
        redirect_uri = first(params, "redirect_uri") or (self.base + "/connect/login_success.html")
        if not re.match(r"https?://", redirect_uri):
            return page("Error | Facebook", "<p>Invalid redirect_uri.</p>", 400)
        with store.lock:
            mode = store.signin
            if mode == "login" and not store.logged_in:
                store.pending_authorize = self.query_text()
                return redirect(self.base + "/login.php")
            if mode == "permissions" and not store.granted:
                return redirect(self.base + "/connect/uiserver.php?app_id=%s"
                                "&method=permissions.request&display=page&redirect_uri=%s"
                                "&perms=%s" % (first(params, "client_id", APP_ID),
                                               quote(redirect_uri, safe=""),
                                               quote(first(params, "scope", ""), safe=",")))
        if mode == "denied":
            return redirect(self.with_query(redirect_uri, DENIED_QUERY))
        return self.grant(redirect_uri)

    def query_text(self):
        return self.path.partition("?")[2]

    @staticmethod
    def with_query(uri, query):
        uri = uri.partition("#")[0]
        return uri + ("&" if "?" in uri else "?") + query

    def grant(self, redirect_uri):
        token = self.emulator.store.hand_out_token()
        # the token goes into the fragment as it is, as the service did
        return redirect(redirect_uri.partition("#")[0] + "#access_token=%s&expires_in=0" % token)

    def permissions(self, params):
        store = self.emulator.store
        redirect_uri = first(params, "redirect_uri") or (self.base + "/connect/login_success.html")
        answer = first(params, "grant")
        if answer == "allow":
            with store.lock:
                store.granted = True
            return self.grant(redirect_uri)
        if answer == "deny":
            return redirect(self.with_query(redirect_uri, DENIED_QUERY))
        here = self.path.partition("#")[0]
        return page("Request for Permission",
                    "<h1>Orv is requesting permission to do the following:</h1>"
                    "<p>%s</p><p><a href=\"%s&amp;grant=allow\">Allow</a> "
                    "<a href=\"%s&amp;grant=deny\">Don't Allow</a></p>"
                    % (html.escape(first(params, "perms", "")), html.escape(here),
                       html.escape(here)))

    # ----- files -----

    def picture(self, name):
        store = self.emulator.store
        if not re.fullmatch(r"[A-Za-z0-9_.-]+", name) or name.startswith("."):
            return not_found()
        try:
            with open(os.path.join(store.pictures_dir, name), "rb") as f:
                data = f.read()
        except OSError:
            return not_found()
        kind = {"png": "image/png", "gif": "image/gif", "jpg": "image/jpeg",
                "jpeg": "image/jpeg"}.get(name.rsplit(".", 1)[-1].lower(),
                                          "application/octet-stream")
        return 200, {"Content-Type": kind}, data

    # ----- web pages -----

    def name_of(self, object_id):
        store = self.emulator.store
        with store.lock:
            key = int(object_id) if object_id.isdigit() else object_id
            for table, column in (("user", "uid"), ("page", "page_id"), ("group", "gid"),
                                  ("event", "eid")):
                row = store.db.execute('SELECT name FROM "%s" WHERE "%s" = ?' % (table, column),
                                       (key,)).fetchone()
                if row:
                    return row[0]
        return None

    def service_page(self, path, params):
        store = self.emulator.store
        sections = {"messages": "Messages", "media": "Photos", "events": "Events"}
        title = None
        if path in ("/", "/home.php", "/index.php"):
            sk = first(params, "sk", "")
            if sk.startswith("app_"):
                title = "Photos"
            else:
                title = sections.get(sk, "")
        elif path == "/profile.php":
            title = self.name_of(first(params, "id", store.me)) or "Profile"
        elif path == "/messages" or path == "/messages/":
            title = "Messages"
        elif path.startswith("/messages/"):
            title = "Messages - " + (self.name_of(path.split("/")[2]) or "Conversation")
        elif path == "/pokes":
            title = "Pokes"
        elif path == "/posted.php":
            title = "Posted Items"
        elif path in ("/permalink.php", "/story.php"):
            title = "Post"
        elif path == "/photo.php":
            title = "Photo"
        elif path == "/event.php":
            title = self.name_of(first(params, "eid", "")) or "Event"
        elif path == "/group.php":
            title = self.name_of(first(params, "gid", "")) or "Group"
        elif path.startswith("/pages/"):
            title = self.name_of(path.rstrip("/").rsplit("/", 1)[-1]) or "Page"
        elif path.startswith("/ajax/"):
            return page("Facebook", "")
        if title is None:
            return not_found()
        full = title + " | Facebook" if title else "Facebook"
        return page(full, "<h1>%s</h1><p>%s</p>" % (html.escape(title or "Facebook"),
                                                    html.escape(path)))

    # ----- control interface -----

    def control(self, method, path, params, body):
        emu = self.emulator
        store = emu.store
        call = path[len("/_emulator/"):].strip("/")
        data = None
        if method == "POST":
            try:
                data = json.loads(body.decode("utf-8")) if body.strip() else {}
            except ValueError as e:
                raise StoreError("the body is not JSON: %s" % e)
            if not isinstance(data, dict):
                raise StoreError("the body must be a JSON object")
        ok = {"ok": True}
        if method == "GET" and call == "requests":
            with emu.lock:
                return control_answer(list(emu.requests))
        if method == "GET" and call == "table":
            name = first(params, "name", "")
            return control_answer(store.table_rows(name))
        if method == "GET" and call == "state":
            with store.lock:
                return control_answer({"now": store.now(), "me": store.me,
                                       "token": store.token,
                                       "valid_tokens": sorted(store.valid_tokens),
                                       "signin": store.signin, "logged_in": store.logged_in,
                                       "granted": store.granted, "base": store.base})
        if method != "POST":
            return control_answer({"ok": False, "error": "unknown call %s %s" % (method, path)},
                                  404)
        if call == "scenario":
            store.load(data)
            return control_answer(ok)
        if call == "rows":
            count = store.add_rows(data["table"], data["rows"])
            return control_answer({"ok": True, "count": count})
        if call == "update":
            count = store.update(data["table"], data.get("where", {}), data["set"])
            return control_answer({"ok": True, "count": count})
        if call == "delete":
            count = store.delete(data["table"], data.get("where", {}))
            return control_answer({"ok": True, "count": count})
        if call == "clock":
            if "advance" not in data and "now" not in data:
                raise StoreError('give "advance" or "now"')
            now = store.set_clock(advance=data.get("advance"),
                                  now=store.resolve_time(data.get("now")))
            return control_answer({"ok": True, "now": now})
        if call == "token":
            if data.get("expire"):
                store.expire_tokens()
            if "token" in data:
                if not isinstance(data["token"], str) or not data["token"]:
                    raise StoreError('"token" must be a non-empty string')
                store.set_next_token(data["token"])
            if not data.get("expire") and "token" not in data:
                raise StoreError('give "expire" or "token"')
            return control_answer(ok)
        if call == "fail":
            mode = data.get("mode")
            if mode not in FAIL_MODES:
                raise StoreError('"mode" must be one of ' + ", ".join(FAIL_MODES))
            fail_path = data.get("path", "/")
            if not isinstance(fail_path, str):
                raise StoreError('"path" must be a string')
            times = int(data.get("times", 1))
            seconds = float(data.get("seconds", 0))
            with emu.lock:
                emu.fail_rules.append(FailRule(fail_path, times, mode, seconds))
            return control_answer(ok)
        if call == "publish":
            try:
                publication = Publication.build(
                    data.get("version"), data.get("exe"), data.get("signature", "test"),
                    data.get("delivery", "whole"), os.getcwd())
            except PublishError as e:
                raise StoreError(str(e))
            store.publish(publication)
            return control_answer(dict(ok, **publication.describe()))
        if call == "fail/clear":
            with emu.lock:
                emu.fail_rules = []
            return control_answer(ok)
        if call == "requests/clear":
            with emu.lock:
                emu.requests = []
            return control_answer(ok)
        return control_answer({"ok": False, "error": "unknown call %s" % path}, 404)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def make_server(emulator, port, verbose=False):
    handler = type("BoundHandler", (Handler,), {"emulator": emulator, "verbose": verbose})
    server = Server(("127.0.0.1", port), handler)
    emulator.store.base = "http://127.0.0.1:%d" % server.server_address[1]
    return server
