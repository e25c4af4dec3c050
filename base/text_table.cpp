#include "base/text_table.h"

#include <cstring>

#include "base/settings.h"

namespace {
constexpr char16_t NotDefined[] = u"NODEFINED";

bool SameCode(const char16_t* a, const char16_t* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}
}  // namespace

const char16_t* LookupTextIn(int32_t language, const char* key) {
    if (!key) return nullptr;
    if (language < 0 || language >= LanguageCount) language = 0;
    const char16_t* code = TextTable[language].code;
    if (!code || !*code) code = u"CZ";
    for (const LanguageRow* row = TextTable; row->code; ++row) {
        if (!SameCode(row->code, code)) continue;
        for (const TextPair* pair = row->entries; pair->key; ++pair)
            if (std::strcmp(pair->key, key) == 0) return pair->text;
        return NotDefined;  // no fallback to another language
    }
    return NotDefined;
}

const char16_t* LookupText(const char* key) { return LookupTextIn(AppSettings.language, key); }

int32_t LanguageFromLcid(uint32_t lcid, int32_t fallback) {
    for (const LanguageRow* row = TextTable; row->code; ++row)
        if ((row->lcid & 0xFFFF) == (lcid & 0xFFFF)) return row->indexForLocale;
    return fallback;
}
