#include "store/data_store.h"

#include <algorithm>
#include <unordered_set>

#include "base/settings.h"

UserRecord* DataStore::FindUser(std::u16string_view id) const { return FindUser(id, ItemKeyHash{}(id)); }

UserRecord* DataStore::FindUser(std::u16string_view id, size_t idHash) const {
    UserNode* n = users.firstWithKey1(id, idHash);
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

DataStore::HeldAddress& DataStore::pictureSlot(std::u16string_view key, size_t hash) {
    const size_t mask = pictures_.size() - 1;
    size_t at = hash & mask;
    for (; pictures_[at].address; at = (at + 1) & mask) {
        const HeldAddress& slot = pictures_[at];
        if (slot.hash == hash && SameKeyText({slot.address.get(), slot.size}, key)) break;
    }
    return pictures_[at];
}

SharedPicture DataStore::HeldPicture(std::u16string_view key) {
    if (pictures_.empty()) return nullptr;
    const HeldAddress& slot = pictureSlot(key, ItemKeyHash{}(key));
    return slot.address ? slot.picture.lock() : nullptr;
}

SharedPicture DataStore::HoldPicture(std::u16string_view key, SharedPicture picture) {
    if (!picture) return nullptr;
    // Addresses whose pictures went with their records are forgotten now and then, so
    // the table stays in proportion to what is shown.
    if (pictureCount_ >= 2 * picturesAtSweep_ + 64) forgetGonePictures();
    if ((pictureCount_ + 1) * 2 > pictures_.size()) {
        std::vector<HeldAddress> old(pictures_.empty() ? 64 : pictures_.size() * 2);
        old.swap(pictures_);
        for (HeldAddress& held : old)
            if (held.address) pictureSlot({held.address.get(), held.size}, held.hash) = std::move(held);
    }
    const size_t hash = ItemKeyHash{}(key);
    HeldAddress& slot = pictureSlot(key, hash);
    if (!slot.address) {
        slot.hash = hash;
        slot.address.reset(new char16_t[key.size() ? key.size() : 1]);
        std::copy(key.begin(), key.end(), slot.address.get());
        slot.size = key.size();
        ++pictureCount_;
    } else if (SharedPicture held = slot.picture.lock()) {
        return held;
    }
    slot.picture = picture;
    return picture;
}

void DataStore::forgetGonePictures() {
    std::vector<HeldAddress> old;
    old.swap(pictures_);
    pictureCount_ = 0;
    for (HeldAddress& held : old) pictureCount_ += held.address && !held.picture.expired();
    size_t size = 64;
    while (size < 2 * (pictureCount_ + 1)) size *= 2;
    pictures_.resize(size);
    for (HeldAddress& held : old)
        if (held.address && !held.picture.expired())
            pictureSlot({held.address.get(), held.size}, held.hash) = std::move(held);
    picturesAtSweep_ = pictureCount_;
}

size_t DataStore::heldPictureCount() const {
    size_t n = 0;
    for (const HeldAddress& held : pictures_) n += held.address && !held.picture.expired();
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
