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

// The members a profile row of any kind may carry, found in one walk per row.
enum ProfileField {
    Name, Uid, ProfileUrl, ProfileUpdateTime, Status, Birthday, CurrentLocation, PicSquare, Pic, OnlinePresence,
    PageId, PageUrl, Gid, Eid, PicSmall, ProfileFields
};
const std::string_view ProfileNames[ProfileFields] = {
    "name", "uid", "profile_url", "profile_update_time", "status", "birthday", "current_location", "pic_square",
    "pic", "online_presence", "page_id", "page_url", "gid", "eid", "pic_small"};
static_assert(ProfileFields <= JsonRowReader::MaxNames, "one reader finds them all");

void FillProfile(UserRecord& r, const JsonValue* const* field, int32_t kind) {
    r.name = JsonValueString(field[Name]);
    r.kind = kind;
    switch (kind) {
    case ProfileUser:
        r.id = JsonValueString(field[Uid]);
        r.profileUrl = JsonValueString(field[ProfileUrl]);
        r.profileUpdateTime = JsonValueInt(field[ProfileUpdateTime]);
        r.statusMessageAtFetch = JsonValueString(FindJsonNodeIn(field[Status], "status.message"));
        r.birthday = JsonValueString(field[Birthday]);
        r.city = JsonValueString(FindJsonNodeIn(field[CurrentLocation], "current_location.city"));
        r.pictureUrl = JsonValueString(field[PicSquare]);
        r.largePictureUrl = JsonValueString(field[Pic]);
        r.onlinePresence = JsonValueString(field[OnlinePresence]);
        break;
    case ProfilePage:
        r.id = JsonValueString(field[PageId]);
        r.profileUrl = JsonValueString(field[PageUrl]);
        r.pictureUrl = JsonValueString(field[PicSquare]);
        r.largePictureUrl = JsonValueString(field[Pic]);
        break;
    case ProfileGroup:
        r.id = JsonValueString(field[Gid]);
        r.pictureUrl = JsonValueString(field[PicSmall]);
        break;
    default:
        r.id = JsonValueString(field[Eid]);
        r.pictureUrl = JsonValueString(field[PicSmall]);
        break;
    }
}
}  // namespace

SharedPicture FetchPicture(DataStore& store, std::u16string_view url) {
    if (url.empty()) return nullptr;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (SharedPicture held = store.HeldPicture(url)) return held;
    }
    PicturePtr picture = DownloadPicture(url);
    std::lock_guard<std::mutex> hold(store.mutex());
    return store.HoldPicture(url, std::move(picture));
}

UserRecord* FindProfile(DataStore& store, std::u16string_view id, bool fetch) {
    if (id.empty() || id == u"null") return nullptr;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (UserRecord* cached = store.FindUser(id)) return cached;
    }
    if (!fetch) return nullptr;
    for (int32_t kind = ProfileUser; kind <= ProfileEvent; ++kind) {
        if (store.stopRequested) return nullptr;
        JsonTree rows = FqlQuery(FormatText(ProfileQueries[kind], {id}, QueryLimit));
        if (rows.empty()) continue;
        ParseProfiles(store, std::move(rows), false, kind);
        // An answer without this id (an error object, another id) means "not this kind".
        std::lock_guard<std::mutex> hold(store.mutex());
        if (UserRecord* found = store.FindUser(id)) return found;
    }
    return nullptr;  // nothing is remembered: the next call asks again
}

bool ParseProfiles(DataStore& store, JsonTree rows, bool updateMode, int32_t kind) {
    if (rows.empty()) return false;
    JsonRowReader reader(ProfileNames, ProfileFields);
    const JsonValue* field[ProfileFields];
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (store.stopRequested) break;
        if (!node->children) continue;
        reader.read(node->children, field);
        int32_t rowKind = kind;
        if (updateMode) {
            std::lock_guard<std::mutex> hold(store.mutex());
            if (UserRecord* cached = store.FindUser(JsonValueText(field[Uid]))) {
                cached->onlinePresence = JsonValueString(field[OnlinePresence]);
                cached->statusText = JsonValueString(FindJsonNodeIn(field[Status], "status.message"));
                continue;
            }
            rowKind = ProfileUser;  // a friend not cached yet joins in full
        }
        UserRecord scratch;
        FillProfile(scratch, field, rowKind);
        if (scratch.id.empty()) continue;
        {
            std::lock_guard<std::mutex> hold(store.mutex());
            if (store.FindUser(scratch.id)) continue;  // never two records for one id
        }
        // The pictures come before the profile is listed, outside the lock.
        scratch.picture = FetchPicture(store, scratch.pictureUrl);
        scratch.largePicture = FetchPicture(store, scratch.largePictureUrl);
        std::lock_guard<std::mutex> hold(store.mutex());
        if (store.FindUser(scratch.id)) continue;  // listed by another thread meanwhile
        int32_t stamp = scratch.profileUpdateTime;
        ItemNode<UserRecord>* n = nullptr;
        if (!AppendItem(store.users, std::move(scratch), {&UserRecord::id}, stamp, &n)) continue;
        UserRecord& user = n->payload;
        n->flagsRef = &user.flags;
        n->markRef = &user.hidden;
        user.flags |= ItemRead;
        user.hidden = 0;
        if (const SeenHit* seen = FindSeen(store.seen.users, user.id)) user.hidden = seen->mark;
    }
    return true;
}
