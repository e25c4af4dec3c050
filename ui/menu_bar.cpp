#include "ui/menu_bar.h"

#include <algorithm>
#include <mutex>

#include "base/format_text.h"
#include "base/settings.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "store/data_store.h"

namespace {
std::vector<std::u16string> FavoriteTitles(DataStore& store) {
    std::vector<std::u16string> titles;
    std::lock_guard<std::mutex> hold(store.mutex());
    for (const auto& node : store.favorites) titles.push_back(node.payload.title);
    return titles;
}
}  // namespace

MenuBarContext CurrentMenuBarContext(DataStore& store) {
    MenuBarContext context;
    context.signedIn = HaveAccessToken();
    const char16_t* code = TextTable[EffectiveLanguage(AppSettings)].code;
    context.languageCode = code ? code : u"";
    context.favorites = FavoriteTitles(store);
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
            entry.submenu = BuildFavoritesMenuFrom(context.favorites);
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

MenuPtr BuildMenuBar(const CommandRow* table, DataStore& store) {
    return BuildMenuBar(table, CurrentMenuBarContext(store));
}

namespace {

// Favourites at and after `first` (count of them), as string items, or grouped in
// submenus of at most FavoritesPerMenu entries each when there are more: a menu is
// realised item by item, and a window system may copy all earlier items for each new
// one, so one long menu costs the square of its length.
void AddFavorites(Menu& menu, const std::vector<std::u16string>& titles, size_t first, size_t count) {
    if (count <= FavoritesPerMenu) {
        for (size_t i = first; i < first + count; ++i) {
            MenuEntry entry;
            entry.kind = MenuEntryKind::String;
            entry.id = static_cast<uint32_t>(CmdFirstFavorite + i);
            entry.text = titles[i];
            menu.append(std::move(entry));
        }
        return;
    }
    size_t span = FavoritesPerMenu;  // favourites under each group entry
    while (span * FavoritesPerMenu < count) span *= FavoritesPerMenu;
    for (size_t start = first; start < first + count; start += span) {
        size_t part = std::min(span, first + count - start);
        MenuEntry group;
        group.kind = MenuEntryKind::String;
        group.text = FormatText(u"%d\u2013%d", {static_cast<int32_t>(start + 1), static_cast<int32_t>(start + part)});
        group.submenu = CreateMenuModel();
        AddFavorites(*group.submenu, titles, start, part);
        menu.append(std::move(group));
    }
}

}  // namespace

MenuPtr BuildFavoritesMenuFrom(const std::vector<std::u16string>& titles) {
    if (titles.empty()) return nullptr;
    MenuPtr menu = CreateMenuModel();
    AddFavorites(*menu, titles, 0, std::min(titles.size(), FavoritesInMenuLimit));
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

MenuPtr BuildFavoritesMenu(DataStore& store) { return BuildFavoritesMenuFrom(FavoriteTitles(store)); }
