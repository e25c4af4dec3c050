"""The service's data: scenario tables held in SQLite, the clock, the token.

Every public method takes the store's lock, so the HTTP threads can share it.
"""

import json
import os
import re
import sqlite3
import threading
import time

import fql
from downloads import Publication, PublishError

# Column kinds: how a value is stored and how it goes out.
#   int  - ids and times, JSON numbers
#   text - JSON strings (ids given as numbers become strings)
#   url  - strings; "/path" and picture file names get the emulator's address
#   bool - true/false
#   obj  - nested object, {} when the row has none
#   arr  - nested array, [] when the row has none
_T, _I, _U, _B, _O, _A = "text", "int", "url", "bool", "obj", "arr"

SCHEMA = {
    "user": [("uid", _I), ("name", _T), ("first_name", _T), ("last_name", _T),
             ("username", _T), ("profile_url", _U), ("pic_square", _U), ("pic", _U),
             ("pic_small", _U), ("pic_big", _U), ("online_presence", _T),
             ("profile_update_time", _I), ("status", _O), ("current_location", _O),
             ("hometown_location", _O), ("birthday", _T), ("birthday_date", _T),
             ("sex", _T), ("locale", _T), ("is_app_user", _B)],
    "friend": [("uid1", _I), ("uid2", _I)],
    "page": [("page_id", _I), ("name", _T), ("pic_square", _U), ("pic", _U),
             ("pic_small", _U), ("pic_big", _U), ("page_url", _U), ("type", _T),
             ("fan_count", _I)],
    "page_fan": [("uid", _I), ("page_id", _I), ("type", _T), ("created_time", _I)],
    "group": [("gid", _I), ("name", _T), ("pic_small", _U), ("pic", _U), ("pic_big", _U),
              ("description", _T), ("creator", _I), ("update_time", _I)],
    "event": [("eid", _I), ("name", _T), ("pic_small", _U), ("pic", _U), ("pic_big", _U),
              ("description", _T), ("location", _T), ("host", _T), ("creator", _I),
              ("start_time", _I), ("end_time", _I), ("update_time", _I)],
    "status": [("uid", _I), ("status_id", _I), ("message", _T), ("source", _I),
               ("time", _I)],
    "stream": [("post_id", _T), ("viewer_id", _I), ("source_id", _I), ("type", _I),
               ("app_id", _I), ("attribution", _T), ("actor_id", _I), ("target_id", _I),
               ("message", _T), ("description", _T), ("attachment", _O), ("app_data", _O),
               ("action_links", _A), ("comments", _O), ("likes", _O), ("privacy", _O),
               ("permalink", _U), ("created_time", _I), ("updated_time", _I),
               ("filter_key", _T), ("is_hidden", _B)],
    "comment": [("id", _T), ("post_id", _T), ("fromid", _I), ("time", _I), ("text", _T),
                ("likes", _I), ("user_likes", _B), ("can_remove", _B), ("object_id", _I)],
    "like": [("post_id", _T), ("user_id", _I), ("object_id", _I), ("object_type", _T)],
    "notification": [("notification_id", _T), ("sender_id", _I), ("recipient_id", _I),
                     ("created_time", _I), ("updated_time", _I), ("title_html", _T),
                     ("title_text", _T), ("body_html", _T), ("body_text", _T),
                     ("href", _U), ("icon_url", _U), ("app_id", _I), ("is_unread", _I),
                     ("is_hidden", _B), ("object_id", _T), ("object_type", _T)],
    "thread": [("thread_id", _T), ("folder_id", _I), ("subject", _T), ("recipients", _A),
               ("updated_time", _I), ("parent_message_id", _T), ("parent_thread_id", _T),
               ("message_count", _I), ("snippet", _T), ("snippet_author", _I),
               ("object_id", _I), ("unread", _I), ("viewer_id", _I)],
    "message": [("message_id", _T), ("thread_id", _T), ("author_id", _I), ("body", _T),
                ("created_time", _I), ("attachment", _O), ("viewer_id", _I)],
}

# Values a row gets when the scenario leaves the column out; "me" is the
# signed-in user's id.
DEFAULTS = {
    "stream": {"filter_key": "others"},
    "notification": {"recipient_id": "me", "is_unread": 1},
    "thread": {"folder_id": 0, "unread": 0, "parent_thread_id": "0"},
    "comment": {"likes": 0},
}

# Keys inside nested values that hold addresses.
_NESTED_URL_KEYS = {"href", "src", "icon", "url", "picture", "permalink", "pic",
                    "pic_square", "pic_small", "pic_big"}

_SQL_TYPES = {_I: "INTEGER", _B: "INTEGER", _T: "TEXT", _U: "TEXT", _O: "TEXT", _A: "TEXT"}

_RELATIVE_TIME = re.compile(r"^\s*now\s*(?:([+-])\s*(\d+))?\s*$")

DEFAULT_ME = "100000000000001"
DEFAULT_TOKEN = "EMU-TOKEN-1"
SIGNIN_MODES = ("approved", "login", "permissions", "denied")
UPDATE_EXE_MODES = ("valid", "html")


class StoreError(Exception):
    """A malformed control call (bad table, bad body)."""


class GraphError(Exception):
    """A Graph write the service refuses; code is the service's error code."""

    def __init__(self, code, message):
        super().__init__(message)
        self.code = code
        self.message = message


def _is_time_key(key):
    return key == "time" or key.endswith("_time")


class Store:
    def __init__(self, pictures_dir):
        self.lock = threading.RLock()
        self.pictures_dir = pictures_dir
        self.clock_offset = 0.0
        self.base = "http://127.0.0.1"
        self.db = None
        self.load({})

    # ----- clock -----

    def now(self):
        return int(time.time() + self.clock_offset)

    def now_float(self):
        return time.time() + self.clock_offset

    def set_clock(self, advance=None, now=None):
        with self.lock:
            if now is not None:
                self.clock_offset = float(now) - time.time()
            if advance is not None:
                self.clock_offset += float(advance)
            return self.now()

    def resolve_time(self, value):
        """"now-3600" style values to seconds; anything else unchanged."""
        if isinstance(value, str):
            m = _RELATIVE_TIME.match(value)
            if m:
                delta = int(m.group(2) or 0)
                return self.now() + (-delta if m.group(1) == "-" else delta)
        return value

    def _resolve_nested(self, value):
        if isinstance(value, dict):
            return {k: (self.resolve_time(v) if _is_time_key(k) and not isinstance(v, (dict, list))
                        else self._resolve_nested(v)) for k, v in value.items()}
        if isinstance(value, list):
            return [self._resolve_nested(v) for v in value]
        return value

    # ----- scenario -----

    def load(self, scenario):
        """Replace all data and settings with a scenario object."""
        if not isinstance(scenario, dict):
            raise StoreError("a scenario is a JSON object")
        with self.lock:
            saved = {k: v for k, v in self.__dict__.items() if k != "lock"}
            try:
                return self._load(scenario)
            except Exception:
                self.__dict__.update(saved)
                raise

    def _load(self, scenario):
        me = scenario.get("me", DEFAULT_ME)
        if isinstance(me, int) and not isinstance(me, bool):
            me = str(me)
        if not isinstance(me, str) or not me:
            raise StoreError('"me" must be a string of digits')
        signin = scenario.get("signin", "approved")
        if signin not in SIGNIN_MODES:
            raise StoreError('"signin" must be one of ' + ", ".join(SIGNIN_MODES))
        token = scenario.get("token", DEFAULT_TOKEN)
        if not isinstance(token, str) or not token:
            raise StoreError('"token" must be a non-empty string')
        version = scenario.get("published_version")
        if version is not None and not isinstance(version, (int, str)) or isinstance(version, bool):
            raise StoreError('"published_version" must be a number')
        if isinstance(version, str) and not re.fullmatch(r"(?:[0-9A-Fa-f]{2})*", version):
            raise StoreError('"published_version" as a string holds raw bytes in hex')
        # A scenario's program is unsigned unless it says otherwise: the demo must never
        # get a stand-in installed.
        try:
            publication = Publication.build(version, scenario.get("update_exe"),
                                            scenario.get("update_signature", "none"),
                                            scenario.get("update_delivery", "whole"),
                                            scenario.get("_dir"))
        except PublishError as e:
            raise StoreError(str(e))

        db = sqlite3.connect(":memory:", check_same_thread=False, isolation_level=None)
        self.db = db
        self.columns = {}
        for table, cols in SCHEMA.items():
            self.columns[table] = dict(cols)
            db.execute("CREATE TABLE %s (%s)" % (
                _q(table), ", ".join("%s %s" % (_q(c), _SQL_TYPES[k]) for c, k in cols)))
        self.me = me
        self.signin = signin
        self.token = token              # handed out at the next sign-in
        self.valid_tokens = {token}
        self.token_serial = 1
        self.logged_in = False
        self.granted = False
        self.pending_authorize = ""
        self.publication = publication
        self.scenario_dir = scenario.get("_dir")
        self.serial = 9000000
        for table in SCHEMA:
            rows = scenario.get(table)
            if rows is not None:
                self._insert(table, rows)
        return True

    def _table(self, table):
        if table not in SCHEMA:
            raise StoreError("unknown table %r" % (table,))
        return table

    def _kind(self, table, column, sample):
        kind = self.columns[table].get(column)
        if kind is None:
            if not re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", column):
                raise StoreError("bad column name %r" % (column,))
            if isinstance(sample, bool):
                kind = _B
            elif isinstance(sample, int):
                kind = _I
            elif isinstance(sample, dict):
                kind = _O
            elif isinstance(sample, list):
                kind = _A
            else:
                kind = _T
            self.db.execute("ALTER TABLE %s ADD COLUMN %s %s" % (_q(table), _q(column),
                                                                  _SQL_TYPES[kind]))
            self.columns[table][column] = kind
        return kind

    def _to_sql(self, table, column, value):
        """A scenario value to what the column stores."""
        kind = self._kind(table, column, value)
        if value is None:
            return None
        if _is_time_key(column):
            value = self.resolve_time(value)
        if kind == _I:
            if isinstance(value, bool):
                return int(value)
            if isinstance(value, str) and re.fullmatch(r"-?\d+", value.strip()):
                return int(value)
            return value if isinstance(value, (int, float, str)) else json.dumps(value)
        if kind == _B:
            if isinstance(value, str):
                return 0 if value.strip().lower() in ("", "0", "false") else 1
            return 1 if value else 0
        if kind in (_O, _A):
            value = self._resolve_nested(value)
            if kind == _A and isinstance(value, list):
                value = [_as_id(v) for v in value]
            return json.dumps(value, ensure_ascii=False, separators=(",", ":"))
        if isinstance(value, (dict, list)):
            return json.dumps(value, ensure_ascii=False)
        if isinstance(value, bool):
            return "true" if value else "false"
        return str(value) if not isinstance(value, str) else value

    def _row_values(self, table, row):
        if not isinstance(row, dict):
            raise StoreError("a row is a JSON object")
        values = {}
        for column, value in row.items():
            values[column] = self._to_sql(table, column, value)
        for column, value in DEFAULTS.get(table, {}).items():
            if column not in row:
                values[column] = self._to_sql(table, column, self.me if value == "me" else value)
        for column, kind in self.columns[table].items():
            if column not in row and column not in values:
                if kind == _O:
                    values[column] = "{}"
                elif kind == _A:
                    values[column] = "[]"
        return values

    def _insert(self, table, rows):
        self._table(table)
        if not isinstance(rows, list):
            raise StoreError("rows of %s must be a list" % table)
        count = 0
        for row in rows:
            values = self._row_values(table, row)
            self._insert_values(table, values)
            count += 1
            if table == "friend":
                # friendship goes both ways
                a, b = values.get("uid1"), values.get("uid2")
                if a is not None and b is not None and a != b:
                    exists = self.db.execute(
                        'SELECT 1 FROM "friend" WHERE uid1=? AND uid2=?', (b, a)).fetchone()
                    if not exists:
                        self._insert_values(table, {"uid1": b, "uid2": a})
        return count

    def _insert_values(self, table, values):
        cols = list(values)
        if not cols:
            self.db.execute("INSERT INTO %s DEFAULT VALUES" % _q(table))
            return
        self.db.execute("INSERT INTO %s (%s) VALUES (%s)" % (
            _q(table), ", ".join(_q(c) for c in cols), ", ".join("?" for _ in cols)),
            [values[c] for c in cols])

    def _atomic(self, action, *args):
        """Run a change whole or not at all."""
        with self.lock:
            columns = {t: dict(c) for t, c in self.columns.items()}
            self.db.execute("SAVEPOINT change")
            try:
                result = action(*args)
            except Exception:
                self.db.execute("ROLLBACK TO change")
                self.db.execute("RELEASE change")
                self.columns = columns
                raise
            self.db.execute("RELEASE change")
            return result

    def add_rows(self, table, rows):
        return self._atomic(self._insert, table, rows)

    def _where(self, table, where):
        if not isinstance(where, dict):
            raise StoreError('"where" must be an object')
        parts, params = [], []
        for column, value in where.items():
            if column not in self.columns[table]:
                raise StoreError("%s is not a column of %s" % (column, table))
            if value is None:
                parts.append("%s IS NULL" % _q(column))
            else:
                parts.append("%s = ?" % _q(column))
                params.append(self._to_sql(table, column, value))
        return (" WHERE " + " AND ".join(parts)) if parts else "", params

    def update(self, table, where, changes):
        return self._atomic(self._update, table, where, changes)

    def _update(self, table, where, changes):
        self._table(table)
        if not isinstance(changes, dict) or not changes:
            raise StoreError('"set" must be a non-empty object')
        clause, params = self._where(table, where)
        values = {c: self._to_sql(table, c, v) for c, v in changes.items()}
        cur = self.db.execute("UPDATE %s SET %s%s" % (
            _q(table), ", ".join("%s = ?" % _q(c) for c in values), clause),
            list(values.values()) + params)
        return cur.rowcount

    def delete(self, table, where):
        return self._atomic(self._delete, table, where)

    def _delete(self, table, where):
        self._table(table)
        clause, params = self._where(table, where)
        if table == "friend":
            gone = self.db.execute('SELECT uid1, uid2 FROM "friend"' + clause,
                                   params).fetchall()
            count = 0
            for a, b in gone:
                count += self.db.execute(
                    'DELETE FROM "friend" WHERE (uid1=? AND uid2=?) OR (uid1=? AND uid2=?)',
                    (a, b, b, a)).rowcount
            return count
        return self.db.execute("DELETE FROM %s%s" % (_q(table), clause), params).rowcount

    def table_rows(self, table):
        """Every row of a table as the service would send it (all columns)."""
        with self.lock:
            self._table(table)
            cols = list(self.columns[table])
            cur = self.db.execute("SELECT %s FROM %s ORDER BY rowid" % (
                ", ".join(_q(c) for c in cols), _q(table)))
            return [self._out_row(table, cols, r) for r in cur.fetchall()]

    # ----- queries -----

    def me_value(self):
        return int(self.me) if self.me.isdigit() else self.me

    def query(self, statement):
        """Run an FQL statement; a list of row dicts. Raises fql.FqlError."""
        tree = fql.parse(statement)
        with self.lock:
            def schema(table):
                cols = self.columns.get(table)
                return None if cols is None else cols
            sql, params, names = fql.compile_select(tree, schema, self.me_value(), self.now())
            try:
                cur = self.db.execute(sql, params)
            except sqlite3.Error as e:
                raise fql.FqlError(fql.PARSER_ERROR, "Parser error: %s." % e)
            table = tree[2]
            return [self._out_row(table, names, r) for r in cur.fetchall()]

    def _out_row(self, table, names, values):
        row = {}
        for name, value in zip(names, values):
            row[name] = self._out_value(self.columns[table][name], value)
        return row

    def _out_value(self, kind, value):
        if value is None:
            return None
        if kind == _I:
            return value
        if kind == _B:
            return bool(value)
        if kind in (_O, _A):
            try:
                nested = json.loads(value)
            except (TypeError, ValueError):
                return value
            return self._expand_nested(nested)
        if kind == _U:
            return self.expand_url(str(value))
        return str(value)

    def _expand_nested(self, value):
        if isinstance(value, dict):
            return {k: (self.expand_url(v) if k in _NESTED_URL_KEYS and isinstance(v, str)
                        else self._expand_nested(v)) for k, v in value.items()}
        if isinstance(value, list):
            return [self._expand_nested(v) for v in value]
        return value

    def expand_url(self, value):
        """Paths and picture names become addresses on this server."""
        if value.startswith("/") and not value.startswith("//"):
            return self.base + value
        if value and re.fullmatch(r"[A-Za-z0-9_.-]+", value) and "." in value \
                and os.path.isfile(os.path.join(self.pictures_dir, value)):
            return self.base + "/pictures/" + value
        return value

    # ----- tokens and sign-in -----

    def token_ok(self, token):
        with self.lock:
            return token is not None and token in self.valid_tokens

    def hand_out_token(self):
        with self.lock:
            self.valid_tokens.add(self.token)
            return self.token

    def expire_tokens(self):
        with self.lock:
            self.valid_tokens.clear()
            # the next sign-in gets a fresh one, as the service would give
            self.token_serial += 1
            base = re.sub(r"-\d+$", "", self.token)
            self.token = "%s-%d" % (base, self.token_serial)

    def set_next_token(self, token):
        with self.lock:
            self.token = token

    # ----- Graph writes -----

    def _next_id(self):
        self.serial += 1
        return self.serial

    def _stream_row(self, post_id):
        cur = self.db.execute('SELECT rowid, likes, comments FROM "stream" WHERE post_id = ?',
                              (post_id,))
        return cur.fetchone()

    def add_comment(self, post_id, text):
        with self.lock:
            if not text:
                raise GraphError(100, "(#100) Missing message or attachment")
            row = self._stream_row(post_id)
            if row is None:
                raise GraphError(100, "(#100) Invalid parameter: unknown object %s" % post_id)
            rowid, _likes, comments = row
            now = self.now()
            comment_id = "%s_%d" % (post_id, self._next_id())
            self._insert("comment", [{"id": comment_id, "post_id": post_id,
                                      "fromid": self.me, "time": now, "text": text,
                                      "likes": 0, "user_likes": False, "can_remove": True}])
            c = _load_obj(comments)
            c["count"] = int(c.get("count") or 0) + 1
            c.setdefault("can_post", True)
            self.db.execute('UPDATE "stream" SET comments = ?, updated_time = ? WHERE rowid = ?',
                            (json.dumps(c, ensure_ascii=False), now, rowid))
            return comment_id

    def add_status(self, text):
        with self.lock:
            if not text:
                raise GraphError(100, "(#100) Missing message or attachment")
            now = self.now()
            status_id = self._next_id()
            post_id = "%s_%d" % (self.me, status_id)
            self._insert("stream", [{
                "post_id": post_id, "viewer_id": self.me, "source_id": self.me,
                "actor_id": self.me, "type": 46, "message": text, "created_time": now,
                "updated_time": now, "permalink": "/permalink.php?story_fbid=%d&id=%s"
                % (status_id, self.me),
                "comments": {"count": 0, "can_post": True},
                "likes": {"count": 0, "user_likes": False, "can_like": True}}])
            self._insert("status", [{"uid": self.me, "status_id": status_id, "message": text,
                                     "source": 271828182845904, "time": now}])
            status = json.dumps({"message": text, "time": now, "status_id": status_id},
                                ensure_ascii=False)
            self.db.execute('UPDATE "user" SET status = ?, profile_update_time = ? '
                            'WHERE uid = ?', (status, now, self.me_value()))
            return post_id

    def set_like(self, object_id, liked):
        """Like or unlike a post or a comment as the signed-in user."""
        with self.lock:
            me = self.me_value()
            row = self._stream_row(object_id)
            if row is not None:
                rowid, likes, _comments = row
                exists = self.db.execute('SELECT 1 FROM "like" WHERE post_id = ? AND user_id = ?',
                                         (object_id, me)).fetchone()
                lk = _load_obj(likes)
                count = int(lk.get("count") or 0)
                if liked and not exists:
                    self._insert("like", [{"post_id": object_id, "user_id": self.me}])
                    count += 1
                elif not liked and exists:
                    self.db.execute('DELETE FROM "like" WHERE post_id = ? AND user_id = ?',
                                    (object_id, me))
                    count = max(0, count - 1)
                lk["count"] = count
                lk["user_likes"] = bool(liked)
                lk.setdefault("can_like", True)
                self.db.execute('UPDATE "stream" SET likes = ? WHERE rowid = ?',
                                (json.dumps(lk, ensure_ascii=False), rowid))
                return True
            row = self.db.execute('SELECT rowid, likes, user_likes FROM "comment" WHERE id = ?',
                                  (object_id,)).fetchone()
            if row is not None:
                rowid, count, user_likes = row
                count = int(count or 0)
                if liked and not user_likes:
                    count += 1
                elif not liked and user_likes:
                    count = max(0, count - 1)
                self.db.execute('UPDATE "comment" SET likes = ?, user_likes = ? WHERE rowid = ?',
                                (count, 1 if liked else 0, rowid))
                return True
            raise GraphError(100, "(#100) Invalid parameter: unknown object %s" % object_id)

    def profile(self, object_id):
        """A small Graph object for GET /{id}: users, pages, posts."""
        with self.lock:
            oid = self.me if object_id == "me" else object_id
            key = int(oid) if oid.isdigit() else oid
            r = self.db.execute('SELECT uid, name FROM "user" WHERE uid = ?', (key,)).fetchone()
            if r is None:
                r = self.db.execute('SELECT page_id, name FROM "page" WHERE page_id = ?',
                                    (key,)).fetchone()
            if r is not None:
                return {"id": str(r[0]), "name": r[1]}
            r = self.db.execute('SELECT post_id, message, actor_id FROM "stream" '
                                'WHERE post_id = ?', (oid,)).fetchone()
            if r is not None:
                return {"id": r[0], "message": r[1], "from": {"id": str(r[2])}}
            raise GraphError(100, "(#100) Invalid parameter: unknown object %s" % object_id)

    # ----- downloads -----

    def publish(self, publication):
        with self.lock:
            self.publication = publication

    def current_publication(self):
        with self.lock:
            return self.publication


def _q(name):
    return '"%s"' % name


def _as_id(value):
    if isinstance(value, str) and re.fullmatch(r"\d+", value):
        return int(value)
    return value


def _load_obj(text):
    try:
        value = json.loads(text) if text else {}
    except ValueError:
        value = {}
    return value if isinstance(value, dict) else {}
