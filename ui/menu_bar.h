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

// A menu holds at most this many favourites; beyond it they are grouped in submenus
// named by their numbers ("1–100", ...).
constexpr size_t FavoritesPerMenu = 100;
// Favourite ids (2048 + index) stay below the commands' ids; later favourites are left
// out of the menu (the favourites dialog still lists them).
constexpr size_t FavoritesInMenuLimit = 30720;
static_assert(CmdFirstFavorite + FavoritesInMenuLimit <= CmdBrowserBack, "favourite ids below the commands");

// One string item per favourite (id 2048 + index), a separator and the manage item
// (id 1053); nullptr when FavoriteList is empty.
MenuPtr BuildFavoritesMenu();

// The same from an explicit list of titles (what BuildFavoritesMenu reads).
MenuPtr BuildFavoritesMenuFrom(const std::vector<std::u16string>& titles);
