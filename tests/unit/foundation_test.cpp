// The small shared pieces: text formatting, the log, key routing and whole files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "base/clock.h"
#include "base/format_text.h"
#include "app/key_routing.h"
#include "base/log.h"
#include "base/whole_file.h"

namespace {

TEST(FormatText, PlaceholdersInOrder) {
    EXPECT_EQ(FormatText(u"Posts: %d", {7}), u"Posts: 7");
    EXPECT_EQ(FormatText(u"%s added photos to album %s", {u"Jana", u"Léto"}), u"Jana added photos to album Léto");
    EXPECT_EQ(FormatText(u"%d%s comments · ", {3, u"/1"}), u"3/1 comments · ");
    EXPECT_EQ(FormatText(u"%d", {-2147483647 - 1}), u"-2147483648");
    EXPECT_EQ(FormatText(u"100%% %x", {255}), u"100% ff");
    EXPECT_EQ(FormatText(u"%d and %s", {5}), u"5 and ");  // a missing argument prints nothing
    EXPECT_EQ(FormatText(u"%s", {static_cast<const char16_t*>(nullptr)}), u"");
    EXPECT_EQ(FormatText(u"%q%", {}), u"%q%");
    EXPECT_EQ(FormatText(u"abcdef", {}, 4), u"abcd");
}

TEST(FormatText, Utf8RoundTrip) {
    std::u16string text = u"Žluťoučký kůň \U0001F600 ß";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToUtf16("\xFF\xC3"), u"\u00ff\u00c3");
}

TEST(Clock, TimePictures) {
    EXPECT_EQ(FormatTimePicture(9, 5, 7, u"h:mm:ss - "), u"9:05:07 - ");
    EXPECT_EQ(FormatTimePicture(13, 0, 0, u"h:mm"), u"1:00");
    EXPECT_EQ(FormatTimePicture(0, 0, 0, u"h:mm"), u"12:00");
    EXPECT_EQ(FormatTimePicture(13, 0, 0, u"HH:mm"), u"13:00");
}

class Log : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLogForTesting();
        SetClockForTesting([] { return 1000; });
        SetTimeFormatter([](int32_t, const std::u16string& picture) {
            return FormatTimePicture(8, 4, 2, picture);
        });
    }
    void TearDown() override {
        SetClockForTesting(nullptr);
        SetTimeFormatter(nullptr);
        SetLogListener(nullptr);
        unsetenv("ORV_LOG_FILE");
        ClearLogForTesting();
    }
};

TEST_F(Log, EntriesCarryTheTimeAndTheirChannel) {
    AppendLog(u"Reading stream", LogReports);
    AppendLog(u"Posts: 3", LogNewAndUpdated);
    auto reports = LogEntries(LogReports);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, u"8:04:02 - Reading stream");
    EXPECT_EQ(LogEntries(LogNewAndUpdated)[0].text, u"8:04:02 - Posts: 3");
    EXPECT_EQ(LogEntries(-1).size(), 2u);
}

TEST_F(Log, LongMessagesAreCutAt511) {
    AppendLog(std::u16string(2000, u'x'), LogReports);
    EXPECT_EQ(LogEntries(LogReports)[0].text.size(), LogEntryLimit);
}

TEST_F(Log, ListenerAndDiagnosticFile) {
    const char* path = "log_test_output.txt";
    std::remove(path);
    setenv("ORV_LOG_FILE", path, 1);
    std::vector<std::u16string> seen;
    SetLogListener([&](const LogEntry& e) { seen.push_back(e.text); });
    AppendLog(u"Obtained access token", LogReports);
    AppendLog(u"Ščítání", LogNewAndUpdated);
    EXPECT_EQ(seen.size(), 2u);
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content, "8:04:02 - Obtained access token\n8:04:02 - \xC5\xA0\xC4\x8D\xC3\xAD" "t\xC3\xA1n\xC3\xAD\n");
    std::remove(path);
}

TEST_F(Log, TwoThreadsAppendWithoutLosingLines) {
    auto writer = [](int channel) {
        for (int i = 0; i < 2000; ++i) AppendLog(u"line", channel);
    };
    std::thread a(writer, 0), b(writer, 1);
    a.join();
    b.join();
    EXPECT_EQ(LogEntries(0).size(), 2000u);
    EXPECT_EQ(LogEntries(1).size(), 2000u);
}

TEST(KeyRouting, TableRowsAndLetters) {
    ASSERT_NE(FindKeyRoute(0x0D), nullptr);
    EXPECT_EQ(FindKeyRoute(0x0D)->consume, 1u);  // Enter
    EXPECT_EQ(FindKeyRoute(0x08)->consume, 1u);  // Backspace
    EXPECT_EQ(FindKeyRoute(0x28)->consume, 0u);
    EXPECT_EQ(FindKeyRoute(0x7B)->reserved, 1u);
    EXPECT_NE(FindKeyRoute(0x30), nullptr);
    EXPECT_NE(FindKeyRoute(0x5A), nullptr);
    EXPECT_EQ(FindKeyRoute(0x5A)->consume, 0u);
    EXPECT_EQ(FindKeyRoute(0x2F), nullptr);
    EXPECT_EQ(FindKeyRoute(0x5B), nullptr);
    EXPECT_EQ(FindKeyRoute(0x70), nullptr);  // F1
    EXPECT_EQ(FindKeyRoute(0), nullptr);
}

TEST(WholeFile, ReadWriteReplaceAndBusyFlag) {
    std::u16string name = u"whole_file_test.bin";
    std::string data(1000, 'a');
    EXPECT_EQ(WriteWholeFile(name, data.data(), data.size()), 1000u);
    EXPECT_EQ(WriteWholeFile(name, "xy", 2), 2u);  // a shorter write leaves no old tail
    std::string back;
    EXPECT_TRUE(ReadWholeFile(name, back));
    EXPECT_EQ(back, "xy");
    EXPECT_EQ(FileBusy.load(), 0);
    EXPECT_EQ(WriteWholeFile(name, "", 0), 0u);
    EXPECT_TRUE(ReadWholeFile(name, back));
    EXPECT_TRUE(back.empty());
    std::remove("whole_file_test.bin");

    back = "stale";
    EXPECT_FALSE(ReadWholeFile(u"no_such_dir/none.bin", back));
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(WriteWholeFile(u"no_such_dir/none.bin", "x", 1), 0u);
    EXPECT_EQ(FileBusy.load(), 0);
}

TEST(WholeFile, NonAsciiNamesAndNoTemporaryLeftBehind) {
    std::u16string name = u"orv_žluť.dat";
    EXPECT_EQ(WriteWholeFile(name, "abc", 3), 3u);
    std::string back;
    EXPECT_TRUE(ReadWholeFile(name, back));
    EXPECT_EQ(back, "abc");
    int leftovers = 0;
    for (auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().find(".tmp") != std::string::npos) ++leftovers;
    EXPECT_EQ(leftovers, 0);
    std::filesystem::remove(FilePath(name));
}

// Writes cut off by a kill leave "<target>.tmp<tag>-<n>" behind; start-up removes
// those, but not a write in progress (young) nor files that only look alike.
TEST(WholeFile, StaleTemporaryFilesAreRemovedAtStart) {
    namespace fs = std::filesystem;
    const fs::path folder = "stale_temporaries";
    fs::create_directory(folder);
    const char* stale[] = {"orv_42.dat.tmp0a1b2c3d-0", "orv.cfg.tmpFFFFFFFF-17", "favorites.txt.tmp00000000-3"};
    const char* kept[] = {"orv_42.dat", "orv_42.dat.tmp0a1b2c3d-", "orv_42.dat.tmp0a1b2c3-1", "notes.tmp.txt",
                          "orv_42.dat.tmp0a1b2c3d-1x", ".tmp0a1b2c3d-1"};
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : stale) {
        std::ofstream(folder / name) << "partial";
        fs::last_write_time(folder / name, old);
    }
    for (const char* name : kept) {
        std::ofstream(folder / name) << "keep";
        fs::last_write_time(folder / name, old);
    }
    std::ofstream(folder / "orv_42.dat.tmp12345678-9") << "being written";  // young
    EXPECT_EQ(RemoveStaleTemporaryFiles(folder), 3u);
    for (const char* name : stale) EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const char* name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_TRUE(fs::exists(folder / "orv_42.dat.tmp12345678-9"));
    EXPECT_EQ(RemoveStaleTemporaryFiles("no_such_folder"), 0u);
    EXPECT_EQ(FileBusy.load(), 0);
    fs::remove_all(folder);
}

}  // namespace
