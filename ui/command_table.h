// The constant table behind the menu bar, the go-to links, the browser tabs and the
// tool-bar link buttons, and the command ids and command codes the program uses.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Menu-bar and button command ids.
enum CommandId : int32_t {
    CmdExitProgram = 105,        // posted to end the program (after an update)
    CmdSettings = 1001,
    CmdExit = 1002,
    CmdAbout = 1003,
    CmdReporting = 1004,
    CmdAddFavorite = 1006,
    CmdFavorites = 1007,
    CmdGoToWeb = 1008,
    CmdLogInOut = 1009,          // LOGOUT while signed in, LOGIN while signed out
    CmdCopyLink = 1010,          // also the id of the RECOMMENDED submenu row
    CmdRecommended = 1010,
    CmdOrvFan = 1014,
    CmdCheckUpdate = 1015,
    CmdManageFavorites = 1053,   // last item of the favourites submenu
    CmdFirstFavorite = 2048,     // favourites: 2048 + index
    CmdBrowserBack = 32774,
    CmdBrowserForward = 32807,
    CmdSearchHome = 32778,
    CmdBrowserReload = 32808,
    CmdShowPageView = 32819,
    CmdClosePageView = 32821,
    CmdMyProfile = 32789,
    CmdMessages = 32783,
    CmdMyMedia = 32785,
    CmdEvents = 32782,
    CmdLinks = 32793,
    CmdPokes = 32824,
    CmdVideoSite = 32795,
    CmdShortMessageSite = 32801,
    CmdSearchPage1 = 32802,
    CmdSearchPage2 = 32805,
    CmdWeatherCz = 32822,
    CmdWeatherSk = 32823,
    CmdPublisherSite1 = 32812,
    CmdPublisherSite2 = 32815,
};

// Command codes run by the dispatcher.
enum CommandAction : int32_t {
    ActionNone = 0,
    ActionHome = 1028,
    ActionExit = 1029,
    ActionNothing = 1030,
    ActionLike = 1031,
    ActionBrowserBack = 1032,
    ActionSearchHome = 1033,
    ActionAddFavorite = 1034,
    ActionAddComment = 1035,
    ActionSendMessage = 1036,
    ActionHideUser = 1037,
    ActionMarkCommentsRead = 1038,
    ActionBrowserForward = 1039,
    ActionBrowserReload = 1040,
    ActionPreferences = 1041,
    ActionReporting = 1042,
    ActionAbout = 1043,
    ActionShowUser = 1044,
    ActionUpdateData = 1045,
    ActionMarkAllRead = 1046,
    ActionLogin = 1047,
    ActionLogout = 1048,
    ActionCheckUpdate = 1049,
    ActionShowPageView = 1050,
    ActionClosePageView = 1051,
    ActionNewPosts = 1052,
    ActionCopyLink = 1054,
    ActionStatusUpdate = 1055,
    ActionMute = 1056,
};

// CommandRow flag bits.
constexpr uint32_t RowGoTo = 0x1;          // go-to submenu and browser tab
constexpr uint32_t RowMenuBar = 0x2;       // a menu-bar item
constexpr uint32_t RowSubmenu = 0x4;       // subTable holds the submenu
constexpr uint32_t RowSeparator = 0x8;
constexpr uint32_t RowFavorites = 0x10;    // the favourites submenu
constexpr uint32_t RowSignedIn = 0x20;     // only while signed in
constexpr uint32_t RowSignedOut = 0x40;    // only while signed out

struct CommandRow {
    int32_t id;                    // -1 ends a table
    int32_t action;
    const char16_t* address;       // "/..." is a path on the service's web site; nullptr: none
    const char* key;               // TextTable key; nullptr: none
    const CommandRow* subTable;    // submenu rows (flag 0x4)
    int32_t iconId;                // MENUICONS id of a go-to row
    uint32_t flags;
    const char16_t* language;      // "CZ", "SK", or nullptr for every language
};

extern const CommandRow CommandTable[];

// The rows of the table that end it.
inline bool IsEndRow(const CommandRow& row) { return row.id == -1; }

// The row that handles a command id: searched depth-first (a row's sub-table before
// the row itself), first match; rows limited to the other sign-in state do not match.
const CommandRow* FindCommandRow(int32_t id, bool signedIn);

// A top-level row by id, or nullptr (the tool-bar buttons point at these).
const CommandRow* FindTopLevelRow(int32_t id);

// The full address of a row: a path is joined to the service's web base; other
// addresses are taken as they are; empty when the row has none.
std::u16string CommandRowAddress(const CommandRow& row, std::u16string_view webBase);

// Whether a row applies in a language (its code) — rows without a language always do.
bool RowMatchesLanguage(const CommandRow& row, std::u16string_view languageCode);
