// Comments and likes of stream posts.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

class DataStore;
struct CommentRecord;

extern const char16_t* const FriendsOnlyCondition;

// Both reads fetch (the query, then unknown authors and likers) without the store's
// mutex and merge under it: call them without holding it.
// True when a comment was added that is unread after restoring its seen state;
// `counter` grows by one per comment added (under the mutex); *failed tells a query
// that brought no answer from one that brought nothing new.
bool ReadComments(DataStore& store, std::u16string_view postId, int32_t* counter = nullptr, bool* failed = nullptr);
// False when the query brought nothing (the likes stay as they were).
bool ReadLikes(DataStore& store, std::u16string_view postId);
// These take the mutex themselves.
void AddOwnLike(DataStore& store, std::u16string_view ownId, std::u16string_view postId);
bool RemoveOwnLike(DataStore& store, std::u16string_view postId, std::u16string_view ownId);
void MarkCommentsRead(DataStore& store, std::u16string_view postId);

// The comment's text as it is shown.
std::u16string CommentText(const CommentRecord& comment);
