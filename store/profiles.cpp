#include "store/profiles.h"

#include <unordered_map>

#include "base/format_text.h"
#include "net/service_calls.h"
#include "store/data_store.h"
#include "store/seen_state.h"

namespace {
const char16_t* const ProfileQueries[] = {
    (u"SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
     u"birthday FROM user WHERE uid='%s'"),
    u"SELECT page_id,name,pic_square,pic,page_url FROM page WHERE page_id='%s'",
    u"SELECT gid,name,pic_small FROM group WHERE gid='%s'",
    u"SELECT eid,name,pic_small FROM event WHERE eid='%s'",
};
constexpr size_t QueryLimit = 1023;

// Profiles are looked up for every author, liker and sender: an index by id keeps that
// from walking the whole list each time. Users are only appended here and released
// as a whole, so a size mismatch is the one sign of a stale index.
// Keys are views of the records' own ids, which live as long as their nodes.
std::unordered_map<std::u16string_view, UserRecord*> profileIndex;
const ItemNode<UserRecord>* indexedHead = nullptr;

void RefreshIndex() {
    if (profileIndex.size() == UserList.size() && indexedHead == UserList.head()) return;
    profileIndex.clear();
    for (auto& node : UserList) profileIndex.emplace(node.payload.id, &node.payload);
    indexedHead = UserList.head();
}

UserRecord* CachedProfile(std::u16string_view id) {
    RefreshIndex();
    auto found = profileIndex.find(id);
    return found == profileIndex.end() ? nullptr : found->second;
}

void FillProfile(UserRecord& r, const JsonValue* row, int32_t kind) {
    r.name = GetJsonText(row, "name");
    r.kind = kind;
    switch (kind) {
    case ProfileUser:
        r.id = GetJsonText(row, "uid");
        r.profileUrl = GetJsonText(row, "profile_url");
        r.profileUpdateTime = GetJsonInt(row, "profile_update_time");
        r.statusMessageAtFetch = GetJsonText(row, "status.message");
        r.birthday = GetJsonText(row, "birthday");
        r.city = GetJsonText(row, "current_location.city");
        r.pictureUrl = GetJsonText(row, "pic_square");
        r.largePictureUrl = GetJsonText(row, "pic");
        r.onlinePresence = GetJsonText(row, "online_presence");
        break;
    case ProfilePage:
        r.id = GetJsonText(row, "page_id");
        r.profileUrl = GetJsonText(row, "page_url");
        r.pictureUrl = GetJsonText(row, "pic_square");
        r.largePictureUrl = GetJsonText(row, "pic");
        break;
    case ProfileGroup:
        r.id = GetJsonText(row, "gid");
        r.pictureUrl = GetJsonText(row, "pic_small");
        break;
    default:
        r.id = GetJsonText(row, "eid");
        r.pictureUrl = GetJsonText(row, "pic_small");
        break;
    }
}
}  // namespace

void ForgetProfileIndex() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    profileIndex.clear();
    indexedHead = nullptr;
}

PicturePtr FetchPicture(std::u16string_view url) {
    if (url.empty()) return nullptr;
    return DownloadPicture(url);
}

UserRecord* FindProfile(std::u16string_view id, bool fetch) {
    if (id.empty() || id == u"null") return nullptr;
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    if (UserRecord* cached = CachedProfile(id)) return cached;
    if (!fetch) return nullptr;
    for (int32_t kind = ProfileUser; kind <= ProfileEvent; ++kind) {
        if (RefreshStopRequested) return nullptr;
        JsonTree rows = FqlQuery(FormatText(ProfileQueries[kind], {id}, QueryLimit));
        if (rows.empty()) continue;
        ParseProfiles(std::move(rows), false, kind);
        // An answer without this id (an error object, another id) means "not this kind".
        if (UserRecord* found = CachedProfile(id)) return found;
    }
    return nullptr;  // nothing is remembered: the next call asks again
}

bool ParseProfiles(JsonTree rows, bool updateMode, int32_t kind) {
    if (rows.empty()) return false;
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) continue;
        int32_t rowKind = kind;
        if (updateMode) {
            if (UserRecord* cached = FindProfile(GetJsonTextView(row, "uid"), false)) {
                cached->onlinePresence = GetJsonText(row, "online_presence");
                cached->statusText = GetJsonText(row, "status.message");
                continue;
            }
            rowKind = ProfileUser;  // a friend not cached yet joins in full
        }
        UserRecord scratch;
        FillProfile(scratch, row, rowKind);
        if (scratch.id.empty()) continue;
        if (CachedProfile(scratch.id)) continue;  // never two records for one id
        std::u16string key = scratch.id;
        int32_t stamp = scratch.profileUpdateTime;
        ItemNode<UserRecord>* n = nullptr;
        if (!AppendItem(UserList, std::move(scratch), std::move(key), {}, stamp, &n)) continue;
        UserRecord& user = n->payload;
        profileIndex.emplace(user.id, &user);
        indexedHead = UserList.head();
        n->flagsRef = &user.flags;
        n->markRef = &user.hidden;
        user.flags |= ItemRead;
        user.hidden = 0;
        if (const SeenEntry* seen = FindSeen(SeenUsers, user.id)) user.hidden = seen->mark;
        if (!user.picture) user.picture = FetchPicture(user.pictureUrl);
        if (!user.largePicture) user.largePicture = FetchPicture(user.largePictureUrl);
    }
    return true;
}
