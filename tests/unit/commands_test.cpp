// The command dispatcher and the content dialogs against a store filled by hand and a
// recording service.
#include <gtest/gtest.h>

#include <mutex>

#include "app/main_commands.h"
#include "base/format_text.h"
#include "base/settings.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "net/service_address.h"
#include "net/service_calls.h"
#include "net_fakes.h"
#include "store/data_store.h"
#include "store/favorites.h"
#include "ui/command_table.h"
#include "ui/commands.h"
#include "ui/content_dialogs.h"
#include "ui/content_menus.h"
#include "ui/dialog_table.h"
#include "ui/record_lookup.h"

namespace {

using S = CommandStep;

std::vector<S> Kinds(const CommandPlan& plan) {
    std::vector<S> kinds;
    for (const auto& e : plan.steps) kinds.push_back(e.step);
    return kinds;
}

class Commands : public ::testing::Test {
protected:
    RecordingTransport net;
    RecordingShell shell;
    UserRecord* jan = nullptr;
    UserRecord* eva = nullptr;
    PostRecord* post = nullptr;
    DataStore store;  // a fresh one for every test
    PopupSession session{store};

    void SetUp() override {
        SetServiceBase(u"http://127.0.0.1:9");
        SetAccessToken(u"TOKEN");
        AppSettings = Settings();
        AppSettings.language = LangEnglish;
        jan = AddUser(u"100", u"Jan Nov\u00e1k");
        eva = AddUser(u"200", u"Eva");
        store.ownUid = u"200";
        store.ownUser = eva;
        PostRecord record;
        record.postId = u"100_1";
        record.source = jan;
        record.likesCount = 2;
        record.canLike = 1;
        ItemNode<PostRecord>* node = nullptr;
        AppendItem(store.posts, std::move(record), u"100_1", {}, 0, &node);
        node->flagsRef = &node->payload.flags;
        node->markRef = &jan->hidden;
        post = &node->payload;
    }

    void TearDown() override {
        ClearAccessToken();
        SetServiceBase(u"");
        SetCommentTarget({}, false);
    }

    UserRecord* AddUser(std::u16string id, std::u16string name) {
        UserRecord user;
        user.id = id;
        user.name = std::move(name);
        ItemNode<UserRecord>* node = nullptr;
        AppendItem(store.users, std::move(user), std::move(id), {}, 0, &node);
        node->flagsRef = &node->payload.flags;
        node->markRef = &node->payload.hidden;
        return &node->payload;
    }

    void AddComment(std::u16string postId, std::u16string author) {
        CommentRecord c;
        c.postId = postId;
        c.authorId = author;
        AppendItem(store.comments, std::move(c), std::move(postId), std::move(author));
    }

    MenuItemData PostItem() {
        MenuItemData item;
        item.session = &session;
        item.post = RefOf(*post);
        item.user = RefOf(*jan);
        return item;
    }

    size_t OwnLikes() const {
        size_t n = 0;
        for (auto& like : store.likes) n += like.payload.postId == u"100_1" && like.payload.userId == u"200";
        return n;
    }
};

TEST_F(Commands, EveryCodeGivesItsStepsAndOnlyDialogsFromPopupsKeepTheMenuData) {
    struct Row {
        int32_t code;
        std::vector<S> steps;
        int32_t result;
    };
    const Row rows[] = {
        {1028, {S::Navigate, S::ShowMainWindow}, 0},
        {1029, {S::DestroyMainWindow}, 0},
        {1030, {}, 0},
        {1032, {S::BrowserBack}, 0},
        {1033, {S::SearchHome}, 0},
        {1034, {S::OpenDialog}, 0},
        {1039, {S::BrowserForward}, 0},
        {1040, {S::BrowserReload}, 0},
        {1041, {S::CloseMenu, S::OpenDialog}, 1},
        {1042, {S::CloseMenu, S::OpenDialog}, 1},
        {1043, {S::CloseMenu, S::OpenDialog}, 1},
        {1045, {S::RefreshNow}, 0},
        {1046, {S::MarkAllRead}, 0},
        {1047, {S::BeginSignIn}, 0},
        // The worker stops before the lists it writes to are released.
        {1048,
         {S::StopRefresh, S::SignOut, S::ReleaseSignedInData, S::ForgetAnnouncement, S::RebuildMenuBar,
          S::RedrawBanner},
         0},
        {1049, {S::OfferUpdate}, 0},
        {1050, {S::ShowPageView}, 0},
        {1051, {S::ClosePageView}, 0},
        {1052, {S::ShowNewAndUpdatedMenu}, 0},
        {1053, {}, 0},
        {1054, {S::CopyAddress}, 0},
        {1055, {S::OpenDialog}, 0},
        {0, {}, 0},
        {1027, {}, 0},
        {1057, {}, 0},
    };
    for (const Row& row : rows) {
        const CommandPlan plan = DispatchCommand(store, nullptr, row.code);
        EXPECT_EQ(Kinds(plan), row.steps) << row.code;
        EXPECT_EQ(plan.result, row.result) << row.code;
    }
    EXPECT_EQ(DispatchCommand(store, nullptr, 1028).steps[0].address, u"http://127.0.0.1:9/");
    EXPECT_EQ(DispatchCommand(store, nullptr, 1034).steps[0].value, DialogAddFavorite);
    EXPECT_EQ(DispatchCommand(store, nullptr, 1041).steps[1].value, DialogPreferences);
    EXPECT_EQ(DispatchCommand(store, nullptr, 1042).steps[1].value, DialogInformation);
    EXPECT_EQ(DispatchCommand(store, nullptr, 1043).steps[1].value, DialogAbout);
    EXPECT_EQ(DispatchCommand(store, nullptr, 1055).steps[0].value, DialogStatus);

    // Codes that act on an item do nothing without one, or without its post or user.
    MenuItemData bare;
    for (int32_t code : {1031, 1035, 1036, 1037, 1038, 1044, 1056}) {
        EXPECT_TRUE(DispatchCommand(store, nullptr, code).steps.empty()) << code;
        EXPECT_EQ(DispatchCommand(store, &bare, code).result, 0) << code;
        EXPECT_TRUE(bare.text.empty()) << code;
    }
    EXPECT_TRUE(net.requests.empty());
}

TEST_F(Commands, TheSharedId1009SignsInOrOutAsTheMenuBarShowsIt) {
    const MainCommand out = ResolveMainCommand(CmdLogInOut, 0, false, false);
    const MainCommand in = ResolveMainCommand(CmdLogInOut, 0, false, true);
    ASSERT_TRUE(out.row && in.row);
    EXPECT_EQ(Kinds(DispatchCommand(store, nullptr, out.row->action)), std::vector<S>{S::BeginSignIn});
    EXPECT_EQ(Kinds(DispatchCommand(store, nullptr, in.row->action)).front(), S::StopRefresh);
}

TEST_F(Commands, AcceptedLikeAndUnlikeChangeFlagCountAndOwnLikeTogether) {
    MenuItemData item = PostItem();
    net.Answer("true");
    net.Answer("true");
    DispatchCommand(store, &item, ActionLike);
    EXPECT_EQ(post->likedByMe, 1);
    EXPECT_EQ(post->likesCount, 3);
    EXPECT_EQ(OwnLikes(), 1u);
    EXPECT_EQ(item.text, u"I don't like it");

    DispatchCommand(store, &item, ActionLike);
    EXPECT_EQ(post->likedByMe, 0);
    EXPECT_EQ(post->likesCount, 2);
    EXPECT_EQ(OwnLikes(), 0u);
    EXPECT_EQ(item.text, u"Like");

    ASSERT_EQ(net.requests.size(), 2u);
    EXPECT_EQ(net.requests[0].verb, u"POST");
    EXPECT_EQ(net.requests[1].verb, u"DELETE");
    EXPECT_EQ(net.requests[0].path.substr(0, 13), u"/100_1/likes&");
    EXPECT_TRUE(net.requests[0].body.empty());
}

TEST_F(Commands, RefusedOrFailedLikeChangesOnlyTheItemText) {
    MenuItemData item = PostItem();
    item.text = u"stale";
    net.Answer("{\"error\":{\"message\":\"x\",\"type\":\"OAuthException\",\"code\":100}}");
    DispatchCommand(store, &item, ActionLike);
    EXPECT_EQ(post->likedByMe, 0);
    EXPECT_EQ(post->likesCount, 2);
    EXPECT_EQ(OwnLikes(), 0u);
    EXPECT_EQ(item.text, u"Like");  // still offers the like

    post->likedByMe = 1;
    net.Fail();
    DispatchCommand(store, &item, ActionLike);
    EXPECT_EQ(post->likedByMe, 1);
    EXPECT_EQ(post->likesCount, 2);
    EXPECT_EQ(item.text, u"I don't like it");
    EXPECT_EQ(net.requests.back().verb, u"DELETE");

    // An unlike the service takes never drives the count below zero.
    post->likesCount = 0;
    net.Answer("true");
    DispatchCommand(store, &item, ActionLike);
    EXPECT_EQ(post->likesCount, 0);
}

// The popup stays open after a right click: its rows must read as a new popup would.
TEST_F(Commands, ALikeFromAnOpenPopupRecountsItsLikesRowAndFlipsEveryLikeRowOfThePost) {
    for (const char16_t* liker : {u"100", u"300"})  // 300 is no known profile, yet counts
        AppendItem(store.likes, LikeRecord{u"100_1", liker, 0, 0}, u"100_1", liker);
    MenuContext cx = CurrentMenuContext(session);
    MenuPtr menu = CreateMenuModel();
    MenuItemData row = MakeItemTemplate(DefaultMenuWidth);
    ASSERT_TRUE(AddPostActions(cx, *menu, post, row, false));
    BuildPostsMenu(cx, nullptr, menu.get(), false, nullptr);  // the post listed twice, with its row
    std::vector<MenuItemData*> likeRows, likesRows, postRows;
    session.forEachItem([&](MenuItemData& item) {
        if (item.action == ActionLike) likeRows.push_back(&item);
        if (item.style == &Styles::ItLikes) likesRows.push_back(&item);
        if (item.stateRef == item.post && item.post) postRows.push_back(&item);
    });
    ASSERT_EQ(likeRows.size(), 2u);
    ASSERT_EQ(likesRows.size(), 2u);
    ASSERT_EQ(postRows.size(), 1u);
    EXPECT_EQ(likesRows[0]->text, u"It likes (2, new 2)");
    const std::u16string built(postRows[0]->text);

    net.Answer("true");
    DispatchCommand(store, likeRows[0], ActionLike);
    for (MenuItemData* item : likesRows) EXPECT_EQ(item->text, u"It likes (3, new 2)");  // the own like is read
    for (MenuItemData* item : likeRows) EXPECT_EQ(item->text, u"I don't like it");
    EXPECT_NE(postRows[0]->text.find(u"You and"), std::u16string_view::npos);  // the row counts the own like

    net.Fail();  // nothing changed: nothing follows
    DispatchCommand(store, likeRows[1], ActionLike);
    EXPECT_EQ(likesRows[1]->text, u"It likes (3, new 2)");

    net.Answer("true");
    DispatchCommand(store, likeRows[1], ActionLike);
    for (MenuItemData* item : likesRows) EXPECT_EQ(item->text, u"It likes (2, new 2)");
    for (MenuItemData* item : likeRows) EXPECT_EQ(item->text, u"Like");
    EXPECT_EQ(postRows[0]->text, built);
}

TEST_F(Commands, HidingAndShowingAUserFlipsTheSameItem) {
    MenuItemData item = PostItem();
    item.action = ActionHideUser;
    DispatchCommand(store, &item, item.action);
    EXPECT_EQ(jan->hidden, 1u);
    EXPECT_EQ(store.posts.head()->mark(), 1u);  // his posts leave the menus with him
    EXPECT_EQ(item.action, ActionShowUser);
    EXPECT_EQ(item.text, u"Show posts of Jan Nov\u00e1k");

    DispatchCommand(store, &item, item.action);
    EXPECT_EQ(jan->hidden, 0u);
    EXPECT_EQ(item.action, ActionHideUser);
    EXPECT_EQ(item.text, u"Hide posts of Jan Nov\u00e1k");
    EXPECT_TRUE(net.requests.empty());
}

TEST_F(Commands, MuteFlipsOnlyTheMutedBit) {
    MenuItemData item = PostItem();
    post->flags = ItemRead;
    DispatchCommand(store, &item, ActionMute);
    EXPECT_EQ(post->flags, ItemRead | ItemMuted);
    EXPECT_EQ(item.text, u"Notify me on updates of this post");
    DispatchCommand(store, &item, ActionMute);
    EXPECT_EQ(post->flags, ItemRead);
    EXPECT_EQ(item.text, u"Do not complain to post updates");
}

TEST_F(Commands, MarkingCommentsReadTouchesOnlyThatPost) {
    AddComment(u"100_1", u"200");
    AddComment(u"300_9", u"200");
    AddComment(u"100_1", u"100");
    MenuItemData item = PostItem();
    DispatchCommand(store, &item, ActionMarkCommentsRead);
    std::vector<uint32_t> read;
    for (auto& c : store.comments) read.push_back(c.payload.read);
    EXPECT_EQ(read, (std::vector<uint32_t>{1, 0, 1}));
}

TEST_F(Commands, CommentAndMessageTakeTheirTargetFromTheItem) {
    MenuItemData item = PostItem();
    CommandPlan plan = DispatchCommand(store, &item, ActionAddComment);
    EXPECT_EQ(plan.result, 1);
    EXPECT_EQ(Kinds(plan), (std::vector<S>{S::CloseMenu, S::OpenDialog}));
    EXPECT_EQ(plan.steps[1].value, DialogComment);
    EXPECT_EQ(CurrentCommentTarget().postId, u"100_1");
    EXPECT_FALSE(CurrentCommentTarget().hasActor);
    post->actor = eva;
    DispatchCommand(store, &item, ActionAddComment);
    EXPECT_TRUE(CurrentCommentTarget().hasActor);

    plan = DispatchCommand(store, &item, ActionSendMessage);
    ASSERT_EQ(Kinds(plan), std::vector<S>{S::Navigate});
    EXPECT_EQ(plan.steps[0].address, u"http://127.0.0.1:9/messages/100");
    EXPECT_TRUE(plan.steps[0].showMain);
}

TEST_F(Commands, PostedTextsGoOutAsExactUtf8) {
    const std::u16string czech = u"P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd k\u016f\u0148 \u00fap\u011bl";
    const std::u16string mixed = u"Gr\u00fc\u00dfe \U0001F600 \u00e4\u00f6";
    net.Answer("{\"id\":\"100_1_5\"}");
    net.Answer("{\"id\":\"200_7\"}");
    EXPECT_EQ(SendCommentText(u"100_1", czech), PostResult::Sent);
    EXPECT_EQ(PostStatusText(store, mixed), PostResult::Sent);
    ASSERT_EQ(net.requests.size(), 2u);
    EXPECT_EQ(net.requests[0].path.substr(0, 16), u"/100_1/comments&");
    EXPECT_EQ(net.requests[0].body, MessageFormBody(czech));
    EXPECT_NE(net.requests[0].body.find(Utf16ToUtf8(czech)), std::string::npos);
    EXPECT_EQ(net.requests[1].path.substr(0, 9), u"/me/feed&");
    EXPECT_NE(net.requests[1].body.find("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80"), std::string::npos);

    // Nothing typed, or no post: no request.
    EXPECT_EQ(SendCommentText(u"100_1", u""), PostResult::Empty);
    EXPECT_EQ(SendCommentText(u"", u"text"), PostResult::Empty);
    EXPECT_EQ(PostStatusText(store, u""), PostResult::Empty);
    EXPECT_EQ(net.requests.size(), 2u);

    // Refused or lost: no success.
    net.Answer("{\"error\":{\"message\":\"x\",\"type\":\"OAuthException\",\"code\":100}}");
    EXPECT_EQ(SendCommentText(u"100_1", czech), PostResult::Refused);
    EXPECT_EQ(PostStatusText(store, czech), PostResult::Refused);

    // The status needs the signed-in user; the dialog then stays open.
    store.ownUser = nullptr;
    const size_t before = net.requests.size();
    EXPECT_EQ(PostStatusText(store, czech), PostResult::NotSignedIn);
    EXPECT_EQ(net.requests.size(), before);
}

TEST_F(Commands, LongTextsAreCutWithoutSplittingACharacter) {
    const std::u16string exact(PostTextLimit, u'\u00e9');
    EXPECT_EQ(CutPostText(exact), exact);
    EXPECT_EQ(CutPostText(exact + u"x"), exact);
    // An emoji across the limit is left out whole, not sent as half a character.
    const std::u16string edge = std::u16string(PostTextLimit - 1, u'a') + u"\U0001F600";
    EXPECT_EQ(CutPostText(edge), std::u16string(PostTextLimit - 1, u'a'));
    const std::u16string inside = std::u16string(PostTextLimit - 2, u'a') + u"\U0001F600" + u"b";
    EXPECT_EQ(CutPostText(inside), std::u16string(PostTextLimit - 2, u'a') + u"\U0001F600");
}

TEST_F(Commands, FavouritesDeletedByIndexAndAddedWithoutSplittingLines) {
    for (const char16_t* name : {u"a", u"b", u"c", u"d", u"e"}) AddFavoriteFromDialog(store, name, u"http://x/");
    // Lines 1 and 3 selected: the second removal counts one up for the first.
    EXPECT_EQ(DeleteFavoritesAt(store, {1, 3}), 1);
    EXPECT_EQ(FavoriteTitles(store), (std::vector<std::u16string>{u"a", u"c", u"e"}));
    EXPECT_EQ(DeleteFavoritesAt(store, {0}), -1);
    EXPECT_EQ(DeleteFavoritesAt(store, {}), -1);
    EXPECT_EQ(DeleteFavoritesAt(store, {7}), -1);
    EXPECT_EQ(FavoriteTitles(store), (std::vector<std::u16string>{u"c", u"e"}));

    EXPECT_FALSE(AddFavoriteFromDialog(store, u"", u"http://x/"));
    EXPECT_FALSE(AddFavoriteFromDialog(store, u"name", u""));
    EXPECT_FALSE(AddFavoriteFromDialog(store, u"name", u"#access_token=T"));
    EXPECT_TRUE(AddFavoriteFromDialog(store, u"in", u"http://h/connect/login_success.html#access_token=T"));
    EXPECT_EQ(store.favorites.head()->next->next->payload.address, u"http://h/connect/login_success.html");
    EXPECT_TRUE(AddFavoriteFromDialog(store, u"Me; you\r\nand\nthem", u"http://x/?a=1;b=2\r\n"));
    ItemList<FavoriteRecord> reread;
    ParseFavoritesText(FavoritesText(store.favorites), reread);
    ASSERT_EQ(reread.size(), 4u);
    EXPECT_EQ(ItemAt(reread, 3)->payload.title, ItemAt(store.favorites, 3)->payload.title);
    EXPECT_EQ(ItemAt(reread, 3)->payload.address, ItemAt(store.favorites, 3)->payload.address);
}

}  // namespace
