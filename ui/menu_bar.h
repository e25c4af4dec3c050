// The main window's menu bar and the favourites submenu, as menu models; the shell
// realises them as string menus (ui/win32/menu_window.h, InstallMenuBar).
#pragma once
#include <string>

#include "ui/command_table.h"
#include "ui/menu_model.h"

struct MenuBarContext {
    bool signedIn = false;          // AccessToken is not empty
    std::u16string languageCode;    // code of the current language ("CZ", "EN", ...)
};

// The context of the running program: the current language and the token.
MenuBarContext CurrentMenuBarContext();

// Builds a menu from a table (recursively for submenus); nullptr when no row
// qualified.
MenuPtr BuildMenuBar(const CommandRow* table, const MenuBarContext& context);
MenuPtr BuildMenuBar(const CommandRow* table);

// One string item per favourite (id 2048 + index), a separator and the manage item
// (id 1053); nullptr when FavoriteList is empty.
MenuPtr BuildFavoritesMenu();

// The same from an explicit list of titles (what BuildFavoritesMenu reads).
MenuPtr BuildFavoritesMenuFrom(const std::vector<std::u16string>& titles);
