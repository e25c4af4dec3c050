#include "store/seen_state.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/shell_port.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "base/whole_file.h"

namespace {
// Version 1 tells an absent key by a first byte 0, so it cannot hold a key whose first
// unit has a zero low byte (U+0100, for example). A file holding such a key is written
// as version 2, where every key starts with a tag byte (0 absent, 1 present); every
// other file stays version 1, byte for byte.
constexpr uint32_t SeenStateVersion = 1;
constexpr uint32_t SeenStateTaggedVersion = 2;
// Flags, mark, two absent keys and the stamp: no entry is shorter.
constexpr size_t SmallestEntry = 14;

std::mutex saveLock;  // saves come from both threads; taken before the store's mutex
std::mutex probeLock;
std::function<bool()> leftControlProbe;

bool LeftControlDown() {
    std::lock_guard<std::mutex> hold(probeLock);
    return leftControlProbe && leftControlProbe();
}

void Put32(std::string& out, uint32_t value) {
    char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                     static_cast<char>(value >> 24)};
    out.append(bytes, 4);
}

void Set32(std::string& out, size_t at, uint32_t value) {
    for (int shift = 0; shift < 4; ++shift) out[at + shift] = static_cast<char>(value >> (8 * shift));
}

bool NeedsTag(std::u16string_view key) { return !key.empty() && (key[0] & 0xFF) == 0; }

class Writer {
public:
    explicit Writer(bool tagged) : tagged_(tagged) {
        out.reserve(4096);
        Put32(out, tagged ? SeenStateTaggedVersion : SeenStateVersion);
    }
    // A key version 1 cannot hold was met: the caller writes the file again tagged.
    bool needsTags() const { return needsTags_; }

    void entry(uint32_t flags, uint32_t mark, std::u16string_view key1, std::u16string_view key2,
               int32_t stamp) {
        Put32(out, flags);
        Put32(out, mark);
        key(key1);
        key(key2);
        Put32(out, static_cast<uint32_t>(stamp));
    }

    std::string out;

private:
    void key(std::u16string_view key) {
        if (!tagged_ && NeedsTag(key)) needsTags_ = true;
        if (key.empty()) {
            out.push_back('\0');
            return;
        }
        if (tagged_) out.push_back('\1');
        size_t at = out.size();
        out.resize(at + 2 * key.size() + 2);
        char* p = &out[at];
        for (char16_t unit : key) {
            *p++ = static_cast<char>(unit & 0xFF);
            *p++ = static_cast<char>(unit >> 8);
        }
        p[0] = p[1] = 0;
    }

    bool tagged_;
    bool needsTags_ = false;
};

// The young entries of items not in memory are carried over, also when the list is
// empty (a refresh that failed lists nothing). An entry of an item that is listed is
// never carried over: the list writes the item once, under its current stamp.
// Comments are told apart by their stamp (one author may comment twice); the other
// items are one per key pair, whatever their stamp.
template <class T>
void WriteSection(Writer& out, const ItemList<T>& list, const SeenTable& table, int32_t now, bool stampIsKey,
                  bool listsComplete) {
    // Before a refresh has listed everything, age drops nothing.
    const int64_t oldest = listsComplete ? static_cast<int64_t>(now) - SeenCarryForwardSeconds : INT64_MIN;
    size_t countAt = out.out.size();
    Put32(out.out, 0);
    uint32_t count = 0;
    std::vector<char> matched(table.size(), 0);
    for (const auto& node : list) {
        table.markSameItem(node.key1, node.key2, stampIsKey, node.stamp, matched);
        out.entry(node.flags(), node.mark(), node.key1, node.key2, node.stamp);
        ++count;
    }
    const auto& entries = table.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const SeenEntry& e = entries[i];
        if (matched[i] || e.stamp <= oldest) continue;
        out.entry(e.flags, e.mark, e.key1, e.key2, e.stamp);
        ++count;
    }
    Set32(out.out, countAt, count);
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    void setTagged(bool tagged) { tagged_ = tagged; }
    size_t remaining() const { return bytes_.size() - at_; }

    bool u32(uint32_t& value) {
        if (bytes_.size() - at_ < 4) return false;
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + at_);
        value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        at_ += 4;
        return true;
    }

    bool key(std::u16string& value) {
        value.clear();
        if (at_ >= bytes_.size()) return false;
        if (bytes_[at_] == 0) {  // absent: one byte
            ++at_;
            return true;
        }
        size_t start = at_;
        if (tagged_) {
            if (bytes_[at_] != 1) return false;  // no such tag
            ++start;
        }
        for (size_t p = start; bytes_.size() - p >= 2; p += 2) {
            char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes_[p]) |
                                                  (static_cast<unsigned char>(bytes_[p + 1]) << 8));
            if (unit == 0) {
                at_ = p + 2;
                return true;
            }
            value.push_back(unit);
        }
        value.clear();
        return false;  // no terminator before the end
    }

private:
    std::string_view bytes_;
    size_t at_ = 0;
    bool tagged_ = false;
};
}  // namespace

namespace {
uint64_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}
// Keys are short ids: the lists' own hash reads them four units at a time.
uint64_t KeyHash(std::u16string_view key) { return Mix(ItemKeyHash{}(key)); }
}  // namespace

SeenTable::SeenTable(std::vector<SeenEntry> entries) : entries_(std::move(entries)) {
    struct Sortable {
        uint64_t key1Hash;
        Member member;
    };
    std::vector<Sortable> sorted;
    sorted.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        const SeenEntry& e = entries_[i];
        if (e.key2.empty()) anyWithoutKey2_ = true;
        else anyWithKey2_ = true;
        if (e.key1.empty()) continue;  // never found
        const SeenHit hit{e.mark, e.flags, e.stamp, static_cast<uint32_t>(i)};
        sorted.push_back(Sortable{KeyHash(e.key1), Member{KeyHash(e.key2), hit}});
    }
    // Equal first keys side by side; first keys of one hash but different text (rare)
    // are then set apart, keeping their order.
    std::sort(sorted.begin(), sorted.end(), [](const Sortable& a, const Sortable& b) {
        if (a.key1Hash != b.key1Hash) return a.key1Hash < b.key1Hash;
        if (a.member.key2Hash != b.member.key2Hash) return a.member.key2Hash < b.member.key2Hash;
        return a.member.hit.position < b.member.hit.position;
    });
    auto key1Of = [this](const Sortable& s) -> const std::u16string& { return entries_[s.member.hit.position].key1; };
    for (size_t i = 0, end; i < sorted.size(); i = end) {
        bool mixed = false;
        for (end = i + 1; end < sorted.size() && sorted[end].key1Hash == sorted[i].key1Hash; ++end)
            mixed = mixed || key1Of(sorted[end]) != key1Of(sorted[i]);
        if (mixed)
            std::stable_sort(sorted.begin() + i, sorted.begin() + end,
                             [&](const Sortable& a, const Sortable& b) { return key1Of(a) < key1Of(b); });
    }
    members_.reserve(sorted.size());
    size_t key2Units = 0;
    for (const Sortable& s : sorted) key2Units += entries_[s.member.hit.position].key2.size();
    key2Texts_.reserve(key2Units);
    std::vector<Group> runs;
    for (size_t i = 0; i < sorted.size(); ++i) {
        const bool sameKey1 =
            i > 0 && sorted[i].key1Hash == sorted[i - 1].key1Hash && key1Of(sorted[i]) == key1Of(sorted[i - 1]);
        if (sameKey1) {
            ++runs.back().count;
        } else {
            const std::u16string& key1 = key1Of(sorted[i]);
            runs.push_back(Group{sorted[i].key1Hash, static_cast<uint32_t>(i), 1,
                                 static_cast<uint32_t>(key1Texts_.size()), static_cast<uint32_t>(key1.size())});
            key1Texts_ += key1;
        }
        Member member = sorted[i].member;
        const std::u16string& key2 = entries_[member.hit.position].key2;
        member.key2At = static_cast<uint32_t>(key2Texts_.size());
        member.key2Size = static_cast<uint32_t>(key2.size());
        key2Texts_ += key2;
        members_.push_back(member);
    }
    constexpr uint32_t SlotsFrom = 16;  // smaller groups are searched by halving
    for (Group& run : runs) {
        if (run.count < SlotsFrom) continue;
        size_t slots = 2 * SlotsFrom;
        while (slots < 2 * size_t(run.count)) slots *= 2;
        run.slotsAt = static_cast<uint32_t>(hashSlots_.size());
        run.slotMask = static_cast<uint32_t>(slots - 1);
        hashSlots_.resize(hashSlots_.size() + slots);
        uint32_t* table = hashSlots_.data() + run.slotsAt;
        for (uint32_t i = run.first; i < run.first + run.count; ++i) {
            const uint64_t hash = members_[i].key2Hash;
            if (i > run.first && members_[i - 1].key2Hash == hash) continue;  // the first of a hash only
            size_t at = hash & run.slotMask;
            while (table[at] != 0) at = (at + 1) & run.slotMask;
            table[at] = i + 1;
        }
    }
    size_t capacity = 16;
    while (capacity < runs.size() * 2) capacity *= 2;
    groups_.assign(capacity, Group());
    const size_t mask = capacity - 1;
    for (const Group& run : runs) {
        size_t at = run.hash & mask;
        while (groups_[at].count != 0) at = (at + 1) & mask;
        groups_[at] = run;
    }
}

// The first of `count` members (sorted by hash) whose hash is not below `hash`. The
// hashes are random, so a branch per step would be mispredicted half the time: each
// step picks its half without one.
template <class It>
It SeenTable::FirstWithHash(It first, size_t count, uint64_t hash) {
    if (count == 0) return first;
    while (count > 1) {
        const size_t half = count / 2;
        first = first[half].key2Hash < hash ? first + half : first;
        count -= half;
    }
    return first + (first->key2Hash < hash ? 1 : 0);
}

std::vector<SeenTable::Member>::const_iterator SeenTable::firstWithHash(const Group& group, uint64_t hash) const {
    const auto first = members_.begin() + group.first, end = first + group.count;
    if (group.slotMask == 0) {
        auto at = FirstWithHash(first, group.count, hash);
        return at != end && at->key2Hash == hash ? at : end;
    }
    const uint32_t* table = hashSlots_.data() + group.slotsAt;
    for (size_t at = hash & group.slotMask;; at = (at + 1) & group.slotMask) {
        const uint32_t member = table[at];
        if (member == 0) return end;
        if (members_[member - 1].key2Hash == hash) return members_.begin() + (member - 1);
    }
}

const SeenTable::Group* SeenTable::findGroup(std::u16string_view key1) const {
    if (members_.empty()) return nullptr;
    const uint64_t hash = KeyHash(key1);
    const size_t mask = groups_.size() - 1;
    for (size_t at = hash & mask; groups_[at].count != 0; at = (at + 1) & mask) {
        const Group& group = groups_[at];
        if (group.hash == hash && SameKeyText({key1Texts_.data() + group.key1At, group.key1Size}, key1))
            return &group;
    }
    return nullptr;
}

const SeenHit* SeenTable::firstFit(const Group& group, std::u16string_view key2, size_t itemHash,
                                   int32_t stamp) const {
    const uint64_t hash = Mix(itemHash);
    auto end = members_.begin() + group.first + group.count;
    for (auto at = firstWithHash(group, hash); at != end && at->key2Hash == hash; ++at) {
        if (stamp != 0 && at->hit.stamp != stamp) continue;
        if (SameKeyText(key2Of(*at), key2)) return &at->hit;
    }
    return nullptr;
}

const SeenHit* SeenTable::firstAny(const Group& group, int32_t stamp) const {
    const SeenHit* first = nullptr;
    for (uint32_t i = group.first; i < group.first + group.count; ++i) {
        const SeenHit& hit = members_[i].hit;
        if ((stamp == 0 || hit.stamp == stamp) && (!first || hit.position < first->position)) first = &hit;
    }
    return first;
}

const SeenHit* SeenTable::findIn(const Group* group, std::u16string_view key2, size_t key2Hash,
                                 int32_t stamp) const {
    if (!group) return nullptr;
    if (key2.empty()) return firstAny(*group, stamp);  // any second key
    // An entry without a second key matches any; the earlier of the two candidates wins.
    const SeenHit* exact = anyWithKey2_ ? firstFit(*group, key2, key2Hash, stamp) : nullptr;
    const SeenHit* loose = anyWithoutKey2_ ? firstFit(*group, u"", ItemKeyHash{}(u""), stamp) : nullptr;
    if (!exact) return loose;
    if (!loose) return exact;
    return exact->position < loose->position ? exact : loose;
}

const SeenHit* SeenTable::find(std::u16string_view key1, std::u16string_view key2, int32_t stamp) const {
    if (key1.empty() || entries_.empty()) return nullptr;
    const Group* group = findGroup(key1);
    return group ? findIn(group, key2, ItemKeyHash{}(key2), stamp) : nullptr;
}

SeenTable::Slice SeenTable::slice(std::u16string_view key1) const {
    if (key1.empty() || entries_.empty()) return Slice(this, nullptr);
    const Group* group = findGroup(key1);
    if (group && group->count > 0) {
        // The slice's lookups search its members in no order the hardware could
        // foresee: bring them and their second keys into the cache in one sweep.
        auto sweep = [](const void* from, size_t bytes) {
            const char* p = static_cast<const char*>(from);
            for (size_t at = 0; at < bytes; at += 64) __builtin_prefetch(p + at);
        };
        const Member& first = members_[group->first];
        const Member& last = members_[group->first + group->count - 1];
        sweep(&first, group->count * sizeof(Member));
        if (group->slotMask != 0) sweep(hashSlots_.data() + group->slotsAt, (group->slotMask + 1) * sizeof(uint32_t));
        sweep(key2Texts_.data() + first.key2At, (last.key2At + last.key2Size - first.key2At) * sizeof(char16_t));
    }
    return Slice(this, group);
}

const SeenHit* SeenTable::Slice::find(std::u16string_view key2, int32_t stamp) const {
    return group_ ? table_->findIn(group_, key2, ItemKeyHash{}(key2), stamp) : nullptr;
}

const SeenHit* SeenTable::Slice::find(std::u16string_view key2, size_t key2Hash, int32_t stamp) const {
    return group_ ? table_->findIn(group_, key2, key2Hash, stamp) : nullptr;
}

void SeenTable::markSameItem(std::u16string_view key1, std::u16string_view key2, bool stampIsKey, int32_t stamp,
                             std::vector<char>& matched) const {
    if (key1.empty()) return;
    const Group* group = findGroup(key1);
    if (!group) return;
    const uint64_t hash = KeyHash(key2);
    auto end = members_.begin() + group->first + group->count;
    for (auto at = firstWithHash(*group, hash); at != end && at->key2Hash == hash; ++at) {
        if (stampIsKey && at->hit.stamp != stamp) continue;
        if (SameKeyText(key2Of(*at), key2)) matched[at->hit.position] = 1;
    }
}

const SeenHit* FindSeen(const SeenTable& table, std::u16string_view key1, std::u16string_view key2,
                        int32_t stamp) {
    return table.find(key1, key2, stamp);
}

namespace {
std::string StoreBytes(const DataStore& store, int32_t now) {
    for (bool tagged : {false, true}) {
        Writer out(tagged);
        WriteSection(out, store.users, store.seen.users, now, false, store.seenListsComplete);
        WriteSection(out, store.posts, store.seen.posts, now, false, store.seenListsComplete);
        WriteSection(out, store.comments, store.seen.comments, now, true, store.seenListsComplete);
        WriteSection(out, store.messages, store.seen.messages, now, false, store.seenListsComplete);
        WriteSection(out, store.likes, store.seen.likes, now, false, store.seenListsComplete);
        WriteSection(out, store.notifications, store.seen.notifications, now, false, store.seenListsComplete);
        if (!out.needsTags()) return std::move(out.out);
    }
    return std::string();  // not reached: a tagged writer never needs tags
}
}  // namespace

std::string SeenStateBytes(DataStore& store, int32_t now) {
    std::lock_guard<std::mutex> hold(store.mutex());
    store.SortComments();  // the same file whether or not a refresh is under way
    return StoreBytes(store, now);
}

std::string SeenTablesBytes(const SeenTables& tables) {
    for (bool tagged : {false, true}) {
        Writer out(tagged);
        for (const SeenTable* table : {&tables.users, &tables.posts, &tables.comments, &tables.messages,
                                       &tables.likes, &tables.notifications}) {
            Put32(out.out, static_cast<uint32_t>(table->size()));
            for (const SeenEntry& e : table->entries()) out.entry(e.flags, e.mark, e.key1, e.key2, e.stamp);
        }
        if (!out.needsTags()) return std::move(out.out);
    }
    return std::string();
}

bool ParseSeenState(std::string_view bytes, SeenTables& tables) {
    tables = SeenTables();
    Reader in(bytes);
    uint32_t version = 0;
    if (!in.u32(version) || (version != SeenStateVersion && version != SeenStateTaggedVersion)) return false;
    in.setTagged(version == SeenStateTaggedVersion);
    std::vector<SeenEntry> sections[6];
    bool whole = true;
    for (int s = 0; s < 6 && whole; ++s) {
        uint32_t count = 0;
        // A count the rest of the file cannot hold is damage: taking the following
        // sections as entries of this one would pull junk in.
        if (!in.u32(count) || count > in.remaining() / SmallestEntry) {
            whole = false;
            break;
        }
        for (uint32_t i = 0; i < count; ++i) {
            SeenEntry e;
            uint32_t stamp = 0;
            if (!in.u32(e.flags) || !in.u32(e.mark) || !in.key(e.key1) || !in.key(e.key2) || !in.u32(stamp)) {
                whole = false;  // a damaged file counts up to its last whole entry
                break;
            }
            e.stamp = static_cast<int32_t>(stamp);
            if (!e.key1.empty()) sections[s].push_back(std::move(e));
        }
    }
    tables.users = SeenTable(std::move(sections[0]));
    tables.posts = SeenTable(std::move(sections[1]));
    tables.comments = SeenTable(std::move(sections[2]));
    tables.messages = SeenTable(std::move(sections[3]));
    tables.likes = SeenTable(std::move(sections[4]));
    tables.notifications = SeenTable(std::move(sections[5]));
    return true;
}

std::u16string SeenStateFileName(std::u16string_view uid) {
    return FormatText(u"orv_%s.dat", {uid}, 127);
}

bool SaveSeenState(DataStore& store) {
    std::lock_guard<std::mutex> serial(saveLock);
    std::u16string name;
    std::string bytes;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (store.ownUid.empty()) return false;
        name = SeenStateFileName(store.ownUid);
        store.SortComments();
        bytes = StoreBytes(store, CurrentTime());
    }
    WriteWholeFile(name, bytes.data(), bytes.size());
    return true;
}

bool LoadSeenState(DataStore& store) {
    std::u16string name;
    bool first;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (store.ownUid.empty()) return false;
        name = SeenStateFileName(store.ownUid);
        first = !store.seenLoadedOnce;
        store.seenLoadedOnce = true;
    }
    if (first && LeftControlDown()) {
        std::lock_guard<std::mutex> serial(saveLock);
        FileBusy = 1;
        std::error_code ignored;
        std::filesystem::remove(FilePath(name), ignored);
        FileBusy = 0;
    }
    std::string bytes;
    SeenTables tables;
    bool read = ReadWholeFile(name, bytes);
    if (read) ParseSeenState(bytes, tables);
    bytes.clear();
    std::vector<std::u16string> hiddenUsers;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        // Another user's tables never stay behind, also when this one has no file.
        store.seen = std::move(tables);
        store.seenListsComplete = false;
        for (const SeenEntry& e : store.seen.users.entries())
            if (e.mark != 0) hiddenUsers.push_back(e.key1);
    }
    if (!read) return false;
    for (const auto& id : hiddenUsers) {
        if (store.stopRequested) break;
        FindProfile(store, id, true);
    }
    Shell().RebuildMenuBar();
    return true;
}

void SetLeftControlProbe(std::function<bool()> probe) {
    std::lock_guard<std::mutex> hold(probeLock);
    leftControlProbe = std::move(probe);
}
