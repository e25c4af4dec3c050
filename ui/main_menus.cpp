// The main menu, the new-and-updated menu, the go-to and settings menus, the people
// menus with each user's submenu, and the entry the tray uses to build one of them.
#include <mutex>
#include <unordered_set>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/settings.h"
#include "net/access_token.h"
#include "net/service_address.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "ui/command_table.h"
#include "ui/content_menus.h"
#include "ui/menu_text.h"
#include "ui/record_lookup.h"

namespace {

constexpr int32_t TitleLimit = 512;
constexpr int32_t ReadStatusLimit = 512;
constexpr int32_t UnreadStatusLimit = 10000;
constexpr size_t BannerHeadLimit = 2048;

std::u16string Age(int32_t time) {
    std::u16string age;
    FormatItemTime(time, &age);
    return age;
}

}  // namespace

MenuContext CurrentMenuContext(PopupSession& session) {
    MenuContext cx{session, session.store(), 0, false, 0, {}};
    cx.now = CurrentTime();
    cx.signedIn = HaveAccessToken();
    cx.hideReadPostsAfter = AppSettings.hideReadPostsAfter;
    cx.webBase = WebBase();
    return cx;
}

void FormatCounts(std::u16string& buffer, int32_t posts, int32_t messages, int32_t notifications, bool shortForm) {
    const std::pair<const char*, int32_t> parts[] = {
        {shortForm ? "MENUPOSTS" : "POSTS", posts},
        {shortForm ? "MENUMESSAGES" : "MESSAGES", messages},
        {shortForm ? "MENUNOTIFICATIONS" : "NOTIFICATIONS", notifications},
    };
    bool first = true;
    for (const auto& part : parts) {
        if (part.second == 0) continue;
        if (!first) buffer += u", ";
        buffer += FormatText(Text(part.first), {part.second});
        first = false;
    }
}

UserBanner BuildUserBanner(DataStore& store) {
    UserBanner banner;
    const UserRecord* own = store.ownUser;
    if (!own) return banner;
    banner.known = true;
    const int32_t p = CountUnseenItems(store.posts, false);
    const int32_t m = CountUnseenItems(store.messages, false);
    const int32_t n = CountUnseenItems(store.notifications, false);
    banner.showNewPosts = p + m + n > 0;
    std::u16string counts;
    if (banner.showNewPosts) FormatCounts(counts, p, m, n, false);
    std::u16string& text = banner.text;
    text = FontCode(FontHeading) + own->name;
    text += CodeRightStart;
    text += FontCode(FontBold) + counts;
    text += CodeRightEnd;
    text += FontCode(FontHeading);
    text += CodeNewLine;
    text += FontCode(FontNormal);
    if (text.size() > BannerHeadLimit) text.resize(BannerHeadLimit);
    text += own->city;
    banner.picture = UserPictureRef(*own);
    return banner;
}

MenuPtr BuildMainMenu(MenuContext& cx) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(64);
    item.divider = 1;
    if (const UserRecord* own = cx.store.ownUser) {
        const int32_t p = CountUnseenItems(cx.store.posts, false);
        const int32_t m = CountUnseenItems(cx.store.messages, false);
        const int32_t n = CountUnseenItems(cx.store.notifications, false);
        std::u16string summary;
        if (p + m + n > 0) FormatCounts(summary, p, m, n, true);
        std::u16string text = FontCode(FontNormal) + own->name;
        text += CodeRightStart;
        text += FontCode(FontBold) + summary;
        text += CodeRightEnd;
        text += FontCode(FontHeading);
        text += CodeNewLine;
        AppendTextPart(Text("MAINTITLE"), text, {}, {}, TitleLimit, false);
        item.text = s.keep(std::move(text));
        item.picture = UserPictureRef(*own);
        item.pictureWidth = 48;
        item.minHeight = 44;
    } else {
        item.text = Text("MAINTITLE");
    }
    AddMenuItem(s, menu.get(), &Styles::MainTitle, item, 0, -1, 0);

    AddMenuItem(s, menu.get(), &Styles::MainPage, item, ActionHome, -1, 0);
    if (cx.signedIn) AddSubmenuItem(s, &Styles::GoTo, menu.get(), item, BuildGoToMenu(cx, true), 0);

    const ItemStyle* messages = CountUnseenItems(cx.store.messages, false) ? &Styles::Messages2Bold : &Styles::Messages2;
    AddSubmenuItem(s, messages, menu.get(), item, BuildMessagesMenu(cx, nullptr, nullptr, &Styles::Messages2Header, false),
                   0);
    AddSubmenuItem(s, &Styles::RecFriends, menu.get(), item,
                   BuildPeopleMenu(cx, false, &Styles::RecFriendsHeader, true), 0);
    const ItemStyle* statuses =
        CountUnseenItems(cx.store.users, false) ? &Styles::StatusUpdateBold : &Styles::StatusUpdate;
    AddSubmenuItem(s, statuses, menu.get(), item, BuildPeopleMenu(cx, false, &Styles::StatusUpdateHeader, false), 0);
    const ItemStyle* notices =
        CountUnseenItems(cx.store.notifications, false) ? &Styles::Notice2Bold : &Styles::Notice2;
    AddSubmenuItem(s, notices, menu.get(), item,
                   BuildNotificationsMenu(cx, nullptr, nullptr, false, &Styles::Notice2Header), 0);
    const ItemStyle* posts = CountUnseenItems(cx.store.posts, false) ? &Styles::Posts2Bold : &Styles::Posts2;
    AddSubmenuItem(s, posts, menu.get(), item, BuildPostsMenu(cx, nullptr, nullptr, false, &Styles::Posts2Header), 0);
    AddSubmenuItem(s, &Styles::SettingsAndOther, menu.get(), item, BuildSettingsMenu(cx), 0);

    item.pictureWidth = 24;
    item.minHeight = 22;
    item.picture = {};
    AddMenuItem(s, menu.get(), &Styles::Separator, item, 0, -1, 0);
    AddMenuItem(s, menu.get(), &Styles::EndOfOrv, item, ActionExit, -1, 0);
    return menu;
}

MenuPtr BuildNewAndUpdatedMenu(MenuContext& cx) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(DefaultMenuWidth);
    AddMenuItem(s, menu.get(), &Styles::NewAndUpHeader, item, 0, 0, 0);

    MenuItemData* last = nullptr;
    MenuItemData* reported = nullptr;
    BuildMessagesMenu(cx, &reported, menu.get(), nullptr, true);
    if (reported) last = reported;
    reported = nullptr;
    BuildNotificationsMenu(cx, &reported, menu.get(), true, nullptr);
    if (reported) last = reported;
    reported = nullptr;
    BuildPostsMenu(cx, &reported, menu.get(), true, nullptr);
    if (reported) last = reported;
    if (last) last->divider = 0;

    if (menu->size() == 1) {
        AddMenuItem(s, menu.get(), cx.signedIn ? &Styles::NoNew : &Styles::LoginToFb, item, 0, -1, 0);
    } else {
        AddMenuItem(s, menu.get(), &Styles::MarkReaded, item, ActionMarkAllRead, 1, 0);
        AddMenuItem(s, menu.get(), &Styles::Separator, item, 0, 2, 0);
    }
    return menu;
}

MenuPtr BuildGoToMenu(MenuContext& cx, bool noHeader) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(64);
    if (!noHeader) AddMenuItem(s, menu.get(), &Styles::GoToHeader, item, 0, 0, 0);
    for (const CommandRow* row = CommandTable; !IsEndRow(*row); ++row) {
        if (!row->key || !row->iconId || !(row->flags & RowGoTo)) continue;
        item.text = Text(row->key);
        item.link = s.keep(CommandRowAddress(*row, cx.webBase));
        item.iconId = row->iconId;
        AddMenuItem(s, menu.get(), nullptr, item, 0, -1, 0);
    }
    return menu;
}

MenuPtr BuildSettingsMenu(MenuContext& cx) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(64);
    AddMenuItem(s, menu.get(), &Styles::About, item, ActionAbout, -1, 0);
    AddMenuItem(s, menu.get(), &Styles::Reporting, item, ActionReporting, -1, 0);
    AddMenuItem(s, menu.get(), &Styles::Prefs, item, ActionPreferences, -1, 0);
    AddMenuItem(s, menu.get(), &Styles::UpdateData, item, ActionUpdateData, -1, 0);
    if (cx.signedIn) AddMenuItem(s, menu.get(), &Styles::Logout, item, ActionLogout, -1, 0);
    else AddMenuItem(s, menu.get(), &Styles::Login, item, ActionLogin, -1, 0);
    if (MenuPtr hidden = BuildPeopleMenu(cx, true, nullptr, false)) {
        AddMenuItem(s, menu.get(), &Styles::Separator, item, 0, -1, 0);
        AddSubmenuItem(s, &Styles::UsersHid, menu.get(), item, std::move(hidden), 0);
    }
    return menu;
}

MenuPtr BuildPeopleMenu(MenuContext& cx, bool hiddenOnly, const ItemStyle* headerStyle, bool withPosters) {
    if (cx.store.users.empty()) return nullptr;
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(0);
    MenuItemData* last = nullptr;
    for (auto& node : cx.store.users) {
        UserRecord& user = node.payload;
        bool listed;
        if (hiddenOnly) listed = node.mark() != 0;
        else if (!withPosters) listed = !user.statusText.empty() && user.hidden == 0;
        else listed = user.hidden == 0 && (!user.statusText.empty() || user.isPostSource != 0);
        if (!listed) continue;

        std::u16string summary;
        if (user.onlinePresence == u"active") summary = u"online ";
        if (user.hidden) AppendTextPart(Text("HIDDENPOSTS"), summary, u"· ", {}, 0, true);
        AppendTextPart(Age(user.statusTime), summary, u"· ", {}, 0, true);

        const uint32_t flags = node.flags();
        std::u16string text = FontCode(FontBold) + user.name + FontCode(FontNormal);
        text += CodeRightStart;
        text += summary;
        text += CodeRightEnd;
        text += FontCode(FontNormal);
        text += CodeBody;
        AppendTextPart(user.statusText, text, {}, {}, flags != 0 ? ReadStatusLimit : UnreadStatusLimit, false);

        item.text = s.keep(std::move(text));
        item.picture = UserPictureRef(user);
        item.personStyle = 1;
        item.divider = 1;
        item.pictureWidth = 48;
        item.minHeight = ScalePicture(user.picture.get(), 40).height + 4;
        item.minTextHeight = 24;
        item.indent = 12;
        item.isNew = flags == 0 ? 1 : 0;
        item.stateRef = RefOf(user);
        if (MenuItemData* row = AddSubmenuItem(s, nullptr, menu.get(), item, BuildUserSubmenu(cx, user), 0))
            last = row;
        else
            ResetItemTemplate(item);
    }
    if (!last) return nullptr;
    if (headerStyle) {
        ClearRowState(item);
        AddMenuItem(s, menu.get(), headerStyle, item, 0, 0, 0);
    }
    last->divider = 0;
    return menu;
}

void AddProfileItem(MenuContext& cx, const UserRecord& user, MenuItemData& item, Menu& menu) {
    if (user.profileUrl.empty()) return;
    item.link = cx.session.keep(user.profileUrl);
    item.text = cx.session.keep(FormatText(Text("USERWALL"), {user.name}, MenuTextLimit));
    AddMenuItem(cx.session, &menu, &Styles::UserWall, item, 0, -1, 0);
}

MenuPtr BuildUserSubmenu(MenuContext& cx, UserRecord& user) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(0);
    AddProfileItem(cx, user, item, *menu);
    if (user.statusPost && !user.statusPost->permalink.empty()) {
        item.link = s.keep(user.statusPost->permalink);
        AddMenuItem(s, menu.get(), &Styles::ShowPost, item, 0, -1, 0);
    }
    item.user = RefOf(user);
    AddMenuItem(s, menu.get(), &Styles::SendMsg, item, ActionSendMessage, -1, 0);
    if (user.hidden == 1) {
        item.text = s.keep(FormatText(Text("SHOWUSER"), {user.name}, MenuTextLimit));
        AddMenuItem(s, menu.get(), &Styles::ShowUser, item, ActionShowUser, -1, 0);
    } else {
        item.text = s.keep(FormatText(Text("HIDEUSER"), {user.name}, MenuTextLimit));
        AddMenuItem(s, menu.get(), &Styles::HideUser, item, ActionHideUser, -1, 0);
    }
    AddPostActions(cx, *menu, user.statusPost, item, false);
    if (menu->empty()) return nullptr;
    return menu;
}

std::vector<std::u16string> MissingMenuProfiles(DataStore& store) {
    std::vector<std::u16string> missing;
    std::unordered_set<std::u16string_view> taken;  // views of the lists' own ids
    auto want = [&](const std::u16string& id) {
        if (id.empty() || store.FindUser(id)) return;
        if (taken.insert(id).second) missing.push_back(id);
    };
    for (const auto& id : store.commentAuthorsWithoutProfile) want(id);
    for (auto& node : store.threads)
        if (node.payload.parentThreadId == u"0") want(node.payload.snippetAuthorId);
    for (auto& node : store.notifications) want(node.payload.senderId);
    return missing;
}

MenuPtr BuildContentMenu(ContentMenu which, PopupSession& session) {
    DataStore& store = session.store();
    MenuContext cx = CurrentMenuContext(session);
    std::lock_guard<std::mutex> hold(store.mutex());
    switch (which) {
    case ContentMenu::NewAndUpdated: return BuildNewAndUpdatedMenu(cx);
    case ContentMenu::Main: return BuildMainMenu(cx);
    case ContentMenu::GoTo: return BuildGoToMenu(cx, false);
    }
    return nullptr;
}
