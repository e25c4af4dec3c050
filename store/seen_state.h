// The per-user seen-state file "orv_<uid>.dat": what the user has read, muted and
// hidden, kept across runs.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/records.h"

// A loaded table, in file order, with an index by first key (the writer looks every
// node of a list up in it).
class SeenTable {
public:
    SeenTable() = default;
    explicit SeenTable(std::vector<SeenEntry> entries);
    SeenTable(const SeenTable& other) : SeenTable(other.entries_) {}
    SeenTable& operator=(const SeenTable& other) {
        if (this != &other) *this = SeenTable(other.entries_);
        return *this;
    }
    SeenTable(SeenTable&&) = default;
    SeenTable& operator=(SeenTable&&) = default;

    const std::vector<SeenEntry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Position of the entry FindSeen would give, or -1.
    int64_t findIndex(std::u16string_view key1, std::u16string_view key2, int32_t stamp) const;

private:
    std::vector<SeenEntry> entries_;
    std::unordered_map<std::u16string, std::vector<uint32_t>> index_;
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
