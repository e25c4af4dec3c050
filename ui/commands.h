// The command dispatcher: every action started from a menu item, a menu-bar entry or a
// button ends in one command code (1028-1056). DispatchCommand does what the store and
// the service can do without Windows (like, hide, mute, mark read) and returns the
// steps the shell carries out, in order (dialogs, browser, refresh, sign-out).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/menu_model.h"

// Shell steps, carried out in the order the plan lists them.
enum class CommandStep : int32_t {
    Navigate,              // address: open it in the browser; showMain: in front
    ShowMainWindow,        // restored and in front, also while the sign-in runs
    DestroyMainWindow,     // the program ends
    BrowserBack,           // the browser in use; nothing without a browser
    BrowserForward,
    BrowserReload,
    SearchHome,            // the search engine's home page, when the browser exists
    CloseMenu,             // before a dialog opens from a popup (its session goes with it)
    OpenDialog,            // value: the DialogTable index
    RefreshNow,            // start the worker unless one runs
    MarkAllRead,
    BeginSignIn,
    StopRefresh,           // sign-out: before anything it writes to is released
    SignOut,               // the log-out page in front, then the token is cleared
    ReleaseSignedInData,
    ForgetAnnouncement,    // tray icon, tooltip and announced total back to idle
    RebuildMenuBar,        // and the tool bar for the sign-in state
    RedrawBanner,          // forced
    OfferUpdate,           // accepted: the program ends; otherwise the "no newer" balloon
    ShowPageView,
    ClosePageView,
    ShowNewAndUpdatedMenu, // at the cursor, with the banner redrawn before and after
    CopyAddress,           // the browser's address as Unicode text, when the browser exists
};

struct CommandEffect {
    CommandStep step;
    int32_t value = 0;
    std::u16string address;
    bool showMain = false;
};

class DataStore;

struct CommandPlan {
    // 1 when the plan closes the popup before a dialog opens.
    int32_t result = 0;
    std::vector<CommandEffect> steps;
};

// Runs one command code for a popup item (nullptr for menu-bar entries and buttons).
// Codes that need an item, a post or a user do nothing without them. The item's text
// and action change where the command says so (a right-clicked menu stays open).
CommandPlan DispatchCommand(DataStore& store, MenuItemData* item, int32_t code);

// Like or unlike (1031) of a post through the service: the flag, the count and the
// signed-in user's like change together, and only when the service took the request.
// The item's text then offers the action for the post's state. False when refused.
bool LikeOrUnlike(DataStore& store, const RecordRef& post, MenuItemData* item);

// The search engine whose home page 1033 opens.
constexpr const char16_t* SearchHomeUrl = u"http://www.google.com/";
