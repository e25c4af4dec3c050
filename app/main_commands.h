// What a command of the main window (tool-bar button, menu-bar item, accelerator)
// leads to. The window procedure carries it out.
#pragma once
#include <cstdint>

struct CommandRow;

struct MainCommand {
    enum Kind { Default, Run, Favorite, Exit, FavoritesDialog };
    Kind kind = Default;           // Default: the system's handling
    int32_t action = 0;            // Run: command code for the dispatcher (0: none)
    const CommandRow* row = nullptr;  // Run: menu row whose action runs and address opens
    const char* titleKey = nullptr;   // Run: text naming the page tab the address opens in
    int32_t favorite = -1;         // Favorite: index in FavoriteList
};

// `fromControl`: the command came from a child control other than a tool-bar button
// (lParam set); `code` is the notification code (0 for menus and button clicks).
MainCommand ResolveMainCommand(int32_t id, int32_t code, bool fromControl, bool signedIn);
