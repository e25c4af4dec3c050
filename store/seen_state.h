// The per-user seen-state file "orv_<uid>.dat": what the user has read, muted and
// hidden, kept across runs.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/records.h"

// A loaded table, in file order, with an index by first key (the writer looks every
// node of a list up in it).
class SeenTable {
public:
    SeenTable() = default;
    explicit SeenTable(std::vector<SeenEntry> entries);
    const std::vector<SeenEntry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Position of the entry FindSeen would give, or -1.
    int64_t findIndex(std::u16string_view key1, std::u16string_view key2, int32_t stamp) const;

private:
    std::vector<SeenEntry> entries_;
    // Open-addressing index of the entries, built once: each slot holds an entry's key
    // hash and stamp, so most candidates are turned down without touching the entry.
    // Probing meets entries of one key in table order, so the first fit is the first
    // entry. `byKeys_` is keyed by both keys (an absent second key hashes as empty);
    // `byKey1_` by the first alone, needed only when some entry has a second key.
    struct Slot {
        uint64_t hash = 0;
        uint32_t position = 0;  // entry index + 1; 0: empty
        int32_t stamp = 0;
    };
    static std::vector<Slot> BuildSlots(const std::vector<SeenEntry>& entries, bool withKey2);
    int64_t probe(const std::vector<Slot>& slots, uint64_t hash, std::u16string_view key1,
                  std::u16string_view key2, bool matchKey2, int32_t stamp) const;
    std::vector<Slot> byKeys_;
    std::vector<Slot> byKey1_;
    bool anyWithoutKey2_ = false;
    bool anyWithKey2_ = false;
};

struct SeenTables {
    SeenTable users, posts, comments, messages, likes, notifications;  // file order
};

extern SeenTable SeenUsers;
extern SeenTable SeenPosts;
extern SeenTable SeenComments;
extern SeenTable SeenMessages;
extern SeenTable SeenLikes;
extern SeenTable SeenNotifications;

constexpr int32_t SeenCarryForwardSeconds = 604800;  // seven days

// First entry with key1, key2 when both sides have one, and stamp unless it is 0.
const SeenEntry* FindSeen(const SeenTable& table, std::u16string_view key1, std::u16string_view key2 = {},
                          int32_t stamp = 0);

// The file image of the current lists plus the carried-forward entries.
std::string SeenStateBytes(int32_t now);
// The file image of the tables alone, as they were loaded.
std::string SeenTablesBytes(const SeenTables& tables);
// Reads a file image. A damaged one reads as far as its last whole entry; another
// version reads as empty (false).
bool ParseSeenState(std::string_view bytes, SeenTables& tables);

std::u16string SeenStateFileName(std::u16string_view uid);

// False (and no file touched) when nobody is signed in.
bool SaveSeenState();
bool LoadSeenState();

// Whether the left Control key is down; the shell installs the real probe.
void SetLeftControlProbe(std::function<bool()> probe);
// Tests only: forget the tables and that a load happened in this run.
void ResetSeenStateForTesting();
