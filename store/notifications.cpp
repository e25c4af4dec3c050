#include "store/notifications.h"

#include "base/format_text.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "store/seen_state.h"

namespace {
constexpr size_t TooltipLimit = 1023;

void ReplaceIfGiven(std::u16string& slot, std::u16string value) {
    if (!value.empty()) slot = std::move(value);
}

void MergeNotification(DataStore& store, const JsonValue* row) {
    std::u16string id = GetJsonText(row, "notification_id");
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (ItemNode<NotificationRecord>* n = store.FindNotification(id)) {
            NotificationRecord& listed = n->payload;
            ReplaceIfGiven(listed.bodyText, GetJsonText(row, "body_text"));
            ReplaceIfGiven(listed.titleText, GetJsonText(row, "title_text"));
            ReplaceIfGiven(listed.link, GetJsonText(row, "href"));
            ReplaceIfGiven(listed.senderId, GetJsonText(row, "sender_id"));
            listed.updatedTime = GetJsonInt(row, "updated_time");
            return;
        }
    }
    NotificationRecord record;
    record.notificationId = id;
    record.senderId = GetJsonText(row, "sender_id");
    record.titleText = GetJsonText(row, "title_text");
    record.bodyText = GetJsonText(row, "body_text");
    record.createdTime = GetJsonInt(row, "created_time");
    record.updatedTime = GetJsonInt(row, "updated_time");
    record.link = GetJsonText(row, "href");
    UserRecord* sender = FindProfile(store, record.senderId, true);
    std::u16string name;
    if (sender) {
        std::lock_guard<std::mutex> hold(store.mutex());
        name = sender->name;
    }
    Shell().SetTrayTooltip(
        sender ? FormatText(LookupText("READINGUSERNOFICATIONS"), {name}, TooltipLimit) : std::u16string());
    std::lock_guard<std::mutex> hold(store.mutex());
    int32_t stamp = record.updatedTime;
    ItemNode<NotificationRecord>* n = nullptr;
    if (!AppendItem(store.notifications, std::move(record), {&NotificationRecord::notificationId}, stamp, &n)) return;
    NotificationRecord& listed = n->payload;
    n->flagsRef = &listed.read;
    const SeenHit* seen = FindSeen(store.seen.notifications, id);
    if (seen && seen->stamp == listed.updatedTime) listed.read = seen->flags;
}

void MergeStatus(DataStore& store, const JsonValue* row) {
    UserRecord* user = FindProfile(store, GetJsonTextView(row, "uid"), true);
    int32_t time = GetJsonInt(row, "time");
    std::u16string name;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (!user || time <= user->statusTime) return;  // rows come newest first
        user->statusTime = time;
        user->flags = 0;
        const SeenHit* seen = FindSeen(store.seen.users, user->id);
        if (seen && seen->stamp == time) user->flags = seen->flags;
        SetItemStamp(store.users, user->id, time);
        user->statusText = GetJsonText(row, "message");
        user->statusKey = FormatText(u"%s_%s", {user->id, GetJsonTextView(row, "status_id")}, TooltipLimit);
        if (ItemNode<PostRecord>* post = store.FindPost(user->statusKey)) user->statusPost = &post->payload;
        name = user->name;
    }
    Shell().SetTrayTooltip(FormatText(LookupText("READINGUSERSTATUS"), {name}, TooltipLimit));
}
}  // namespace

bool ParseNotifications(DataStore& store, JsonTree rows) {
    if (rows.empty()) return false;
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (store.stopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        if (GetJsonTextView(row, "notification_id").empty()) continue;  // nothing to know it by
        MergeNotification(store, row);
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    SortItemsByStamp(store.notifications, false);
    return true;
}

bool ParseStatuses(DataStore& store, JsonTree rows) {
    if (rows.empty()) return false;
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (store.stopRequested) break;
        const JsonValue* row = node->children;
        if (!row) continue;
        MergeStatus(store, row);
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    SortItemsByStamp(store.users, false);
    return true;
}
