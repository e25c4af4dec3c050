#include "store/data_store.h"

#include "store/comments.h"
#include "store/profiles.h"
#include "store/seen_state.h"

ItemList<UserRecord> UserList;
ItemList<PostRecord> PostList;
ItemList<CommentRecord> CommentList;
ItemList<LikeRecord> LikeList;
ItemList<NotificationRecord> NotificationList;
ItemList<ThreadRecord> ThreadList;
ItemList<MessageRecord> MessageList;
ItemList<FavoriteRecord> FavoriteList;

std::u16string OwnUid;
UserRecord* OwnUser = nullptr;
const Picture* NoticePicture = nullptr;

std::atomic<bool> RefreshStopRequested{false};

std::recursive_mutex& StoreLock() {
    static std::recursive_mutex lock;
    return lock;
}

void FreePostList() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    for (auto& user : UserList) user.payload.statusPost = nullptr;
    // The notice picture may be an attachment's only through a source, never a post's
    // own; still, nothing of the posts may stay referenced.
    FreeItemList(PostList);
}

void FreeThreadList() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    FreeItemList(ThreadList);
    FreeItemList(MessageList);
}

void FreeUserList() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    // Posts need their source and threads name their other party: neither may outlive
    // the profiles.
    FreePostList();
    FreeThreadList();
    NoticePicture = nullptr;
    OwnUser = nullptr;
    OwnUid.clear();
    FreeItemList(UserList);
    ForgetProfileIndex();
}

void FreeCommentList() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    FreeItemList(CommentList);
    ForgetCommentIndex();
}

void FreeLikeList() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    FreeItemList(LikeList);
    ForgetLikeIndex();
}

void ReleaseSignedInData() {
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    FreeCommentList();
    FreeLikeList();
    FreeItemList(NotificationList);
    FreeUserList();  // takes the posts and threads that point at the profiles with it
    // The next user must neither see nor save what the last one had read.
    ForgetSeenTables();
}
