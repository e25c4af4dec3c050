// Shape of the built-in text table: every language carries the same keys in the same
// order, and every translation keeps the placeholders its callers format with.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/text_table.h"

namespace {

// Keys in table order, each once. English lacks the three listed in EnglishGaps.
const std::vector<std::string> KeyOrder = {
    "LOG_AKTUALIZACE", "LOG_READINGUSER", "LOG_BADUPDATE", "LOG_KONECAKTUALIZACE",
    "LOG_HAVETOKEN", "LOG_UPDATENEEDED", "ORV_FIRSTTEXT", "ICON_NONEWVERSION", "MB_BADUPDATE",
    "MB_NOFBACCESS", "LOG_AKTSTREAM", "LOG_AKTSTATUSES", "LOG_AKTNOTICES", "LOG_AKTMESSAGES",
    "STATUS_NEWANDUPDATED", "STATUS_CLICKMESSAGE", "POSTS", "MESSAGES", "NOTIFICATIONS",
    "STATUSES", "INSERTCOMMENT", "COMMENTINSERTED", "READINGCOMMENT", "MENUCOMMENTS",
    "MENULIKES", "AND", "NOTICE", "ISNEWVERSION", "NONEWVERSION", "CHECKINGUPDATE",
    "DOWNLOADINGUPDATE", "UPDATING", "UPDATEINCOMPLETE", "UPDATETOOLARGE", "UPDATENOTPROGRAM",
    "UPDATENOSIGNATURE", "UPDATEBADSIGNATURE", "UPDATEWRITEFAILED", "UPDATESWAPFAILED",
    "UPDATESTARTFAILED", "UPDATEDONE", "MENUPOSTS", "MENUMESSAGES", "MENUNOTIFICATIONS",
    "MENUSTATUSES", "HIDDENFEEDS", "LIKEIT", "YOU", "NEW", "NOREADED", "LINK", "READINGPOST",
    "READINGMESSAGE", "TIME1", "TIME2", "TIME3", "TIME4", "TIME5", "TIME6",
    "READINGUSERSTATUS", "READINGUSERNOFICATIONS", "REPORTS", "NEWANDUP", "READFROMFACEBOOK",
    "ENDOFORV", "STATUSUPDATE", "LOGIN", "MAINPAGE", "COMMENTS", "OPENLINK", "SHOWPOST",
    "NOTICE2", "ITLIKES", "ILIKEIT", "NONEW", "HIDEPOST", "MESSAGES2", "POSTS2", "MYPROFILE",
    "MYMEDIA", "FRIENDS", "PHOTOS", "EVENTS", "QUESTIONS", "NOTES", "GAMES", "LINKS",
    "ADDCOMM", "SENDMSG", "NOLIKE", "READING", "USERWALL", "GETTOKEN", "UPDATEDATA", "ABOUT",
    "GOTO", "PREFS", "LOGOUT", "SETTINGS", "POSTS_NEWANDUPDATED", "REPORTING", "USERSHID",
    "MARKREADED", "HIDEUSER", "SHOWUSER", "NONEWPOSTS", "HIDDENPOSTS", "CLOSE", "ABOUTDONATE",
    "PREFSSAVE", "PREFSCANCEL", "STARTUPRUN", "PREFSOPENW", "PREFSNOTIFY", "PREFSWIDTH",
    "PREFSCOMMENTS", "PREFSLIKESF", "PREFSCOMMENTSF", "CZECHLANG", "ENGLANG", "DELANG",
    "SLOVAKLANG", "PREFSLANG", "ADDCOMMENT", "GOTOLINKINTEXT", "ADDFAV", "OPTIONS", "FACEBOOK",
    "MAINTITLE", "MARKREADEDCOMMS", "FAVORITES", "GOTOWEB", "HELP", "FINDFRIENDS", "NAME",
    "ADRESS", "HIDDENNOTICE", "HIDEAFTER", "MINUTES", "HOURS", "UPDATEAFTER",
    "HIDEDREADEDAFTER", "SETTINGSANDOTHER", "BACK", "FORWARD", "UPDATE", "WEATHER", "YOUTUBE",
    "GOOGLE", "GOOGLEPLUS", "TWITTER", "NEWPOSTS", "RECOMMENDED", "METEOGADGET", "NOTESGADGET",
    "ADDFAVOK", "ORVFAN", "FAVDIALOG", "FAVDIALOGMENU", "DELETE", "ABOUTTEXT", "RECFRIENDS",
    "LOGINTOFB", "COPYLINK", "AKTPROFILEPHOTO", "AKTALBUM", "POSTLINK", "CHECKUPDATE",
    "INSERTSTATUS", "STATUSINSERTED", "STATUSHEADER", "POKES", "NULLSTRING", "MARKNOTICE",
    "MARKNOTICE2", "QUESTION", "NOREADEDCOMMS", "LOG_FAILEDSTEP", "STATUS_UNREACHABLE"};

const std::set<std::string> EnglishGaps = {"HIDDENFEEDS", "METEOGADGET", "NOTESGADGET"};
const std::set<std::string> DoubledKeys = {"POSTS", "SENDMSG", "CLOSE"};

struct Pair {
    std::string key;
    std::u16string text;
};

std::vector<Pair> PairsOf(int language) {
    std::vector<Pair> pairs;
    for (const TextPair* p = TextTable[language].entries; p->key; ++p)
        pairs.push_back({p->key, p->text ? std::u16string(p->text) : std::u16string(u"<null>")});
    return pairs;
}

std::vector<std::string> KeysOf(const std::vector<Pair>& pairs) {
    std::vector<std::string> keys;
    for (const Pair& p : pairs) keys.push_back(p.key);
    return keys;
}

// First text of every key, as the lookup sees it.
std::map<std::string, std::u16string> FirstTexts(int language) {
    std::map<std::string, std::u16string> texts;
    for (const Pair& p : PairsOf(language)) texts.emplace(p.key, p.text);
    return texts;
}

// The conversion letters in order ("ds" for "%d ... %s"); "%%" is a literal and
// anything else after a '%' shows as '?' so that a stray percent sign fails.
std::string Placeholders(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') continue;
        char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        ++i;
        if (next == u'%') continue;
        out += (next == u'd' || next == u's' || next == u'u' || next == u'x')
                   ? static_cast<char>(next) : '?';
    }
    return out;
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '#';
    return out;
}

const char* const Codes[] = {"CZ", "EN", "DE", "SK"};

TEST(TextTableData, RowsNameTheFourLanguagesAndEndWithAnEmptyRow) {
    const char16_t* codes[] = {u"CZ", u"EN", u"DE", u"SK"};
    const char16_t* names[] = {u"Čeština", u"English", u"Deutsch", u"Slovenčina"};
    const uint32_t lcids[] = {0x0405, 0x0409, 0x0407, 0x041B};
    const int32_t chosen[] = {LangCzech, LangEnglish, LangGerman, LangCzech};
    for (int i = 0; i < LanguageCount; ++i) {
        SCOPED_TRACE(Codes[i]);
        ASSERT_NE(TextTable[i].code, nullptr);
        EXPECT_EQ(std::u16string(TextTable[i].code), codes[i]);
        EXPECT_EQ(std::u16string(TextTable[i].displayName), names[i]);
        EXPECT_EQ(TextTable[i].lcid & 0xFFFF, lcids[i]);
        EXPECT_EQ(TextTable[i].indexForLocale, chosen[i]);
        ASSERT_NE(TextTable[i].entries, nullptr);
    }
    EXPECT_EQ(TextTable[LanguageCount].code, nullptr);
}

TEST(TextTableData, PairCounts) {
    EXPECT_EQ(PairsOf(LangCzech).size(), 182u);
    EXPECT_EQ(PairsOf(LangEnglish).size(), 179u);
    EXPECT_EQ(PairsOf(LangGerman).size(), 182u);
    EXPECT_EQ(PairsOf(LangSlovak).size(), 182u);
}

TEST(TextTableData, KeysAreUpperCaseAsciiWords) {
    for (int lang = 0; lang < LanguageCount; ++lang)
        for (const Pair& p : PairsOf(lang)) {
            ASSERT_FALSE(p.key.empty()) << Codes[lang];
            for (char c : p.key)
                EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
                    << Codes[lang] << " key " << p.key;
        }
}

TEST(TextTableData, FirstOccurrencesFollowTheKeyOrder) {
    for (int lang = 0; lang < LanguageCount; ++lang) {
        SCOPED_TRACE(Codes[lang]);
        std::vector<std::string> firsts;
        std::set<std::string> seen;
        for (const Pair& p : PairsOf(lang))
            if (seen.insert(p.key).second) firsts.push_back(p.key);
        std::vector<std::string> expected;
        for (const std::string& k : KeyOrder)
            if (lang != LangEnglish || !EnglishGaps.count(k)) expected.push_back(k);
        EXPECT_EQ(firsts, expected);
    }
}

TEST(TextTableData, OnlyPostsSendmsgAndCloseStandTwice) {
    for (int lang = 0; lang < LanguageCount; ++lang) {
        SCOPED_TRACE(Codes[lang]);
        std::map<std::string, int> count;
        for (const Pair& p : PairsOf(lang)) ++count[p.key];
        for (const auto& [key, n] : count)
            EXPECT_EQ(n, DoubledKeys.count(key) ? 2 : 1) << key;
    }
}

TEST(TextTableData, SecondPairsSitAtTheSamePlaceInEveryLanguage) {
    // The whole key sequence, doubles included, is one and the same; English only
    // leaves out its gaps.
    std::vector<std::string> czech = KeysOf(PairsOf(LangCzech));
    EXPECT_EQ(KeysOf(PairsOf(LangGerman)), czech);
    EXPECT_EQ(KeysOf(PairsOf(LangSlovak)), czech);
    std::vector<std::string> withoutGaps;
    for (const std::string& k : czech)
        if (!EnglishGaps.count(k)) withoutGaps.push_back(k);
    EXPECT_EQ(KeysOf(PairsOf(LangEnglish)), withoutGaps);
}

TEST(TextTableData, FirstPostsIsTheCounterAndTheSecondThePlainHeading) {
    for (int lang = 0; lang < LanguageCount; ++lang) {
        SCOPED_TRACE(Codes[lang]);
        std::vector<std::u16string> posts;
        for (const Pair& p : PairsOf(lang))
            if (p.key == "POSTS") posts.push_back(p.text);
        ASSERT_EQ(posts.size(), 2u);
        EXPECT_EQ(Placeholders(posts[0]), "d");
        EXPECT_EQ(Placeholders(posts[1]), "");
        // The plain heading reads like the posts section of the menus.
        EXPECT_EQ(posts[1], FirstTexts(lang).at("POSTS2"));
    }
}

TEST(TextTableData, PlaceholdersMatchInEveryLanguage) {
    std::map<std::string, std::u16string> reference = FirstTexts(LangCzech);
    for (int lang = 0; lang < LanguageCount; ++lang) {
        SCOPED_TRACE(Codes[lang]);
        for (const auto& [key, text] : FirstTexts(lang)) {
            EXPECT_EQ(Placeholders(text).find('?'), std::string::npos)
                << key << ": stray '%' in \"" << Narrow(text) << "\"";
            EXPECT_EQ(Placeholders(text), Placeholders(reference.at(key)))
                << key << ": \"" << Narrow(text) << "\"";
        }
    }
}

TEST(TextTableData, LineBreaksMatchInEveryLanguage) {
    auto breaks = [](const std::u16string& t) {
        size_t n = 0;
        for (char16_t c : t) n += c == u'\n';
        return n;
    };
    std::map<std::string, std::u16string> english = FirstTexts(LangEnglish);
    for (int lang = 0; lang < LanguageCount; ++lang)
        for (const auto& [key, text] : FirstTexts(lang))
            if (english.count(key)) {
                EXPECT_EQ(breaks(text), breaks(english.at(key))) << Codes[lang] << " " << key;
            }
}

TEST(TextTableData, NoTextIsEmptyButNullstring) {
    for (int lang = 0; lang < LanguageCount; ++lang) {
        for (const TextPair* p = TextTable[lang].entries; p->key; ++p) {
            ASSERT_NE(p->text, nullptr) << Codes[lang] << " " << p->key;
            if (std::strcmp(p->key, "NULLSTRING") == 0)
                EXPECT_EQ(p->text[0], u'\0') << Codes[lang];
            else
                EXPECT_NE(p->text[0], u'\0') << Codes[lang] << " " << p->key;
        }
    }
}

TEST(TextTableData, LanguageNamesAreTheSameInEveryLanguage) {
    const char* keys[] = {"CZECHLANG", "ENGLANG", "DELANG", "SLOVAKLANG"};
    for (int lang = 0; lang < LanguageCount; ++lang) {
        std::map<std::string, std::u16string> texts = FirstTexts(lang);
        for (int i = 0; i < LanguageCount; ++i)
            EXPECT_EQ(texts.at(keys[i]), std::u16string(TextTable[i].displayName))
                << Codes[lang] << " " << keys[i];
    }
}

TEST(TextTableData, TranslationsDifferFromEnglish) {
    // A text equal to the English one is an untranslated row, unless it is a name,
    // a number format or a word the languages share.
    const std::set<std::string> shared = {
        "MENUPOSTS", "MENUSTATUSES", "NOREADEDCOMMS", "PREFSSAVE", "FACEBOOK", "YOUTUBE",
        "GOOGLE", "GOOGLEPLUS", "TWITTER", "CZECHLANG", "ENGLANG", "DELANG", "SLOVAKLANG",
        "NULLSTRING", "NAME"};
    std::map<std::string, std::u16string> english = FirstTexts(LangEnglish);
    for (int lang : {LangCzech, LangGerman, LangSlovak})
        for (const auto& [key, text] : FirstTexts(lang))
            if (english.count(key) && !shared.count(key)) {
                EXPECT_NE(text, english.at(key)) << Codes[lang] << " " << key;
            }
}

TEST(TextTableData, EveryLanguageNamesTheDownloadAddressInTheFailedUpdateMessage) {
    const std::u16string address = u"http://www.orv-app.net/download/Orv.exe";
    for (int lang = 0; lang < LanguageCount; ++lang)
        EXPECT_NE(FirstTexts(lang).at("MB_BADUPDATE").find(address), std::u16string::npos)
            << Codes[lang];
}

TEST(TextTableData, EnglishTextsAreTheProgramsOwnWording) {
    const std::map<std::string, std::u16string> quoted = {
        {"LOG_AKTUALIZACE", u"Updating data from Facebook"},
        {"LOG_READINGUSER", u"Reading logged user"},
        {"LOG_BADUPDATE", u"Update not sucessfull"},
        {"LOG_KONECAKTUALIZACE", u"End of update from Facebook"},
        {"LOG_HAVETOKEN", u"Obtained access token"},
        {"LOG_UPDATENEEDED", u"Update of Orv needed"},
        {"LOG_AKTSTREAM", u"Reading stream"},
        {"LOG_AKTSTATUSES", u"Reading status updates"},
        {"LOG_AKTNOTICES", u"Reading notices"},
        {"LOG_AKTMESSAGES", u"Reading messages"},
        {"MB_NOFBACCESS",
         u"No access to your Facebook account,\nWill be active only the main program window Orv."},
        {"MB_BADUPDATE",
         u"Automatic update failed.\nUpdate the latest version of Orv from "
         u"http://www.orv-app.net/download/Orv.exe\n and save it to a directory with the "
         u"program Orv. For Windows Vista it is necessary for the proper functioning set of "
         u"directories in the menu Orv Properties, Security tab, and full control here."},
        {"ISNEWVERSION",
         u"There is a new version of the Orv - build %d\nTo full and correct functionality is "
         u"required update.\nUpdate Orv program now?"},
        {"STATUS_NEWANDUPDATED", u"New and updated"},
        {"STATUS_CLICKMESSAGE", u"Please click for list of new or updated posts or messages"},
        {"POSTS", u"Posts: %d"},
        {"MESSAGES", u"Messages: %d"},
        {"NOTIFICATIONS", u"Notifications: %d"},
        {"STATUSES", u"Status : %d"},
        {"MENUPOSTS", u"P: %d"},
        {"MENUMESSAGES", u"M: %d"},
        {"MENUNOTIFICATIONS", u"N: %d"},
        {"MENUSTATUSES", u"S: %d"},
        {"MENUCOMMENTS", u"%d%s comments · "},
        {"MENULIKES", u"%d likes · "},
        {"NOREADEDCOMMS", u"/%d"},
        {"AND", u" and "},
        {"NOTICE", u"Orv - notice"},
        {"READINGCOMMENT", u"Reading comment from user %s"},
        {"READINGPOST", u"Reading post from user %s"},
        {"READINGMESSAGE", u"Reading message from user %s"},
        {"READINGUSERSTATUS", u"Reading status of user %s"},
        {"READINGUSERNOFICATIONS", u"Reading notifications from user %s"},
        {"TIME1", u"%d second ago"},
        {"TIME2", u"one minute ago"},
        {"TIME3", u"%d minutes ago"},
        {"TIME4", u"an hour ago"},
        {"TIME5", u"%d hours ago"},
        {"TIME6", u"yesterday"},
        {"USERWALL", u"Profile of %s"},
        {"HIDEUSER", u"Hide posts of %s"},
        {"SHOWUSER", u"Show posts of %s"},
        {"AKTPROFILEPHOTO", u"%s updated his introductory photo"},
        {"AKTALBUM", u"%s added photos to album %s"},
        {"POSTLINK", u"%s added link to %s"},
        {"QUESTION", u"%s posed the question"},
        {"REPORTS", u"Reports"},
        {"NEWANDUP", u"New and updated"},
        {"NONEW", u"Nothing new"},
        {"NONEWPOSTS", u"No new posts yet"},
        {"MAINTITLE", u"Orv - Facebook Interface"},
        {"NULLSTRING", u""},
        // Wording the menus, dialogs and messages rely on.
        {"ICON_NONEWVERSION", u"Not found newer version of Orv"},
        {"NONEWVERSION", u"No new version to update"},
        {"CHECKINGUPDATE", u"Checking new version of Orv"},
        {"DOWNLOADINGUPDATE", u"Update is downloading. Please wait."},
        {"UPDATING", u"Updating Orv"},
        {"INSERTCOMMENT", u"Insert comment to feed"},
        {"COMMENTINSERTED", u"Your comment was added"},
        {"STATUSINSERTED", u"Your status was inserted"},
        {"LIKEIT", u" like · "},
        {"YOU", u"You"},
        {"NEW", u"new"},
        {"NOREADED", u"no readed"},
        {"LINK", u"link · "},
        {"COMMENTS", u"Comments"},
        {"ITLIKES", u"It likes"},
        {"ILIKEIT", u"Like"},
        {"NOLIKE", u"I don't like it"},
        {"ADDCOMM", u"Add comment"},
        {"ADDCOMMENT", u"Insert comment"},
        {"ENDOFORV", u"Quit Orv"},
        {"MAINPAGE", u"Home"},
        {"RECFRIENDS", u"Recent users"},
        {"GOTO", u"Go to ..."},
        {"PREFS", u"Settings"},
        {"REPORTING", u"Reporting and program status"},
        {"ABOUT", u"About"},
        {"ADDFAV", u"Add to favorite sites"},
        {"ADDFAVOK", u"Add to favorites"},
        {"FAVDIALOG", u"Favorite sites"},
        {"FAVDIALOGMENU", u"Manage favorite sites"},
        {"DELETE", u"Delete"},
        {"CLOSE", u"Close"},
        {"INSERTSTATUS", u"Update"},
        {"STATUSHEADER", u"Update status"},
        {"PREFSSAVE", u"OK"},
        {"PREFSCANCEL", u"Cancel"},
        {"STARTUPRUN", u"Run on Windows startup"},
        {"PREFSCOMMENTS", u"Sort comments time descending"},
        {"PREFSLIKESF", u"Reads and show likes from friends only"},
        {"PREFSCOMMENTSF", u"Reads and show comments from friends only"},
        {"HIDEDREADEDAFTER", u"Hide readed posts after"},
        {"USERSHID", u"Users with hidden posts"},
        {"MARKREADED", u"Mark all as readed"},
        {"MARKREADEDCOMMS", u"Mark all comments as readed"},
        {"MARKNOTICE", u"Do not complain to post updates"},
        {"MARKNOTICE2", u"Notify me on updates of this post"},
        {"LOGINTOFB", u"Please login to Facebook"},
        {"HIDDENPOSTS", u"hidden posts"},
    };
    std::map<std::string, std::u16string> english = FirstTexts(LangEnglish);
    for (const auto& [key, text] : quoted) {
        ASSERT_TRUE(english.count(key)) << key;
        EXPECT_EQ(english.at(key), text) << key << ": \"" << Narrow(english.at(key)) << "\"";
    }
}

}  // namespace
