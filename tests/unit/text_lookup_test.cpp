#include <gtest/gtest.h>

#include "base/settings.h"
#include "base/text_table.h"

namespace {

std::u16string In(int32_t language, const char* key) { return LookupTextIn(language, key); }

TEST(TextLookup, FirstPairOfADoubledKeyWins) {
    EXPECT_EQ(In(LangEnglish, "POSTS"), u"Posts: %d");
    for (int32_t lang = 0; lang < LanguageCount; ++lang) {
        std::u16string posts = In(lang, "POSTS");
        EXPECT_NE(posts.find(u"%d"), std::u16string::npos) << lang;
    }
}

TEST(TextLookup, MissingKeysGiveNodefinedWithoutFallback) {
    EXPECT_EQ(In(LangEnglish, "HIDDENFEEDS"), u"NODEFINED");
    EXPECT_NE(In(LangCzech, "HIDDENFEEDS"), u"NODEFINED");
    for (int32_t lang = 0; lang < LanguageCount; ++lang) EXPECT_EQ(In(lang, "NO_SUCH_KEY"), u"NODEFINED");
    EXPECT_EQ(In(LangEnglish, "posts"), u"NODEFINED");  // keys are case-sensitive
    EXPECT_EQ(LookupText(nullptr), nullptr);
}

TEST(TextLookup, LanguageOfTheSettingsAndOutOfRangeIndex) {
    Settings saved = AppSettings;
    AppSettings.language = LangEnglish;
    EXPECT_EQ(std::u16string(LookupText("LOG_HAVETOKEN")), u"Obtained access token");
    AppSettings.language = LangGerman;  // the very next lookup follows a change
    EXPECT_NE(std::u16string(LookupText("LOG_HAVETOKEN")), u"Obtained access token");
    AppSettings.language = 12;
    EXPECT_EQ(std::u16string(LookupText("LOG_HAVETOKEN")), In(LangCzech, "LOG_HAVETOKEN"));
    AppSettings = saved;
    EXPECT_EQ(In(-3, "LOG_HAVETOKEN"), In(LangCzech, "LOG_HAVETOKEN"));
}

TEST(TextLookup, LanguageFromLocale) {
    EXPECT_EQ(LanguageFromLcid(0x0405, 0), LangCzech);
    EXPECT_EQ(LanguageFromLcid(0x0409, 0), LangEnglish);
    EXPECT_EQ(LanguageFromLcid(0x0407, 0), LangGerman);
    EXPECT_EQ(LanguageFromLcid(0x041B, 0), LangCzech);  // Slovak systems start in Czech
    EXPECT_EQ(LanguageFromLcid(0x0C07, 2), 2);          // Austrian German: no row, fallback
    EXPECT_EQ(LanguageFromLcid(0xABCD0409, 0), LangEnglish);
}

}  // namespace
