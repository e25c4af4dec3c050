// What the comment, status, add-favourite and favourite-sites dialogs do with what the
// user typed or chose. The shell reads the controls and shows the results.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class DataStore;

// Units of text read from the comment and status fields.
constexpr size_t PostTextLimit = 2048;
// Units of a favourite's name read from the add-favourite dialog.
constexpr size_t FavoriteNameLimit = 5000;

// The post the next comment goes to (set by the comment command), and whether its
// button names the post's feed (a post with an actor).
struct CommentTarget {
    std::u16string postId;
    bool hasActor = false;
};
void SetCommentTarget(std::u16string postId, bool hasActor);
const CommentTarget& CurrentCommentTarget();

// The typed text cut to PostTextLimit units; a character outside the basic plane is
// never cut in half, so what is sent is exactly a prefix of what was typed.
std::u16string CutPostText(std::u16string_view typed);

enum class PostResult {
    Empty,      // nothing typed or nothing to post to: no request
    Sent,       // the service took it: the success box
    Refused,    // refused or failed: the dialog closes without a word
    NotSignedIn // the status dialog stays open while the signed-in user is unknown
};

// POST "/{post id}/comments" with the text as the multipart message.
PostResult SendCommentText(std::u16string_view postId, std::u16string_view typed);
// POST "/me/feed"; needs the signed-in user's profile.
PostResult PostStatusText(DataStore& store, std::u16string_view typed);

// The add-favourite button: an empty name or address adds nothing (the dialog stays);
// an access token in the address is never kept.
bool AddFavoriteFromDialog(DataStore& store, std::u16string_view name, std::u16string_view address);

// The favourite-sites dialog's delete: `selected` holds the item data (favourite index
// at the time the list was filled) of the selected lines, ascending. Removes those
// favourites from memory (the file is written on close) and returns the line to select
// afterwards, -1 for none.
int32_t DeleteFavoritesAt(DataStore& store, const std::vector<int32_t>& selected);
// The titles of the list, in order (the index is each line's item data).
std::vector<std::u16string> FavoriteTitles(DataStore& store);
