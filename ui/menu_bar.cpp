#include "ui/menu_bar.h"

#include <mutex>

#include "base/settings.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "store/data_store.h"

MenuBarContext CurrentMenuBarContext() {
    MenuBarContext context;
    context.signedIn = HaveAccessToken();
    const char16_t* code = TextTable[EffectiveLanguage(AppSettings)].code;
    context.languageCode = code ? code : u"";
    return context;
}

namespace {

std::u16string RowText(const CommandRow& row) {
    const char16_t* text = row.key ? LookupText(row.key) : nullptr;
    return text ? text : u"";
}

bool Qualifies(const CommandRow& row, const MenuBarContext& context) {
    if (!RowMatchesLanguage(row, context.languageCode)) return false;
    if (!(row.flags & RowMenuBar)) return false;
    if ((row.flags & RowSignedIn) && !context.signedIn) return false;
    if ((row.flags & RowSignedOut) && context.signedIn) return false;
    return true;
}

MenuPtr BuildFrom(const CommandRow* table, const MenuBarContext& context, int depth) {
    if (!table || depth > 8) return nullptr;
    MenuPtr menu = CreateMenuModel();
    for (const CommandRow* row = table; !IsEndRow(*row); ++row) {
        MenuEntry entry;
        entry.id = static_cast<uint32_t>(row->id);
        entry.text = RowText(*row);
        if (row->flags & RowSubmenu) {
            entry.kind = MenuEntryKind::String;
            entry.submenu = BuildFrom(row->subTable, context, depth + 1);
            if (!entry.submenu) continue;
        } else if (row->flags & RowFavorites) {
            entry.kind = MenuEntryKind::String;
            entry.submenu = BuildFavoritesMenu();
            if (!entry.submenu) continue;
        } else if (Qualifies(*row, context)) {
            entry.kind = (row->flags & RowSeparator) ? MenuEntryKind::Separator : MenuEntryKind::String;
        } else {
            continue;
        }
        menu->append(std::move(entry));
    }
    if (menu->empty()) return nullptr;
    return menu;
}

}  // namespace

MenuPtr BuildMenuBar(const CommandRow* table, const MenuBarContext& context) {
    return BuildFrom(table, context, 0);
}

MenuPtr BuildMenuBar(const CommandRow* table) { return BuildMenuBar(table, CurrentMenuBarContext()); }

MenuPtr BuildFavoritesMenuFrom(const std::vector<std::u16string>& titles) {
    if (titles.empty()) return nullptr;
    MenuPtr menu = CreateMenuModel();
    uint32_t id = CmdFirstFavorite;
    for (const auto& title : titles) {
        MenuEntry entry;
        entry.kind = MenuEntryKind::String;
        entry.id = id++;
        entry.text = title;
        menu->append(std::move(entry));
    }
    MenuEntry separator;
    separator.kind = MenuEntryKind::Separator;
    menu->append(std::move(separator));
    MenuEntry manage;
    manage.kind = MenuEntryKind::String;
    manage.id = CmdManageFavorites;
    const char16_t* text = LookupText("FAVDIALOGMENU");
    manage.text = text ? text : u"";
    menu->append(std::move(manage));
    return menu;
}

MenuPtr BuildFavoritesMenu() {
    std::vector<std::u16string> titles;
    {
        std::lock_guard<std::recursive_mutex> hold(StoreLock());
        for (const auto& node : FavoriteList) titles.push_back(node.payload.title);
    }
    return BuildFavoritesMenuFrom(titles);
}
