#include "store/data_store.h"

#include <algorithm>
#include <unordered_set>

#include "base/settings.h"

UserRecord* DataStore::FindUser(std::u16string_view id) const {
    UserNode* n = FindItem(users, id);
    return n ? &n->payload : nullptr;
}

DataStore::PostNode* DataStore::FindPost(std::u16string_view postId) const { return FindItem(posts, postId); }

DataStore::ThreadNode* DataStore::FindThread(std::u16string_view threadId) const {
    return FindItem(threads, threadId);
}

DataStore::NotificationNode* DataStore::FindNotification(std::u16string_view notificationId) const {
    return FindItem(notifications, notificationId);
}

DataStore::MessageNode* DataStore::FindMessage(std::u16string_view messageId) const {
    return messages.firstWithKey2(messageId);
}

std::vector<DataStore::CommentNode*> DataStore::CommentsOf(std::u16string_view postId) {
    SortComments();
    const auto& linked = comments.withKey1(postId);
    std::vector<CommentNode*> out(linked.begin(), linked.end());
    const bool ascending = CommentsAscending();
    std::stable_sort(out.begin(), out.end(), [ascending](const CommentNode* a, const CommentNode* b) {
        return ascending ? a->stamp < b->stamp : a->stamp > b->stamp;
    });
    return out;
}

const std::vector<DataStore::LikeNode*>& DataStore::LikesOf(std::u16string_view postId) const {
    return likes.withKey1(postId);
}

const std::vector<DataStore::MessageNode*>& DataStore::MessagesOf(std::u16string_view threadId) const {
    return messages.withKey1(threadId);
}

bool DataStore::CommentsAscending() const { return AppSettings.commentsNewestFirst == 0; }

void DataStore::SortComments() {
    const bool ascending = CommentsAscending();
    if (commentOrderAt_ == comments.changes() && commentOrderAscending_ == ascending) return;
    SortItemsByStamp(comments, ascending);
    commentOrderAt_ = comments.changes();
    commentOrderAscending_ = ascending;
}

SharedPicture DataStore::HeldPicture(std::u16string_view key) {
    auto found = pictures_.find(key);
    return found == pictures_.end() ? nullptr : found->second.picture.lock();
}

SharedPicture DataStore::HoldPicture(std::u16string_view key, SharedPicture picture) {
    if (!picture) return nullptr;
    auto found = pictures_.find(key);
    if (found == pictures_.end()) {
        std::unique_ptr<char16_t[]> address(new char16_t[key.size() ? key.size() : 1]);
        std::copy(key.begin(), key.end(), address.get());
        const std::u16string_view kept(address.get(), key.size());
        found = pictures_.emplace(kept, HeldAddress{std::move(address), {}}).first;
    } else if (SharedPicture held = found->second.picture.lock()) {
        return held;
    }
    found->second.picture = picture;
    SharedPicture shared = std::move(picture);
    // Addresses whose pictures went with their records are forgotten now and then, so
    // the map stays in proportion to what is shown.
    if (pictures_.size() >= 2 * picturesAtSweep_ + 64) {
        for (auto at = pictures_.begin(); at != pictures_.end();)
            at = at->second.picture.expired() ? pictures_.erase(at) : std::next(at);
        picturesAtSweep_ = pictures_.size();
    }
    return shared;
}

size_t DataStore::heldPictureCount() const {
    size_t n = 0;
    for (const auto& entry : pictures_) n += !entry.second.picture.expired();
    return n;
}

void DataStore::FreePostListLocked() {
    for (auto& user : users) user.payload.statusPost = nullptr;
    FreeItemList(posts);
}

void DataStore::FreeThreadListLocked() {
    FreeItemList(threads);
    FreeItemList(messages);
}

void DataStore::FreeUserListLocked() {
    // Posts need their source and threads name their other party: neither may outlive
    // the profiles.
    FreePostListLocked();
    FreeThreadListLocked();
    noticePicture = nullptr;
    ownUser = nullptr;
    ownUid.clear();
    FreeItemList(users);
    // Every comment left has lost its author's profile.
    commentAuthorsWithoutProfile.clear();
    std::unordered_set<std::u16string_view> taken;
    for (const auto& node : comments)
        if (taken.insert(node.key2).second) commentAuthorsWithoutProfile.emplace_back(node.key2);
}

void DataStore::FreePostList() {
    std::lock_guard<std::mutex> hold(mutex_);
    FreePostListLocked();
}

void DataStore::FreeThreadList() {
    std::lock_guard<std::mutex> hold(mutex_);
    FreeThreadListLocked();
}

void DataStore::FreeUserList() {
    std::lock_guard<std::mutex> hold(mutex_);
    FreeUserListLocked();
}

void DataStore::FreeCommentList() {
    std::lock_guard<std::mutex> hold(mutex_);
    FreeItemList(comments);
    commentAuthorsWithoutProfile.clear();
}

void DataStore::FreeLikeList() {
    std::lock_guard<std::mutex> hold(mutex_);
    FreeItemList(likes);
}

void DataStore::ReleaseSignedInData() {
    std::lock_guard<std::mutex> hold(mutex_);
    FreeItemList(comments);
    commentAuthorsWithoutProfile.clear();
    FreeItemList(likes);
    FreeItemList(notifications);
    FreeUserListLocked();  // takes the posts and threads that point at the profiles with it
    seen = SeenTables();
    seenListsComplete = false;
}
