#include "ui/commands.h"

#include <mutex>
#include <vector>

#include "base/format_text.h"
#include "base/text_table.h"
#include "net/service_address.h"
#include "net/service_calls.h"
#include "net/signin.h"
#include "store/comments.h"
#include "store/data_store.h"
#include "ui/command_table.h"
#include "ui/content_dialogs.h"
#include "ui/content_menus.h"
#include "ui/dialog_table.h"
#include "ui/record_lookup.h"

namespace {
constexpr size_t LikePathLimit = 256;

CommandEffect Step(CommandStep step, int32_t value = 0) { return CommandEffect{step, value, {}, false}; }

CommandEffect Open(std::u16string address, bool showMain) {
    return CommandEffect{CommandStep::Navigate, 0, std::move(address), showMain};
}

// Commands that open a dialog from a popup close it first (its session goes with it),
// so nothing of the menu is on screen while the dialog waits for the user.
CommandPlan DialogFromPopup(int32_t index) {
    CommandPlan plan;
    plan.result = 1;
    plan.steps = {Step(CommandStep::CloseMenu), Step(CommandStep::OpenDialog, index)};
    return plan;
}

// Hides or shows the posts of the item's user; the item then offers the other action.
void SetUserHidden(DataStore& store, MenuItemData* item, bool hide) {
    if (!item || !item->user) return;
    std::u16string name;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        UserRecord* user = LookUpUser(store, item->user);
        if (!user) return;
        user->hidden = hide ? 1 : 0;
        name = user->name;
    }
    item->action = hide ? ActionShowUser : ActionHideUser;
    item->text = KeepItemText(*item, FormatText(LookupText(hide ? "SHOWUSER" : "HIDEUSER"), {name}));
}

void ToggleMute(DataStore& store, MenuItemData* item) {
    if (!item || !item->post) return;
    bool muted;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        PostRecord* post = LookUpPost(store, item->post);
        if (!post) return;
        post->flags ^= ItemMuted;
        muted = (post->flags & ItemMuted) != 0;
    }
    item->text = LookupText(muted ? "MARKNOTICE2" : "MARKNOTICE");
}

// The comment dialog works on the post's id, not on the record: the popup's data is
// gone by the time the user sends.
CommandPlan CommentOn(DataStore& store, MenuItemData* item) {
    if (!item || !item->post) return {};
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        PostRecord* post = LookUpPost(store, item->post);
        if (!post) return {};
        SetCommentTarget(post->postId, post->actor != nullptr);
    }
    return DialogFromPopup(DialogComment);
}

// Every row of the post in the open popup follows the own like that came or went, as
// the next popup would show them: the post's rows (a post may be listed twice) with
// their likes, the like rows and the likes submenu's caption. A post row keeps the
// body it was built with, so its height stays as measured.
void FollowLikeInOpenPopup(DataStore& store, PopupSession& session, const RecordRef& postRef,
                           std::u16string_view postId, bool liked) {
    std::lock_guard<std::mutex> hold(store.mutex());
    PostRecord* post = LookUpPost(store, postRef);
    const std::u16string_view caption = session.keep(LikesCaption(store, postId));
    std::vector<MenuItemData*> postRows;  // texts are kept after the walk: keeping adds entries
    session.forEachItem([&](MenuItemData& row) {
        if (row.post != postRef) return;
        if (row.action == ActionLike) row.text = LookupText(liked ? "NOLIKE" : "ILIKEIT");
        else if (row.style == &Styles::ItLikes) row.text = caption;
        else if (row.stateRef == postRef && post && post->source) postRows.push_back(&row);
    });
    for (MenuItemData* row : postRows) row->text = session.keep(PostRowText(store, *post, row->isNew == 0));
}

CommandPlan SendMessageTo(DataStore& store, MenuItemData* item) {
    if (!item || !item->user) return {};
    std::u16string id;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (UserRecord* user = LookUpUser(store, item->user)) id = user->id;
    }
    if (id.empty()) return {};
    CommandPlan plan;
    plan.steps = {Open(WebBase() + u"/messages/" + id, true)};
    return plan;
}
}  // namespace

bool LikeOrUnlike(DataStore& store, const RecordRef& postRef, MenuItemData* item) {
    std::u16string postId;
    bool liked;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        PostRecord* post = LookUpPost(store, postRef);
        if (!post) return false;
        postId = post->postId;
        liked = post->likedByMe != 0;
    }
    std::u16string path = u"/" + postId + u"/likes";
    // The store lock is not held across the request: the worker must not wait for it.
    bool done = !postId.empty() && path.size() <= LikePathLimit &&
                GraphCall(path, liked ? GRAPH_DELETE : GRAPH_POST);
    if (done) {
        std::u16string ownUid;
        {
            // The post is looked up again: the worker may have changed the list meanwhile.
            std::lock_guard<std::mutex> hold(store.mutex());
            liked = !liked;
            if (PostRecord* post = LookUpPost(store, postRef)) {
                post->likedByMe = liked ? 1 : 0;
                if (liked) ++post->likesCount;
                else if (post->likesCount > 0) --post->likesCount;
            }
            ownUid = store.ownUid;
        }
        // These take the store's mutex themselves.
        if (liked) AddOwnLike(store, ownUid, postId);
        else RemoveOwnLike(store, postId, ownUid);
    }
    if (item) {
        item->text = LookupText(liked ? "NOLIKE" : "ILIKEIT");
        if (done && item->session) FollowLikeInOpenPopup(store, *item->session, postRef, postId, liked);
    }
    return done;
}

CommandPlan DispatchCommand(DataStore& store, MenuItemData* item, int32_t code) {
    CommandPlan plan;
    auto& steps = plan.steps;
    switch (code) {
    case ActionHome:
        steps = {Open(RootPageUrl(), false), Step(CommandStep::ShowMainWindow)};
        break;
    case ActionExit: steps = {Step(CommandStep::DestroyMainWindow)}; break;
    case ActionLike:
        if (item && item->post) LikeOrUnlike(store, item->post, item);
        break;
    case ActionBrowserBack: steps = {Step(CommandStep::BrowserBack)}; break;
    case ActionSearchHome: steps = {Step(CommandStep::SearchHome)}; break;
    case ActionAddFavorite: steps = {Step(CommandStep::OpenDialog, DialogAddFavorite)}; break;
    case ActionAddComment: return CommentOn(store, item);
    case ActionSendMessage: return SendMessageTo(store, item);
    case ActionHideUser: SetUserHidden(store, item, true); break;
    case ActionMarkCommentsRead:
        if (item && item->post) {
            MarkCommentsRead(store, item->post.key1);  // takes the lock itself
        }
        break;
    case ActionBrowserForward: steps = {Step(CommandStep::BrowserForward)}; break;
    case ActionBrowserReload: steps = {Step(CommandStep::BrowserReload)}; break;
    case ActionPreferences: return DialogFromPopup(DialogPreferences);
    case ActionReporting: return DialogFromPopup(DialogInformation);
    case ActionAbout: return DialogFromPopup(DialogAbout);
    case ActionShowUser: SetUserHidden(store, item, false); break;
    case ActionUpdateData: steps = {Step(CommandStep::RefreshNow)}; break;
    case ActionMarkAllRead: steps = {Step(CommandStep::MarkAllRead)}; break;
    case ActionLogin: steps = {Step(CommandStep::BeginSignIn)}; break;
    case ActionLogout:
        // The worker writes into the lists that are released: it stops first.
        steps = {Step(CommandStep::StopRefresh), Step(CommandStep::SignOut), Step(CommandStep::ReleaseSignedInData),
                 Step(CommandStep::ForgetAnnouncement), Step(CommandStep::RebuildMenuBar), Step(CommandStep::RedrawBanner)};
        break;
    case ActionCheckUpdate: steps = {Step(CommandStep::OfferUpdate)}; break;
    case ActionShowPageView: steps = {Step(CommandStep::ShowPageView)}; break;
    case ActionClosePageView: steps = {Step(CommandStep::ClosePageView)}; break;
    case ActionNewPosts: steps = {Step(CommandStep::ShowNewAndUpdatedMenu)}; break;
    case ActionCopyLink: steps = {Step(CommandStep::CopyAddress)}; break;
    case ActionStatusUpdate: steps = {Step(CommandStep::OpenDialog, DialogStatus)}; break;
    case ActionMute: ToggleMute(store, item); break;
    default: break;  // 1030 and codes of no command
    }
    return plan;
}
