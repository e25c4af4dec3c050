#include "store/posts.h"

#include <memory>
#include <utility>

#include "base/format_text.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "store/comments.h"
#include "store/data_store.h"
#include "store/picture_limit.h"
#include "store/profiles.h"
#include "store/seen_state.h"

namespace {
constexpr size_t MessageLimit = 2047;
constexpr size_t TooltipLimit = 1023;

// The text of a post that came without one, by its type.
void MakeUpMessage(PostRecord& post, int32_t type) {
    const std::u16string& source = post.source->name;
    switch (type) {
    case 80:
        post.message = FormatText(LookupText("POSTLINK"), {source, post.attachmentName}, MessageLimit);
        break;
    case 237:
        post.message = post.attachmentName;
        break;
    case 247:
        if (post.attachmentName.empty()) post.attachmentName = LookupText("NULLSTRING");
        post.message = FormatText(LookupText("AKTALBUM"), {source, post.attachmentName}, MessageLimit);
        break;
    case 280:
        post.message = FormatText(LookupText("QUESTION"), {source}, MessageLimit);
        break;
    case 373:
        post.message = FormatText(LookupText("AKTPROFILEPHOTO"), {source}, MessageLimit);
        post.canLike = 0;
        break;
    default:
        break;
    }
}

// Attachments are held as shown, scaled to their limit: under a key of their own, since
// a profile picture of the same address is shown whole. A profile picture held already
// is not downloaded again, and a scaled copy keeps its whole one held while it is
// shown, so a profile picture of that address that comes later is not either.
SharedPicture AttachmentPicture(DataStore& store, std::u16string_view url) {
    if (url.empty()) return nullptr;
    const std::u16string key = u"attachment " + std::u16string(url);
    SharedPicture whole;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (SharedPicture held = store.HeldPicture(key)) return held;
        whole = store.HeldPicture(url);
    }
    if (!whole) {
        PicturePtr picture = DownloadPicture(url);
        if (!picture) return nullptr;
        std::lock_guard<std::mutex> hold(store.mutex());
        whole = store.HoldPicture(url, std::move(picture));
    }
    if (whole->width() < AttachmentMinWidth) return nullptr;
    SharedPicture shown = LimitPicture(whole, AttachmentMaxSide);
    if (shown != whole) {
        auto both = std::make_shared<std::pair<SharedPicture, SharedPicture>>(std::move(shown), whole);
        shown = SharedPicture(both, both->first.get());
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    return store.HoldPicture(key, shown);
}

// The members of a stream row the merge reads, found in one walk per row.
enum PostField {
    PostId, Message, Permalink, Type, SourceId, ActorId, TargetId, CreatedTime, UpdatedTime, Likes, Comments,
    Attachment, PostFields
};
const std::string_view PostNames[PostFields] = {"post_id",      "message",      "permalink", "type",
                                                "source_id",    "actor_id",     "target_id", "created_time",
                                                "updated_time", "likes",        "comments",  "attachment"};
static_assert(PostFields <= JsonRowReader::MaxNames, "one reader finds them all");
using PostRow = const JsonValue* [PostFields];

struct SeenCopy {
    bool found = false;
    uint32_t flags = 0;
    int32_t stamp = 0;
};

// Builds and lists the record of a post not listed yet; nullptr when its source
// cannot be found. Fetches the profiles and the attachment first, then lists the post
// under the lock.
ItemNode<PostRecord>* CreatePost(DataStore& store, const PostRow& row, std::u16string_view postId, SeenCopy& seen) {
    PostRecord post;
    post.message = JsonValueString(row[Message]);
    post.permalink = JsonValueString(row[Permalink]);
    int32_t type = JsonValueInt(row[Type]);
    post.source = FindProfile(store, JsonValueText(row[SourceId]), true);
    post.actor = FindProfile(store, JsonValueText(row[ActorId]), true);
    post.target = FindProfile(store, JsonValueText(row[TargetId]), true);
    if (!post.source) {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (const SeenHit* entry = FindSeen(store.seen.posts, postId)) seen = {true, entry->flags, entry->stamp};
        return nullptr;
    }
    post.createdTime = JsonValueInt(row[CreatedTime]);
    post.updatedTime = JsonValueInt(row[UpdatedTime]);
    post.canLike = JsonValueBool(FindJsonNodeIn(row[Likes], "likes.can_like"));
    post.canComment = JsonValueBool(FindJsonNodeIn(row[Comments], "comments.can_post"));
    post.attachmentName = JsonValueString(FindJsonNodeIn(row[Attachment], "attachment.name"));
    post.attachmentLink = JsonValueString(FindJsonNodeIn(row[Attachment], "attachment.media.href"));
    post.attachmentDescription = JsonValueString(FindJsonNodeIn(row[Attachment], "attachment.description"));
    const JsonValue* mediaSource = FindJsonNodeIn(row[Attachment], "attachment.media.src");
    post.attachmentPicture = AttachmentPicture(store, JsonValueText(mediaSource));
    std::lock_guard<std::mutex> hold(store.mutex());
    post.source->isPostSource = 1;
    if (const SeenHit* entry = FindSeen(store.seen.posts, postId)) seen = {true, entry->flags, entry->stamp};
    if (post.message.empty()) MakeUpMessage(post, type);
    post.postId = std::u16string(postId);
    int32_t stamp = post.updatedTime;
    ItemNode<PostRecord>* n = nullptr;
    if (!AppendItem(store.posts, std::move(post), {&PostRecord::postId}, stamp, &n)) return nullptr;
    PostRecord& listed = n->payload;
    n->flagsRef = &listed.flags;
    n->markRef = &listed.source->hidden;
    listed.flags |= ItemRead;
    listed.updatedTime = 0;  // the row's update time always counts as a change
    return n;
}

// Only the worker lists and releases posts while it runs, so the node stays put while
// the lock is let go for the likes' and comments' reads.
void MergeRow(DataStore& store, const PostRow& row, std::u16string_view postId) {
    ItemNode<PostRecord>* n;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        n = store.FindPost(postId);
    }
    bool created = false;
    SeenCopy seen;
    if (!n) {
        n = CreatePost(store, row, postId, seen);
        if (!n) return;
        created = true;
    }
    PostRecord& post = n->payload;
    const int32_t updated = JsonValueInt(row[UpdatedTime]);
    bool readLikes = false, readComments = false;
    std::u16string sourceName;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (updated == post.updatedTime) {
            n->stamp = post.updatedTime;
            return;
        }
        post.updatedTime = updated;
        sourceName = post.source->name;
        post.likedByMe = JsonValueBool(FindJsonNodeIn(row[Likes], "likes.user_likes"));
        const bool shown = post.source->hidden == 0;
        int32_t likes = JsonValueInt(FindJsonNodeIn(row[Likes], "likes.count"));
        if (likes != post.likesCount && shown) {
            post.likesCount = likes;
            readLikes = true;
        }
        readComments = JsonValueInt(FindJsonNodeIn(row[Comments], "comments.count")) != post.commentsRead && shown;
    }
    Shell().SetTrayTooltip(FormatText(LookupText("READINGPOST"), {sourceName}, TooltipLimit));
    if (readLikes) ReadLikes(store, post.postId);
    bool quiet = false;
    if (readComments) {
        // Quiet only when the comments came and none of them is unread: a re-read that
        // failed cannot tell, so the update counts.
        bool failed = false;
        quiet = !ReadComments(store, post.postId, &post.commentsRead, &failed) && !failed;
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    UserRecord& source = *post.source;
    if (created) {
        post.flags &= ~ItemRead;
        if (seen.found) {
            post.flags |= seen.flags & ~ItemRead;
            if (seen.stamp == updated && source.hidden == 0) post.flags = seen.flags;
        }
    } else if (!quiet || source.hidden == 1) {
        post.flags &= ~ItemRead;
    }
    if (!store.noticePicture && (post.flags & (ItemRead | ItemMuted)) == 0 && source.hidden == 0)
        store.noticePicture = source.picture;
    n->stamp = post.updatedTime;
}
}  // namespace

bool ParsePosts(DataStore& store, JsonTree rows) {
    if (rows.empty()) return false;
    JsonRowReader reader(PostNames, PostFields);
    PostRow row;
    for (const JsonValue* node = rows.first(); node; node = node->next) {
        if (store.stopRequested) break;
        if (!node->children) continue;
        reader.read(node->children, row);
        std::u16string postId = JsonValueString(row[PostId]);
        if (postId.empty()) break;
        MergeRow(store, row, postId);
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    SortItemsByStamp(store.posts, false);
    store.SortComments();  // also when none came: the order setting may have changed
    return true;
}
