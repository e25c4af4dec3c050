#include "net/json_reader.h"

#include <algorithm>
#include <cstring>

#include "base/format_text.h"

// Nodes, names and values live in one arena per tree: a refresh parses answers of a
// megabyte, and one allocation per string would dominate the parse.
struct JsonTree::Arena {
    static constexpr size_t BlockSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks;
    char* cursor = nullptr;
    size_t left = 0;

    void* allocate(size_t size, size_t align) {
        size_t pad = (align - reinterpret_cast<uintptr_t>(cursor) % align) % align;
        if (!cursor || pad + size > left) {
            size_t blockSize = size + align > BlockSize ? size + align : BlockSize;
            blocks.emplace_back(new char[blockSize]);
            cursor = blocks.back().get();
            left = blockSize;
            pad = (align - reinterpret_cast<uintptr_t>(cursor) % align) % align;
        }
        void* p = cursor + pad;
        cursor += pad + size;
        left -= pad + size;
        return p;
    }

    // Returns the unused end of the allocation just made.
    void giveBack(size_t bytes) {
        cursor -= bytes;
        left += bytes;
    }
};

JsonTree::JsonTree() = default;
JsonTree::~JsonTree() = default;
JsonTree::JsonTree(JsonTree&&) noexcept = default;
JsonTree& JsonTree::operator=(JsonTree&&) noexcept = default;

namespace {

bool IsBracket(char c) { return c == '[' || c == ']' || c == '{' || c == '}'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Length in bytes of a valid UTF-8 sequence at p (of at most `left` bytes), else 0.
size_t Utf8Length(const unsigned char* p, size_t left, uint32_t& cp) {
    unsigned char b = p[0];
    size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || n > left) return 0;
    cp = n == 2 ? b & 0x1Fu : n == 3 ? b & 0x0Fu : b & 0x07u;
    for (size_t k = 1; k < n; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[k] & 0x3Fu);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}

// Writes the unescaped token to `out` (room for token.size() units) and returns its length.
size_t Unescape(std::string_view token, char16_t* out) {
    size_t plain = 0;
    while (plain < token.size() && token[plain] != '\\' && static_cast<unsigned char>(token[plain]) < 0x80) {
        out[plain] = static_cast<char16_t>(token[plain]);
        ++plain;
    }
    if (plain == token.size()) return plain;
    size_t n = plain;
    const auto* p = reinterpret_cast<const unsigned char*>(token.data());
    size_t size = token.size();
    size_t i = plain;
    while (i < size) {
        unsigned char c = p[i];
        if (c != '\\') {
            uint32_t cp;
            size_t len = c >= 0x80 ? Utf8Length(p + i, size - i, cp) : 0;
            if (len == 0) {
                out[n++] = c;
                ++i;
            } else if (cp >= 0x10000) {
                out[n++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                out[n++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
                i += len;
            } else {
                out[n++] = static_cast<char16_t>(cp);
                i += len;
            }
            continue;
        }
        if (++i >= size) break;  // a lone backslash at the end is dropped
        char e = static_cast<char>(p[i]);
        if (e == 'n') {
            out[n++] = u' ';
            ++i;
        } else if (e == 't') {
            out[n++] = u'\t';
            ++i;
        } else if (e == 'u') {
            ++i;
            size_t end = i + 4 < size ? i + 4 : size;  // never past the token's end
            uint32_t value = 0;
            for (size_t k = i; k < end; ++k) {
                int h = HexValue(static_cast<char>(p[k]));
                if (h < 0) break;
                value = value * 16 + static_cast<uint32_t>(h);
            }
            out[n++] = static_cast<char16_t>(value);
            i = end;
        } else {
            out[n++] = static_cast<unsigned char>(e);  // \" \\ \/ and any other: the byte itself
            ++i;
        }
    }
    return n;
}

}  // namespace

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : text_(text), tree_() {
        size_t nul = text.find('\0');
        if (nul != std::string_view::npos) text_ = text.substr(0, nul);
        tree_.arena_ = std::make_unique<JsonTree::Arena>();
        token_.reserve(256);
    }

    JsonTree run() {
        tree_.first_ = parseLevel(0, 0, std::string_view());
        return std::move(tree_);
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    JsonTree tree_;
    std::string token_;
    std::string_view lastPath_;

    // The byte at the cursor; the end reads as NUL and the cursor never moves past it.
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    // Reads one token into token_; returns whether it was a quoted string.
    bool nextToken() {
        token_.clear();
        bool quoted = false, bare = false, wasQuoted = false;
        bool escapeNext = false;
        for (;;) {
            if (pos_ >= text_.size()) break;  // NUL: the token ends
            if (quoted && !escapeNext) {
                // Inside a string every byte up to a quote or backslash is plain.
                size_t end = pos_;
                while (end < text_.size() && text_[end] != '"' && text_[end] != '\\') ++end;
                if (end > pos_) {
                    size_t room = JsonTokenLimit - std::min(token_.size(), JsonTokenLimit);
                    token_.append(text_.data() + pos_, std::min(room, end - pos_));
                    pos_ = end;
                    continue;
                }
            }
            char c = text_[pos_++];
            bool escaped = escapeNext;
            escapeNext = c == '\\' && !escaped;
            if (c == '"' && !escaped) {
                if (quoted) break;
                quoted = true;
                wasQuoted = true;
                bare = false;
                continue;
            }
            if (c == ',' && !quoted) {
                if (bare) break;
                continue;
            }
            if (c == ':' && !quoted) {
                bare = true;
                continue;
            }
            if (IsBracket(c) && !quoted) {
                if (token_.empty()) {
                    token_.push_back(c);
                    break;
                }
                --pos_;  // read the bracket again as the next token
                break;
            }
            if (token_.empty() && !quoted) {
                bare = true;
                token_.push_back(c);
                continue;
            }
            if ((quoted || bare) && token_.size() < JsonTokenLimit) token_.push_back(c);
        }
        return wasQuoted;
    }

    std::string_view copyBytes(std::string_view s) {
        if (s.empty()) return {};
        char* p = static_cast<char*>(tree_.arena_->allocate(s.size(), 1));
        std::memcpy(p, s.data(), s.size());
        return {p, s.size()};
    }

    std::string_view makeName(std::string_view path, std::string_view key) {
        bool dot = !path.empty() && !key.empty();
        size_t size = std::min(path.size() + dot + key.size(), JsonNameLimit);
        if (size == 0) return {};
        if (key.empty()) return lastPath(path);  // the path is never longer than a name
        char* p = static_cast<char*>(tree_.arena_->allocate(size, 1));
        size_t n = std::min(path.size(), size);
        if (n > 0) std::memcpy(p, path.data(), n);
        if (dot && n < size) p[n++] = '.';
        if (n < size) std::memcpy(p + n, key.data(), size - n);
        return {p, size};
    }

    // Elements of an array all carry the array's name: store it once per level.
    std::string_view lastPath(std::string_view path) {
        if (path != lastPath_) lastPath_ = copyBytes(path);
        return lastPath_;
    }

    JsonValue* appendNode(JsonValue*& first, JsonValue*& last, std::string_view name) {
        auto* node = new (tree_.arena_->allocate(sizeof(JsonValue), alignof(JsonValue))) JsonValue();
        node->name = name;
        node->prev = last;
        if (last) last->next = node;
        else first = node;
        last = node;
        return node;
    }

    void setValue(JsonValue* node, std::string_view token) {
        if (token.empty() || token == "null" || token == "(null)") return;
        node->raw = copyBytes(token);
        auto* p = static_cast<char16_t*>(tree_.arena_->allocate(token.size() * sizeof(char16_t), alignof(char16_t)));
        size_t n = Unescape(token, p);
        tree_.arena_->giveBack((token.size() - n) * sizeof(char16_t));
        if (n > 0) node->text = {p, n};
    }

    // Reads over a container nested too deep, keeping nothing of it.
    void skipContainer() {
        int open = 1;
        while (open > 0 && pos_ < text_.size()) {
            bool quoted = nextToken();
            if (quoted || token_.size() != 1) continue;
            if (token_[0] == '[' || token_[0] == '{') ++open;
            else if (token_[0] == ']' || token_[0] == '}') --open;
        }
    }

    JsonValue* parseLevel(int depth, char context, std::string_view parentName) {
        // The parent's name lives in the arena, so the path needs no copy; the key
        // outlives the token buffer, so it gets a small one of its own.
        std::string_view path = parentName.substr(0, JsonParentNameLimit);
        char keyBuffer[JsonKeyLimit];
        std::string_view key;
        JsonValue* first = nullptr;
        JsonValue* last = nullptr;
        if (peek() == '\0') return nullptr;
        enum { None, Value, Container } pending = None;
        for (;;) {
            bool quoted = nextToken();
            if (!quoted) {
                if (token_ == "[") {
                    if (depth > 0) pending = Container;
                } else if (token_ == "]" || token_ == "}") {
                    return first;
                } else if (token_ == "{") {
                    context = 0;
                    pending = Container;
                } else if (context == '[') {
                    pending = Value;
                }
            }
            if (pending == Value) {
                JsonValue* node = appendNode(first, last, makeName(path, key));
                setValue(node, token_);
                pending = None;
            } else if (pending == Container) {
                char bracket = token_[0];
                JsonValue* node = appendNode(first, last, makeName(path, key));
                if (depth + 1 < JsonDepthLimit) node->children = parseLevel(depth + 1, bracket, node->name);
                else skipContainer();
                token_.assign(1, bracket);
                pending = None;
            }
            if (peek() == ':') {
                size_t keySize = std::min(token_.size(), JsonKeyLimit);
                std::memcpy(keyBuffer, token_.data(), keySize);
                key = std::string_view(keyBuffer, keySize);
                pending = Value;
            }
            if (peek() == '\0') return first;
        }
    }
};

JsonTree ParseJson(std::string_view text) { return JsonParser(text).run(); }

const JsonValue* FindJsonNode(const JsonValue* list, std::string_view name) {
    for (const JsonValue* n = list; n; n = n->next) {
        if (n->name == name) return n;
        if (n->children)
            if (const JsonValue* found = FindJsonNode(n->children, name)) return found;
    }
    return nullptr;
}

int32_t JsonAtoi(std::string_view raw) {
    size_t i = 0;
    while (i < raw.size() && (raw[i] == ' ' || (raw[i] >= '\t' && raw[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < raw.size() && (raw[i] == '+' || raw[i] == '-')) negative = raw[i++] == '-';
    uint32_t value = 0;
    for (; i < raw.size() && raw[i] >= '0' && raw[i] <= '9'; ++i) value = value * 10 + static_cast<uint32_t>(raw[i] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

JsonResult GetJsonValue(const JsonValue* list, std::string_view name, JsonKind kind) {
    JsonResult result;
    const JsonValue* node = FindJsonNode(list, name);
    switch (kind) {
    case JSON_TEXT:
        if (node && !node->raw.empty()) {
            result.found = true;
            result.text.assign(node->text);
        }
        break;
    case JSON_INT:
        result.number = node ? JsonAtoi(node->raw) : 0;
        break;
    case JSON_BOOL:
        result.number = node && !node->raw.empty() && node->raw != "false" ? 1 : 0;
        break;
    }
    return result;
}

std::u16string_view GetJsonTextView(const JsonValue* list, std::string_view name) {
    const JsonValue* node = FindJsonNode(list, name);
    return node && !node->raw.empty() ? node->text : std::u16string_view();
}

std::u16string GetJsonText(const JsonValue* list, std::string_view name) {
    return std::u16string(GetJsonTextView(list, name));
}

int32_t GetJsonInt(const JsonValue* list, std::string_view name) {
    return GetJsonValue(list, name, JSON_INT).number;
}

int32_t GetJsonBool(const JsonValue* list, std::string_view name) {
    return GetJsonValue(list, name, JSON_BOOL).number;
}

std::u16string UnescapeJsonString(std::string_view token) {
    std::u16string out(token.size(), u'\0');
    out.resize(Unescape(token, out.data()));
    return out;
}
