// The posts menu, each post's submenu of actions, and its comments and likes.
#include "base/format_text.h"
#include "base/text_table.h"
#include "store/comments.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "ui/command_table.h"
#include "ui/content_menus.h"
#include "ui/menu_text.h"
#include "ui/record_lookup.h"

namespace {

constexpr int32_t ReadBodyLimit = 512;
constexpr int32_t UnreadCommentLimit = 1024;
constexpr int32_t LinkInTextLimit = 45;

// The arrow of a post shown on someone else's wall, and whose row it is.
struct ShownPerson {
    UserRecord* person;
    std::u16string arrow;
};

ShownPerson PersonOf(PostRecord& post) {
    ShownPerson shown{post.source, {}};
    if (post.actor && post.actor != post.source) {
        shown.arrow = FormatText(u" > %s", {shown.person->name});
        shown.person = post.actor;
    }
    if (post.target && post.target != post.source) {
        shown.arrow = FormatText(u" > %s", {shown.person->name});
        shown.person = post.target;
    }
    return shown;
}

std::u16string LikesText(const PostRecord& post) {
    const bool mine = post.likedByMe != 0;
    const int32_t others = post.likesCount - (mine ? 1 : 0);
    std::u16string you;
    if (mine) {
        you = Text("YOU");
        you += others <= 0 ? Text("LIKEIT") : Text("AND");
    }
    if (others <= 0) return you;
    return FormatText(u"%s %d %s", {you, others, Text("LIKEIT")});
}

std::u16string CommentsText(DataStore& store, const PostRecord& post) {
    if (post.commentsRead == 0) return {};
    std::u16string suffix;
    int32_t unread = CountUnreadComments(store, post.postId);
    if (unread > 0) suffix = FormatText(Text("NOREADEDCOMMS"), {unread});
    return FormatText(Text("MENUCOMMENTS"), {post.commentsRead, suffix});
}

std::u16string Age(int32_t time) {
    std::u16string age;
    FormatItemTime(time, &age);
    return age;
}

}  // namespace

int32_t CountUnreadComments(DataStore& store, std::u16string_view postId) {
    if (postId.empty()) return 0;
    int32_t count = 0;
    for (const auto* node : store.comments.withKey1(postId)) {
        if (node->flags() != 0 || node->payload.read != 0) continue;
        if (!store.FindUser(node->payload.authorId)) continue;
        ++count;
    }
    return count;
}

std::u16string PostRowText(DataStore& store, PostRecord& post, bool read) {
    ShownPerson shown = PersonOf(post);
    std::u16string text = FontCode(FontBold) + shown.person->name + shown.arrow + FontCode(FontNormal);
    text += CodeRightStart;
    text += LikesText(post);
    text += CommentsText(store, post);
    text += Age(post.createdTime);
    text += CodeRightEnd;
    text += CodeBody;
    AppendTextPart(post.message, text, {}, {}, read ? ReadBodyLimit : 0, false);
    return text;
}

MenuPtr BuildPostsMenu(MenuContext& cx, MenuItemData** lastItemOut, Menu* menu, bool onlyNew,
                       const ItemStyle* headerStyle) {
    if (cx.store.posts.empty()) return nullptr;
    const int32_t now = cx.now;
    MenuItemData item = MakeItemTemplate(DefaultMenuWidth);
    RowTarget target(menu);
    menu = target.menu;
    // Only the first row of the menu takes the alternate colours: the reset clears them.
    item.altColours = 1;
    item.indent = 12;
    MenuItemData* last = nullptr;
    const int64_t readShownSince = static_cast<int64_t>(now) - static_cast<int64_t>(cx.hideReadPostsAfter) * 3600;

    for (auto& node : cx.store.posts) {
        PostRecord& post = node.payload;
        if (!post.source || node.mark() != 0) continue;
        const uint32_t flags = node.flags();
        if (onlyNew && (flags & (ItemRead | ItemMuted))) continue;
        if ((flags & ItemRead) && !(node.stamp > readShownSince)) continue;

        UserRecord& person = *PersonOf(post).person;
        item.text = cx.session.keep(PostRowText(cx.store, post, (flags & ItemRead) != 0));
        item.isNew = (flags & ItemRead) ? 0 : 1;
        item.stateRef = RefOf(post);
        item.user = RefOf(person);
        item.picture = post.attachmentPicture ? AttachmentPictureRef(post) : UserPictureRef(person);
        const Picture* picture = post.attachmentPicture ? post.attachmentPicture.get() : person.picture.get();
        item.minHeight = ScalePicture(picture, 40).height + 4;
        item.pictureWidth = 48;
        item.personStyle = 1;
        item.divider = 1;
        item.post = RefOf(post);
        item.minTextHeight = 24;
        MenuPtr submenu = BuildPostSubmenu(cx, person, post, onlyNew);
        if (MenuItemData* row = AddSubmenuItem(cx.session, nullptr, menu, item, std::move(submenu), 0)) last = row;
        item.minTextHeight = 0;
        item.user = {};
    }

    return target.finish(cx.session, item, last, headerStyle, lastItemOut);
}

MenuPtr BuildPostSubmenu(MenuContext& cx, UserRecord& author, PostRecord& post, bool onlyNew) {
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(0);
    item.user = RefOf(author);
    PopupSession& s = cx.session;

    if (!post.permalink.empty()) {
        std::u16string side;
        AppendTextPart(post.attachmentName, side, u"<b>", u"</b>", 0, false);
        AppendTextPart(post.attachmentDescription, side, u"<br><i>", u"</i>", 0, false);
        if (!side.empty()) {
            item.sideText = s.keep(std::move(side));
            item.sidePicture = AttachmentPictureRef(post);
        }
        item.link = s.keep(post.permalink);
        AddMenuItem(s, menu.get(), &Styles::ShowPost, item, 0, -1, 0);
        if (!post.attachmentLink.empty()) {
            item.link = s.keep(post.attachmentLink);
            item.sideText = u"_";
            item.sidePicture = AttachmentPictureRef(post);
            AddMenuItem(s, menu.get(), &Styles::OpenLink, item, 0, -1, 0);
        }
    }

    std::u16string link = ExtractLink(post.attachmentName);
    if (link.empty()) link = ExtractLink(post.message);
    if (!link.empty()) {
        std::u16string text(Text("GOTO"));
        AppendTextPart(link, text, {}, {}, LinkInTextLimit, false);
        item.link = s.keep(std::move(link));
        item.text = s.keep(std::move(text));
        AddMenuItem(s, menu.get(), &Styles::GoToLinkInText, item, 0, -1, 0);
    }

    if (!author.profileUrl.empty()) {
        item.link = s.keep(author.profileUrl);
        item.sidePicture = LargePictureRef(author);
        item.sideText = u"_";
        item.text = s.keep(FormatText(Text("USERWALL"), {author.name}, MenuTextLimit));
        AddMenuItem(s, menu.get(), &Styles::UserWall, item, 0, -1, 0);
    }

    AddMenuItem(s, menu.get(), &Styles::SendMsg, item, ActionSendMessage, -1, 0);

    // Posts of hidden users are not listed, so this always offers hiding.
    item.text = s.keep(FormatText(Text("HIDEUSER"), {author.name}, MenuTextLimit));
    AddMenuItem(s, menu.get(), &Styles::HideUser, item, ActionHideUser, -1, 0);

    item.post = RefOf(post);
    const bool muted = (post.flags & ItemMuted) != 0;
    AddMenuItem(s, menu.get(), muted ? &Styles::MarkNotice2 : &Styles::MarkNotice, item, ActionMute, -1, 0);

    AddPostActions(cx, *menu, &post, item, onlyNew);
    return menu;
}

bool AddPostActions(MenuContext& cx, Menu& menu, PostRecord* post, MenuItemData& item, bool onlyNew) {
    if (!post) return false;
    PopupSession& s = cx.session;
    if (post->canLike) {
        item.post = RefOf(*post);
        AddMenuItem(s, &menu, post->likedByMe ? &Styles::NoLike : &Styles::ILikeIt, item, ActionLike, -1, 0);
    }
    if (post->canComment) {
        item.post = RefOf(*post);
        AddMenuItem(s, &menu, &Styles::AddComm, item, ActionAddComment, -1, 0);
    }

    item.post = RefOf(*post);
    int32_t total = 0, unread = 0;
    MenuPtr comments;
    if (post->commentsRead > 0) comments = BuildCommentsMenu(cx, &total, post, post->postId, &unread, onlyNew);
    MenuPtr likes = BuildLikesMenu(cx, post->postId, onlyNew, nullptr, nullptr);
    if (!comments && !likes) return true;

    AddMenuItem(s, &menu, &Styles::Separator, item, 0, -1, 0);
    if (comments) {
        std::u16string suffix;
        if (unread > 0) {
            suffix = FormatText(u", %s %d", {Text("NOREADED"), unread});
            item.isNew = 0;
            item.post = RefOf(*post);
            AddMenuItem(s, &menu, &Styles::MarkReadedComms, item, ActionMarkCommentsRead, -1, 0);
        }
        item.text = s.keep(FormatText(u"%s (%d%s)", {Text("COMMENTS"), total, suffix}));
        AddSubmenuItem(s, &Styles::Comments, &menu, item, std::move(comments), 0);
    }
    if (likes) {
        item.post = RefOf(*post);  // a like from the open popup recounts this row
        item.text = s.keep(LikesCaption(cx.store, post->postId));
        AddSubmenuItem(s, &Styles::ItLikes, &menu, item, std::move(likes), 0);
    }
    return true;
}

MenuPtr BuildCommentsMenu(MenuContext& cx, int32_t* totalOut, PostRecord* post, std::u16string_view postId,
                          int32_t* unreadOut, bool onlyNew) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(DefaultMenuWidth);
    int32_t total = 0, unread = 0;
    MenuItemData* last = nullptr;
    for (auto* node : cx.store.CommentsOf(postId)) {
        CommentRecord& comment = node->payload;
        ++total;
        UserRecord* author = cx.store.FindUser(comment.authorId);
        if (!author) continue;
        if (onlyNew && node->flags() != 0) continue;

        std::u16string likes;
        if (comment.likes != 0) likes = FormatText(Text("MENULIKES"), {comment.likes});
        item.isNew = comment.read == 0 ? 1 : 0;
        if (comment.read == 0) ++unread;

        const std::u16string commentText = CommentText(comment);
        std::u16string linkText;
        std::u16string link = ExtractLink(commentText);
        if (!link.empty()) {
            item.link = s.keep(std::move(link));
            linkText = Text("LINK");
        } else if (post) {
            item.link = s.keep(post->permalink);
        }
        item.rightLink = author->profileUrl.empty() ? std::u16string_view() : s.keep(author->profileUrl);
        std::u16string city;
        if (!author->city.empty()) city = FormatText(u", %s", {author->city});

        std::u16string text = FontCode(FontBold) + author->name + FontCode(FontNormal) + city;
        text += CodeRightStart;
        text += likes + linkText + Age(comment.time);
        text += CodeRightEnd;
        text += CodeBody;
        AppendTextPart(commentText, text, {}, {}, comment.read ? ReadBodyLimit : UnreadCommentLimit, false);

        item.text = s.keep(std::move(text));
        item.picture = UserPictureRef(*author);
        item.personStyle = 1;
        item.comment = RefOf(comment);
        item.pictureWidth = 48;
        item.indent = 0;
        item.minHeight = 44;
        item.divider = 1;
        item.stateRef = RefOf(comment);
        if (MenuItemData* row = AddMenuItem(s, menu.get(), nullptr, item, 0, -1, 0)) last = row;
    }
    if (totalOut) *totalOut = total;
    if (unreadOut) *unreadOut = unread;
    if (!last) return nullptr;
    ClearRowState(item);
    AddMenuItem(s, menu.get(), &Styles::CommentsHeader, item, 0, 0, 0);
    last->divider = 0;
    return menu;
}

std::u16string LikesCaption(DataStore& store, std::u16string_view postId) {
    int32_t total = 0, fresh = 0;
    for (auto* node : store.LikesOf(postId)) {
        ++total;
        fresh += node->payload.read == 0 ? 1 : 0;
    }
    std::u16string suffix;
    if (fresh > 0) suffix = FormatText(u", %s %d", {Text("NEW"), fresh});
    return FormatText(u"%s (%d%s)", {Text("ITLIKES"), total, suffix});
}

MenuPtr BuildLikesMenu(MenuContext& cx, std::u16string_view postId, bool onlyNew, int32_t* totalOut,
                       int32_t* newOut) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(DefaultMenuWidth);
    int32_t total = 0, fresh = 0;
    MenuItemData* last = nullptr;
    for (auto* node : cx.store.LikesOf(postId)) {
        LikeRecord& like = node->payload;
        ++total;
        UserRecord* user = cx.store.FindUser(like.userId);
        if (!user) continue;
        if (onlyNew && like.read != 0) continue;

        std::u16string text = FontCode(FontBold) + user->name + FontCode(FontNormal);
        text += CodeBody;
        if (!user->city.empty()) AppendTextPart(user->city, text, u"\n", {}, ReadBodyLimit, false);
        item.text = s.keep(std::move(text));
        item.picture = UserPictureRef(*user);
        item.personStyle = 1;
        item.pictureWidth = 48;
        item.minHeight = 44;
        item.divider = 1;
        item.indent = 0;
        item.link = user->profileUrl.empty() ? std::u16string_view() : s.keep(user->profileUrl);
        item.stateRef = RecordRef::Like(like.postId, std::u16string(like.userId.view()));
        item.isNew = like.read == 0 ? 1 : 0;
        if (like.read == 0) ++fresh;
        if (MenuItemData* row = AddMenuItem(s, menu.get(), nullptr, item, 0, -1, 0)) last = row;
    }
    if (totalOut) *totalOut = total;
    if (newOut) *newOut = fresh;
    if (!last) return nullptr;
    ClearRowState(item);
    AddMenuItem(s, menu.get(), &Styles::ItLikesHeader, item, 0, 0, 0);
    last->divider = 0;
    return menu;
}
