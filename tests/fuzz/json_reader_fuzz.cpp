// Any bytes through the JSON reader and every lookup kind: no crash, no read outside.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/json_reader.h"

namespace {
void Walk(const JsonValue* list, int& budget) {
    for (const JsonValue* n = list; n && budget > 0; n = n->next, --budget) {
        GetJsonValue(list, n->name, JSON_TEXT);
        GetJsonValue(list, n->name, JSON_INT);
        GetJsonValue(list, n->name, JSON_BOOL);
        // The quick comparison agrees with the made text, and tells a changed one apart.
        std::u16string text(JsonValueText(n));
        if (!JsonValueIs(n, text)) std::abort();
        if (!text.empty()) {
            text.back() ^= 1;
            if (JsonValueIs(n, text)) std::abort();
            text.pop_back();
            if (JsonValueIs(n, text)) std::abort();
        }
        if (n->children) Walk(n->children, budget);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    JsonTree tree = ParseJson(text);
    int budget = 200;
    Walk(tree.first(), budget);
    FindJsonNode(tree.first(), "error.code");
    // The row reader, which learns names by address, must find each row's first member
    // of each name, however the rows differ.
    static const std::string_view names[] = {"a", "text", "time", "uid", ""};
    JsonRowReader reader(names, 5);
    for (const JsonValue* row = tree.first(); row; row = row->next) {
        const JsonValue* found[5];
        reader.read(row->children, found);
        for (size_t i = 0; i < 4; ++i) {
            const JsonValue* first = row->children;
            while (first && first->name != names[i]) first = first->next;
            if (found[i] != first) std::abort();
        }
    }
    UnescapeJsonString(text);
    return 0;
}
