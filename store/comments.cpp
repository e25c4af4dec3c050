#include "store/comments.h"

#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/settings.h"
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

using CommentNode = ItemNode<CommentRecord>;
using LikeNode = ItemNode<LikeRecord>;

// An answer that is the service's error object carries no rows; treating its one
// "row" as the whole answer would drop every like of the post.
bool IsErrorAnswer(const JsonTree& rows) {
    const JsonValue* first = rows.first();
    return first && !first->next && first->children && FindJsonNode(first->children, "error_code");
}

bool CommentsAscending() { return AppSettings.commentsNewestFirst == 0; }

// Both lists hold the comments and likes of every post, and each post's read walks
// them: these indexes keep a refresh from walking them once per post. They mirror the
// lists exactly while the lists change only here; a list that changed behind their
// back (another size or head) is indexed afresh.
struct StampOrder {
    bool ascending = true;
    bool operator()(int32_t a, int32_t b) const { return ascending ? a < b : a > b; }
};

struct CommentIndex {
    bool valid = false;
    size_t size = 0;
    const CommentNode* head = nullptr;
    std::unordered_map<std::u16string_view, std::vector<CommentNode*>> byPost;
    // The list's last node of each stamp (the list is sorted): where a new comment
    // goes. One entry per stamp keeps the tree small enough to stay in cache.
    std::map<int32_t, CommentNode*, StampOrder> lastByStamp;
} comments;

struct LikeIndex {
    bool valid = false;
    size_t size = 0;
    const LikeNode* head = nullptr;
    std::unordered_map<std::u16string_view, std::vector<LikeNode*>> byPost;
} likes;

bool CommentIndexCurrent() {
    return comments.valid && comments.size == CommentList.size() && comments.head == CommentList.head() &&
           comments.lastByStamp.key_comp().ascending == CommentsAscending();
}

void IndexComments() {
    comments.byPost.clear();
    comments.lastByStamp = std::map<int32_t, CommentNode*, StampOrder>(StampOrder{CommentsAscending()});
    for (auto& node : CommentList) {
        comments.byPost[node.key1].push_back(&node);
        comments.lastByStamp.insert_or_assign(comments.lastByStamp.end(), node.stamp, &node);
    }
    comments.size = CommentList.size();
    comments.head = CommentList.head();
    comments.valid = true;
}

// Links a new comment where the sorted list wants it.
CommentNode* InsertComment(CommentRecord record, std::u16string key1, std::u16string key2, int32_t stamp) {
    auto at = comments.lastByStamp.upper_bound(stamp);
    CommentNode* prev = at == comments.lastByStamp.begin() ? nullptr : std::prev(at)->second;
    CommentNode* n = CommentList.insertAfter(prev, std::move(record), std::move(key1), std::move(key2), stamp);
    if (!n) return nullptr;
    comments.lastByStamp.insert_or_assign(at, stamp, n);
    comments.byPost[n->key1].push_back(n);
    comments.size = CommentList.size();
    comments.head = CommentList.head();
    return n;
}

void IndexLikes() {
    likes.byPost.clear();
    for (auto& node : LikeList) likes.byPost[node.key1].push_back(&node);
    likes.size = LikeList.size();
    likes.head = LikeList.head();
    likes.valid = true;
}

void KeepLikeIndexCurrent() {
    if (!likes.valid || likes.size != LikeList.size() || likes.head != LikeList.head()) IndexLikes();
}

std::vector<LikeNode*>& LikesOf(std::u16string_view postId) {
    KeepLikeIndexCurrent();
    static std::vector<LikeNode*> none;
    auto found = likes.byPost.find(postId);
    if (found != likes.byPost.end()) return found->second;
    none.clear();
    return none;
}

LikeNode* AppendLike(std::u16string_view postId, std::u16string_view userId, uint32_t read) {
    KeepLikeIndexCurrent();  // before the list grows
    LikeNode* n = nullptr;
    if (!AppendItem(LikeList, LikeRecord{std::u16string(postId), std::u16string(userId), read, 0},
                    std::u16string(postId), std::u16string(userId), CurrentTime(), &n))
        return nullptr;
    n->flagsRef = &n->payload.read;
    n->markRef = &n->payload.stale;
    likes.byPost[n->key1].push_back(n);
    likes.size = LikeList.size();
    likes.head = LikeList.head();
    return n;
}

// Removes the likes of a post that the predicate picks, list and index alike.
template <class Pick>
void RemoveLikes(std::u16string_view postId, Pick pick) {
    std::vector<LikeNode*>& nodes = LikesOf(postId);
    if (std::none_of(nodes.begin(), nodes.end(), pick)) return;
    LikeList.removeIf([&](const LikeNode& n) { return n.key1 == postId && pick(&n); });
    likes.valid = false;
}
}  // namespace

void ForgetCommentIndex() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    comments = CommentIndex();
}

void ForgetLikeIndex() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    likes = LikeIndex();
}

bool ReadComments(std::u16string_view postId, int32_t* counter, bool* failed) {
    const char16_t* condition = AppSettings.commentsOnlyFromFriends ? FriendsOnlyCondition : u"";
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(CommentQuery, {condition, postId}, CommentQueryLimit), &ok);
    if (failed) *failed = !ok;
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    if (!ok || rows.empty()) {
        SortComments();
        return false;
    }
    SortComments();  // sorted already, unless the list changed behind the index
    bool unreadAdded = false;
    // A comment is its (post, author, time); the service's comment ids are not used.
    // The post's listed comments newest first, to find one without walking them all
    // (the answer comes newest first, so its new comments join at the end).
    std::vector<std::pair<int32_t, CommentNode*>> listed;
    if (auto found = comments.byPost.find(postId); found != comments.byPost.end()) {
        listed.reserve(found->second.size() + 100);
        for (CommentNode* n : found->second) listed.emplace_back(n->payload.time, n);
    }
    auto byTime = [](const std::pair<int32_t, CommentNode*>& a, const std::pair<int32_t, CommentNode*>& b) {
        return a.first > b.first;
    };
    std::sort(listed.begin(), listed.end(), byTime);
    auto findListed = [&](int32_t time, std::u16string_view author) -> CommentNode* {
        auto range = std::equal_range(listed.begin(), listed.end(), std::make_pair(time, nullptr), byTime);
        for (auto at = range.first; at != range.second; ++at)
            if (at->second->payload.authorId == author) return at->second;
        return nullptr;
    };
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        std::u16string_view author = GetJsonTextView(row, "fromid");
        if (author.empty()) continue;
        std::u16string_view rowPostId = GetJsonTextView(row, "post_id");
        int32_t time = GetJsonInt(row, "time");
        if (CommentNode* same = findListed(time, author)) {
            same->payload.likes = GetJsonInt(row, "likes");
            continue;
        }
        if (counter) ++*counter;
        FindProfile(author, true);
        CommentRecord record;
        record.postId = rowPostId.empty() ? postId : rowPostId;
        record.authorId = author;
        record.text = GetJsonText(row, "text");
        record.time = time;
        record.likes = GetJsonInt(row, "likes");
        std::u16string key1 = record.postId;
        std::u16string key2 = record.authorId;
        CommentNode* n = InsertComment(std::move(record), std::move(key1), std::move(key2), time);
        if (!n) continue;
        n->flagsRef = &n->payload.read;
        if (n->key1 == postId) {
            std::pair<int32_t, CommentNode*> entry(time, n);
            listed.insert(std::upper_bound(listed.begin(), listed.end(), entry, byTime), entry);
        }
        if (const SeenEntry* seen = FindSeen(SeenComments, n->key1, n->key2, time)) n->payload.read = seen->flags;
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
    // The post's listed likes by liker, to find one without walking them all; a like
    // without a liker (never listed by this program) would stand for anyone.
    std::vector<std::pair<std::u16string_view, LikeNode*>> listed;
    LikeNode* anyone = nullptr;
    for (LikeNode* n : LikesOf(postId)) {
        n->setMark(1);  // stale until the answer confirms it
        if (n->key2.empty()) {
            if (!anyone) anyone = n;
        } else {
            listed.emplace_back(n->key2, n);
        }
    }
    std::sort(listed.begin(), listed.end());
    auto findListed = [&](std::u16string_view user) -> LikeNode* {
        auto at = std::lower_bound(listed.begin(), listed.end(), user,
                                   [](const auto& entry, std::u16string_view u) { return entry.first < u; });
        if (at != listed.end() && at->first == user) return at->second;
        return anyone;
    };
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (RefreshStopRequested) break;
        const JsonValue* row = node->children;
        if (!row) break;
        std::u16string_view user = GetJsonTextView(row, "user_id");
        if (user.empty()) continue;
        if (!FindProfile(user, true)) break;  // this liker and the later ones count as gone
        if (LikeNode* same = findListed(user)) {
            same->setMark(0);
            continue;
        }
        LikeNode* n = AppendLike(postId, user, 0);
        if (!n) continue;
        // The answer's text lives while the rows do.
        std::pair<std::u16string_view, LikeNode*> entry(user, n);
        listed.insert(std::upper_bound(listed.begin(), listed.end(), entry), entry);
        if (const SeenEntry* seen = FindSeen(SeenLikes, postId, user)) n->payload.read = seen->flags;
    }
    RemoveLikes(postId, [](const LikeNode* n) { return n->mark() != 0; });
    return true;
}

void AddOwnLike(std::u16string_view ownId, std::u16string_view postId) {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    if (ownId.empty() || postId.empty() || FindItemByKeys(LikeList, postId, ownId)) return;
    AppendLike(postId, ownId, 1);
}

bool RemoveOwnLike(std::u16string_view postId, std::u16string_view ownId) {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    if (!FindItemByKeys(LikeList, postId, ownId)) return false;
    RemoveLikes(postId, [&](const LikeNode* n) { return n->key2 == ownId; });
    return true;
}

void MarkCommentsRead(std::u16string_view postId) {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    for (auto& node : CommentList)
        if (node.payload.postId == postId) node.payload.read = 1;
}

void SortComments() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    // New comments are linked in their place as they come, so the list is sorted
    // whenever the index is current; otherwise (another order asked for, or a list
    // changed elsewhere) sort it whole.
    if (CommentIndexCurrent()) return;
    SortItemsByStamp(CommentList, CommentsAscending());
    IndexComments();
}
