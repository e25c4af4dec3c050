#include "store/threads.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <vector>

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

// The members of a message row the read uses, found in one walk per row.
enum MessageField { MessageId, ThreadId, Body, CreatedTime, AuthorId, Attachment, MessageFields };
const std::array<std::string_view, MessageFields> MessageNames = {"message_id",   "thread_id", "body",
                                                                  "created_time", "author_id", "attachment"};
using MessageRow = std::array<const JsonValue*, MessageFields>;

// Lists one fetched message; its author was fetched before. Under the lock.
// `seenOfThread` holds the seen entries of threadId.
void ListMessage(DataStore& store, const MessageRow& row, std::u16string_view threadId, std::u16string messageId,
                 const SeenTable::Slice& seenOfThread) {
    MessageRecord record;
    record.threadId = JsonValueString(row[ThreadId]);
    if (record.threadId.empty()) record.threadId = std::u16string(threadId);
    record.text = JsonValueString(row[Body]);
    record.createdTime = JsonValueInt(row[CreatedTime]);
    record.messageId = std::move(messageId);
    record.authorId = JsonValueString(row[AuthorId]);
    UserRecord* author = record.authorId.empty() ? nullptr : store.FindUser(record.authorId);
    if (record.text.empty()) record.text = JsonValueString(FindJsonNodeIn(row[Attachment], "attachment.description"));
    record.link = JsonValueString(FindJsonNodeIn(row[Attachment], "attachment.href"));
    if (record.link.empty()) record.link = ExtractLink(record.text);
    int32_t stamp = record.createdTime;
    ItemNode<MessageRecord>* n = nullptr;
    if (!AppendItem(store.messages, std::move(record), {&MessageRecord::threadId, &MessageRecord::messageId}, stamp,
                    &n))
        return;
    MessageRecord& listed = n->payload;
    n->flagsRef = &listed.read;
    // The user's own messages are read from the start.
    listed.read = !store.ownUid.empty() && listed.authorId == store.ownUid ? 1 : 0;
    const SeenHit* seen = listed.threadId == threadId
                              ? seenOfThread.find(listed.messageId)
                              : FindSeen(store.seen.messages, listed.threadId, listed.messageId);
    if (seen && seen->stamp == listed.createdTime) listed.read = seen->flags;
    if (!store.noticePicture && listed.read == 0 && author && author->hidden == 0)
        store.noticePicture = author->picture;
}

UserRecord* OtherParty(DataStore& store, const JsonValue* row) {
    const JsonValue* recipients = FindJsonNode(row, "recipients");
    if (!recipients) return nullptr;
    for (const JsonValue* e = recipients->children; e; e = e->next) {
        UserRecord* party = FindProfile(store, JsonValueText(e), true);
        std::lock_guard<std::mutex> hold(store.mutex());
        if (party != store.ownUser) return party;
    }
    return nullptr;
}

// Reads a thread's messages from `since`, or from the start of a window that failed
// before: the refresh that fails is not the last one to ask. Marks the thread.
void ReadThreadMessages(DataStore& store, ThreadRecord& thread, int32_t since) {
    int32_t from = since;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (!thread.messagesRead && thread.unreadSince != 0) from = std::min(since, thread.unreadSince);
    }
    const bool read = ReadMessages(store, thread.threadId, from);
    std::lock_guard<std::mutex> hold(store.mutex());
    thread.messagesRead = read;
    thread.unreadSince = read ? 0 : from;
}

// Only the worker lists and releases threads while it runs, so the node stays put
// while the lock is let go for the messages' read. A thread whose messages did not come
// is read again by the next refresh, even at the same update time.
void MergeThread(DataStore& store, const JsonValue* row, int32_t since) {
    std::u16string threadId = GetJsonText(row, "thread_id");
    ItemNode<ThreadRecord>* n;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        n = store.FindThread(threadId);
    }
    const int32_t updated = GetJsonInt(row, "updated_time");
    if (!n) {
        ThreadRecord record;
        record.folderId = GetJsonInt(row, "folder_id");
        record.threadId = threadId;
        record.parentThreadId = GetJsonText(row, "parent_thread_id");
        record.snippetAuthorId = GetJsonText(row, "snippet_author");
        record.snippet = GetJsonText(row, "snippet");
        record.subject = GetJsonText(row, "subject");
        record.updatedTime = updated;
        record.otherParty = OtherParty(store, row);
        ReadThreadMessages(store, record, since);  // not listed yet: reads from `since`
        int32_t stamp = record.updatedTime;
        std::lock_guard<std::mutex> hold(store.mutex());
        if (AppendItem(store.threads, std::move(record), {&ThreadRecord::threadId}, stamp, &n))
            n->flagsRef = &n->payload.flags;
        return;
    }
    ThreadRecord& thread = n->payload;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (updated == thread.updatedTime && thread.messagesRead) return;
    }
    ReadThreadMessages(store, thread, since);
    std::lock_guard<std::mutex> hold(store.mutex());
    thread.updatedTime = updated;
    thread.messageCount = GetJsonInt(row, "message_count");
    thread.snippet = GetJsonText(row, "snippet");
    thread.snippetAuthorId = GetJsonText(row, "snippet_author");
}
}  // namespace

bool ParseThreads(DataStore& store, int32_t since) {
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(ThreadQuery, {int32_t(0), since}, QueryLimit), &ok);
    std::unordered_set<std::u16string_view> answered;
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (store.stopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        std::u16string_view threadId = GetJsonTextView(row, "thread_id");
        if (threadId.empty()) continue;  // nothing to know it by
        answered.insert(threadId);
        MergeThread(store, row, since);
    }
    if (!ok) return false;
    // A thread whose messages did not come and that has not moved since is not in the
    // answer any more: its messages are asked for all the same.
    std::vector<ThreadRecord*> unread;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        for (auto& n : store.threads)
            if (!n.payload.messagesRead && !answered.count(n.payload.threadId)) unread.push_back(&n.payload);
    }
    for (ThreadRecord* thread : unread) {
        if (store.stopRequested) break;
        ReadThreadMessages(store, *thread, since);
    }
    return true;
}

bool ReadMessages(DataStore& store, std::u16string_view threadId, int32_t since) {
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(MessageQuery, {threadId, since}, QueryLimit), &ok);
    if (!ok) return false;
    // The messages not listed yet, in the answer's order.
    std::vector<std::pair<MessageRow, std::u16string>> fresh;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        KeyTextTable<char> taken;
        JsonRowReader reader(MessageNames.data(), MessageFields);
        MessageRow row;
        for (const JsonValue* node = rows.first(); node; node = node->next) {
            if (!node->children) break;
            reader.read(node->children, row.data());
            std::u16string_view messageId = JsonValueText(row[MessageId]);
            if (messageId.empty() || store.FindMessage(messageId) || !taken.add(messageId, ItemKeyHash{}(messageId), 0))
                continue;
            fresh.emplace_back(row, std::u16string(messageId));
        }
    }
    // Their authors without the lock, each followed by its tooltip; then the merge. A
    // thread's messages come from a few people: each one found is looked up and named
    // once per read (only the worker changes users while it runs).
    const char16_t* const reading = LookupText("READINGMESSAGE");
    struct Named {
        std::u16string_view id;
        std::u16string tooltip;
    };
    std::vector<Named> named;
    size_t fetched = 0;
    for (; fetched < fresh.size() && !store.stopRequested; ++fetched) {
        const std::u16string_view authorId = JsonValueText(fresh[fetched].first[AuthorId]);
        auto known = std::find_if(named.begin(), named.end(), [&](const Named& n) { return n.id == authorId; });
        if (known == named.end()) {
            UserRecord* author = FindProfile(store, authorId, true);
            if (!author) {
                Shell().SetTrayTooltip(std::u16string_view());
                continue;
            }
            std::u16string name;
            {
                std::lock_guard<std::mutex> hold(store.mutex());
                name = author->name;
            }
            known = named.insert(named.end(), Named{authorId, FormatText(reading, {name}, TooltipLimit)});
        }
        Shell().SetTrayTooltip(known->tooltip);
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    const SeenTable::Slice seenOfThread = store.seen.messages.slice(threadId);
    for (size_t i = 0; i < fetched; ++i) {
        if (store.FindMessage(fresh[i].second)) continue;
        ListMessage(store, fresh[i].first, threadId, std::move(fresh[i].second), seenOfThread);
    }
    return fetched == fresh.size();  // a stop leaves the rest for the next refresh
}
