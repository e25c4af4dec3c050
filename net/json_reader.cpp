#include "net/json_reader.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/format_text.h"

namespace {
// Blocks of freed trees wait here for the next parse: the worker parses one answer
// after another, and memory fresh from the system costs a page fault per page.
constexpr size_t ArenaBlockSize = 64 * 1024;
constexpr size_t SpareBlockLimit = 64;  // 4 MB, what a 1 MB answer needs
// The largest single allocation is one token's text.
static_assert(JsonTokenLimit * sizeof(char16_t) + 16 < ArenaBlockSize, "a token fits a block");

struct SpareBlocks {
    std::mutex lock;
    std::vector<std::unique_ptr<char[]>> blocks;
};

SpareBlocks& Spares() {
    static SpareBlocks* spares = new SpareBlocks();  // never destroyed: trees may outlive statics
    return *spares;
}

std::unique_ptr<char[]> TakeBlock() {
    SpareBlocks& spares = Spares();
    {
        std::lock_guard<std::mutex> hold(spares.lock);
        if (!spares.blocks.empty()) {
            std::unique_ptr<char[]> block = std::move(spares.blocks.back());
            spares.blocks.pop_back();
            return block;
        }
    }
    return std::unique_ptr<char[]>(new char[ArenaBlockSize]);
}
}  // namespace

// Nodes, names and values live in one arena per tree: a refresh parses answers of a
// megabyte, and one allocation per string would dominate the parse.
struct JsonArena {
    std::vector<std::unique_ptr<char[]>> blocks;  // ArenaBlockSize each
    char* cursor = nullptr;
    size_t left = 0;

    JsonArena() = default;
    JsonArena(const JsonArena&) = delete;
    JsonArena& operator=(const JsonArena&) = delete;
    ~JsonArena() {
        SpareBlocks& spares = Spares();
        std::lock_guard<std::mutex> hold(spares.lock);
        for (auto& block : blocks) {
            if (spares.blocks.size() >= SpareBlockLimit) break;
            spares.blocks.push_back(std::move(block));
        }
    }

    void* allocate(size_t size, size_t align) {
        size_t pad = (align - reinterpret_cast<uintptr_t>(cursor) % align) % align;
        if (!cursor || pad + size > left) {
            blocks.push_back(TakeBlock());
            cursor = blocks.back().get();
            left = ArenaBlockSize;
            pad = (align - reinterpret_cast<uintptr_t>(cursor) % align) % align;
        }
        void* p = cursor + pad;
        cursor += pad + size;
        left -= pad + size;
        return p;
    }

    // Returns the unused end of the allocation just made from the current block.
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

constexpr int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hex digit values by byte, 0x10 for any other byte.
struct HexTable {
    uint8_t value[256];
    constexpr HexTable() : value() {
        for (int c = 0; c < 256; ++c) {
            const int h = HexValue(static_cast<char>(c));
            value[c] = static_cast<uint8_t>(h < 0 ? 0x10 : h);
        }
    }
};
constexpr HexTable HexDigits;

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

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "Unescape reads eight bytes as one little-endian word"
#endif

// The bytes of a word that need decoding (a backslash, or 0x80 and above), each marked
// by its high bit; the lowest mark is exact, those above it may be false.
uint64_t SpecialBytes(uint64_t w) {
    constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const uint64_t x = w ^ (ones * '\\');
    return (w | ((x - ones) & ~x)) & highs;
}

// Widens eight plain bytes to eight units.
inline void WidenEight(const unsigned char* from, char16_t* to) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
#else
    to[0] = from[0], to[1] = from[1], to[2] = from[2], to[3] = from[3];
    to[4] = from[4], to[5] = from[5], to[6] = from[6], to[7] = from[7];
#endif
}

// Writes the unescaped token to `out` (room for token.size() units) and returns its length.
size_t Unescape(std::string_view token, char16_t* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(token.data());
    const size_t size = token.size();
    size_t n = 0;
    size_t i = 0;
    while (i < size) {
        unsigned char c = p[i];
        if (c < 0x80 && c != '\\') {
            // Plain bytes eight at a time, up to the next one that needs decoding. All
            // eight are written: out never runs ahead of the token, so they fit.
            if (i + 8 <= size) {
                uint64_t w;
                std::memcpy(&w, p + i, 8);
                const uint64_t special = SpecialBytes(w);
                const size_t plain = special ? static_cast<size_t>(__builtin_ctzll(special)) / 8 : 8;
                WidenEight(p + i, out + n);
                n += plain;
                i += plain;
            } else {
                out[n++] = c;
                ++i;
            }
            continue;
        }
        if (c != '\\') {
            uint32_t cp;
            size_t len = Utf8Length(p + i, size - i, cp);
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
        if (e == 'u') {  // the common one in texts
            ++i;
            if (i + 4 <= size) {  // texts hold many of these: four digits at once
                const uint32_t a = HexDigits.value[p[i]], b = HexDigits.value[p[i + 1]],
                               c2 = HexDigits.value[p[i + 2]], d = HexDigits.value[p[i + 3]];
                if (((a | b | c2 | d) & 0x10) == 0) {
                    out[n++] = static_cast<char16_t>(a << 12 | b << 8 | c2 << 4 | d);
                    i += 4;
                    continue;
                }
            }
            size_t end = i + 4 < size ? i + 4 : size;  // never past the token's end
            uint32_t value = 0;
            for (size_t k = i; k < end; ++k) {
                int h = HexValue(static_cast<char>(p[k]));
                if (h < 0) break;
                value = value * 16 + static_cast<uint32_t>(h);
            }
            out[n++] = static_cast<char16_t>(value);
            i = end;
        } else if (e == 'n') {
            out[n++] = u' ';
            ++i;
        } else if (e == 't') {
            out[n++] = u'\t';
            ++i;
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
        tree_.arena_ = std::make_unique<JsonArena>();
        names_.resize(64);
    }

    JsonTree run() {
        tree_.first_ = parseLevel(0, 0, std::string_view());
        return std::move(tree_);
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    JsonTree tree_;
    std::string_view token_;  // the last token: a slice of the text, or of buffer_
    std::string buffer_;      // a token whose bytes are not one slice of the text
    std::vector<std::string_view> names_;  // interned names, open addressing
    size_t nameCount_ = 0;
    char nameScratch_[JsonNameLimit];

    // The byte at the cursor; the end reads as NUL and the cursor never moves past it.
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    bool tokenIs(char c) const { return token_.size() == 1 && token_[0] == c; }

    // Reads one token; returns whether it was a quoted string. The usual shapes (a
    // string, a bare value, a bracket) are taken as slices of the text; anything else
    // goes through the byte-by-byte reader, which defines the token.
    bool nextToken() {
        const size_t size = text_.size();
        const char* t = text_.data();
        size_t start = pos_;
        while (start < size && t[start] == ',') ++start;  // commas between values
        bool afterColon = start < size && t[start] == ':';
        size_t p = start + afterColon;
        if (p >= size) return slowToken(start);
        char c = t[p];
        if (c == '"') {
            // Up to the first unescaped quote; every byte between is the token.
            size_t i = p + 1;
            for (;;) {
                while (i < size && t[i] != '"' && t[i] != '\\') ++i;
                if (i >= size) break;
                if (t[i] == '"') break;
                i += 2;  // a backslash and the byte it escapes
            }
            size_t end = std::min(i, size);
            token_ = text_.substr(p + 1, std::min(end - (p + 1), JsonTokenLimit));
            pos_ = end < size ? end + 1 : size;
            return true;
        }
        if (IsBracket(c)) {
            token_ = text_.substr(p, 1);
            pos_ = p + 1;
            return false;
        }
        if (c == ',') {
            if (!afterColon) return slowToken(start);
            token_ = {};  // ":," is an empty value
            pos_ = p + 1;
            return false;
        }
        if (c == ':' || c == '\\') return slowToken(start);
        // A bare value: up to a comma (consumed) or a bracket (left) or the end.
        size_t i = p;
        while (i < size) {
            char b = t[i];
            if (b == ',' || IsBracket(b)) break;
            if (b == '"' || b == ':' || b == '\\') return slowToken(start);
            ++i;
        }
        token_ = text_.substr(p, std::min(i - p, JsonTokenLimit));
        pos_ = i < size && t[i] == ',' ? i + 1 : i;
        return false;
    }

    // The reader for every token shape, from `start`.
    bool slowToken(size_t start) {
        pos_ = start;
        buffer_.clear();
        bool quoted = false, bare = false, wasQuoted = false;
        bool escapeNext = false;
        for (;;) {
            if (pos_ >= text_.size()) break;  // NUL: the token ends
            if (quoted && !escapeNext) {
                // Inside a string every byte up to a quote or backslash is plain.
                size_t end = pos_;
                while (end < text_.size() && text_[end] != '"' && text_[end] != '\\') ++end;
                if (end > pos_) {
                    size_t room = JsonTokenLimit - std::min(buffer_.size(), JsonTokenLimit);
                    buffer_.append(text_.data() + pos_, std::min(room, end - pos_));
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
                if (buffer_.empty()) {
                    buffer_.push_back(c);
                    break;
                }
                --pos_;  // read the bracket again as the next token
                break;
            }
            if (buffer_.empty() && !quoted) {
                bare = true;
                buffer_.push_back(c);
                continue;
            }
            if ((quoted || bare) && buffer_.size() < JsonTokenLimit) buffer_.push_back(c);
        }
        token_ = buffer_;
        return wasQuoted;
    }

    std::string_view copyBytes(std::string_view s) {
        if (s.empty()) return {};
        char* p = static_cast<char*>(tree_.arena_->allocate(s.size(), 1));
        std::memcpy(p, s.data(), s.size());
        return {p, s.size()};
    }

    // Names repeat for every row of an answer: each distinct one is stored once.
    std::string_view internName(std::string_view name) {
        uint32_t hash = 2166136261u;
        for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        size_t mask = names_.size() - 1;
        size_t slot = hash & mask;
        while (names_[slot].data()) {
            if (names_[slot] == name) return names_[slot];
            slot = (slot + 1) & mask;
        }
        std::string_view kept = copyBytes(name);
        names_[slot] = kept;
        if (++nameCount_ * 2 > names_.size()) {
            std::vector<std::string_view> old(names_.size() * 2);
            old.swap(names_);
            mask = names_.size() - 1;
            for (std::string_view n : old) {
                if (!n.data()) continue;
                uint32_t h = 2166136261u;
                for (char c : n) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
                size_t s = h & mask;
                while (names_[s].data()) s = (s + 1) & mask;
                names_[s] = n;
            }
        }
        return kept;
    }

    std::string_view makeName(std::string_view path, std::string_view key) {
        bool dot = !path.empty() && !key.empty();
        size_t size = std::min(path.size() + dot + key.size(), JsonNameLimit);
        if (size == 0) return {};
        if (key.empty()) return path;  // the path is an interned name already
        size_t n = std::min(path.size(), size);
        if (n > 0) std::memcpy(nameScratch_, path.data(), n);
        if (dot && n < size) nameScratch_[n++] = '.';
        if (n < size) std::memcpy(nameScratch_ + n, key.data(), size - n);
        return internName(std::string_view(nameScratch_, size));
    }

    JsonValue* appendNode(JsonValue*& first, JsonValue*& last, std::string_view name) {
        auto* node = new (tree_.arena_->allocate(sizeof(JsonValue), alignof(JsonValue))) JsonValue();
        node->name = name;
        node->arena = tree_.arena_.get();
        if (last) last->next = node;
        else first = node;
        last = node;
        return node;
    }

    void setValue(JsonValue* node, std::string_view token) {
        if (token.empty() || token == "null" || token == "(null)") return;
        node->raw = copyBytes(token);
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
        // The parent's name lives in the arena, so the path needs no copy.
        std::string_view path = parentName.substr(0, JsonParentNameLimit);
        // The key outlives the token, which may sit in the reader's buffer.
        char keyBuffer[JsonKeyLimit];
        std::string_view key;
        JsonValue* first = nullptr;
        JsonValue* last = nullptr;
        if (peek() == '\0') return nullptr;
        enum { None, Value, Container } pending = None;
        for (;;) {
            bool quoted = nextToken();
            if (!quoted) {
                if (tokenIs('[')) {
                    if (depth > 0) pending = Container;
                } else if (tokenIs(']') || tokenIs('}')) {
                    return first;
                } else if (tokenIs('{')) {
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
                token_ = bracket == '[' ? std::string_view("[") : std::string_view("{");
                pending = None;
            }
            if (peek() == ':') {
                size_t keySize = std::min(token_.size(), JsonKeyLimit);
                if (keySize > 0) std::memcpy(keyBuffer, token_.data(), keySize);
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
    // Stamps and ids have ten digits and more: eight at a time, without a multiply
    // chained through each one. The value wraps as the digit-by-digit sum does.
    for (; i + 8 <= raw.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, raw.data() + i, 8);
        constexpr uint64_t highs = 0xF0F0F0F0F0F0F0F0ull, zeros = 0x3030303030303030ull;
        if ((w & highs) != zeros || ((w + 0x0606060606060606ull) & highs) != zeros) break;
        w = ((w & 0x0F0F0F0F0F0F0F0Full) * 2561) >> 8;
        w = ((w & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
        w = ((w & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
        value = value * 100000000u + static_cast<uint32_t>(w);
    }
    for (; i < raw.size() && raw[i] >= '0' && raw[i] <= '9'; ++i) value = value * 10 + static_cast<uint32_t>(raw[i] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

// Made in the tree's memory on first use: most values of an answer are never read as text.
std::u16string_view JsonValueText(const JsonValue* node) {
    if (!node || node->raw.empty()) return {};
    if (node->textMade) return *node->textMade;
    if (!node->arena) return {};
    JsonArena& arena = *node->arena;
    auto* view = new (arena.allocate(sizeof(std::u16string_view), alignof(std::u16string_view))) std::u16string_view();
    const std::string_view raw = node->raw;
    auto* p = static_cast<char16_t*>(arena.allocate(raw.size() * sizeof(char16_t), alignof(char16_t)));
    size_t n = Unescape(raw, p);
    arena.giveBack((raw.size() - n) * sizeof(char16_t));
    if (n > 0) *view = {p, n};
    node->textMade = view;
    return *view;
}

bool JsonValueIs(const JsonValue* node, std::u16string_view text) {
    if (!node || node->raw.empty()) return text.empty();
    const std::string_view raw = node->raw;
    if (raw.size() < text.size()) return false;  // decoding never lengthens a text
    if (raw.size() == text.size()) {
        // Without escapes and non-ASCII bytes the text is the bytes.
        const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
        const size_t size = raw.size();
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (SpecialBytes(w)) break;
            char16_t wide[8];
            WidenEight(p + i, wide);
            if (std::memcmp(wide, text.data() + i, sizeof wide) != 0) return false;
        }
        for (; i < size && p[i] < 0x80 && p[i] != '\\'; ++i)
            if (p[i] != text[i]) return false;
        if (i == size) return true;
    }
    return JsonValueText(node) == text;
}

JsonRowReader::JsonRowReader(const std::string_view* names, size_t count)
    : names_(names), count_(std::min(count, MaxNames)) {}

void JsonRowReader::read(const JsonValue* members, const JsonValue** found) {
    std::fill(found, found + count_, nullptr);
    size_t left = count_;
    size_t place = 0;
    for (const JsonValue* n = members; n && left > 0; n = n->next, ++place) {
        const char* name = n->name.data();
        if (!name) continue;
        size_t i;
        if (place < Places && placeName_[place] == name) {
            i = placeIndex_[place];
        } else {
            i = 0;
            while (i < count_ && name != known_[i]) ++i;
            if (i == count_) {
                i = static_cast<size_t>(std::find(names_, names_ + count_, n->name) - names_);
                if (i < count_) known_[i] = name;
            }
            if (place < Places) {
                placeName_[place] = name;
                placeIndex_[place] = i;
            }
        }
        if (i == count_) continue;
        if (!found[i]) {
            found[i] = n;
            --left;
        }
    }
}

// A text read once is copied; one not made yet is decoded straight into the copy.
std::u16string JsonValueString(const JsonValue* node) {
    if (!node || node->raw.empty()) return std::u16string();
    return node->textMade ? std::u16string(*node->textMade) : UnescapeJsonString(node->raw);
}
int32_t JsonValueInt(const JsonValue* node) { return node ? JsonAtoi(node->raw) : 0; }
int32_t JsonValueBool(const JsonValue* node) { return node && !node->raw.empty() && node->raw != "false" ? 1 : 0; }

JsonResult GetJsonValue(const JsonValue* list, std::string_view name, JsonKind kind) {
    JsonResult result;
    const JsonValue* node = FindJsonNode(list, name);
    switch (kind) {
    case JSON_TEXT:
        result.found = node && !node->raw.empty();
        result.text = JsonValueString(node);
        break;
    case JSON_INT: result.number = JsonValueInt(node); break;
    case JSON_BOOL: result.number = JsonValueBool(node); break;
    }
    return result;
}

std::u16string_view GetJsonTextView(const JsonValue* list, std::string_view name) {
    return JsonValueText(FindJsonNode(list, name));
}

std::u16string GetJsonText(const JsonValue* list, std::string_view name) {
    return JsonValueString(FindJsonNode(list, name));
}

int32_t GetJsonInt(const JsonValue* list, std::string_view name) { return JsonValueInt(FindJsonNode(list, name)); }

int32_t GetJsonBool(const JsonValue* list, std::string_view name) { return JsonValueBool(FindJsonNode(list, name)); }

std::u16string UnescapeJsonString(std::string_view token) {
    std::u16string out(token.size(), u'\0');
    out.resize(Unescape(token, out.data()));
    return out;
}
