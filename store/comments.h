// Comments and likes of stream posts.
#pragma once
#include <cstdint>
#include <string_view>

extern const char16_t* const FriendsOnlyCondition;

// True when a comment was added that is unread after restoring its seen state;
// `counter` grows by one per comment added; *failed tells a query that brought no
// answer from one that brought nothing new.
bool ReadComments(std::u16string_view postId, int32_t* counter = nullptr, bool* failed = nullptr);
// False when the query brought nothing (the likes stay as they were).
bool ReadLikes(std::u16string_view postId);
void AddOwnLike(std::u16string_view ownId, std::u16string_view postId);
bool RemoveOwnLike(std::u16string_view postId, std::u16string_view ownId);
void MarkCommentsRead(std::u16string_view postId);
// Oldest first unless the settings ask for newest first.
void SortComments();

// Drop the lookup indexes of CommentList and LikeList (called when a list is released).
void ForgetCommentIndex();
void ForgetLikeIndex();
