// Everything the program knows about the signed-in user's network: the record lists
// with their indexes, the loaded seen-state tables, the signed-in user and the one
// lock around them. app/ creates one and hands it to whoever needs it.
//
// Locking: mutex() is plain (not recursive). Hold it only while lists are read or
// changed, never across a network request or a file write: the worker fetches first and
// merges under it, the UI thread builds a menu or runs a command under it. Lock order:
// the seen-state file lock (store/seen_state.cpp), then mutex(); nothing else is held
// while mutex() is. Only the worker adds or removes records while it runs; the UI thread
// may change flags and marks, and frees lists only after StopRefresh().
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "store/item_list.h"
#include "store/records.h"
#include "store/seen_state.h"

class DataStore {
public:
    using UserNode = ItemNode<UserRecord>;
    using PostNode = ItemNode<PostRecord>;
    using CommentNode = ItemNode<CommentRecord>;
    using LikeNode = ItemNode<LikeRecord>;
    using NotificationNode = ItemNode<NotificationRecord>;
    using ThreadNode = ItemNode<ThreadRecord>;
    using MessageNode = ItemNode<MessageRecord>;

    DataStore() = default;
    DataStore(const DataStore&) = delete;
    DataStore& operator=(const DataStore&) = delete;

    ItemList<UserRecord> users;                  // key1 user id
    ItemList<PostRecord> posts;                  // key1 post id
    ItemList<CommentRecord> comments;            // key1 post id, key2 author id; see SortComments
    ItemList<LikeRecord> likes;                  // key1 post id, key2 liker id
    ItemList<NotificationRecord> notifications;  // key1 notification id
    ItemList<ThreadRecord> threads;              // key1 thread id
    ItemList<MessageRecord> messages;            // key1 thread id, key2 message id
    ItemList<FavoriteRecord> favorites;          // key1 title
    SeenTables seen;                             // the loaded per-user file
    // The signed-in user: id (empty until the first refresh reads it) and his profile.
    std::u16string ownUid;
    UserRecord* ownUser = nullptr;
    // Picture of the profile behind the first new or updated item of the current
    // refresh (cleared at the start of every refresh and with the users). Shared, so
    // the notice keeps it past the release of the records that showed it.
    SharedPicture noticePicture;
    // Set while a stop of the worker is requested; fetches and merges give up.
    std::atomic<bool> stopRequested{false};
    // Authors of listed comments who had no profile when the comment was listed, once
    // each: the refresh asks for them again at its end, so the menus need not look for
    // them in every comment (a profile never leaves before the comments).
    std::vector<std::u16string> commentAuthorsWithoutProfile;
    // Whether the seen-state file was loaded once in this run (the left-Control reset
    // applies to the first load only).
    bool seenLoadedOnce = false;
    // Whether a refresh listed everything since the seen tables were loaded. Until one
    // has, a save keeps every loaded entry of an item not listed, however old: a refresh
    // that failed must not leave less behind than was read. Under mutex().
    bool seenListsComplete = false;

    std::mutex& mutex() { return mutex_; }

    // ---- Lookups. Hold mutex(). Views into the lists: valid while the mutex is held
    // and, on the UI thread, until the next refresh frees what they point at. ----
    UserRecord* FindUser(std::u16string_view id) const;
    // The same, with the id's ItemKeyHash computed already: a read that looks one author
    // up in several tables hashes him once.
    UserRecord* FindUser(std::u16string_view id, size_t idHash) const;
    PostNode* FindPost(std::u16string_view postId) const;
    ThreadNode* FindThread(std::u16string_view threadId) const;
    NotificationNode* FindNotification(std::u16string_view notificationId) const;
    MessageNode* FindMessage(std::u16string_view messageId) const;
    // The comments of a post in the list's order (oldest first unless the settings ask
    // for newest first).
    std::vector<CommentNode*> CommentsOf(std::u16string_view postId);
    // The likes of a post and the messages of a thread, in the order they were listed.
    const std::vector<LikeNode*>& LikesOf(std::u16string_view postId) const;
    const std::vector<MessageNode*>& MessagesOf(std::u16string_view threadId) const;

    // Sorts the comments by stamp in the current order setting (equal stamps in the
    // order they were listed) unless they are sorted already. A read appends its new
    // comments; the refresh sorts them once at the end of the posts, and CommentsOf and
    // the seen-state writer sort before they read. Hold mutex().
    void SortComments();

    // ---- Pictures, one per address. Hold mutex(). ----
    // The picture held for `key` (an address) while any record still shows it.
    SharedPicture HeldPicture(std::u16string_view key);
    // Holds `picture` for `key` unless another one came meanwhile; returns the one held.
    SharedPicture HoldPicture(std::u16string_view key, SharedPicture picture);
    size_t heldPictureCount() const;  // addresses whose picture is still shown

    // ---- Release. Each takes mutex() itself: call it without holding it, and after
    // StopRefresh() when the worker may run. Posts and threads point at users and users
    // at posts, so nothing may outlive what it points at. ----
    void FreePostList();     // also clears every user's status post
    void FreeThreadList();   // threads and their messages
    void FreeUserList();     // posts and threads first; clears ownUser, ownUid, noticePicture
    void FreeCommentList();
    void FreeLikeList();
    // Sign-out: comments, likes, notifications, then the users with the posts and
    // threads that point at them; and the seen tables, so the next user neither sees nor
    // saves what the last one had read.
    void ReleaseSignedInData();

private:
    void FreePostListLocked();
    void FreeThreadListLocked();
    void FreeUserListLocked();

    bool CommentsAscending() const;

    std::mutex mutex_;
    // The records own their pictures; this only finds them again by address. Open
    // addressing over slots that carry the address's hash: a refresh asks for a thousand
    // pictures, each looked up twice, and a lookup reads a slot and, when the hash
    // matches, the address, where a node-based map reads a bucket, a node and the text.
    struct HeldAddress {
        size_t hash = 0;
        std::unique_ptr<char16_t[]> address;  // null: a free slot
        size_t size = 0;
        std::weak_ptr<Picture> picture;
    };
    HeldAddress& pictureSlot(std::u16string_view key, size_t hash);  // its own, or the free one it would take
    void forgetGonePictures();
    std::vector<HeldAddress> pictures_;  // a power of two in size, at most half full
    size_t pictureCount_ = 0;
    size_t picturesAtSweep_ = 0;
    // The comment list's change count and order setting when it was last sorted.
    uint64_t commentOrderAt_ = ~uint64_t(0);
    bool commentOrderAscending_ = true;
};
