"""FQL: parse a statement and turn it into one SQLite statement.

The accepted language is the part of FQL the client uses, a little wider:
SELECT col[, col...] FROM table [WHERE cond] [ORDER BY col [ASC|DESC][, ...]]
[LIMIT n | LIMIT offset, n | LIMIT n OFFSET m], where cond combines
comparisons (= == != <> > >= < <=), [NOT] IN (sub-select | value list),
AND, OR, NOT and parentheses; operands are columns, quoted or bare values,
me() and now(). Keywords are case-insensitive.
"""

import re


class FqlError(Exception):
    """A statement the service would refuse; code is the service's error code."""

    def __init__(self, code, message):
        super().__init__(message)
        self.code = code
        self.message = message


PARSER_ERROR = 601
NOT_A_MEMBER = 602

_KEYWORDS = {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "IN", "ORDER",
             "BY", "ASC", "DESC", "LIMIT", "OFFSET"}
_OPERATORS = ("!=", "<>", ">=", "<=", "==", "=", ">", "<")

_TOKEN_RE = re.compile(r"""
    (?P<ws>\s+)
  | (?P<num>-?\d+(?:\.\d+)?)
  | (?P<ident>[A-Za-z_][A-Za-z0-9_.]*)
  | (?P<op>!=|<>|>=|<=|==|=|>|<)
  | (?P<punct>[(),*])
  | (?P<str>'|")
""", re.VERBOSE)


class Token:
    __slots__ = ("kind", "value", "pos")

    def __init__(self, kind, value, pos):
        self.kind = kind      # 'kw', 'ident', 'num', 'str', 'op', 'punct', 'end'
        self.value = value
        self.pos = pos

    def is_kw(self, word):
        return self.kind == "kw" and self.value == word

    def is_punct(self, ch):
        return self.kind == "punct" and self.value == ch


def _unexpected(token):
    if token.kind == "end":
        return FqlError(PARSER_ERROR, "Parser error: unexpected end of query.")
    shown = token.value if token.kind != "str" else "'%s'" % token.value
    return FqlError(PARSER_ERROR, "Parser error: unexpected '%s' at position %d."
                    % (shown, token.pos))


def tokenize(text):
    tokens = []
    i = 0
    n = len(text)
    while i < n:
        m = _TOKEN_RE.match(text, i)
        if not m:
            raise FqlError(PARSER_ERROR, "Parser error: unexpected '%s' at position %d."
                           % (text[i], i))
        kind = m.lastgroup
        if kind == "ws":
            i = m.end()
            continue
        if kind == "str":
            quote = m.group()
            j = m.end()
            out = []
            while True:
                if j >= n:
                    raise FqlError(PARSER_ERROR,
                                   "Parser error: unterminated string at position %d." % i)
                ch = text[j]
                if ch == "\\" and j + 1 < n:
                    out.append(text[j + 1])
                    j += 2
                elif ch == quote:
                    if j + 1 < n and text[j + 1] == quote:
                        out.append(quote)
                        j += 2
                    else:
                        j += 1
                        break
                else:
                    out.append(ch)
                    j += 1
            tokens.append(Token("str", "".join(out), i))
            i = j
            continue
        value = m.group()
        if kind == "ident" and value.upper() in _KEYWORDS:
            tokens.append(Token("kw", value.upper(), i))
        elif kind == "num":
            tokens.append(Token("num", float(value) if "." in value else int(value), i))
        else:
            tokens.append(Token(kind, value, i))
        i = m.end()
    tokens.append(Token("end", None, n))
    return tokens


# Syntax tree: plain tuples.
#   ("select", columns, table, where, order, limit, pos)
#   ("or", [e...]) ("and", [e...]) ("not", e)
#   ("cmp", op, left, right) ("in", operand, select_or_list, negated)
#   ("col", name, pos) ("lit", value) ("me",) ("now",)

class _Parser:
    def __init__(self, text):
        self.tokens = tokenize(text)
        self.i = 0

    def peek(self):
        return self.tokens[self.i]

    def take(self):
        t = self.tokens[self.i]
        if t.kind != "end":
            self.i += 1
        return t

    def expect_kw(self, word):
        t = self.take()
        if not t.is_kw(word):
            raise _unexpected(t)
        return t

    def expect_punct(self, ch):
        t = self.take()
        if not t.is_punct(ch):
            raise _unexpected(t)
        return t

    def statement(self):
        sel = self.select()
        t = self.peek()
        if t.kind != "end":
            raise _unexpected(t)
        return sel

    def select(self):
        start = self.expect_kw("SELECT")
        columns = []
        while True:
            t = self.take()
            if t.is_punct("*"):
                raise FqlError(PARSER_ERROR, "Parser error: SELECT * is not supported.  "
                               "Please manually list the columns you are interested in.")
            if t.kind != "ident":
                raise _unexpected(t)
            columns.append((t.value, t.pos))
            if not self.peek().is_punct(","):
                break
            self.take()
        self.expect_kw("FROM")
        t = self.take()
        if t.kind != "ident":
            raise _unexpected(t)
        table = t.value
        where = None
        order = []
        limit = None
        if self.peek().is_kw("WHERE"):
            self.take()
            where = self.or_expr()
        if self.peek().is_kw("ORDER"):
            self.take()
            self.expect_kw("BY")
            while True:
                t = self.take()
                if t.kind != "ident":
                    raise _unexpected(t)
                desc = False
                if self.peek().is_kw("DESC"):
                    self.take()
                    desc = True
                elif self.peek().is_kw("ASC"):
                    self.take()
                order.append((t.value, t.pos, desc))
                if not self.peek().is_punct(","):
                    break
                self.take()
        if self.peek().is_kw("LIMIT"):
            self.take()
            first = self.number()
            offset, count = 0, first
            if self.peek().is_punct(","):
                self.take()
                offset, count = first, self.number()
            elif self.peek().is_kw("OFFSET"):
                self.take()
                offset = self.number()
            limit = (offset, count)
        return ("select", columns, table, where, order, limit, start.pos)

    def number(self):
        t = self.take()
        if t.kind != "num" or not isinstance(t.value, int) or t.value < 0:
            raise _unexpected(t)
        return t.value

    def or_expr(self):
        parts = [self.and_expr()]
        while self.peek().is_kw("OR"):
            self.take()
            parts.append(self.and_expr())
        return parts[0] if len(parts) == 1 else ("or", parts)

    def and_expr(self):
        parts = [self.not_expr()]
        while self.peek().is_kw("AND"):
            self.take()
            parts.append(self.not_expr())
        return parts[0] if len(parts) == 1 else ("and", parts)

    def not_expr(self):
        if self.peek().is_kw("NOT"):
            self.take()
            return ("not", self.not_expr())
        return self.primary()

    def primary(self):
        t = self.peek()
        if t.is_punct("("):
            self.take()
            inner = self.or_expr()
            self.expect_punct(")")
            return inner
        left = self.operand()
        t = self.peek()
        negated = False
        if t.is_kw("NOT"):
            self.take()
            negated = True
            t = self.peek()
            if not t.is_kw("IN"):
                raise _unexpected(t)
        if t.is_kw("IN"):
            self.take()
            self.expect_punct("(")
            if self.peek().is_kw("SELECT"):
                target = self.select()
            else:
                target = [self.operand()]
                while self.peek().is_punct(","):
                    self.take()
                    target.append(self.operand())
            self.expect_punct(")")
            return ("in", left, target, negated)
        if t.kind == "op":
            self.take()
            right = self.operand()
            op = {"==": "=", "<>": "!="}.get(t.value, t.value)
            return ("cmp", op, left, right)
        raise _unexpected(t)

    def operand(self):
        t = self.take()
        if t.kind in ("str", "num"):
            return ("lit", t.value)
        if t.kind == "ident":
            if self.peek().is_punct("("):
                name = t.value.lower()
                if name not in ("me", "now"):
                    raise FqlError(PARSER_ERROR, "Parser error: unknown function '%s'." % t.value)
                self.take()
                self.expect_punct(")")
                return (name,)
            return ("col", t.value, t.pos)
        raise _unexpected(t)


def parse(text):
    """Parse one statement; raises FqlError."""
    if text is None or not text.strip():
        raise FqlError(PARSER_ERROR, "Parser error: unexpected end of query.")
    return _Parser(text).statement()


def compile_select(tree, schema, me, now):
    """Turn a parsed statement into (sql, params, columns).

    schema(table) gives the table's column names (a collection) or None when
    the table does not exist. columns are the selected names without
    repeats, in the order they were first named.
    """
    params = []
    sql, columns = _compile(tree, schema, me, now, params, top=True)
    return sql, params, columns


def _quote(name):
    return '"%s"' % name


def _compile(tree, schema, me, now, params, top):
    _, columns, table, where, order, limit, _pos = tree
    known = schema(table)
    if known is None:
        raise FqlError(PARSER_ERROR, "Parser error: unknown table '%s'." % table)

    def column(name):
        if name not in known:
            raise FqlError(NOT_A_MEMBER, "%s is not a member of the %s table." % (name, table))
        return _quote(name)

    def operand(node):
        kind = node[0]
        if kind == "col":
            return column(node[1])
        if kind == "lit":
            params.append(node[1])
            return "?"
        if kind == "me":
            params.append(me)
            return "?"
        if kind == "now":
            params.append(now)
            return "?"
        raise AssertionError(kind)

    def cond(node):
        kind = node[0]
        if kind == "or":
            return "(" + " OR ".join(cond(p) for p in node[1]) + ")"
        if kind == "and":
            return "(" + " AND ".join(cond(p) for p in node[1]) + ")"
        if kind == "not":
            return "(NOT " + cond(node[1]) + ")"
        if kind == "cmp":
            return "(%s %s %s)" % (operand(node[2]), node[1], operand(node[3]))
        if kind == "in":
            left = operand(node[1])
            target = node[2]
            if isinstance(target, tuple):
                if len(target[1]) != 1:
                    raise FqlError(PARSER_ERROR,
                                   "Parser error: a sub-select must name exactly one column.")
                inner, _cols = _compile(target, schema, me, now, params, top=False)
            else:
                inner = ", ".join(operand(v) for v in target)
            return "(%s %sIN (%s))" % (left, "NOT " if node[3] else "", inner)
        raise AssertionError(kind)

    names = []
    for name, _p in columns:
        column(name)
        if name not in names:
            names.append(name)
    sql = "SELECT %s FROM %s" % (", ".join(_quote(n) for n in names), _quote(table))
    if where is not None:
        sql += " WHERE " + cond(where)
    keys = ["%s%s" % (column(name), " DESC" if desc else "") for name, _p, desc in order]
    if top:
        keys.append("rowid")  # rows come in the order they were added
    if keys:
        sql += " ORDER BY " + ", ".join(keys)
    if limit is not None:
        sql += " LIMIT %d OFFSET %d" % (limit[1], limit[0])
    return sql, names
