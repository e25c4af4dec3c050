// The process-wide lists of the data store and the one lock around them.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "store/item_list.h"
#include "store/records.h"

extern ItemList<UserRecord> UserList;
extern ItemList<PostRecord> PostList;
extern ItemList<CommentRecord> CommentList;
extern ItemList<LikeRecord> LikeList;
extern ItemList<NotificationRecord> NotificationList;
extern ItemList<ThreadRecord> ThreadList;
extern ItemList<MessageRecord> MessageList;
extern ItemList<FavoriteRecord> FavoriteList;

// The signed-in user: id (empty until the first refresh reads it) and his profile.
extern std::u16string OwnUid;
extern UserRecord* OwnUser;

// Picture of the profile behind the first new or updated item of the current refresh
// (not owned; cleared at the start of every refresh and when the users are released).
extern const Picture* NoticePicture;

// Held by the worker for each parse step and by the UI thread for each menu build or
// command. Recursive, because parsers call FindProfile, which takes it too.
std::recursive_mutex& StoreLock();

// Set while a stop of the worker is requested; the parsers give up between rows.
extern std::atomic<bool> RefreshStopRequested;

// Release routines. Posts and threads point at users and users at posts, so nothing
// may outlive what it points at: FreePostList clears every user's status post;
// FreeUserList first releases the posts (which need their source) and the threads with
// their messages (which name their other party), then clears OwnUser, OwnUid and
// NoticePicture. Each takes StoreLock itself.
void FreePostList();
void FreeUserList();
void FreeCommentList();
void FreeThreadList();  // threads and messages
void FreeLikeList();    // not part of sign-out; for tests and tools

// Sign-out: posts, comments, likes, notifications, threads with their messages, then
// users; and the seen tables.
void ReleaseSignedInData();
