// Any bytes as a seen-state file: the reader stays inside them, keeps only whole
// entries with a first key, and what it read writes back to bytes that read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/seen_state.h"

namespace {
bool Same(const SeenTable& a, const SeenTable& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const SeenEntry& x = a.entries()[i];
        const SeenEntry& y = b.entries()[i];
        if (x.flags != y.flags || x.mark != y.mark || x.stamp != y.stamp || x.key1 != y.key1 || x.key2 != y.key2)
            return false;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SeenTables tables;
    if (!ParseSeenState(bytes, tables)) {
        if (!tables.users.empty() || !tables.notifications.empty()) std::abort();
        return 0;
    }
    for (const SeenTable* t : {&tables.users, &tables.posts, &tables.comments, &tables.messages, &tables.likes,
                               &tables.notifications})
        for (const SeenEntry& e : t->entries())
            if (e.key1.empty() || FindSeen(*t, e.key1) == nullptr) std::abort();
    SeenTables again;
    if (!ParseSeenState(SeenTablesBytes(tables), again)) std::abort();
    if (!Same(tables.users, again.users) || !Same(tables.posts, again.posts) ||
        !Same(tables.comments, again.comments) || !Same(tables.messages, again.messages) ||
        !Same(tables.likes, again.likes) || !Same(tables.notifications, again.notifications))
        std::abort();
    return 0;
}
