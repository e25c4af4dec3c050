#include "store/threads.h"

#include <unordered_set>

#include "base/format_text.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "net/service_calls.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "store/seen_state.h"

namespace {
constexpr size_t QueryLimit = 2047;
constexpr size_t TooltipLimit = 511;

const char16_t* const ThreadQuery =
    u"SELECT thread_id,folder_id,subject,updated_time,message_count,unread,snippet_author,parent_thread_id,"
    u"snippet,message_count,recipients FROM thread WHERE folder_id=%d AND updated_time>%d AND unread!=0";
const char16_t* const MessageQuery =
    u"SELECT thread_id,message_id,author_id,body,created_time,attachment FROM message WHERE thread_id=%s AND "
    u"created_time>=%d";

// Message ids of MessageList, so that a refresh does not walk the list once per row.
// Views of the nodes' own keys; rebuilt when the list changed elsewhere.
struct MessageIndex {
    size_t size = 0;
    const ItemNode<MessageRecord>* head = nullptr;
    std::unordered_set<std::u16string_view> ids;
} messageIndex;

bool MessageListed(std::u16string_view messageId) {
    if (messageIndex.size != MessageList.size() || messageIndex.head != MessageList.head()) {
        messageIndex.ids.clear();
        for (const auto& node : MessageList) messageIndex.ids.insert(node.key2);
        messageIndex.size = MessageList.size();
        messageIndex.head = MessageList.head();
    }
    return messageIndex.ids.count(messageId) != 0;
}

void IndexMessage(const ItemNode<MessageRecord>& node) {
    messageIndex.ids.insert(node.key2);
    messageIndex.size = MessageList.size();
    messageIndex.head = MessageList.head();
}

void ListMessage(const JsonValue* row, std::u16string_view threadId, std::u16string messageId) {
    MessageRecord record;
    record.threadId = GetJsonText(row, "thread_id");
    if (record.threadId.empty()) record.threadId = std::u16string(threadId);
    record.text = GetJsonText(row, "body");
    record.createdTime = GetJsonInt(row, "created_time");
    record.messageId = std::move(messageId);
    record.authorId = GetJsonText(row, "author_id");
    UserRecord* author = FindProfile(record.authorId, true);
    Shell().SetTrayTooltip(
        author ? FormatText(LookupText("READINGMESSAGE"), {author->name}, TooltipLimit) : std::u16string());
    if (record.text.empty()) record.text = GetJsonText(row, "attachment.description");
    record.link = GetJsonText(row, "attachment.href");
    if (record.link.empty()) record.link = ExtractLink(record.text);
    std::u16string key1 = record.threadId, key2 = record.messageId;
    int32_t stamp = record.createdTime;
    ItemNode<MessageRecord>* n = nullptr;
    if (!AppendItem(MessageList, std::move(record), std::move(key1), std::move(key2), stamp, &n)) return;
    IndexMessage(*n);
    MessageRecord& listed = n->payload;
    n->flagsRef = &listed.read;
    // The user's own messages are read from the start.
    listed.read = !OwnUid.empty() && listed.authorId == OwnUid ? 1 : 0;
    const SeenEntry* seen = FindSeen(SeenMessages, listed.threadId, listed.messageId);
    if (seen && seen->stamp == listed.createdTime) listed.read = seen->flags;
    if (!NoticePicture && listed.read == 0 && author && author->hidden == 0) NoticePicture = author->picture.get();
}

UserRecord* OtherParty(const JsonValue* row) {
    const JsonValue* recipients = FindJsonNode(row, "recipients");
    if (!recipients) return nullptr;
    for (const JsonValue* e = recipients->children; e; e = e->next) {
        UserRecord* party = FindProfile(JsonValueText(e), true);
        if (party != OwnUser) return party;
    }
    return nullptr;
}

void MergeThread(const JsonValue* row, int32_t since) {
    std::u16string threadId = GetJsonText(row, "thread_id");
    ItemNode<ThreadRecord>* n = FindItem(ThreadList, threadId);
    if (!n) {
        ThreadRecord record;
        record.folderId = GetJsonInt(row, "folder_id");
        record.threadId = threadId;
        record.parentThreadId = GetJsonText(row, "parent_thread_id");
        record.snippetAuthorId = GetJsonText(row, "snippet_author");
        record.snippet = GetJsonText(row, "snippet");
        record.subject = GetJsonText(row, "subject");
        record.updatedTime = GetJsonInt(row, "updated_time");
        record.otherParty = OtherParty(row);
        ReadMessages(threadId, since);
        int32_t stamp = record.updatedTime;
        if (!AppendItem(ThreadList, std::move(record), threadId, {}, stamp, &n)) return;
        n->flagsRef = &n->payload.flags;
    }
    ThreadRecord& thread = n->payload;
    int32_t updated = GetJsonInt(row, "updated_time");
    if (updated == thread.updatedTime) return;
    ReadMessages(thread.threadId, since);
    thread.updatedTime = updated;
    thread.messageCount = GetJsonInt(row, "message_count");
    thread.snippet = GetJsonText(row, "snippet");
    thread.snippetAuthorId = GetJsonText(row, "snippet_author");
}
}  // namespace

bool ParseThreads(int32_t since) {
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(ThreadQuery, {int32_t(0), since}, QueryLimit), &ok);
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        if (GetJsonTextView(row, "thread_id").empty()) continue;  // nothing to know it by
        std::lock_guard<std::recursive_mutex> hold(StoreLock());
        MergeThread(row, since);
    }
    return ok;
}

bool ReadMessages(std::u16string_view threadId, int32_t since) {
    JsonTree rows = FqlQuery(FormatText(MessageQuery, {threadId, since}, QueryLimit));
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        std::u16string messageId = GetJsonText(row, "message_id");
        if (messageId.empty() || MessageListed(messageId)) continue;
        ListMessage(row, threadId, std::move(messageId));
    }
    return true;
}
