// Every visible text of the program, in four languages, fetched by key.
#pragma once
#include <cstdint>

struct TextPair {
    const char* key;        // upper-case ASCII; nullptr ends a language's list
    const char16_t* text;
};

struct LanguageRow {
    const char16_t* code;   // nullptr ends the table
    const char16_t* displayName;
    const TextPair* entries;
    uint32_t lcid;          // only the low 16 bits are compared
    int32_t indexForLocale; // language index chosen when the system locale matches
};

enum LanguageIndex : int32_t { LangCzech = 0, LangEnglish = 1, LangGerman = 2, LangSlovak = 3 };
constexpr int32_t LanguageCount = 4;

extern const LanguageRow TextTable[];

// Text of `key` in the current settings language; "NODEFINED" when that language
// lacks the key, nullptr for a null key. The first pair of a key wins.
const char16_t* LookupText(const char* key);

// Same lookup in an explicit language; an index outside 0..3 is treated as 0.
const char16_t* LookupTextIn(int32_t language, const char* key);

// Language index for a system locale: the matching row's chosen index, else `fallback`.
int32_t LanguageFromLcid(uint32_t lcid, int32_t fallback);
