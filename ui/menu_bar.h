// The main window's menu bar and the favourites submenu, as menu models; the shell
// realises them as string menus (ui/win32/menu_window.h, InstallMenuBar).
#pragma once
#include <string>
#include <vector>

#include "ui/command_table.h"
#include "ui/menu_model.h"

class DataStore;

struct MenuBarContext {
    bool signedIn = false;          // AccessToken is not empty
    std::u16string languageCode;    // code of the current language ("CZ", "EN", ...)
    std::vector<std::u16string> favorites;  // titles, in the store's order
};

// The context of the running program: the current language, the token and the
// store's favourites (taken under its mutex).
MenuBarContext CurrentMenuBarContext(DataStore& store);

// Builds a menu from a table (recursively for submenus); nullptr when no row
// qualified.
MenuPtr BuildMenuBar(const CommandRow* table, const MenuBarContext& context);
MenuPtr BuildMenuBar(const CommandRow* table, DataStore& store);

// A menu holds at most this many favourites; beyond it they are grouped in submenus
// named by their numbers ("1–100", ...).
constexpr size_t FavoritesPerMenu = 100;
// Favourite ids (2048 + index) stay below the commands' ids; later favourites are left
// out of the menu (the favourites dialog still lists them).
constexpr size_t FavoritesInMenuLimit = 30720;
static_assert(CmdFirstFavorite + FavoritesInMenuLimit <= CmdBrowserBack, "favourite ids below the commands");

// One string item per favourite (id 2048 + index), a separator and the manage item
// (id 1053); nullptr when the store has no favourites.
MenuPtr BuildFavoritesMenu(DataStore& store);

// The same from an explicit list of titles (what BuildFavoritesMenu reads).
MenuPtr BuildFavoritesMenuFrom(const std::vector<std::u16string>& titles);
