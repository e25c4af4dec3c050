// The message threads with their messages, and the notifications.
#include "base/format_text.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "ui/command_table.h"
#include "ui/content_menus.h"
#include "ui/menu_text.h"
#include "ui/record_lookup.h"

namespace {

constexpr int32_t MessageBodyLimit = 256;
constexpr int32_t NotificationBodyLimit = 512;

std::u16string Age(int32_t time) {
    std::u16string age;
    FormatItemTime(time, &age);
    return age;
}

bool HasUnreadMessage(DataStore& store, std::u16string_view threadId) {
    for (const auto* node : store.MessagesOf(threadId))
        if (node->payload.read == 0) return true;
    return false;
}

}  // namespace

MenuPtr BuildMessagesMenu(MenuContext& cx, MenuItemData** lastItemOut, Menu* menu, const ItemStyle* headerStyle,
                          bool onlyNew) {
    PopupSession& s = cx.session;
    RowTarget target(menu);
    menu = target.menu;
    MenuItemData item = MakeItemTemplate(0);
    MenuItemData* last = nullptr;
    for (auto& node : cx.store.threads) {
        ThreadRecord& thread = node.payload;
        if (thread.parentThreadId.empty()) continue;
        if (onlyNew && !HasUnreadMessage(cx.store, thread.threadId)) continue;
        if (thread.parentThreadId != u"0") continue;  // only top-level threads
        UserRecord* snippetAuthor = cx.store.FindUser(thread.snippetAuthorId);
        if (!snippetAuthor) continue;
        UserRecord& person = thread.otherParty ? *thread.otherParty : *snippetAuthor;

        int32_t unread = 0;
        MenuPtr submenu = BuildThreadMenu(cx, &unread, thread);

        std::u16string text = FontCode(FontBold) + person.name + FontCode(FontNormal);
        text += CodeRightStart;
        text += FormatText(u"%s %d · %s", {Text("NOREADED"), unread, Age(thread.updatedTime)});
        text += CodeRightEnd;
        text += CodeBody;
        AppendTextPart(thread.subject, text, u"<br><b>", u"</b> ", 0, false);
        if (snippetAuthor->id != person.id) AppendTextPart(snippetAuthor->name, text, u"<br>", u": ", 0, false);
        AppendTextPart(thread.snippet, text, {}, {}, 0, false);

        item.text = s.keep(std::move(text));
        item.link = s.keep(FormatText(u"%s/?sk=messages&action=read&tid=%s", {cx.webBase, thread.threadId}));
        item.picture = UserPictureRef(person);
        item.personStyle = 1;
        item.stateRef = RecordRef::Thread(thread.threadId);
        item.pictureWidth = 48;
        item.minHeight = 44;
        item.isNew = unread > 0 ? 1 : 0;
        item.divider = 1;
        item.indent = 12;
        item.itemFlags = 0;
        // A thread none of whose messages could be shown gets no row.
        if (MenuItemData* row = AddSubmenuItem(s, nullptr, menu, item, std::move(submenu), 0)) last = row;
        else ResetItemTemplate(item);
    }
    return target.finish(s, item, last, headerStyle, lastItemOut);
}

MenuPtr BuildThreadMenu(MenuContext& cx, int32_t* unreadOut, const ThreadRecord& thread) {
    PopupSession& s = cx.session;
    MenuPtr menu = CreateMenuModel();
    MenuItemData item = MakeItemTemplate(0);
    int32_t unread = 0;
    const UserRecord* previous = nullptr;
    MenuItemData* last = nullptr;
    std::u16string_view conversation;
    if (thread.otherParty)
        conversation = s.keep(FormatText(u"%s/messages/%s", {cx.webBase, thread.otherParty->id}));
    for (auto* node : cx.store.MessagesOf(thread.threadId)) {
        MessageRecord& message = node->payload;
        UserRecord* author = cx.store.FindUser(message.authorId);
        if (!author) continue;

        if (author == previous) {
            item.minHeight = 0;
            item.picture = {};
        } else {
            item.picture = UserPictureRef(*author);
            item.minHeight = 44;
        }
        std::u16string linkText;
        item.link = {};
        item.rightLink = {};
        if (!message.link.empty()) {
            item.link = s.keep(message.link);
            linkText = Text("LINK");
        }
        if (!conversation.empty()) {
            if (!item.link.empty()) item.rightLink = conversation;
            else item.link = conversation;
        }
        const uint32_t flags = item.link.empty() ? ItemDisabled : 0;

        std::u16string text = FontCode(FontBold) + author->name + FontCode(FontNormal);
        text += CodeRightStart;
        text += linkText + Age(message.createdTime);
        text += CodeRightEnd;
        text += CodeBody;
        AppendTextPart(message.text, text, u"<br>", {}, MessageBodyLimit, false);

        item.text = s.keep(std::move(text));
        item.message = RefOf(message);
        item.personStyle = 1;
        item.pictureWidth = 48;
        item.indent = 0;
        item.divider = 1;
        item.stateRef = RefOf(message);
        item.isNew = message.read == 0 ? 1 : 0;
        if (message.read == 0) ++unread;
        if (MenuItemData* row = AddMenuItem(s, menu.get(), nullptr, item, 0, -1, flags)) last = row;
        previous = author;
    }
    if (unreadOut) *unreadOut = unread;
    if (!last) return nullptr;
    last->divider = 0;
    return menu;
}

MenuPtr BuildNotificationsMenu(MenuContext& cx, MenuItemData** lastItemOut, Menu* menu, bool onlyNew,
                               const ItemStyle* headerStyle) {
    PopupSession& s = cx.session;
    RowTarget target(menu);
    menu = target.menu;
    MenuItemData item = MakeItemTemplate(0);
    MenuItemData* last = nullptr;
    for (auto& node : cx.store.notifications) {
        NotificationRecord& notification = node.payload;
        if (onlyNew && notification.read != 0) continue;
        UserRecord* sender = cx.store.FindUser(notification.senderId);
        if (!sender) continue;

        std::u16string text;
        AppendTextPart(sender->name, text, FontCode(FontBold), FontCode(FontNormal), 0, false);
        std::u16string pair{CodeRightEnd, CodeBody};
        AppendTextPart(Age(notification.updatedTime), text, std::u16string(1, CodeRightStart), pair, 0, false);
        AppendTextPart(notification.titleText, text, u"<br>", {}, 0, false);
        AppendTextPart(notification.bodyText, text, u"<br><i>", u"</i>", NotificationBodyLimit, false);

        item.text = s.keep(std::move(text));
        item.picture = UserPictureRef(*sender);
        item.personStyle = 1;
        item.pictureWidth = 48;
        item.indent = 0;
        item.minHeight = 44;
        item.divider = 1;
        item.stateRef = RecordRef::Notification(notification.notificationId);
        item.isNew = node.flags() == 0 ? 1 : 0;
        if (!notification.link.empty()) item.link = s.keep(notification.link);
        if (MenuItemData* row = AddMenuItem(s, menu, nullptr, item, 0, -1, 0)) last = row;
    }
    return target.finish(s, item, last, headerStyle, lastItemOut);
}
