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

void MergeNotification(const JsonValue* row) {
    std::u16string id = GetJsonText(row, "notification_id");
    if (ItemNode<NotificationRecord>* n = FindItem(NotificationList, id)) {
        NotificationRecord& listed = n->payload;
        ReplaceIfGiven(listed.bodyText, GetJsonText(row, "body_text"));
        ReplaceIfGiven(listed.titleText, GetJsonText(row, "title_text"));
        ReplaceIfGiven(listed.link, GetJsonText(row, "href"));
        ReplaceIfGiven(listed.senderId, GetJsonText(row, "sender_id"));
        listed.updatedTime = GetJsonInt(row, "updated_time");
        return;
    }
    NotificationRecord record;
    record.notificationId = id;
    record.senderId = GetJsonText(row, "sender_id");
    record.titleText = GetJsonText(row, "title_text");
    record.bodyText = GetJsonText(row, "body_text");
    record.createdTime = GetJsonInt(row, "created_time");
    record.updatedTime = GetJsonInt(row, "updated_time");
    record.link = GetJsonText(row, "href");
    UserRecord* sender = FindProfile(record.senderId, true);
    Shell().SetTrayTooltip(
        sender ? FormatText(LookupText("READINGUSERNOFICATIONS"), {sender->name}, TooltipLimit) : std::u16string());
    int32_t stamp = record.updatedTime;
    ItemNode<NotificationRecord>* n = nullptr;
    if (!AppendItem(NotificationList, std::move(record), id, {}, stamp, &n)) return;
    NotificationRecord& listed = n->payload;
    n->flagsRef = &listed.read;
    const SeenEntry* seen = FindSeen(SeenNotifications, id);
    if (seen && seen->stamp == listed.updatedTime) listed.read = seen->flags;
}

void MergeStatus(const JsonValue* row) {
    UserRecord* user = FindProfile(GetJsonTextView(row, "uid"), true);
    int32_t time = GetJsonInt(row, "time");
    if (!user || time <= user->statusTime) return;  // rows come newest first
    user->statusTime = time;
    user->flags = 0;
    const SeenEntry* seen = FindSeen(SeenUsers, user->id);
    if (seen && seen->stamp == time) user->flags = seen->flags;
    SetItemStamp(UserList, user->id, time);
    user->statusText = GetJsonText(row, "message");
    user->statusKey = FormatText(u"%s_%s", {user->id, GetJsonTextView(row, "status_id")}, TooltipLimit);
    Shell().SetTrayTooltip(FormatText(LookupText("READINGUSERSTATUS"), {user->name}, TooltipLimit));
    if (ItemNode<PostRecord>* post = FindItem(PostList, user->statusKey)) user->statusPost = &post->payload;
}
}  // namespace

bool ParseNotifications(JsonTree rows) {
    if (rows.empty()) return false;
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        if (GetJsonTextView(row, "notification_id").empty()) continue;  // nothing to know it by
        std::lock_guard<std::recursive_mutex> hold(StoreLock());
        MergeNotification(row);
    }
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    SortItemsByStamp(NotificationList, false);
    return true;
}

bool ParseStatuses(JsonTree rows) {
    if (rows.empty()) return false;
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) continue;
        std::lock_guard<std::recursive_mutex> hold(StoreLock());
        MergeStatus(row);
    }
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    SortItemsByStamp(UserList, false);
    return true;
}
