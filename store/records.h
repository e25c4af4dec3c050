// The record types of the data store. Every text field is the record's own copy (an
// absent value is an empty string), in UTF-16, with two exceptions: a comment's text
// (see CommentRecord) and the post id that a post's comments and likes share. Pictures
// are shared by the records that show them; references between records are plain
// pointers into the lists' nodes, which never move.
#pragma once
#include <cstdint>
#include <string>

#include "store/picture.h"
#include "store/shared_text.h"

struct PostRecord;

enum ProfileKind : int32_t { ProfileUser = 0, ProfilePage = 1, ProfileGroup = 2, ProfileEvent = 3 };

// A user, page, group or event; also carries the user's latest status.
struct UserRecord {
    std::u16string name;
    std::u16string id;
    SharedPicture picture;
    SharedPicture largePicture;
    std::u16string statusText;
    std::u16string statusKey;           // "<profile id>_<status id>"
    int32_t statusTime = 0;
    PostRecord* statusPost = nullptr;   // the stream post carrying the status, when listed
    uint32_t isPostSource = 0;
    int32_t profileUpdateTime = 0;
    std::u16string onlinePresence;
    std::u16string profileUrl;
    std::u16string pictureUrl;
    std::u16string largePictureUrl;
    int32_t kind = ProfileUser;
    std::u16string statusMessageAtFetch;
    uint32_t hidden = 0;                // mark word: the user's posts are hidden
    uint32_t flags = 0;                 // flags word: read state of the latest status
    std::u16string birthday;
    std::u16string city;
};

struct PostRecord {
    std::u16string postId;
    std::u16string message;
    UserRecord* source = nullptr;       // never null for a listed post
    UserRecord* actor = nullptr;
    UserRecord* target = nullptr;
    int32_t createdTime = 0;
    int32_t updatedTime = 0;
    int32_t likesCount = 0;
    int32_t likedByMe = 0;
    int32_t canLike = 0;
    int32_t canComment = 0;
    int32_t commentsRead = 0;
    std::u16string attachmentName;
    std::u16string attachmentLink;
    std::u16string attachmentDescription;
    SharedPicture attachmentPicture;
    std::u16string permalink;
    uint32_t flags = 0;
};

struct CommentRecord {
    SharedText postId;  // shared by the post's comments
    SharedUnits authorId;  // the ids of one read share a block
    // The text as the answer carried it (UTF-8 with JSON escapes); CommentText decodes
    // it when a menu shows it. Most comments are never shown, and a refresh reads
    // thousands of them: the texts of one read share a block.
    SharedBytes rawText;
    int32_t time = 0;
    int32_t likes = 0;
    uint32_t read = 0;
};

struct LikeRecord {
    SharedText postId;  // shared by the post's likes
    SharedUnits userId;  // the ids of one read share a block
    uint32_t read = 0;
    uint32_t stale = 0;
};

struct NotificationRecord {
    std::u16string notificationId;
    std::u16string senderId;
    std::u16string titleText;
    std::u16string bodyText;
    int32_t createdTime = 0;
    int32_t updatedTime = 0;
    std::u16string link;
    uint32_t read = 0;
};

struct ThreadRecord {
    std::u16string threadId;
    std::u16string parentThreadId;
    std::u16string snippetAuthorId;
    std::u16string snippet;
    int32_t folderId = 0;
    std::u16string subject;
    int32_t updatedTime = 0;
    int32_t messageCount = 0;
    UserRecord* otherParty = nullptr;
    uint32_t flags = 0;
    bool messagesRead = false;  // the messages up to updatedTime came; else read them again
    int32_t unreadSince = 0;    // while not: the window's start of the read that failed first
};

struct MessageRecord {
    std::u16string threadId;
    std::u16string messageId;
    std::u16string authorId;
    std::u16string text;
    std::u16string link;
    int32_t createdTime = 0;
    uint32_t read = 0;
};

struct FavoriteRecord {
    std::u16string title;
    std::u16string address;
};

// One entry of a seen table, as loaded from the per-user file.
struct SeenEntry {
    uint32_t mark = 0;
    uint32_t flags = 0;
    int32_t stamp = 0;
    std::u16string key1;
    std::u16string key2;
    uint32_t matched = 0;  // working mark of the writer, not stored
};
