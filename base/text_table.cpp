#include "base/text_table.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/settings.h"

namespace {
constexpr char16_t NotDefined[] = u"NODEFINED";

bool SameCode(const char16_t* a, const char16_t* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

using KeyIndex = std::unordered_map<std::string_view, const char16_t*>;

// Each language's keys hashed once (the first pair of a key wins): a refresh asks for
// texts thousands of times, and a walk over some 200 keys cost more than the rest of
// the call.
const KeyIndex& KeysOf(size_t row) {
    static const std::vector<KeyIndex> indexes = [] {
        std::vector<KeyIndex> all;
        for (const LanguageRow* r = TextTable; r->code; ++r) {
            KeyIndex& keys = all.emplace_back();
            for (const TextPair* pair = r->entries; pair && pair->key; ++pair) keys.emplace(pair->key, pair->text);
        }
        return all;
    }();
    return indexes[row];
}
}  // namespace

const char16_t* LookupTextIn(int32_t language, const char* key) {
    if (!key) return nullptr;
    if (language < 0 || language >= LanguageCount) language = 0;
    const char16_t* code = TextTable[language].code;
    if (!code || !*code) code = u"CZ";
    for (const LanguageRow* row = TextTable; row->code; ++row) {
        if (!SameCode(row->code, code)) continue;
        const KeyIndex& keys = KeysOf(static_cast<size_t>(row - TextTable));
        auto found = keys.find(key);
        return found != keys.end() ? found->second : NotDefined;  // no fallback to another language
    }
    return NotDefined;
}

const char16_t* LookupText(const char* key) { return LookupTextIn(AppSettings.language, key); }

int32_t LanguageFromLcid(uint32_t lcid, int32_t fallback) {
    for (const LanguageRow* row = TextTable; row->code; ++row)
        if ((row->lcid & 0xFFFF) == (lcid & 0xFFFF)) return row->indexForLocale;
    return fallback;
}
