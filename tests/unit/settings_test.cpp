#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "base/settings.h"
#include "base/text_table.h"
#include "base/whole_file.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    std::u16string name = u"settings_test.cfg";
    SettingsEnvironment env{1280, 1000, 0x0409};
    void SetUp() override {
        std::remove("settings_test.cfg");
        ResetSettingsForTesting();
    }
    void TearDown() override {
        std::remove("settings_test.cfg");
        ResetSettingsForTesting();
    }
    void WriteBytes(const std::string& bytes) {
        ASSERT_EQ(WriteWholeFile(name, bytes.data(), bytes.size()), bytes.size());
    }
    std::string FileBytes() {
        std::string bytes;
        ReadWholeFile(name, bytes);
        return bytes;
    }
};

TEST_F(SettingsFile, DefaultsFollowTheScreenAndLocale) {
    Settings s = DefaultSettings(env);
    EXPECT_EQ(s.windowLeft, 120);
    EXPECT_EQ(s.windowTop, 200);
    EXPECT_EQ(s.windowRight, 1160);
    EXPECT_EQ(s.windowBottom, 800);
    EXPECT_EQ(s.language, LangEnglish);
    EXPECT_EQ(s.ColourScheme, 1);
    EXPECT_EQ(s.refreshInterval, 10);
    EXPECT_EQ(s.hideReadPostsAfter, 12);
    EXPECT_EQ(s.hideNoticeAfter, 5);
    EXPECT_EQ(s.likesOnlyFromFriends, 1);
    EXPECT_EQ(s.commentsOnlyFromFriends, 0);
    // Halves round toward zero, also for odd and tiny screens.
    Settings odd = DefaultSettings({1001, 3, 0x0405});
    EXPECT_EQ(odd.windowLeft, 500 - 520);
    EXPECT_EQ(odd.windowTop, 1 - 300);
    // Slovak and unknown locales start in Czech.
    EXPECT_EQ(DefaultSettings({0, 0, 0x041B}).language, LangCzech);
    EXPECT_EQ(DefaultSettings({0, 0, 0x0407}).language, LangGerman);
    EXPECT_EQ(DefaultSettings({0, 0, 0x0411}).language, LangCzech);
    EXPECT_EQ(DefaultSettings({0, 0, 0x10409}).language, LangEnglish);  // only the low 16 bits
}

TEST_F(SettingsFile, RecordIsLittleEndianByteForByte) {
    Settings s = DefaultSettings(env);
    s.refreshInterval = 0x01020304;
    s.commentsOnlyFromFriends = -2;
    auto bytes = SettingsToBytes(s);
    EXPECT_EQ(bytes[48], 0x04);
    EXPECT_EQ(bytes[51], 0x01);
    EXPECT_EQ(bytes[88], 0xFE);
    EXPECT_EQ(bytes[91], 0xFF);
    EXPECT_EQ(bytes[12], 1);  // colour scheme
    Settings back;
    ApplySettingsBytes(back, bytes.data(), bytes.size());
    EXPECT_EQ(SettingsToBytes(back), bytes);
}

TEST_F(SettingsFile, MissingFileMeansDefaultsAndTheDialog) {
    EXPECT_FALSE(SaveSettings(name));  // nothing before Load
    EXPECT_TRUE(FileBytes().empty());
    EXPECT_FALSE(LoadSettings(env, name));
    EXPECT_EQ(SettingsToBytes(AppSettings), SettingsToBytes(DefaultSettings(env)));
    EXPECT_TRUE(SaveSettings(name));
    EXPECT_EQ(FileBytes().size(), SettingsFileSize);
}

TEST_F(SettingsFile, ShortFileChangesOnlyItsPrefix) {
    std::string bytes(40, '\0');
    bytes[12] = 2;  // colour scheme
    bytes[36] = 7;  // start time
    WriteBytes(bytes);
    EXPECT_TRUE(LoadSettings(env, name));
    EXPECT_EQ(AppSettings.ColourScheme, 2);
    EXPECT_EQ(AppSettings.windowLeft, 0);  // overwritten by the file
    EXPECT_EQ(AppSettings.startTime, 7);
    EXPECT_EQ(AppSettings.openMainWindowAtStart, 1);  // offset 40: past the file, default
    EXPECT_EQ(AppSettings.refreshInterval, 10);
}

TEST_F(SettingsFile, EmptyFileIsDefaultsWithoutTheDialog) {
    WriteBytes("");
    EXPECT_TRUE(LoadSettings(env, name));
    EXPECT_EQ(AppSettings.refreshInterval, 10);
}

TEST_F(SettingsFile, LongFileUsesOnly92Bytes) {
    std::string bytes(100, '\x01');
    WriteBytes(bytes);
    EXPECT_TRUE(LoadSettings(env, name));
    EXPECT_EQ(AppSettings.commentsOnlyFromFriends, 0x01010101);
    EXPECT_TRUE(SaveSettings(name));
    // Byte for byte, but for the three durations, which a value this large makes defaults.
    std::string expected(92, '\x01');
    for (size_t field : {12u, 15u, 17u}) expected.replace(field * 4, 4, std::string("\0\0\0\0", 4));
    expected[12 * 4] = 10;
    expected[15 * 4] = 12;
    expected[17 * 4] = 5;
    EXPECT_EQ(FileBytes(), expected);
}

// Values a damaged file may hold: a refresh every second or never, a "since" that
// overflows. Out of range reads as the default; 0 and the bounds themselves stay.
TEST_F(SettingsFile, DamagedDurationsReadAsDefaults) {
    struct Case {
        int32_t refresh, hideRead, hideNotice;
        int32_t wantRefresh, wantHideRead, wantHideNotice;
    };
    const Case cases[] = {
        {-1403616213, -1, INT32_MIN, 10, 12, 5},
        {1517087799, 596523, 10081, 10, 12, 5},
        {0, 0, 0, 0, 0, 0},
        {10080, 8784, 10080, 10080, 8784, 10080},
        {10081, 8785, -1, 10, 12, 5},
    };
    for (const Case& c : cases) {
        Settings written = DefaultSettings(env);
        written.refreshInterval = c.refresh;
        written.hideReadPostsAfter = c.hideRead;
        written.hideNoticeAfter = c.hideNotice;
        written.language = 2;
        auto bytes = SettingsToBytes(written);
        WriteBytes(std::string(bytes.begin(), bytes.end()));
        ASSERT_TRUE(LoadSettings(env, name));
        EXPECT_EQ(AppSettings.refreshInterval, c.wantRefresh) << c.refresh;
        EXPECT_EQ(AppSettings.hideReadPostsAfter, c.wantHideRead) << c.hideRead;
        EXPECT_EQ(AppSettings.hideNoticeAfter, c.wantHideNotice) << c.hideNotice;
        EXPECT_EQ(AppSettings.language, 2);  // the rest as the file has it
    }
}

// The preferences dialog takes five digits; what it keeps must read back unchanged.
TEST_F(SettingsFile, TypedDurationsAreKeptWithinWhatTheNextStartReads) {
    AppSettings = DefaultSettings(env);
    AppSettings.refreshInterval = 99999;
    AppSettings.hideReadPostsAfter = 9000;
    AppSettings.hideNoticeAfter = 30;
    LimitSettingsRanges(AppSettings);
    const Settings typed = AppSettings;
    EXPECT_EQ(typed.refreshInterval, 10080);
    EXPECT_EQ(typed.hideReadPostsAfter, 8784);
    EXPECT_EQ(typed.hideNoticeAfter, 30);
    auto bytes = SettingsToBytes(typed);
    WriteBytes(std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(LoadSettings(env, name));
    EXPECT_EQ(SettingsToBytes(AppSettings), bytes);
}

TEST_F(SettingsFile, OutOfRangeIndexesAreTamed) {
    Settings s;
    s.ColourScheme = 9;
    EXPECT_EQ(EffectiveColourScheme(s), 3);
    s.ColourScheme = -4;
    EXPECT_EQ(EffectiveColourScheme(s), 0);
    s.language = 4;
    EXPECT_EQ(EffectiveLanguage(s), 0);
    s.language = -1;
    EXPECT_EQ(EffectiveLanguage(s), 0);
    AppSettings.language = 77;  // a damaged file must not index past the table
    EXPECT_EQ(std::u16string(LookupText("MAINTITLE")), std::u16string(LookupTextIn(0, "MAINTITLE")));
}

}  // namespace
