#include "ui/content_dialogs.h"

#include <mutex>

#include "base/format_text.h"
#include "net/service_calls.h"
#include "net/signin.h"
#include "store/data_store.h"
#include "store/favorites.h"

namespace {
CommentTarget commentTarget;

PostResult Post(std::u16string_view path, std::u16string_view typed) {
    const std::u16string text = CutPostText(typed);
    if (text.empty()) return PostResult::Empty;
    return GraphCall(path, GRAPH_POST, MessageFormBody(text)) ? PostResult::Sent : PostResult::Refused;
}
}  // namespace

void SetCommentTarget(std::u16string postId, bool hasActor) {
    commentTarget.postId = std::move(postId);
    commentTarget.hasActor = hasActor;
}

const CommentTarget& CurrentCommentTarget() { return commentTarget; }

std::u16string CutPostText(std::u16string_view typed) {
    if (typed.size() <= PostTextLimit) return std::u16string(typed);
    size_t n = PostTextLimit;
    // A lead surrogate at the edge loses its partner: leave it out rather than send U+FFFD.
    if (typed[n - 1] >= 0xD800 && typed[n - 1] <= 0xDBFF) --n;
    return std::u16string(typed.substr(0, n));
}

PostResult SendCommentText(std::u16string_view postId, std::u16string_view typed) {
    if (postId.empty()) return PostResult::Empty;
    return Post(u"/" + std::u16string(postId) + u"/comments", typed);
}

PostResult PostStatusText(DataStore& store, std::u16string_view typed) {
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (!store.ownUser) return PostResult::NotSignedIn;
    }
    return Post(u"/me/feed", typed);
}

bool AddFavoriteFromDialog(DataStore& store, std::u16string_view name, std::u16string_view address) {
    if (name.size() > FavoriteNameLimit) name = name.substr(0, FavoriteNameLimit);
    return AddFavorite(store, name, AddressWithoutToken(address));
}

int32_t DeleteFavoritesAt(DataStore& store, const std::vector<int32_t>& selected) {
    int32_t last = -1;
    std::lock_guard<std::mutex> hold(store.mutex());
    for (size_t i = 0; i < selected.size(); ++i) {
        // Every removal moves the later favourites up by one.
        const int32_t index = selected[i] - static_cast<int32_t>(i);
        if (auto* node = ItemAt(store.favorites, index)) {
            store.favorites.remove(node);
            last = index;
        }
    }
    return last > 0 ? last - 1 : -1;
}

std::vector<std::u16string> FavoriteTitles(DataStore& store) {
    std::vector<std::u16string> titles;
    std::lock_guard<std::mutex> hold(store.mutex());
    for (const auto& node : store.favorites) titles.push_back(node.payload.title);
    return titles;
}
