#include "store/comments.h"

#include <algorithm>
#include <cstring>
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

LikeNode* AppendLike(DataStore& store, const SharedText& postId, SharedUnits userId, uint32_t read, int32_t now) {
    LikeNode* n = nullptr;
    if (!AppendItem(store.likes, LikeRecord{postId, std::move(userId), read, 0},
                    {&LikeRecord::postId, &LikeRecord::userId}, now, &n))
        return nullptr;
    n->flagsRef = &n->payload.read;
    n->markRef = &n->payload.stale;
    return n;
}

// Removes the likes of a post that the predicate picks.
template <class Pick>
void RemoveLikes(DataStore& store, std::u16string_view postId, Pick pick) {
    const std::vector<LikeNode*>& nodes = store.LikesOf(postId);
    if (std::none_of(nodes.begin(), nodes.end(), pick)) return;
    store.likes.removeIf([&](const LikeNode& n) { return n.key1 == postId && pick(&n); });
}
}  // namespace

bool ReadComments(DataStore& store, std::u16string_view postId, int32_t* counter, bool* failed) {
    const char16_t* condition = AppSettings.commentsOnlyFromFriends ? FriendsOnlyCondition : u"";
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(CommentQuery, {condition, postId}, CommentQueryLimit), &ok);
    if (failed) *failed = !ok;
    if (!ok || rows.empty()) return false;
    // A comment is its (post, author, time); the service's comment ids are not used.
    // The rows with an author, read up to the first row that is no object.
    enum { PostId, From, Text, Time, Likes, Fields };
    static const std::string_view names[Fields] = {"post_id", "fromid", "text", "time", "likes"};
    struct Row {
        const JsonValue* field[Fields];
        std::u16string_view author;
        size_t authorHash;  // looked up in the profiles and the seen-state: hashed once
        int32_t time;
    };
    std::vector<Row> answer;
    answer.reserve(100);  // the query's limit
    JsonRowReader reader(names, Fields);
    for (const JsonValue* node = rows.first(); node && node->children; node = node->next) {
        Row& r = answer.emplace_back();  // filled in place: copying a row just written stalls
        reader.read(node->children, r.field);
        r.author = JsonValueText(r.field[From]);
        if (r.author.empty()) {
            answer.pop_back();
            continue;
        }
        r.authorHash = ItemKeyHash{}(r.author);
        r.time = JsonValueInt(r.field[Time]);
    }
    // The post's listed comments newest first, to find one without walking them all
    // (the answer comes newest first, so its new comments join at the end).
    std::vector<std::pair<int32_t, CommentNode*>> listed;
    auto byTime = [](const std::pair<int32_t, CommentNode*>& a, const std::pair<int32_t, CommentNode*>& b) {
        return a.first > b.first;
    };
    auto findListed = [&](int32_t time, std::u16string_view author) -> CommentNode* {
        auto range = std::equal_range(listed.begin(), listed.end(), std::make_pair(time, nullptr), byTime);
        for (auto at = range.first; at != range.second; ++at)
            if (at->second->key2 == author) return at->second;
        return nullptr;
    };
    auto listPost = [&] {
        listed.clear();
        const auto& nodes = store.comments.withKey1(postId);
        listed.reserve(nodes.size() + answer.size());
        for (CommentNode* n : nodes) listed.emplace_back(n->payload.time, n);
        std::sort(listed.begin(), listed.end(), byTime);
    };
    // The authors of new comments the store has no profile of are fetched first,
    // without the lock, once each in the rows' order.
    std::vector<std::u16string_view> unknown;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        listPost();
        for (const Row& r : answer) {
            if (findListed(r.time, r.author) || store.FindUser(r.author, r.authorHash)) continue;
            if (std::find(unknown.begin(), unknown.end(), r.author) == unknown.end()) unknown.push_back(r.author);
        }
    }
    for (std::u16string_view author : unknown) {
        if (store.stopRequested) break;
        FindProfile(store, author, true);
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    listPost();  // the lock was let go
    std::vector<std::u16string_view> missing;  // authors still without a profile
    for (std::u16string_view author : unknown)
        if (!store.FindUser(author)) missing.push_back(author);
    const SeenTable::Slice seenOfPost = store.seen.comments.slice(postId);
    size_t newTextBytes = 0, newAuthorUnits = 0;
    for (const Row& r : answer) {
        if (findListed(r.time, r.author)) continue;
        if (r.field[Text]) newTextBytes += r.field[Text]->raw.size();
        newAuthorUnits += r.author.size();
    }
    SharedBytes::Block texts(newTextBytes);
    SharedUnits::Block authors(newAuthorUnits);
    SharedText askedPost;
    bool unreadAdded = false;
    for (const Row& r : answer) {
        if (store.stopRequested) break;
        if (CommentNode* same = findListed(r.time, r.author)) {
            same->payload.likes = JsonValueInt(r.field[Likes]);
            continue;
        }
        if (counter) ++*counter;
        // The rows are of the asked post, whose id its comments share; a row's own id is
        // only decoded when it says otherwise.
        if (askedPost.empty()) askedPost = SharedText(postId);
        const bool namesAskedPost = JsonValueIs(r.field[PostId], postId);
        const std::u16string_view rowPostId = namesAskedPost ? postId : JsonValueText(r.field[PostId]);
        const JsonValue* text = r.field[Text];
        // Made in place: assigning into empty strings costs twice as much.
        CommentRecord record{namesAskedPost || rowPostId.empty() ? askedPost : SharedText(rowPostId),
                             authors.add(r.author), text ? texts.add(text->raw) : SharedBytes(), r.time,
                             JsonValueInt(r.field[Likes]), 0};
        CommentNode* n = nullptr;
        if (!AppendItem(store.comments, std::move(record), {&CommentRecord::postId, &CommentRecord::authorId}, r.time,
                        &n))
            continue;
        n->flagsRef = &n->payload.read;
        if (std::find(missing.begin(), missing.end(), r.author) != missing.end()) {
            auto& pending = store.commentAuthorsWithoutProfile;
            if (std::find(pending.begin(), pending.end(), r.author) == pending.end()) pending.emplace_back(r.author);
        }
        // A row's own id, when it is there, differs from the asked post's (JsonValueIs).
        const bool ofPost = namesAskedPost || rowPostId.empty();
        if (ofPost) {
            // The answer runs newest first, so a new comment usually goes last; made in
            // place there, not copied in from a pair made beside it.
            const std::pair<int32_t, CommentNode*> entry(r.time, n);
            const auto at = std::upper_bound(listed.begin(), listed.end(), entry, byTime);
            if (at == listed.end()) listed.emplace_back(r.time, n);
            else listed.insert(at, entry);
        }
        const SeenHit* seen = ofPost ? seenOfPost.find(n->key2, r.authorHash, r.time)
                                     : FindSeen(store.seen.comments, n->key1, n->key2, r.time);
        if (seen) n->payload.read = seen->flags;
        if (n->payload.read == 0) unreadAdded = true;
    }
    return unreadAdded;
}

bool ReadLikes(DataStore& store, std::u16string_view postId) {
    const char16_t* condition = AppSettings.likesOnlyFromFriends ? FriendsOnlyCondition : u"";
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(LikeQuery, {condition, postId}, LikeQueryLimit), &ok);
    // An empty list is an answer: nobody likes the post any more.
    if (!ok || IsErrorAnswer(rows)) return false;
    static const std::string_view userIdName = "user_id";
    struct Liker {
        std::u16string_view id;
        size_t hash;  // looked up in the profiles, the post's likes and the seen-state
        bool known;
        LikeNode* same = nullptr;  // his listed like, or the one standing for anyone
    };
    std::vector<Liker> likers;
    likers.reserve(50);  // the query's limit
    JsonRowReader reader(&userIdName, 1);
    for (const JsonValue* node = rows.first(); node && node->children; node = node->next) {
        const JsonValue* userId;
        reader.read(node->children, &userId);
        std::u16string_view user = JsonValueText(userId);
        if (!user.empty()) likers.push_back(Liker{user, ItemKeyHash{}(user), false});
    }
    // The profiles the store lacks come first, without the lock; a liker who cannot be
    // found ends the answer there: he and the later ones count as gone.
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        for (Liker& liker : likers) liker.known = store.FindUser(liker.id, liker.hash) != nullptr;
    }
    for (size_t i = 0; i < likers.size(); ++i) {
        if (store.stopRequested || (!likers[i].known && !FindProfile(store, likers[i].id, true))) {
            likers.resize(i);
            break;
        }
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    // The post's listed likes by liker, to find one without walking them all; a like
    // without a liker (never listed by this program) would stand for anyone.
    // (The texts are the nodes' own liker ids, which live as long as the nodes.)
    const std::vector<LikeNode*>& nodes = store.LikesOf(postId);
    KeyTextTable<LikeNode*> listed(nodes.size() + likers.size());
    LikeNode* anyone = nullptr;
    for (LikeNode* n : nodes) {
        n->setMark(1);  // stale until the answer confirms it
        if (n->key2.empty()) {
            if (!anyone) anyone = n;
        } else {
            listed.add(n->key2, ItemKeyHash{}(n->key2), n);  // the first of a liker listed twice
        }
    }
    const SeenTable::Slice seenOfPost = store.seen.likes.slice(postId);
    const int32_t now = CurrentTime();
    // Each liker's listed like, found once; room for the ids of the new likes alone,
    // since a piece keeps its whole block alive.
    size_t newUnits = 0;
    for (Liker& liker : likers) {
        LikeNode* const* found = listed.find(liker.id, liker.hash);
        liker.same = found ? *found : anyone;
        if (!liker.same) newUnits += liker.id.size();
    }
    SharedUnits::Block likerIds(newUnits);
    SharedText post;  // the post's new likes share its id
    for (const Liker& liker : likers) {
        LikeNode* same = liker.same;
        if (!same) {  // new, unless an earlier row of the answer named him too
            LikeNode* const* found = listed.find(liker.id, liker.hash);
            same = found ? *found : nullptr;
        }
        if (same) {
            same->setMark(0);
            continue;
        }
        if (post.empty()) post = SharedText(postId);
        LikeNode* n = AppendLike(store, post, likerIds.add(liker.id), 0, now);
        if (!n) continue;
        listed.add(n->key2, liker.hash, n);
        if (const SeenHit* seen = seenOfPost.find(liker.id, liker.hash, 0)) n->payload.read = seen->flags;
    }
    RemoveLikes(store, postId, [](const LikeNode* n) { return n->mark() != 0; });
    return true;
}

void AddOwnLike(DataStore& store, std::u16string_view ownId, std::u16string_view postId) {
    std::lock_guard<std::mutex> hold(store.mutex());
    if (ownId.empty() || postId.empty() || FindItemByKeys(store.likes, postId, ownId)) return;
    AppendLike(store, SharedText(postId), SharedUnits(ownId), 1, CurrentTime());
}

bool RemoveOwnLike(DataStore& store, std::u16string_view postId, std::u16string_view ownId) {
    std::lock_guard<std::mutex> hold(store.mutex());
    if (!FindItemByKeys(store.likes, postId, ownId)) return false;
    RemoveLikes(store, postId, [&](const LikeNode* n) { return n->key2 == ownId; });
    return true;
}

std::u16string CommentText(const CommentRecord& comment) { return UnescapeJsonString(comment.rawText); }

void MarkCommentsRead(DataStore& store, std::u16string_view postId) {
    std::lock_guard<std::mutex> hold(store.mutex());
    for (CommentNode* n : store.comments.withKey1(postId)) n->payload.read = 1;
}
