// A small lenient reader for the service's compact JSON. Every node carries its full
// dotted name ("likes.count", "attachment.media.src") and the raw token bytes of its
// value; the UTF-16 text with escapes resolved is made when a lookup first asks for it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t JsonTokenLimit = 10199;  // bytes kept of one token
constexpr size_t JsonKeyLimit = 127;
constexpr size_t JsonNameLimit = 255;
constexpr size_t JsonParentNameLimit = 127;
constexpr int JsonDepthLimit = 256;       // deeper containers are read over and dropped

struct JsonArena;

struct JsonValue {
    std::string_view name;
    JsonValue* children = nullptr;  // members or elements of a container
    std::string_view raw;           // empty: no value (empty token, null, "(null)")
    JsonValue* next = nullptr;

    // The tree's memory and the text once made there: a lookup on a const tree fills
    // it in, so one tree is read by one thread at a time.
    JsonArena* arena = nullptr;
    mutable const std::u16string_view* textMade = nullptr;
};

// The node's value as UTF-16 with the escapes resolved (empty without a value or
// without a node); the view lives as long as the tree.
std::u16string_view JsonValueText(const JsonValue* node);
// Whether the node's text (as JsonValueText gives it) is `text`; a plain ASCII value is
// compared as it stands, without making its text.
bool JsonValueIs(const JsonValue* node, std::u16string_view text);

// A parse result: the first node of the top-level list and the memory of all nodes.
// Freeing the tree is destroying this object.
class JsonTree {
public:
    JsonTree();
    ~JsonTree();
    JsonTree(JsonTree&&) noexcept;
    JsonTree& operator=(JsonTree&&) noexcept;
    JsonTree(const JsonTree&) = delete;
    JsonTree& operator=(const JsonTree&) = delete;

    const JsonValue* first() const { return first_; }
    bool empty() const { return first_ == nullptr; }

private:
    friend class JsonParser;
    std::unique_ptr<JsonArena> arena_;
    JsonValue* first_ = nullptr;
};

// The text ends at its first NUL byte or at its end, whichever comes first.
JsonTree ParseJson(std::string_view text);

// First node named `name` in depth-first pre-order over `list`, its descendants and all
// following siblings with theirs.
const JsonValue* FindJsonNode(const JsonValue* list, std::string_view name);
// Within a member a reader found: the first node of its subtree named `path` (the tree
// names a nested member by its whole path, "likes.count"), or nullptr.
inline const JsonValue* FindJsonNodeIn(const JsonValue* member, std::string_view path) {
    return member ? FindJsonNode(member->children, path) : nullptr;
}

// Finds named members of an answer's rows in one walk per row. The parser keeps each
// distinct name of a tree once, so a name met in one row is known by its address in
// the next: use one reader per tree. For a name without a dot the member found is the
// node FindJsonNode finds, since a nested node's name starts with its parent's (unless
// the parent's key is empty, which the service's rows never have).
class JsonRowReader {
public:
    static constexpr size_t MaxNames = 16;
    JsonRowReader(const std::string_view* names, size_t count);  // at most MaxNames
    // found[i]: the first of the members (an object's first member and its siblings)
    // named names[i], or nullptr.
    void read(const JsonValue* members, const JsonValue** found);

private:
    const std::string_view* names_;
    size_t count_;
    const char* known_[MaxNames] = {};
    // The rows of an answer list their members in one order: the name met at each of
    // the first places of the last row, and its index in names_ (count_: none of them).
    static constexpr size_t Places = 16;
    const char* placeName_[Places] = {};
    size_t placeIndex_[Places] = {};
};

// What a found node (or nullptr) reads as: its text, its JsonAtoi value, and 1 for any
// value but "false".
std::u16string JsonValueString(const JsonValue* node);
int32_t JsonValueInt(const JsonValue* node);
int32_t JsonValueBool(const JsonValue* node);

enum JsonKind : int32_t { JSON_TEXT = 0, JSON_INT = 1, JSON_BOOL = 2 };

struct JsonResult {
    bool found = false;       // JSON_TEXT: the node has a non-empty value
    std::u16string text;      // JSON_TEXT
    int32_t number = 0;       // JSON_INT and JSON_BOOL
};

JsonResult GetJsonValue(const JsonValue* list, std::string_view name, JsonKind kind);

// The usual three lookups. Text is empty when absent (the tree's own view for the
// first, valid while the tree lives).
std::u16string_view GetJsonTextView(const JsonValue* list, std::string_view name);
std::u16string GetJsonText(const JsonValue* list, std::string_view name);
int32_t GetJsonInt(const JsonValue* list, std::string_view name);
int32_t GetJsonBool(const JsonValue* list, std::string_view name);

// atoi: optional blanks and sign, then digits up to the first non-digit; wraps like a
// 32-bit int instead of overflowing.
int32_t JsonAtoi(std::string_view raw);

// Resolves the escapes of one token; bytes of 0x80 and above are decoded as UTF-8 where
// they form valid UTF-8 and kept as single units otherwise.
std::u16string UnescapeJsonString(std::string_view token);
