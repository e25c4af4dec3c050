#include "ui/command_table.h"

namespace {

constexpr CommandRow End = {-1, 0, nullptr, nullptr, nullptr, 0, 0, nullptr};

const CommandRow OptionsRows[] = {
    {CmdSettings, ActionPreferences, nullptr, "SETTINGS", nullptr, 0, RowMenuBar, nullptr},
    {CmdReporting, ActionReporting, nullptr, "REPORTING", nullptr, 0, RowMenuBar, nullptr},
    {CmdAddFavorite, ActionAddFavorite, nullptr, "ADDFAV", nullptr, 0, RowMenuBar, nullptr},
    {CmdCopyLink, ActionCopyLink, nullptr, "COPYLINK", nullptr, 0, RowMenuBar, nullptr},
    {0, 0, nullptr, nullptr, nullptr, 0, RowMenuBar | RowSeparator, nullptr},
    {CmdLogInOut, ActionLogout, nullptr, "LOGOUT", nullptr, 0, RowMenuBar | RowSignedIn, nullptr},
    {CmdLogInOut, ActionLogin, nullptr, "LOGIN", nullptr, 0, RowMenuBar | RowSignedOut, nullptr},
    {CmdExit, ActionExit, nullptr, "ENDOFORV", nullptr, 0, RowMenuBar, nullptr},
    End,
};

// The publisher's other programs, offered in the languages they are made for.
const CommandRow RecommendedRows[] = {
    {1011, 0, u"http://www.orv-app.net/meteo/", "METEOGADGET", nullptr, 0, RowMenuBar, u"CZ"},
    {1011, 0, u"http://www.orv-app.net/meteo/", "METEOGADGET", nullptr, 0, RowMenuBar, u"SK"},
    {1012, 0, u"http://www.orv-app.net/notes/", "NOTESGADGET", nullptr, 0, RowMenuBar, u"CZ"},
    {1012, 0, u"http://www.orv-app.net/notes/", "NOTESGADGET", nullptr, 0, RowMenuBar, u"SK"},
    End,
};

const CommandRow HelpRows[] = {
    {CmdAbout, ActionAbout, nullptr, "ABOUT", nullptr, 0, RowMenuBar, nullptr},
    {CmdGoToWeb, 0, u"http://www.orv-app.net/", "GOTOWEB", nullptr, 0, RowMenuBar, nullptr},
    {CmdOrvFan, 0, u"/orvapp", "ORVFAN", nullptr, 0, RowMenuBar, nullptr},
    {0, 0, nullptr, nullptr, nullptr, 0, RowMenuBar | RowSeparator, nullptr},
    {CmdCheckUpdate, ActionCheckUpdate, nullptr, "CHECKUPDATE", nullptr, 0, RowMenuBar, nullptr},
    End,
};

}  // namespace

const CommandRow CommandTable[] = {
    {0, 0, nullptr, "OPTIONS", OptionsRows, 0, RowSubmenu, nullptr},
    {CmdFavorites, 0, nullptr, "FAVORITES", nullptr, 0, RowFavorites, nullptr},
    {CmdRecommended, 0, nullptr, "RECOMMENDED", RecommendedRows, 0, RowSubmenu, nullptr},
    {0, 0, nullptr, "HELP", HelpRows, 0, RowSubmenu, nullptr},
    {0, 0, u"/", "FACEBOOK", nullptr, 137, RowGoTo, nullptr},
    {CmdBrowserBack, ActionBrowserBack, nullptr, nullptr, nullptr, 0, 0, nullptr},
    {CmdBrowserForward, ActionBrowserForward, nullptr, nullptr, nullptr, 0, 0, nullptr},
    {CmdSearchHome, ActionSearchHome, nullptr, nullptr, nullptr, 0, 0, nullptr},
    {CmdBrowserReload, ActionBrowserReload, nullptr, nullptr, nullptr, 0, 0, nullptr},
    {CmdShowPageView, ActionShowPageView, nullptr, nullptr, nullptr, 0, 0, nullptr},
    {CmdClosePageView, ActionClosePageView, nullptr, nullptr, nullptr, 0, 0, nullptr},
    {CmdMyProfile, 0, u"/profile.php", "MYPROFILE", nullptr, 147, RowGoTo, nullptr},
    {CmdMessages, 0, u"/messages", "MESSAGES2", nullptr, 144, RowGoTo, nullptr},
    {CmdMyMedia, 0, u"/?sk=media", "MYMEDIA", nullptr, 136, RowGoTo, nullptr},
    {0, 0, u"/home.php?sk=app_2305272732_2392950137", "PHOTOS", nullptr, 183, RowGoTo, nullptr},
    {CmdEvents, 0, u"/?sk=events", "EVENTS", nullptr, 151, RowGoTo, nullptr},
    {CmdLinks, 0, u"/posted.php?ref=bookmarks&count=0", "LINKS", nullptr, 150, RowGoTo, nullptr},
    {CmdPokes, 0, u"/pokes", "POKES", nullptr, 141, RowGoTo, nullptr},
    {CmdVideoSite, 0, u"http://www.youtube.com/", nullptr, nullptr, 0, 0, nullptr},
    {CmdShortMessageSite, 0, u"http://twitter.com/", nullptr, nullptr, 0, 0, nullptr},
    {CmdSearchPage1, 0, u"https://plus.google.com/", nullptr, nullptr, 0, 0, nullptr},
    {CmdSearchPage2, 0, u"http://www.google.com/", nullptr, nullptr, 0, 0, nullptr},
    {CmdWeatherCz, 0, u"http://www.chmi.cz/", nullptr, nullptr, 0, 0, u"CZ"},
    {CmdWeatherSk, 0, u"http://www.shmu.sk/", nullptr, nullptr, 0, 0, u"SK"},
    {CmdPublisherSite1, 0, u"http://www.orv-app.net/meteo/", nullptr, nullptr, 0, 0, nullptr},
    {CmdPublisherSite2, 0, u"http://www.orv-app.net/notes/", nullptr, nullptr, 0, 0, nullptr},
    End,
};

namespace {

bool MatchesSignIn(const CommandRow& row, bool signedIn) {
    if ((row.flags & RowSignedIn) && !signedIn) return false;
    if ((row.flags & RowSignedOut) && signedIn) return false;
    return true;
}

const CommandRow* FindIn(const CommandRow* table, int32_t id, bool signedIn, int depth) {
    if (!table || depth > 8) return nullptr;
    for (const CommandRow* row = table; !IsEndRow(*row); ++row) {
        if (const CommandRow* inner = FindIn(row->subTable, id, signedIn, depth + 1)) return inner;
        if (row->id == id && MatchesSignIn(*row, signedIn)) return row;
    }
    return nullptr;
}

}  // namespace

const CommandRow* FindCommandRow(int32_t id, bool signedIn) {
    if (id <= 0 || id > 0xFFFF) return nullptr;
    return FindIn(CommandTable, id, signedIn, 0);
}

const CommandRow* FindTopLevelRow(int32_t id) {
    for (const CommandRow* row = CommandTable; !IsEndRow(*row); ++row)
        if (row->id == id && id != 0) return row;
    return nullptr;
}

std::u16string CommandRowAddress(const CommandRow& row, std::u16string_view webBase) {
    if (!row.address) return {};
    std::u16string_view address(row.address);
    if (!address.empty() && address.front() == u'/') {
        std::u16string full(webBase);
        while (!full.empty() && full.back() == u'/') full.pop_back();
        full.append(address);
        return full;
    }
    return std::u16string(address);
}

bool RowMatchesLanguage(const CommandRow& row, std::u16string_view languageCode) {
    return !row.language || languageCode == row.language;
}
