#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "store/favorites.h"
#include "store/profiles.h"
#include "store/seen_state.h"
#include "base/whole_file.h"
#include "store_fakes.h"

namespace {

std::string Hex(std::string_view hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return out;
}

std::string FileBytes(const std::string& name) {
    std::string bytes;
    ReadWholeFile(U(name), bytes);
    return bytes;
}

void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

class SeenStateTest : public StoreTest {
protected:
    UserRecord& AddUser(const std::u16string& id, int32_t stamp, uint32_t flags, uint32_t hidden) {
        ItemNode<UserRecord>* n = nullptr;
        UserRecord r;
        r.id = id;
        r.flags = flags;
        r.hidden = hidden;
        AppendItem(store.users, std::move(r), id, {}, stamp, &n);
        n->flagsRef = &n->payload.flags;
        n->markRef = &n->payload.hidden;
        return n->payload;
    }
    void AddComment(const std::u16string& post, const std::u16string& author, int32_t time, uint32_t read) {
        ItemNode<CommentRecord>* n = nullptr;
        AppendItem(store.comments, CommentRecord{post, author, "text", time, 0, read}, post, author, time, &n);
        n->flagsRef = &n->payload.read;
    }
    void AddNotification(const std::u16string& id, int32_t stamp, uint32_t read) {
        ItemNode<NotificationRecord>* n = nullptr;
        NotificationRecord r;
        r.notificationId = id;
        r.read = read;
        AppendItem(store.notifications, std::move(r), id, {}, stamp, &n);
        n->flagsRef = &n->payload.read;
    }
    void AddLike(const std::u16string& post, const std::u16string& user, int32_t stamp, uint32_t read) {
        ItemNode<LikeRecord>* n = nullptr;
        AppendItem(store.likes, LikeRecord{post, user, read, 0}, post, user, stamp, &n);
        n->flagsRef = &n->payload.read;
        n->markRef = &n->payload.stale;
    }
};

TEST_F(SeenStateTest, FileIsWrittenByteForByte) {
    SetOwnUid(u"42");
    AddUser(u"7", 100, 1, 1);
    AddComment(u"7_1", u"8", 200, 1);
    AddLike(u"7_1", u"9", 300, 0);
    AddNotification(u"n1", 400, 3);
    ASSERT_TRUE(SaveSeenState(store));
    std::string expected = Hex(
        "01000000"                                        // version
        "01000000 01000000 01000000 3700 0000 00 64000000"  // users: flags 1, mark 1, "7", no key2, 100
        "00000000"                                        // posts: empty list
        "01000000 01000000 00000000 37005f003100 0000 3800 0000 c8000000"  // comment "7_1"/"8", 200
        "00000000"                                        // messages
        "01000000 00000000 00000000 37005f003100 0000 3900 0000 2c010000"  // like "7_1"/"9", 300
        "01000000 03000000 00000000 6e003100 0000 00 90010000");  // notification "n1", no key2, 400
    EXPECT_EQ(FileBytes("orv_42.dat"), expected);

    // Read back, the same entries come out.
    SeenTables tables;
    ASSERT_TRUE(ParseSeenState(expected, tables));
    ASSERT_EQ(tables.users.size(), 1u);
    EXPECT_EQ(tables.users.entries()[0].key1, u"7");
    EXPECT_EQ(tables.users.entries()[0].key2, u"");
    EXPECT_EQ(tables.users.entries()[0].mark, 1u);
    EXPECT_EQ(tables.users.entries()[0].stamp, 100);
    ASSERT_EQ(tables.comments.size(), 1u);
    EXPECT_EQ(tables.comments.entries()[0].key2, u"8");
    EXPECT_EQ(tables.likes.entries()[0].stamp, 300);
    EXPECT_EQ(tables.notifications.entries()[0].flags, 3u);
    EXPECT_TRUE(tables.posts.empty());
}

TEST_F(SeenStateTest, NobodySignedInTouchesNoFile) {
    AddUser(u"7", 100, 1, 0);
    EXPECT_FALSE(SaveSeenState(store));
    EXPECT_FALSE(LoadSeenState(store));
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
}

TEST_F(SeenStateTest, CarriesForwardYoungEntriesOfItemsNotInMemory) {
    SetOwnUid(u"42");
    std::vector<SeenEntry> entries(3);
    entries[0] = {0, 1, Now - 604800 + 1, u"young", u"", 0};  // one second inside the week
    entries[1] = {0, 1, Now - 604800, u"old", u"", 0};        // exactly a week: dropped
    entries[2] = {0, 1, 500, u"n1", u"", 0};                  // in memory: written from the list
    AddNotification(u"n1", 500, 0);
    SeenTables tables;
    store.seen.notifications = SeenTable(entries);
    ASSERT_TRUE(SaveSeenState(store));
    ASSERT_TRUE(ParseSeenState(FileBytes("orv_42.dat"), tables));
    ASSERT_EQ(tables.notifications.size(), 2u);
    EXPECT_EQ(tables.notifications.entries()[0].key1, u"n1");
    EXPECT_EQ(tables.notifications.entries()[0].flags, 0u);  // the list's word, not the entry's
    EXPECT_EQ(tables.notifications.entries()[1].key1, u"young");

    // A week after its stamp the young entry goes too.
    clock = Now + 1;
    ASSERT_TRUE(SaveSeenState(store));
    ASSERT_TRUE(ParseSeenState(FileBytes("orv_42.dat"), tables));
    EXPECT_EQ(tables.notifications.size(), 1u);
}

// A refresh that failed lists nothing: what was read before must survive its save.
TEST_F(SeenStateTest, EmptyListsStillCarryTheirYoungEntries) {
    SetOwnUid(u"42");
    store.seen.posts = SeenTable({SeenEntry{0, 1, Now, u"7_1", u"", 0}, SeenEntry{0, 1, Now - 604800, u"7_0", u"", 0}});
    store.seen.likes = SeenTable({SeenEntry{0, 1, Now - 5, u"7_1", u"9", 0}});
    ASSERT_TRUE(SaveSeenState(store));
    SeenTables tables;
    ASSERT_TRUE(ParseSeenState(FileBytes("orv_42.dat"), tables));
    ASSERT_EQ(tables.posts.size(), 1u);
    EXPECT_EQ(tables.posts.entries()[0].key1, u"7_1");
    EXPECT_EQ(tables.likes.size(), 1u);
}

// Each start lists the same likes under a new stamp; the file must not carry the old
// entries beside them (it grew by every like on every start). A comment's stamp is
// part of what it is: two by one author on one post are two items.
TEST_F(SeenStateTest, AListedItemIsWrittenOnceWhateverItsStamp) {
    SetOwnUid(u"42");
    AddNotification(u"n1", Now, 0);
    AddComment(u"7_1", u"8", Now - 20, 1);
    for (int start = 0; start < 3; ++start) {
        ASSERT_TRUE(SaveSeenState(store));
        ASSERT_TRUE(LoadSeenState(store));
        store.FreeLikeList();
        for (const char16_t* user : {u"9", u"10", u"11"}) AddLike(u"7_1", user, Now + start, start == 0 ? 0 : 1);
    }
    store.seen.comments = SeenTable({SeenEntry{0, 1, Now - 20, u"7_1", u"8", 0}, SeenEntry{0, 1, Now - 10, u"7_1", u"8", 0}});
    store.seen.notifications = SeenTable({SeenEntry{0, 1, Now - 10, u"n1", u"", 0}});
    ASSERT_TRUE(SaveSeenState(store));
    SeenTables tables;
    ASSERT_TRUE(ParseSeenState(FileBytes("orv_42.dat"), tables));
    ASSERT_EQ(tables.likes.size(), 3u);
    for (const SeenEntry& e : tables.likes.entries()) EXPECT_EQ(e.stamp, Now + 2);
    ASSERT_EQ(tables.notifications.size(), 1u);  // the current stamp only
    EXPECT_EQ(tables.notifications.entries()[0].stamp, Now);
    EXPECT_EQ(tables.notifications.entries()[0].flags, 0u);
    ASSERT_EQ(tables.comments.size(), 2u);  // the listed one and its author's other one
    EXPECT_EQ(tables.comments.entries()[1].stamp, Now - 10);
}

TEST_F(SeenStateTest, FindSeenKeyRules) {
    SeenTable table({SeenEntry{0, 1, 10, u"p", u"a", 0}, SeenEntry{0, 2, 20, u"p", u"b", 0},
                     SeenEntry{0, 4, 30, u"q", u"", 0}});
    EXPECT_EQ(FindSeen(table, u"p", u"b")->flags, 2u);
    EXPECT_EQ(FindSeen(table, u"p")->flags, 1u);          // no key2 asked: anything
    EXPECT_EQ(FindSeen(table, u"q", u"zzz")->flags, 4u);  // no key2 stored: anything
    EXPECT_EQ(FindSeen(table, u"p", u"a", 20), nullptr);
    EXPECT_EQ(FindSeen(table, u"", u"a"), nullptr);
    EXPECT_EQ(FindSeen(SeenTable(), u"p"), nullptr);
}

// The table's index against the rule spelled out as a plain walk, over tables with
// repeated keys, absent keys and equal stamps.
TEST_F(SeenStateTest, FindSeenAgreesWithAPlainWalk) {
    auto walk = [](const std::vector<SeenEntry>& entries, std::u16string_view key1, std::u16string_view key2,
                   int32_t stamp) -> int64_t {
        if (key1.empty()) return -1;
        for (size_t i = 0; i < entries.size(); ++i) {
            const SeenEntry& e = entries[i];
            if (e.key1 != key1 || (stamp != 0 && e.stamp != stamp)) continue;
            if (key2.empty() || e.key2.empty() || e.key2 == key2) return static_cast<int64_t>(i);
        }
        return -1;
    };
    const std::u16string keys[] = {u"", u"a", u"b", u"c", u"100003_5003"};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<SeenEntry> entries;
        const uint32_t count = next(120);
        const bool withoutKey2 = next(2) == 0, withKey2 = next(4) != 0;
        for (uint32_t i = 0; i < count; ++i) {
            std::u16string key2 = withKey2 ? (next(2) ? keys[next(5)] : u"u" + std::u16string(1, u'0' + next(40))) : u"";
            if (!withoutKey2 && key2.empty()) key2 = u"z";
            entries.push_back(SeenEntry{0, i, static_cast<int32_t>(next(3)), keys[next(5)], key2, 0});
        }
        SeenTable table(entries);
        for (const auto& key1 : keys)
            for (const auto& key2 : {std::u16string(), std::u16string(u"a"), std::u16string(u"z"), keys[4]})
                for (int32_t stamp = 0; stamp < 3; ++stamp) {
                    const int64_t expected = walk(entries, key1, key2, stamp);
                    const SeenHit* hit = table.find(key1, key2, stamp);
                    ASSERT_EQ(hit ? int64_t(hit->position) : -1, expected) << "round " << round;
                    if (hit) {
                        ASSERT_EQ(hit->flags, entries[hit->position].flags);  // the entry's own words
                    }
                    // A post's slice finds the same entry as the whole table.
                    ASSERT_EQ(table.slice(key1).find(key2, stamp), hit) << "round " << round;
                }
    }
}

TEST_F(SeenStateTest, LeftControlResetsOnlyAtTheFirstLoadOfARun) {
    SetOwnUid(u"42");
    AddUser(u"7", 100, 1, 0);
    ASSERT_TRUE(SaveSeenState(store));
    bool down = true;
    SetLeftControlProbe([&] { return down; });
    EXPECT_FALSE(LoadSeenState(store));  // deleted before it was read
    EXPECT_FALSE(std::filesystem::exists("orv_42.dat"));
    ASSERT_TRUE(SaveSeenState(store));
    EXPECT_TRUE(LoadSeenState(store));  // a later load in the same run keeps the file
    EXPECT_TRUE(std::filesystem::exists("orv_42.dat"));
    EXPECT_EQ(store.seen.users.size(), 1u);
    SetLeftControlProbe({});
}

TEST_F(SeenStateTest, LoadReplacesAnotherUsersTablesEvenWithoutAFile) {
    store.seen.posts = SeenTable({SeenEntry{0, 1, Now, u"7_1", u"", 0}});
    SetOwnUid(u"43");
    EXPECT_FALSE(LoadSeenState(store));
    EXPECT_TRUE(store.seen.posts.empty());
}

TEST_F(SeenStateTest, HiddenUsersAreFetchedAtLoadAndComeBackHidden) {
    SetOwnUid(u"42");
    Person("7", "Hidden Person");
    WriteFile("orv_42.dat", Hex("01000000 01000000 01000000 01000000 3700 0000 00 05000000"
                                "00000000 00000000 00000000 00000000 00000000"));
    EXPECT_TRUE(LoadSeenState(store));
    UserRecord* user = FindProfile(store, u"7", false);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->hidden, 1u);
    EXPECT_EQ(shell.menuBars, 1);
}

TEST_F(SeenStateTest, DamagedFilesReadOnlyWholeEntries) {
    const std::string header = Hex("01000000");
    const std::string one = Hex("01000000 00000000 6100 0000 00 01000000");  // "a"
    const std::string two = Hex("01000000 00000000 6200 0000 00 02000000");  // "b"
    SeenTables tables;

    // Another version reads as empty.
    EXPECT_FALSE(ParseSeenState(Hex("03000000 01000000") + one, tables));
    EXPECT_TRUE(tables.users.empty());

    // Shorter than the version.
    EXPECT_FALSE(ParseSeenState(Hex("0100"), tables));

    // A count that runs past the end keeps the whole entries before it.
    const std::string longer = Hex("01000000 00000000 6100 6200 6300 6400 6500 6600 0000 00 03000000");
    std::string counted = header + Hex("03000000") + longer + longer;
    EXPECT_TRUE(ParseSeenState(counted, tables));
    EXPECT_EQ(tables.users.size(), 2u);
    EXPECT_TRUE(tables.posts.empty());

    // A count the rest of the file cannot hold is damage right there: the following
    // sections are not taken as its entries.
    for (const char* count : {"00000080", "05000000"}) {
        std::string junk = header + Hex(count) + Hex("01000000") + one + Hex("01000000") + two + Hex("00000000") +
                           Hex("00000000 00000000 00000000");
        EXPECT_TRUE(ParseSeenState(junk, tables));
        EXPECT_TRUE(tables.users.empty()) << count;
        EXPECT_TRUE(tables.posts.empty()) << count;
    }
    // The same damage in a later section keeps the sections before it.
    std::string late = header + Hex("01000000") + one + Hex("ffffff7f") + two;
    EXPECT_TRUE(ParseSeenState(late, tables));
    EXPECT_EQ(tables.users.size(), 1u);
    EXPECT_TRUE(tables.posts.empty());

    // Cut inside an entry, at every position: the first entry stays once the count
    // could still be whole (two entries of at least 14 bytes).
    std::string full = header + Hex("02000000") + one + two;
    for (size_t cut = 4; cut < full.size(); ++cut) {
        ASSERT_TRUE(ParseSeenState(full.substr(0, cut), tables));
        size_t expected = cut >= header.size() + 4 + 2 * 14 ? 1 : 0;
        EXPECT_EQ(tables.users.size(), expected) << cut;
    }

    // A key without its terminator before the end.
    EXPECT_TRUE(ParseSeenState(header + Hex("01000000 01000000 00000000 6100 6200"), tables));
    EXPECT_TRUE(tables.users.empty());

    // A huge count with nothing behind it.
    EXPECT_TRUE(ParseSeenState(header + Hex("ffffffff"), tables));
    EXPECT_TRUE(tables.users.empty());
}

TEST_F(SeenStateTest, AnOversizedStateStillSavesWhole) {
    SetOwnUid(u"42");
    std::vector<SeenEntry> entries;
    // About 1.5 MB of entries: the file image grows as far as the entries need.
    std::u16string longKey(300, u'k');
    for (int i = 0; i < 2500; ++i) entries.push_back(SeenEntry{0, 1, Now, longKey + AsciiToUtf16(std::to_string(i)), u"", 0});
    store.seen.comments = SeenTable(entries);
    AddComment(u"7_1", u"8", Now, 1);
    ASSERT_TRUE(SaveSeenState(store));
    EXPECT_GT(FileBytes("orv_42.dat").size(), 1024000u);
    SeenTables tables;
    ASSERT_TRUE(ParseSeenState(FileBytes("orv_42.dat"), tables));
    EXPECT_EQ(tables.comments.size(), 2501u);
}

// A key whose first unit has a zero low byte (U+0100 and the like) cannot be told
// from an absent key in version 1: such a file is written as version 2, with a tag
// byte before every key, and reads back whole. Other files stay version 1.
TEST_F(SeenStateTest, KeysStartingWithAZeroByteReadBackWhole) {
    SetOwnUid(u"42");
    AddNotification(u"\u0100x", 400, 1);
    AddNotification(u"n2", 500, 0);
    AddLike(u"7_1", u"\u3000", 300, 1);
    ASSERT_TRUE(SaveSeenState(store));
    std::string bytes = FileBytes("orv_42.dat");
    EXPECT_EQ(bytes, Hex("02000000 00000000 00000000 00000000 00000000"
                         "01000000 01000000 00000000 01 37005f003100 0000 01 0030 0000 2c010000"
                         "02000000 01000000 00000000 01 00017800 0000 00 90010000"
                         "00000000 00000000 01 6e003200 0000 00 f4010000"));
    ASSERT_TRUE(LoadSeenState(store));
    ASSERT_EQ(store.seen.notifications.size(), 2u);
    EXPECT_EQ(FindSeen(store.seen.notifications, u"\u0100x")->flags, 1u);
    EXPECT_EQ(FindSeen(store.seen.notifications, u"n2")->stamp, 500);
    EXPECT_EQ(FindSeen(store.seen.likes, u"7_1", u"\u3000")->flags, 1u);

    SeenTables tables;
    EXPECT_TRUE(ParseSeenState(Hex("02000000 01000000 01000000 00000000 02 3700 0000 00 64000000"), tables));
    EXPECT_TRUE(tables.users.empty());  // no such tag: damaged there

    // Without such a key the file is version 1 again, byte for byte.
    store.FreeLikeList();
    FreeItemList(store.notifications);
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        store.seen = SeenTables();
    }
    AddNotification(u"n2", 500, 0);
    ASSERT_TRUE(SaveSeenState(store));
    EXPECT_EQ(FileBytes("orv_42.dat").substr(0, 4), Hex("01000000"));
}

// A second account must neither see nor save the first one's items.
TEST_F(SeenStateTest, SignOutReleasesEveryListOfTheUserAndTheTables) {
    SetOwnUid(u"42");
    AddUser(u"7", 100, 1, 0);
    AddComment(u"7_1", u"8", 200, 1);
    AddLike(u"7_1", u"9", 300, 1);
    AddNotification(u"n1", 400, 1);
    store.seen.posts = SeenTable({SeenEntry{0, 1, Now, u"7_1", u"", 0}});
    store.seen.likes = SeenTable({SeenEntry{0, 1, Now, u"7_1", u"9", 0}});
    store.ReleaseSignedInData();
    EXPECT_TRUE(store.users.empty() && store.comments.empty() && store.likes.empty() && store.notifications.empty());
    EXPECT_TRUE(store.seen.posts.empty() && store.seen.likes.empty());
    SetOwnUid(u"43");
    ASSERT_TRUE(SaveSeenState(store));
    EXPECT_EQ(FileBytes("orv_43.dat"), Hex("01000000 00000000 00000000 00000000 00000000 00000000 00000000"));
}

TEST_F(SeenStateTest, SavesFromTwoThreadsLeaveAWholeFile) {
    SetOwnUid(u"42");
    for (int i = 0; i < 200; ++i) AddNotification(AsciiToUtf16("n" + std::to_string(i)), Now, 1);
    std::thread other([this] {
        for (int i = 0; i < 30; ++i) SaveSeenState(store);
    });
    for (int i = 0; i < 30; ++i) SaveSeenState(store);
    other.join();
    SeenTables tables;
    ASSERT_TRUE(ParseSeenState(FileBytes("orv_42.dat"), tables));
    EXPECT_EQ(tables.notifications.size(), 200u);
    // No temporary file is left behind.
    size_t files = 0;
    for (auto& entry : std::filesystem::directory_iterator(".")) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);
}

}  // namespace
