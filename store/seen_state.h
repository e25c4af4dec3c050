// The per-user seen-state file "orv_<uid>.dat": what the user has read, muted and
// hidden, kept across runs.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/records.h"

class DataStore;

// What a lookup finds: the words of the entry, copied beside the index so that a hit
// reads nothing else, and the entry's position in file order.
struct SeenHit {
    uint32_t mark = 0;
    uint32_t flags = 0;
    int32_t stamp = 0;
    uint32_t position = 0;
};

// A loaded table, in file order, with an index by first key (the writer looks every
// node of a list up in it).
class SeenTable {
public:
    SeenTable() = default;
    explicit SeenTable(std::vector<SeenEntry> entries);
    const std::vector<SeenEntry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // What FindSeen gives.
    const SeenHit* find(std::u16string_view key1, std::u16string_view key2, int32_t stamp) const;

    // The entries of one first key, found once: the merge looks up every comment and
    // like of one post in a row. Valid while the table lives.
    class Slice;
    Slice slice(std::u16string_view key1) const;
    // Sets matched[i] for every entry of exactly these keys (and this stamp, when the
    // stamp is part of the item's identity): the older entries of an item still listed.
    void markSameItem(std::u16string_view key1, std::u16string_view key2, bool stampIsKey, int32_t stamp,
                      std::vector<char>& matched) const;

private:
    std::vector<SeenEntry> entries_;
    // The entries grouped by first key: the merge looks up one post's comments and
    // likes in a row, so its group stays in cache and the first key is compared once
    // per group, not once per entry. Within a group, members are ordered by second-key
    // hash, then position, so the first fit is the first entry.
    struct Member {
        uint64_t key2Hash = 0;
        SeenHit hit;
        uint32_t key2At = 0;  // the second key's text in key2Texts_
        uint32_t key2Size = 0;
    };
    struct Group {
        uint64_t hash = 0;      // of the first key
        uint32_t first = 0;     // into members_
        uint32_t count = 0;     // 0: empty slot
        uint32_t key1At = 0;    // the first key's text in key1Texts_
        uint32_t key1Size = 0;
        uint32_t slotsAt = 0;   // the group's own slots in hashSlots_
        uint32_t slotMask = 0;  // 0: none, its members are searched by halving
    };
    std::u16string_view key2Of(const Member& m) const { return {key2Texts_.data() + m.key2At, m.key2Size}; }
    template <class It>
    static It FirstWithHash(It first, size_t count, uint64_t hash);
    // The group's first member with this second-key hash, or the group's end.
    std::vector<Member>::const_iterator firstWithHash(const Group& group, uint64_t hash) const;
    const Group* findGroup(std::u16string_view key1) const;
    const SeenHit* findIn(const Group* group, std::u16string_view key2, size_t key2Hash, int32_t stamp) const;
    const SeenHit* firstFit(const Group& group, std::u16string_view key2, size_t itemHash, int32_t stamp) const;
    const SeenHit* firstAny(const Group& group, int32_t stamp) const;
    std::vector<Member> members_;
    // The members' second keys side by side in member order: comparing one reads the
    // memory next to the last one, not an entry anywhere in the table.
    std::u16string key2Texts_;
    // The groups' first keys side by side: a lookup compares one without reading the
    // entry, its member and the entry's string first.
    std::u16string key1Texts_;
    std::vector<Group> groups_;  // open addressing by first-key hash
    // For each large group, open addressing by second-key hash: index + 1 of the first
    // member of each hash (0: free). A lookup of a comment among a post's hundred reads
    // a slot or two instead of halving seven times, each step waiting for the last.
    std::vector<uint32_t> hashSlots_;
    bool anyWithoutKey2_ = false;
    bool anyWithKey2_ = false;

public:
    class Slice {
    public:
        Slice() = default;
        // What FindSeen would give for (the slice's first key, key2, stamp).
        const SeenHit* find(std::u16string_view key2, int32_t stamp = 0) const;
        // The same, for a caller that has the key's ItemKeyHash at hand already.
        const SeenHit* find(std::u16string_view key2, size_t key2Hash, int32_t stamp) const;

    private:
        friend class SeenTable;
        Slice(const SeenTable* table, const Group* group) : table_(table), group_(group) {}
        const SeenTable* table_ = nullptr;
        const Group* group_ = nullptr;  // null: no entry has the first key
    };
};

struct SeenTables {
    SeenTable users, posts, comments, messages, likes, notifications;  // file order
};

constexpr int32_t SeenCarryForwardSeconds = 604800;  // seven days

// First entry with key1, key2 when both sides have one, and stamp unless it is 0.
const SeenHit* FindSeen(const SeenTable& table, std::u16string_view key1, std::u16string_view key2 = {},
                          int32_t stamp = 0);

// The file image of the store's lists plus the carried-forward entries (takes the
// store's mutex).
std::string SeenStateBytes(DataStore& store, int32_t now);
// The file image of the tables alone, as they were loaded.
std::string SeenTablesBytes(const SeenTables& tables);
// Reads a file image. A damaged one reads as far as its last whole entry (a count the
// rest cannot hold ends it there); another version reads as empty (false).
bool ParseSeenState(std::string_view bytes, SeenTables& tables);

std::u16string SeenStateFileName(std::u16string_view uid);

// False (and no file touched) when nobody is signed in. Neither holds the store's mutex
// while it reads or writes the file.
bool SaveSeenState(DataStore& store);
bool LoadSeenState(DataStore& store);

// Whether the left Control key is down; the shell installs the real probe.
void SetLeftControlProbe(std::function<bool()> probe);
