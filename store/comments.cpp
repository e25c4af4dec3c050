#include "store/comments.h"

#include <algorithm>
#include <vector>

#include "app/clock.h"
#include "app/format_text.h"
#include "app/settings.h"
#include "net/service_calls.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "store/seen_state.h"

const char16_t* const FriendsOnlyCondition =
    u"(user_id IN (SELECT uid1 FROM friend WHERE uid2=me()) OR user_id=me() OR user_id IN (SELECT page_id FROM "
    u"page_fan WHERE uid=me())) AND";

namespace {
const char16_t* const CommentQuery =
    u"SELECT post_id, fromid, text, time, likes FROM comment WHERE %s post_id='%s' ORDER by time DESC LIMIT 100";
const char16_t* const LikeQuery = u"SELECT user_id FROM like WHERE %s post_id='%s' LIMIT 50";
constexpr size_t CommentQueryLimit = 511;
constexpr size_t LikeQueryLimit = 1023;

// An answer that is the service's error object carries no rows; treating its one
// "row" as the whole answer would drop every like of the post.
bool IsErrorAnswer(const JsonTree& rows) {
    const JsonValue* first = rows.first();
    return first && !first->next && first->children && FindJsonNode(first->children, "error_code");
}

template <class T>
std::vector<ItemNode<T>*> NodesOfPost(const ItemList<T>& list, std::u16string_view postId) {
    std::vector<ItemNode<T>*> nodes;
    for (auto& node : list)
        if (node.key1 == postId) nodes.push_back(const_cast<ItemNode<T>*>(&node));
    return nodes;
}
}  // namespace

bool ReadComments(std::u16string_view postId, int32_t* counter) {
    const char16_t* condition = AppSettings.commentsOnlyFromFriends ? FriendsOnlyCondition : u"";
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(CommentQuery, {condition, postId}, CommentQueryLimit), &ok);
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    if (!ok || rows.empty()) {
        SortComments();
        return false;
    }
    bool unreadAdded = false;
    // The comments of this post, found once; a comment is its (post, author, time).
    std::vector<ItemNode<CommentRecord>*> listed = NodesOfPost(CommentList, postId);
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        std::u16string author = GetJsonText(row, "fromid");
        if (author.empty()) continue;
        std::u16string rowPostId = GetJsonText(row, "post_id");
        int32_t time = GetJsonInt(row, "time");
        auto same = std::find_if(listed.begin(), listed.end(), [&](const ItemNode<CommentRecord>* n) {
            return n->payload.time == time && n->payload.authorId == author;
        });
        if (same != listed.end()) {
            (*same)->payload.likes = GetJsonInt(row, "likes");
            continue;
        }
        if (counter) ++*counter;
        FindProfile(author, true);
        CommentRecord record;
        record.postId = rowPostId.empty() ? std::u16string(postId) : rowPostId;
        record.authorId = author;
        record.text = GetJsonText(row, "text");
        record.time = time;
        record.likes = GetJsonInt(row, "likes");
        std::u16string key1 = record.postId;
        ItemNode<CommentRecord>* n = nullptr;
        if (!AppendItem(CommentList, std::move(record), std::move(key1), author, time, &n)) continue;
        n->flagsRef = &n->payload.read;
        if (n->key1 == postId) listed.push_back(n);
        if (const SeenEntry* seen = FindSeen(SeenComments, n->key1, author, time)) n->payload.read = seen->flags;
        if (n->payload.read == 0) unreadAdded = true;
    }
    rows = JsonTree();
    SortComments();
    return unreadAdded;
}

bool ReadLikes(std::u16string_view postId) {
    const char16_t* condition = AppSettings.likesOnlyFromFriends ? FriendsOnlyCondition : u"";
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(LikeQuery, {condition, postId}, LikeQueryLimit), &ok);
    // An empty list is an answer: nobody likes the post any more.
    if (!ok || IsErrorAnswer(rows)) return false;
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    MarkOrRemoveItems(LikeList, postId, {}, false, true);
    std::vector<ItemNode<LikeRecord>*> listed = NodesOfPost(LikeList, postId);
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        std::u16string user = GetJsonText(row, "user_id");
        if (user.empty()) continue;
        if (!FindProfile(user, true)) break;  // this liker and the later ones count as gone
        auto same = std::find_if(listed.begin(), listed.end(), [&](const ItemNode<LikeRecord>* n) {
            return n->key2.empty() || n->key2 == user;
        });
        if (same != listed.end()) {
            (*same)->payload.stale = 0;
            continue;
        }
        ItemNode<LikeRecord>* n = nullptr;
        if (!AppendItem(LikeList, LikeRecord{std::u16string(postId), user, 0, 0}, std::u16string(postId), user,
                        CurrentTime(), &n))
            continue;
        n->flagsRef = &n->payload.read;
        n->markRef = &n->payload.stale;
        listed.push_back(n);
        if (const SeenEntry* seen = FindSeen(SeenLikes, postId, user)) n->payload.read = seen->flags;
    }
    MarkOrRemoveItems(LikeList, postId, {}, true, false);
    return true;
}

void AddOwnLike(std::u16string_view ownId, std::u16string_view postId) {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    if (ownId.empty() || postId.empty() || FindItemByKeys(LikeList, postId, ownId)) return;
    ItemNode<LikeRecord>* n = nullptr;
    if (!AppendItem(LikeList, LikeRecord{std::u16string(postId), std::u16string(ownId), 1, 0},
                    std::u16string(postId), std::u16string(ownId), CurrentTime(), &n))
        return;
    n->flagsRef = &n->payload.read;
    n->markRef = &n->payload.stale;
}

bool RemoveOwnLike(std::u16string_view postId, std::u16string_view ownId) {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    if (!FindItemByKeys(LikeList, postId, ownId)) return false;
    MarkOrRemoveItems(LikeList, postId, ownId, false, false);
    return true;
}

void MarkCommentsRead(std::u16string_view postId) {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    for (auto& node : CommentList)
        if (node.payload.postId == postId) node.payload.read = 1;
}

void SortComments() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    const bool ascending = AppSettings.commentsNewestFirst == 0;
    // Comments are re-sorted after every post's read: the list is sorted up to the
    // comments just appended, so those are sorted and merged in rather than sorting
    // the whole list again.
    std::vector<ItemNode<CommentRecord>*> nodes;
    nodes.reserve(CommentList.size());
    for (auto& node : CommentList) nodes.push_back(&node);
    auto before = [ascending](const ItemNode<CommentRecord>* a, const ItemNode<CommentRecord>* b) {
        return ascending ? a->stamp < b->stamp : a->stamp > b->stamp;
    };
    size_t sorted = 1;
    while (sorted < nodes.size() && !before(nodes[sorted], nodes[sorted - 1])) ++sorted;
    if (sorted >= nodes.size()) return;
    std::stable_sort(nodes.begin() + sorted, nodes.end(), before);
    std::inplace_merge(nodes.begin(), nodes.begin() + sorted, nodes.end(), before);
    CommentList.relink(nodes);
}
