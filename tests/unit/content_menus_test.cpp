// The content menus over a store filled by the parsers from service answers: which
// rows, in which order, with which texts, links, actions and flags.
#include <gtest/gtest.h>

#include "base/format_text.h"
#include "net/service_address.h"
#include "store/comments.h"
#include "store/notifications.h"
#include "store/posts.h"
#include "store/profiles.h"
#include "store/threads.h"
#include "store_fakes.h"
#include "ui/command_table.h"
#include "ui/content_menus.h"
#include "ui/menu_text.h"
#include "ui/record_lookup.h"

namespace {

constexpr int32_t Now = 1700000000;  // the store fixture's clock

std::string ThreadRow(const std::string& id, const std::string& parent, const std::string& snippetAuthor,
                      const std::string& recipients) {
    return "{\"thread_id\":\"" + id + "\",\"folder_id\":0,\"subject\":\"Trip\",\"updated_time\":" +
           std::to_string(Now - 100) + ",\"message_count\":2,\"unread\":1,\"snippet_author\":" +
           snippetAuthor + ",\"parent_thread_id\":\"" + parent + "\",\"snippet\":\"See you\",\"recipients\":[" +
           recipients + "]}";
}
std::string MessageRow(const std::string& thread, const std::string& id, const std::string& author,
                       const std::string& extra = "") {
    return "{\"thread_id\":\"" + thread + "\",\"message_id\":\"" + id + "\",\"author_id\":" + author +
           ",\"created_time\":" + std::to_string(Now - 200) + ",\"body\":\"Hi " + id + "\"" + extra + "}";
}
std::string NotificationRow(const std::string& id, const std::string& sender, const std::string& href) {
    return "{\"sender_id\":" + sender + ",\"title_text\":\"Title " + id +
           "\",\"body_text\":\"Body\",\"created_time\":50,\"updated_time\":" + std::to_string(Now - 30) +
           ",\"href\":\"" + href + "\",\"notification_id\":\"" + id + "\"}";
}

const std::u16string F0 = FontCode(FontNormal), F2 = FontCode(FontHeading), F3 = FontCode(FontBold);

std::vector<std::u16string> Texts(const Menu* menu) {
    std::vector<std::u16string> out;
    if (!menu) return out;
    for (const auto& e : menu->entries()) out.emplace_back(e.data ? e.data->text : std::u16string_view(e.text));
    return out;
}

// The entry of a menu whose submenu starts with `header`.
const MenuEntry* Section(const Menu& menu, const ItemStyle& header) {
    for (const auto& e : menu.entries())
        if (e.submenu && !e.submenu->empty() && e.submenu->entries()[0].data->style == &header) return &e;
    return nullptr;
}

// The part of an item text before its right-aligned part: the person's name and arrow.
std::u16string Head(std::u16string_view text) { return std::u16string(text.substr(0, text.find(CodeRightStart))); }

class ContentMenusTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Person("42", "Me");
        Person("7", "Anna", ",\"profile_url\":\"http:\\/\\/fb\\/anna\",\"current_location\":{\"city\":\"Brno\"}");
        Person("8", "Ben", ",\"profile_url\":\"http:\\/\\/fb\\/ben\"");
        Person("9", "Cyril");
        SignInAs(u"42");
        for (const char16_t* id : {u"7", u"8", u"9"}) FindProfile(store, id, true);
    }

    // Post 7_1 on Anna's wall by Ben: liked by me with 4 likes (3 listed: me, Anna,
    // Ben), 5 comments of which one by somebody the service does not know.
    void BusyPost() {
        service.Answer(CommentsQuery("7_1"),
                       Rows({CommentRow("7_1", "8", Now - 500, "first"), CommentRow("7_1", "9", Now - 400, "see www.ex.cz/a b"),
                             CommentRow("7_1", "8", Now - 300, "third", 2), CommentRow("7_1", "7", Now - 200, "fourth"),
                             CommentRow("7_1", "77", Now - 100, "ghost")}));
        service.Answer(LikesQuery("7_1"), Rows({LikeRow("42"), LikeRow("7"), LikeRow("8")}));
        service.pictures[u"/att.png"] = PictureBytes(200, 150);
        ParsePosts(store, ParseJson(Rows({"{\"post_id\":\"7_1\",\"source_id\":7,\"actor_id\":8,\"target_id\":null,"
                                   "\"message\":\"Look http://ex.com/" + std::string(60, 'p') + " now\","
                                   "\"permalink\":\"http:\\/\\/fb\\/p71\",\"created_time\":" + std::to_string(Now - 600) +
                                   ",\"updated_time\":" + std::to_string(Now - 60) +
                                   ",\"attachment\":{\"name\":\"Trip\",\"description\":\"Photos\",\"media\":[{\"href\":"
                                   "\"http:\\/\\/ex\\/album\",\"src\":\"http:\\/\\/pics\\/att.png\"}]},"
                                   "\"likes\":{\"count\":4,\"user_likes\":true,\"can_like\":true},"
                                   "\"comments\":{\"count\":5,\"can_post\":true}}"})));
        // Read: Ben's first comment and Anna's; the likes of me and Anna.
        std::lock_guard<std::mutex> hold(store.mutex());
        for (auto& n : store.comments)
            if ((n.payload.authorId == u"8" && CommentText(n.payload) == u"first") || n.payload.authorId == u"7")
                n.payload.read = 1;
        for (auto& n : store.likes)
            if (n.payload.userId != u"8") n.payload.read = 1;
    }

    // A plain post: no likes, no comments, nothing it can do.
    void PlainPost(const std::string& id, const std::string& source, int updated, const std::string& message) {
        ParsePosts(store, ParseJson(Rows({"{\"post_id\":\"" + id + "\",\"source_id\":" + source + ",\"message\":\"" + message +
                                   "\",\"created_time\":" + std::to_string(updated) + ",\"updated_time\":" +
                                   std::to_string(updated) + "}"})));
    }

    ItemNode<PostRecord>* PostNode(const std::u16string& id) { return store.FindPost(id); }

    MenuContext Cx() { return CurrentMenuContext(session); }

    PopupSession session{store};
};

// ---- Posts ----

TEST_F(ContentMenusTest, PostRowShowsArrowLikesCommentsAgeAndBody) {
    BusyPost();
    MenuContext cx = Cx();
    MenuItemData* last = nullptr;
    MenuPtr menu = BuildPostsMenu(cx, &last, nullptr, false, &Styles::Posts2Header);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->size(), 2u);
    EXPECT_EQ(menu->entries()[0].data->style, &Styles::Posts2Header);
    const MenuItemData& row = *menu->entries()[1].data;
    // Ben posted on Anna's wall: his row, Anna behind the arrow.
    std::u16string age;
    FormatItemTime(Now - 600, &age);
    EXPECT_EQ(row.text, F3 + u"Ben > Anna" + F0 + u"\x05You and  3  like · 5/2 comments · " + age +
                            u"\x06\x08Look http://ex.com/" + std::u16string(60, u'p') + u" now");
    EXPECT_EQ(row.user, RecordRef::User(u"8"));
    EXPECT_EQ(row.post, RecordRef::Post(u"7_1"));
    EXPECT_EQ(row.stateRef, RecordRef::Post(u"7_1"));
    EXPECT_EQ(row.isNew, 1);
    EXPECT_EQ(row.picture.slot, PictureSlot::PostAttachment);
    EXPECT_EQ(row.pictureWidth, 48);
    EXPECT_EQ(row.minTextHeight, 24);
    EXPECT_EQ(row.altColours, 1);  // the first row only
    EXPECT_EQ(row.divider, 0);     // the last row of a menu of its own
    EXPECT_EQ(last, &row);
    EXPECT_TRUE(menu->entries()[1].submenu);
}

TEST_F(ContentMenusTest, LikesTextForOnlyMineAndForOthers) {
    PlainPost("7_2", "7", Now - 10, "x");
    MenuContext cx = Cx();
    auto likesOf = [&](int32_t count, int32_t mine) {
        {
            std::lock_guard<std::mutex> hold(store.mutex());
            PostNode(u"7_2")->payload.likesCount = count;
            PostNode(u"7_2")->payload.likedByMe = mine;
        }
        session.clear();
        MenuPtr menu = BuildPostsMenu(cx, nullptr, nullptr, false, nullptr);
        std::u16string_view text = menu->entries()[0].data->text;
        size_t start = text.find(CodeRightStart) + 1;
        return std::u16string(text.substr(start, text.find(u"second") - start));
    };
    std::u16string age;
    FormatItemTime(Now - 10, &age);
    age = age.substr(0, age.find(u"second"));
    EXPECT_EQ(likesOf(1, 1), u"You like · " + age);
    EXPECT_EQ(likesOf(3, 0), u" 3  like · " + age);
    EXPECT_EQ(likesOf(0, 0), age);
}

TEST_F(ContentMenusTest, ReadPostsOlderThanTheSettingAreLeftOutAndReadBodiesCut) {
    AppSettings.hideReadPostsAfter = 24;
    PlainPost("7_1", "7", Now - 3600, std::string(600, 'a'));
    PlainPost("8_1", "8", Now - 30 * 3600, "old and read");
    PlainPost("9_1", "9", Now - 40 * 3600, "old but unread");
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        PostNode(u"7_1")->payload.flags |= ItemRead;
        PostNode(u"8_1")->payload.flags |= ItemRead;
    }
    MenuContext cx = Cx();
    MenuPtr menu = BuildPostsMenu(cx, nullptr, nullptr, false, nullptr);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->size(), 2u);
    std::u16string_view recent = menu->entries()[0].data->text;
    EXPECT_EQ(Head(recent), F3 + u"Anna" + F0);
    EXPECT_EQ(recent.substr(recent.find(CodeBody) + 1), std::u16string(512, u'a') + u"...");
    EXPECT_EQ(menu->entries()[0].data->isNew, 0);
    EXPECT_EQ(Head(menu->entries()[1].data->text), F3 + u"Cyril" + F0);
}

TEST_F(ContentMenusTest, OnlyNewLeavesOutReadMutedHiddenAndSourcelessPosts) {
    PlainPost("7_1", "7", Now - 10, "read");
    PlainPost("8_1", "8", Now - 20, "muted");
    PlainPost("9_1", "9", Now - 30, "new");
    PlainPost("42_1", "42", Now - 40, "hidden author");
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        PostNode(u"7_1")->payload.flags |= ItemRead;
        PostNode(u"8_1")->payload.flags |= ItemMuted;
        store.FindUser(u"42")->hidden = 1;
    }
    MenuContext cx = Cx();
    MenuPtr all = BuildPostsMenu(cx, nullptr, nullptr, false, nullptr);
    EXPECT_EQ(all->size(), 3u);  // read (recent), muted and new; never a hidden author's
    Menu handed;
    MenuItemData* last = nullptr;
    EXPECT_FALSE(BuildPostsMenu(cx, &last, &handed, true, nullptr));
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(Head(handed.entries()[0].data->text), F3 + u"Cyril" + F0);
    EXPECT_EQ(last->divider, 1);  // the caller's to clear
}

TEST_F(ContentMenusTest, PostSubmenuItemsInTheirOrder) {
    BusyPost();
    MenuContext cx = Cx();
    MenuPtr posts = BuildPostsMenu(cx, nullptr, nullptr, false, nullptr);
    const Menu* sub = posts->entries()[0].submenu.get();
    ASSERT_TRUE(sub);
    std::vector<std::u16string> expected = {
        std::u16string(Text("SHOWPOST")), std::u16string(Text("OPENLINK")),
        u"Go to ...http://ex.com/" + std::u16string(31, u'p') + u"...",
        u"Profile of Ben", std::u16string(Text("SENDMSG")), u"Hide posts of Ben", std::u16string(Text("MARKNOTICE")),
        std::u16string(Text("NOLIKE")), std::u16string(Text("ADDCOMM")), u"", std::u16string(Text("MARKREADEDCOMMS")),
        u"Comments (5, no readed 2)", u"It likes (3, new 1)"};
    EXPECT_EQ(Texts(sub), expected);
    auto at = [&](size_t i) { return sub->entries()[i].data; };
    EXPECT_EQ(at(0)->link, u"http://fb/p71");
    EXPECT_EQ(at(0)->sideText, u"<b>Trip</b><br><i>Photos</i>");
    EXPECT_EQ(at(0)->sidePicture.slot, PictureSlot::PostAttachment);
    EXPECT_EQ(at(0)->iconId, 180);
    EXPECT_EQ(at(1)->link, u"http://ex/album");
    EXPECT_EQ(at(1)->sideText, u"_");
    EXPECT_EQ(at(2)->link, u"http://ex.com/" + std::u16string(60, u'p'));
    EXPECT_EQ(at(3)->link, u"http://fb/ben");
    EXPECT_EQ(at(3)->sidePicture.slot, PictureSlot::None);  // Ben has no large picture
    const int32_t actions[] = {0, 0, 0, 0, 1036, 1037, 1056, 1031, 1035, 0, 1038, 0, 0};
    for (size_t i = 0; i < sub->size(); ++i) {
        EXPECT_EQ(at(i)->action, actions[i]) << i;
        EXPECT_EQ(at(i)->user, RecordRef::User(u"8")) << i;
    }
    EXPECT_EQ(at(7)->post, RecordRef::Post(u"7_1"));
    EXPECT_EQ(at(10)->post, RecordRef::Post(u"7_1"));
    EXPECT_TRUE(sub->entries()[11].submenu && sub->entries()[12].submenu);
    EXPECT_EQ(at(11)->iconId, 178);
    EXPECT_EQ(at(12)->iconId, 133);
}

TEST_F(ContentMenusTest, PostWithNothingToDoEndsWithTheMuteItem) {
    PlainPost("9_1", "9", Now - 10, "quiet");
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        PostNode(u"9_1")->payload.flags |= ItemMuted;
    }
    MenuContext cx = Cx();
    MenuPtr posts = BuildPostsMenu(cx, nullptr, nullptr, false, nullptr);
    std::vector<std::u16string> expected = {std::u16string(Text("SENDMSG")), u"Hide posts of Cyril",
                                            std::u16string(Text("MARKNOTICE2"))};
    EXPECT_EQ(Texts(posts->entries()[0].submenu.get()), expected);
}

TEST_F(ContentMenusTest, CommentsMenuCountsEveryCommentAndShowsKnownAuthors) {
    BusyPost();
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    PostRecord& post = PostNode(u"7_1")->payload;
    int32_t total = 0, unread = 0;
    MenuPtr menu = BuildCommentsMenu(cx, &total, &post, post.postId, &unread, false);
    ASSERT_TRUE(menu);
    EXPECT_EQ(total, 5);
    EXPECT_EQ(unread, 2);
    ASSERT_EQ(menu->size(), 5u);  // the header and four known authors, oldest first
    EXPECT_EQ(menu->entries()[0].data->style, &Styles::CommentsHeader);
    const MenuItemData& ben = *menu->entries()[1].data;
    std::u16string age;
    FormatItemTime(Now - 500, &age);
    EXPECT_EQ(ben.text, F3 + u"Ben" + F0 + u"\x05" + age + u"\x06\x08" + u"first");
    EXPECT_EQ(ben.link, u"http://fb/p71");  // no link in the text: the post
    EXPECT_EQ(ben.rightLink, u"http://fb/ben");
    EXPECT_EQ(ben.isNew, 0);
    EXPECT_EQ(ben.stateRef, RecordRef::Comment(u"7_1", u"8", Now - 500));
    const MenuItemData& cyril = *menu->entries()[2].data;
    EXPECT_EQ(cyril.link, u"http://www.ex.cz/a");
    EXPECT_NE(cyril.text.find(u"\x05link · "), std::u16string_view::npos);
    EXPECT_TRUE(cyril.rightLink.empty());
    EXPECT_EQ(cyril.isNew, 1);
    EXPECT_NE(menu->entries()[3].data->text.find(u"\x05" u"2 likes · "), std::u16string_view::npos);
    EXPECT_EQ(menu->entries()[4].data->text.find(F3 + u"Anna" + F0 + u", Brno\x05"), 0u);
    EXPECT_EQ(menu->entries()[4].data->divider, 0);

    // Only new: the read ones go, the caption still counts all five.
    session.clear();
    MenuPtr fresh = BuildCommentsMenu(cx, &total, &post, post.postId, &unread, true);
    EXPECT_EQ(total, 5);
    EXPECT_EQ(fresh->size(), 3u);
    EXPECT_EQ(CountUnreadComments(store, u"7_1"), 2);
    EXPECT_EQ(CountUnreadComments(store, u""), 0);
}

TEST_F(ContentMenusTest, LikesMenuListsKnownLikersWithCityAndProfile) {
    BusyPost();
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    int32_t total = 0, fresh = 0;
    MenuPtr menu = BuildLikesMenu(cx, u"7_1", false, &total, &fresh);
    ASSERT_TRUE(menu);
    EXPECT_EQ(total, 3);
    EXPECT_EQ(fresh, 1);
    std::vector<std::u16string> expected = {std::u16string(Text("ITLIKES")), F3 + u"Me" + F0 + u"\x08",
                                            F3 + u"Anna" + F0 + u"\x08\nBrno", F3 + u"Ben" + F0 + u"\x08"};
    EXPECT_EQ(Texts(menu.get()), expected);
    EXPECT_EQ(menu->entries()[2].data->link, u"http://fb/anna");
    EXPECT_EQ(menu->entries()[3].data->isNew, 1);
    EXPECT_EQ(menu->entries()[3].data->stateRef, RecordRef::Like(u"7_1", u"8"));
    session.clear();
    MenuPtr onlyNew = BuildLikesMenu(cx, u"7_1", true, &total, &fresh);
    EXPECT_EQ(onlyNew->size(), 2u);
    EXPECT_FALSE(BuildLikesMenu(cx, u"9_9", false, &total, &fresh));
    EXPECT_EQ(total, 0);
}

// ---- Messages and notifications ----

class MessageMenusTest : public ContentMenusTest {
protected:
    void Threads() {
        service.Answer(ThreadsQuery(1000),
                       Rows({ThreadRow("t1", "0", "8", "42,7"), ThreadRow("t2", "t1", "7", "7"),
                             ThreadRow("t3", "0", "7", "42"), ThreadRow("t4", "0", "77", "42,8")}));
        service.Answer(MessagesQuery("t1", 1000),
                       Rows({MessageRow("t1", "m1", "7"), MessageRow("t1", "m2", "7", ",\"attachment\":{\"href\":\"http:\\/\\/ex\\/f\"}"),
                             MessageRow("t1", "m3", "42")}));
        service.Answer(MessagesQuery("t2", 1000), Rows({MessageRow("t2", "m4", "7")}));
        service.Answer(MessagesQuery("t3", 1000), Rows({MessageRow("t3", "m5", "7"),
                                                        MessageRow("t3", "m6", "7", ",\"attachment\":{\"href\":\"http:\\/\\/ex\\/g\"}")}));
        service.Answer(MessagesQuery("t4", 1000), Rows({MessageRow("t4", "m7", "66")}));
        ParseThreads(store, 1000);
    }
};

TEST_F(MessageMenusTest, TopLevelThreadsWithTheirPersonSnippetAndMessages) {
    Threads();
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    MenuPtr menu = BuildMessagesMenu(cx, nullptr, nullptr, &Styles::Messages2Header, false);
    ASSERT_TRUE(menu);
    // t2 is not top-level; t4's snippet author is unknown to the service.
    ASSERT_EQ(menu->size(), 3u);
    EXPECT_EQ(menu->entries()[0].data->style, &Styles::Messages2Header);
    const MenuItemData& t1 = *menu->entries()[1].data;
    std::u16string age;
    FormatItemTime(Now - 100, &age);
    // Anna is the other party; Ben wrote the snippet.
    EXPECT_EQ(t1.text, F3 + u"Anna" + F0 + u"\x05no readed 2 · " + age + u"\x06\x08<br><b>Trip</b> <br>Ben: See you");
    EXPECT_EQ(t1.link, WebBase() + u"/?sk=messages&action=read&tid=t1");
    EXPECT_EQ(t1.isNew, 1);
    EXPECT_EQ(t1.stateRef, RecordRef::Thread(u"t1"));
    EXPECT_EQ(t1.picture, (PictureRef{PictureSlot::UserPicture, u"7"}));

    const Menu* messages = menu->entries()[1].submenu.get();
    ASSERT_EQ(messages->size(), 3u);
    const MenuItemData& m1 = *messages->entries()[0].data;
    const MenuItemData& m2 = *messages->entries()[1].data;
    const MenuItemData& m3 = *messages->entries()[2].data;
    // The same author twice: no second picture.
    EXPECT_EQ(m1.minHeight, 44);
    EXPECT_EQ(m2.minHeight, 0);
    EXPECT_FALSE(m2.picture);
    const std::u16string conversation = WebBase() + u"/messages/7";
    EXPECT_EQ(m1.link, conversation);
    EXPECT_TRUE(m1.rightLink.empty());
    EXPECT_EQ(m2.link, u"http://ex/f");
    EXPECT_EQ(m2.rightLink, conversation);
    EXPECT_NE(m2.text.find(u"\x05link · "), std::u16string_view::npos);
    EXPECT_EQ(m3.isNew, 0);  // my own message
    EXPECT_EQ(m3.message, RecordRef::Message(u"t1", u"m3"));
    EXPECT_EQ(m3.divider, 0);

    // t3 has no other party: a message without a link is disabled.
    const Menu* t3 = menu->entries()[2].submenu.get();
    EXPECT_TRUE(t3->entries()[0].disabled);
    EXPECT_FALSE(t3->entries()[1].disabled);
    EXPECT_EQ(menu->entries()[2].data->divider, 0);
}

TEST_F(MessageMenusTest, OnlyNewFollowsTheMessagesNotTheThreadFlags) {
    Threads();
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    FindItem(store.threads, u"t1")->payload.flags = ItemRead;
    for (auto& n : store.messages)
        if (n.payload.threadId == u"t3") n.payload.read = 1;
    Menu menu;
    MenuItemData* last = nullptr;
    BuildMessagesMenu(cx, &last, &menu, nullptr, true);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(Head(menu.entries()[0].data->text), F3 + u"Anna" + F0);
    EXPECT_EQ(last, menu.entries()[0].data);
}

TEST_F(MessageMenusTest, NotificationsWithSenderTitleBodyAndAddress) {
    ParseNotifications(store, ParseJson(Rows({NotificationRow("n1", "7", "http:\\/\\/fb\\/n1"),
                                       NotificationRow("n2", "8", ""), NotificationRow("n3", "77", "x")})));
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    MenuPtr menu = BuildNotificationsMenu(cx, nullptr, nullptr, false, &Styles::Notice2Header);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->size(), 3u);
    std::u16string age;
    FormatItemTime(Now - 30, &age);
    bool sawAnna = false;
    for (size_t i = 1; i < 3; ++i) {
        const MenuItemData& row = *menu->entries()[i].data;
        if (row.stateRef == RecordRef::Notification(u"n1")) {
            sawAnna = true;
            EXPECT_EQ(row.text, F3 + u"Anna" + F0 + u"\x05" + age + u"\x06\x08<br>Title n1<br><i>Body</i>");
            EXPECT_EQ(row.link, u"http://fb/n1");
        } else {
            EXPECT_TRUE(row.link.empty());  // an empty address opens nothing
        }
        EXPECT_EQ(row.isNew, 1);
    }
    EXPECT_TRUE(sawAnna);
    FindItem(store.notifications, u"n1")->payload.read = 1;
    FindItem(store.notifications, u"n2")->payload.read = 1;
    session.clear();
    EXPECT_FALSE(BuildNotificationsMenu(cx, nullptr, nullptr, true, nullptr));
}

// ---- Main, new and updated, go-to, people ----

TEST_F(ContentMenusTest, SignedOutWithNoData) {
    ClearAccessToken();
    store.ReleaseSignedInData();
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    MenuPtr main = BuildMainMenu(cx);
    std::vector<std::u16string> expected = {std::u16string(Text("MAINTITLE")), std::u16string(Text("MAINPAGE")),
                                            std::u16string(Text("SETTINGSANDOTHER")), u"",
                                            std::u16string(Text("ENDOFORV"))};
    EXPECT_EQ(Texts(main.get()), expected);
    EXPECT_EQ(main->entries()[4].data->action, 1029);
    EXPECT_EQ(main->entries()[1].data->action, 1028);
    const Menu* settings = main->entries()[2].submenu.get();
    EXPECT_EQ(Texts(settings).back(), Text("LOGIN"));
    EXPECT_EQ(settings->entries().back().data->action, 1047);

    MenuPtr fresh = BuildNewAndUpdatedMenu(cx);
    EXPECT_EQ(Texts(fresh.get()),
              (std::vector<std::u16string>{std::u16string(Text("NEWANDUP")), std::u16string(Text("LOGINTOFB"))}));
    EXPECT_TRUE(fresh->entries()[1].disabled);
}

TEST_F(ContentMenusTest, NewAndUpdatedWithNothingThenWithOneMessage) {
    MenuContext cx = Cx();
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        MenuPtr menu = BuildNewAndUpdatedMenu(cx);
        EXPECT_EQ(Texts(menu.get()),
                  (std::vector<std::u16string>{std::u16string(Text("NEWANDUP")), std::u16string(Text("NONEW"))}));
    }
    service.Answer(ThreadsQuery(1000), Rows({ThreadRow("t1", "0", "8", "42,8")}));
    service.Answer(MessagesQuery("t1", 1000), Rows({MessageRow("t1", "m1", "8")}));
    ParseThreads(store, 1000);
    std::lock_guard<std::mutex> hold(store.mutex());
    session.clear();
    MenuPtr menu = BuildNewAndUpdatedMenu(cx);
    ASSERT_EQ(menu->size(), 4u);
    EXPECT_EQ(menu->entries()[0].data->style, &Styles::NewAndUpHeader);
    EXPECT_EQ(menu->entries()[1].data->style, &Styles::MarkReaded);
    EXPECT_EQ(menu->entries()[1].data->action, 1046);
    EXPECT_EQ(menu->entries()[2].data->style, &Styles::Separator);
    EXPECT_EQ(Head(menu->entries()[3].data->text), F3 + u"Ben" + F0);
    EXPECT_EQ(menu->entries()[3].data->divider, 0);  // the last row overall
}

TEST_F(ContentMenusTest, MainTitleCountsAndBoldCaptionsOfSectionsWithNewItems) {
    PlainPost("7_1", "7", Now - 10, "a");
    PlainPost("8_1", "8", Now - 20, "b");
    ParseNotifications(store, ParseJson(Rows({NotificationRow("n1", "7", "")})));
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    MenuPtr main = BuildMainMenu(cx);
    const MenuItemData& title = *main->entries()[0].data;
    EXPECT_EQ(title.text, F0 + u"Me\x05" + F3 + u"P: 2, N: 1\x06" + F2 + u"\n" + std::u16string(Text("MAINTITLE")));
    EXPECT_EQ(title.pictureWidth, 48);
    EXPECT_TRUE(main->entries()[0].disabled);
    std::vector<const ItemStyle*> styles;
    for (const auto& e : main->entries()) styles.push_back(e.data->style);
    // No threads: no messages section. Nobody has a status: no statuses section.
    std::vector<const ItemStyle*> expected = {&Styles::MainTitle, &Styles::MainPage, &Styles::GoTo,
                                              &Styles::RecFriends, &Styles::Notice2Bold, &Styles::Posts2Bold,
                                              &Styles::SettingsAndOther, &Styles::Separator, &Styles::EndOfOrv};
    EXPECT_EQ(styles, expected);
    // Recent users: the two sources of posts.
    EXPECT_EQ(main->entries()[3].submenu->size(), 3u);
    const Menu* posts = main->entries()[5].submenu.get();
    EXPECT_EQ(posts->entries()[0].data->style, &Styles::Posts2Header);
    std::u16string counts;
    FormatCounts(counts, 3, 0, 1, false);
    EXPECT_EQ(counts, FormatText(Text("POSTS"), {3}) + u", " + FormatText(Text("NOTIFICATIONS"), {1}));
}

TEST_F(ContentMenusTest, UserBannerCountsInLongFormCityAfterTheBreakNewPostsOnlyWithSomethingUnread) {
    auto banner = [this] {
        std::lock_guard<std::mutex> hold(store.mutex());
        return BuildUserBanner(store);
    };
    store.ownUser->city = u"Brno";
    UserBanner quiet = banner();
    EXPECT_TRUE(quiet.known);
    EXPECT_FALSE(quiet.showNewPosts);
    EXPECT_EQ(quiet.text, F2 + u"Me\x05" + F3 + u"\x06" + F2 + u"\n" + F0 + u"Brno");
    EXPECT_EQ(quiet.picture, UserPictureRef(*store.ownUser));

    PlainPost("7_1", "7", Now - 10, "a");
    PlainPost("8_1", "8", Now - 20, "b");
    ParseNotifications(store, ParseJson(Rows({NotificationRow("n1", "7", "")})));
    UserBanner busy = banner();
    EXPECT_TRUE(busy.showNewPosts);
    EXPECT_EQ(busy.text, F2 + u"Me\x05" + F3 + FormatText(Text("POSTS"), {2}) + u", " +
                             FormatText(Text("NOTIFICATIONS"), {1}) + u"\x06" + F2 + u"\n" + F0 + u"Brno");
    {
        // Read items are no longer counted: the button goes.
        std::lock_guard<std::mutex> hold(store.mutex());
        CountUnseenItems(store.posts, true);
        CountUnseenItems(store.notifications, true);
    }
    EXPECT_FALSE(banner().showNewPosts);

    // The head is cut, never the city.
    store.ownUser->name.assign(3000, u'x');
    EXPECT_EQ(banner().text, F2 + std::u16string(2046, u'x') + u"Brno");
    store.ownUser = nullptr;
    UserBanner none = banner();
    EXPECT_FALSE(none.known);
    EXPECT_FALSE(none.showNewPosts);
    EXPECT_TRUE(none.text.empty());
}

TEST_F(ContentMenusTest, GoToMenuListsTheGoToRowsWithTheirAddresses) {
    MenuContext cx = Cx();
    MenuPtr menu = BuildGoToMenu(cx, false);
    ASSERT_EQ(menu->size(), 9u);
    EXPECT_EQ(menu->entries()[0].data->style, &Styles::GoToHeader);
    EXPECT_EQ(menu->entries()[1].data->text, Text("FACEBOOK"));
    EXPECT_EQ(menu->entries()[1].data->iconId, 137);
    EXPECT_EQ(menu->entries()[2].data->link, WebBase() + u"/profile.php");
    EXPECT_EQ(menu->entries()[8].data->link, WebBase() + u"/pokes");
    session.clear();
    EXPECT_EQ(BuildGoToMenu(cx, true)->size(), 8u);
}

TEST_F(ContentMenusTest, HiddenUserOnlyUnderHiddenUsersAndOnlineUserSummary) {
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        UserRecord* anna = store.FindUser(u"7");
        anna->statusText = u"At home";
        anna->statusTime = Now - 7200;
        anna->hidden = 1;
        UserRecord* ben = store.FindUser(u"8");
        ben->statusText = u"Out";
        ben->statusTime = Now - 7200;
        ben->onlinePresence = u"active";
    }
    MenuContext cx = Cx();
    std::lock_guard<std::mutex> hold(store.mutex());
    std::u16string age;
    FormatItemTime(Now - 7200, &age);
    MenuPtr statuses = BuildPeopleMenu(cx, false, &Styles::StatusUpdateHeader, false);
    ASSERT_EQ(statuses->size(), 2u);
    EXPECT_EQ(statuses->entries()[1].data->text, F3 + u"Ben" + F0 + u"\x05online · " + age + u"\x06" + F0 + u"\x08Out");
    MenuPtr hidden = BuildPeopleMenu(cx, true, nullptr, false);
    ASSERT_EQ(hidden->size(), 1u);
    EXPECT_EQ(hidden->entries()[0].data->text,
              F3 + u"Anna" + F0 + u"\x05hidden posts· " + age + u"\x06" + F0 + u"\x08" + u"At home");
    const Menu* anna = hidden->entries()[0].submenu.get();
    EXPECT_EQ(Texts(anna), (std::vector<std::u16string>{u"Profile of Anna", std::u16string(Text("SENDMSG")),
                                                        u"Show posts of Anna"}));
    EXPECT_EQ(anna->entries()[2].data->action, 1044);
    EXPECT_EQ(anna->entries()[1].data->user, RecordRef::User(u"7"));
    MenuPtr settings = BuildSettingsMenu(cx);
    EXPECT_EQ(Texts(settings.get()).back(), Text("USERSHID"));
}

// ---- Reading, and a menu open across a refresh ----

TEST_F(ContentMenusTest, HighlightingMarksTheRecordReadAndTheNextBuildFollows) {
    BusyPost();
    MenuContext cx = Cx();
    MenuPtr main;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        main = BuildMainMenu(cx);
    }
    const MenuEntry* posts = Section(*main, Styles::Posts2Header);
    ASSERT_TRUE(posts);
    EXPECT_EQ(posts->data->style, &Styles::Posts2Bold);
    MenuItemData& row = *posts->submenu->entries()[1].data;
    EXPECT_FALSE(ItemRecordRead(store, row));
    EXPECT_TRUE(MarkItemRecordRead(store, row));
    EXPECT_TRUE(ItemRecordRead(store, row));
    EXPECT_EQ(row.isNew, 0);
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        EXPECT_NE(PostNode(u"7_1")->payload.flags & ItemRead, 0u);
        session.clear();
        main = BuildMainMenu(cx);
    }
    EXPECT_EQ(Section(*main, Styles::Posts2Header)->data->style, &Styles::Posts2);
}

TEST_F(ContentMenusTest, MenuOpenAcrossARefreshThatDropsLikesAndComments) {
    BusyPost();
    MenuContext cx = Cx();
    MenuPtr menu;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        menu = BuildPostsMenu(cx, nullptr, nullptr, false, nullptr);
    }
    const Menu* sub = menu->entries()[0].submenu.get();
    const Menu* comments = sub->entries()[11].submenu.get();
    const Menu* likes = sub->entries()[12].submenu.get();
    // The refresh: Ben no longer likes the post, and the comments are released.
    service.Answer(LikesQuery("7_1"), Rows({LikeRow("42"), LikeRow("7")}));
    ReadLikes(store, u"7_1");
    store.FreeCommentList();
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        EXPECT_EQ(store.likes.size(), 2u);
    }
    // Highlighting what is gone writes nowhere; what is left is marked as before.
    EXPECT_FALSE(MarkItemRecordRead(store, *likes->entries()[3].data));
    EXPECT_TRUE(ItemRecordRead(store, *likes->entries()[3].data));
    for (size_t i = 1; i < comments->size(); ++i) EXPECT_FALSE(MarkItemRecordRead(store, *comments->entries()[i].data));
    EXPECT_TRUE(MarkItemRecordRead(store, *likes->entries()[1].data));
    bool drawn = false;
    WithPicture(store, comments->entries()[1].data->picture, [&](const Picture* p) { drawn = p != nullptr; });
    EXPECT_TRUE(drawn);  // the author's picture outlives his comment
}

// A tray click never waits for the service: the menu shows what the store holds, and
// the refresh fetches at its end the profiles the menus lack.
TEST_F(ContentMenusTest, MenusAskTheServiceNothingAndTheRefreshFetchesWhatTheyLack) {
    BusyPost();
    Person("77", "Ghost");
    const size_t asked = service.statements.size(), pictures = service.pictureRequests.size();
    PopupSession s{store};
    MenuPtr menu = BuildContentMenu(ContentMenu::Main, s);
    EXPECT_EQ(service.statements.size(), asked);
    EXPECT_EQ(service.pictureRequests.size(), pictures);
    ASSERT_TRUE(menu);
    const MenuEntry* posts = Section(*menu, Styles::Posts2Header);
    ASSERT_TRUE(posts);
    EXPECT_EQ(Texts(posts->submenu->entries()[1].submenu.get())[11], u"Comments (5, no readed 2)");
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        EXPECT_EQ(MissingMenuProfiles(store), std::vector<std::u16string>{u"77"});
    }

    EXPECT_TRUE(RunRefreshMerge(store, Now - 3600));
    EXPECT_EQ(service.Count(U(UserQuery("77"))), 2u);  // once by the comments' read, once now
    s.clear();
    menu = BuildContentMenu(ContentMenu::Main, s);
    posts = Section(*menu, Styles::Posts2Header);
    ASSERT_TRUE(posts);
    EXPECT_EQ(Texts(posts->submenu->entries()[1].submenu.get())[11], u"Comments (5, no readed 3)");
    std::lock_guard<std::mutex> hold(store.mutex());
    EXPECT_TRUE(MissingMenuProfiles(store).empty());
}

TEST(PopupSessionTest, EntriesPastTheSixteenBitsAreNotCreated) {
    DataStore store;
    PopupSession session(store);
    uint32_t id = 0;
    for (int i = 0; i < 0xFFFF; ++i) session.keep(u"t");
    MenuItemData* last = session.newItem(id);
    ASSERT_TRUE(last);
    EXPECT_EQ(id, 0xFFFFu | POPUP_ITEM_BIT);
    EXPECT_EQ(session.resolve(id), last);
    EXPECT_EQ(session.newItem(id), nullptr);
    EXPECT_TRUE(session.keep(u"more").empty());
}

}  // namespace
