#include <gtest/gtest.h>

#include "base/format_text.h"
#include "base/settings.h"
#include "base/text_table.h"
#include "ui/colour_scheme.h"
#include "ui/command_table.h"
#include "ui/menu_bar.h"

namespace {

std::vector<std::u16string> Texts(const Menu& menu) {
    std::vector<std::u16string> out;
    for (auto& e : menu.entries()) out.push_back(e.kind == MenuEntryKind::Separator ? u"-" : e.text);
    return out;
}

const Menu* Submenu(const Menu& bar, std::u16string_view text) {
    for (auto& e : bar.entries())
        if (e.text == text) return e.submenu.get();
    return nullptr;
}

class MenuBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppSettings;
        AppSettings.language = LangEnglish;
    }
    void TearDown() override { AppSettings = saved_; }
    Settings saved_;
};

TEST_F(MenuBarTest, SignedOutEnglishShowsLoginAndNoRecommendations) {
    MenuPtr bar = BuildMenuBar(CommandTable, {false, u"EN", {}});
    ASSERT_TRUE(bar);
    EXPECT_EQ(Texts(*bar), (std::vector<std::u16string>{u"Options", u"Help"}));
    const Menu* options = Submenu(*bar, u"Options");
    ASSERT_TRUE(options);
    EXPECT_EQ(Texts(*options), (std::vector<std::u16string>{u"Settings ...", u"Reporting and program status",
                                                            u"Add to favorite sites", u"Copy link", u"-", u"Login",
                                                            u"Quit Orv"}));
    EXPECT_EQ(options->entries()[5].id, 1009u);
    const Menu* help = Submenu(*bar, u"Help");
    ASSERT_TRUE(help);
    EXPECT_EQ(Texts(*help), (std::vector<std::u16string>{u"About", u"Orv web site", u"Orv on Facebook", u"-",
                                                         u"Check for update"}));
    EXPECT_EQ(help->entries()[4].id, 1015u);
}

TEST_F(MenuBarTest, SignedInShowsLogoutAndCzechGetsItsRecommendations) {
    AppSettings.language = LangCzech;
    MenuPtr bar = BuildMenuBar(CommandTable, {true, u"CZ", {}});
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->size(), 3u);
    const Menu* options = bar->entries()[0].submenu.get();
    EXPECT_EQ(options->entries()[5].text, LookupText("LOGOUT"));
    const Menu* recommended = bar->entries()[1].submenu.get();
    ASSERT_TRUE(recommended);
    EXPECT_EQ(bar->entries()[1].text, LookupText("RECOMMENDED"));
    EXPECT_EQ(Texts(*recommended),
              (std::vector<std::u16string>{LookupText("METEOGADGET"), LookupText("NOTESGADGET")}));
    // German has the texts but the rows are limited to Czech and Slovak.
    AppSettings.language = LangGerman;
    EXPECT_EQ(BuildMenuBar(CommandTable, {true, u"DE", {}})->size(), 2u);
}

TEST_F(MenuBarTest, EmptyTableGivesNoMenu) {
    const CommandRow onlyGoTo[] = {
        {0, 0, u"/", "FACEBOOK", nullptr, 137, RowGoTo, nullptr},
        {-1, 0, nullptr, nullptr, nullptr, 0, 0, nullptr},
    };
    EXPECT_EQ(BuildMenuBar(onlyGoTo, {true, u"EN", {}}), nullptr);
}

TEST_F(MenuBarTest, FavouritesMenuListsTitlesThenTheManageItem) {
    EXPECT_EQ(BuildFavoritesMenuFrom({}), nullptr);
    MenuPtr menu = BuildFavoritesMenuFrom({u"News", u"Weather"});
    ASSERT_TRUE(menu);
    EXPECT_EQ(Texts(*menu), (std::vector<std::u16string>{u"News", u"Weather", u"-", u"Manage favorite sites"}));
    EXPECT_EQ(menu->entries()[0].id, 2048u);
    EXPECT_EQ(menu->entries()[1].id, 2049u);
    EXPECT_EQ(menu->entries()[3].id, 1053u);
}

TEST_F(MenuBarTest, LongFavouriteListsAreGroupedAndStayBelowTheCommandIds) {
    auto titles = [](size_t count) {
        std::vector<std::u16string> out;
        for (size_t i = 0; i < count; ++i) out.push_back(u"F" + AsciiToUtf16(std::to_string(i)));
        return out;
    };
    // Exactly one menu's worth stays flat.
    EXPECT_EQ(BuildFavoritesMenuFrom(titles(100))->size(), 102u);
    MenuPtr menu = BuildFavoritesMenuFrom(titles(250));
    EXPECT_EQ(Texts(*menu), (std::vector<std::u16string>{u"1\u2013100", u"101\u2013200", u"201\u2013250", u"-",
                                                          u"Manage favorite sites"}));
    const Menu& last = *menu->entries()[2].submenu;
    ASSERT_EQ(last.size(), 50u);
    EXPECT_EQ(last.entries()[0].text, u"F200");
    EXPECT_EQ(last.entries()[0].id, 2048u + 200);
    // Past the limit of ids: two levels, every menu at most 100 entries, the last
    // favourite shown is the one whose id comes just below the commands.
    MenuPtr big = BuildFavoritesMenuFrom(titles(40000));
    ASSERT_EQ(big->size(), 4u + 2);
    EXPECT_EQ(big->entries()[3].text, u"30001\u201330720");
    const Menu* deepest = big->entries()[3].submenu.get();
    EXPECT_EQ(deepest->size(), 8u);
    deepest = deepest->entries().back().submenu.get();
    EXPECT_EQ(deepest->entries().back().text, u"F30719");
    EXPECT_EQ(deepest->entries().back().id, 2048u + 30719);
    EXPECT_LT(deepest->entries().back().id, static_cast<uint32_t>(CmdBrowserBack));
}

TEST(CommandTableTest, RowsAreFoundDepthFirstForTheSignInState) {
    const CommandRow* logout = FindCommandRow(1009, true);
    const CommandRow* login = FindCommandRow(1009, false);
    ASSERT_TRUE(logout && login);
    EXPECT_EQ(logout->action, ActionLogout);
    EXPECT_EQ(login->action, ActionLogin);
    // 1010 is both the copy command and the recommendations row: the sub-table wins.
    EXPECT_EQ(FindCommandRow(1010, true)->action, ActionCopyLink);
    EXPECT_EQ(FindCommandRow(32774, false)->action, ActionBrowserBack);
    EXPECT_EQ(FindCommandRow(1002, false)->action, ActionExit);
    EXPECT_EQ(FindCommandRow(2048, true), nullptr);
    EXPECT_EQ(FindCommandRow(0, true), nullptr);
    EXPECT_EQ(FindCommandRow(0x18009, true), nullptr);
}

TEST(CommandTableTest, GoToRowsInOrderAndTheirAddresses) {
    std::vector<std::string> keys;
    for (const CommandRow* row = CommandTable; !IsEndRow(*row); ++row)
        if (row->flags & RowGoTo) keys.push_back(row->key);
    EXPECT_EQ(keys, (std::vector<std::string>{"FACEBOOK", "MYPROFILE", "MESSAGES2", "MYMEDIA", "PHOTOS", "EVENTS",
                                              "LINKS", "POKES"}));
    EXPECT_EQ(CommandRowAddress(*FindTopLevelRow(32783), u"http://127.0.0.1:8080/"), u"http://127.0.0.1:8080/messages");
    EXPECT_EQ(CommandRowAddress(*FindTopLevelRow(32795), u"http://127.0.0.1:8080"), u"http://www.youtube.com/");
    EXPECT_EQ(CommandRowAddress(*FindTopLevelRow(32774), u"http://h"), u"");
    EXPECT_TRUE(RowMatchesLanguage(*FindTopLevelRow(32822), u"CZ"));
    EXPECT_FALSE(RowMatchesLanguage(*FindTopLevelRow(32822), u"SK"));
    for (int32_t id : {32795, 32801, 32802, 32805, 32822, 32823, 32812, 32815})
        EXPECT_TRUE(FindTopLevelRow(id) && FindTopLevelRow(id)->address) << id;
}

// ---- Gradients ----

uint32_t Pixel(const GradientPixels& g, int32_t x, int32_t row) {
    const uint8_t* p = &g.bits[(static_cast<size_t>(row) * g.width + x) * 3];
    return MakeColour(p[2], p[1], p[0]);
}

TEST(GradientTest, WidthIsRoundedUpToThirtyTwo) {
    EXPECT_EQ(MakeGradientPixels(0, 1, 2, 0, false).width, 32);
    EXPECT_EQ(MakeGradientPixels(0, 32, 2, 0, false).width, 32);
    EXPECT_EQ(MakeGradientPixels(0, 33, 2, 0, false).width, 64);
    EXPECT_EQ(MakeGradientPixels(0, 33, 2, 0, false).bits.size(), 64u * 3 * 2);
    EXPECT_TRUE(MakeGradientPixels(0, 0, 5, 0, false).bits.empty());
    EXPECT_TRUE(MakeGradientPixels(0, 5, -1, 0, true).bits.empty());
}

TEST(GradientTest, HorizontalStepsPerColumnOverTheRoundedWidth) {
    // Red 0 -> 64 over 32 columns: 2 a column; blue 255 -> 0: -7.96875 a column.
    GradientPixels g = MakeGradientPixels(MakeColour(0, 10, 255), 20, 3, MakeColour(64, 10, 0), false);
    EXPECT_EQ(Pixel(g, 0, 0), MakeColour(0, 10, 255));
    EXPECT_EQ(Pixel(g, 1, 0), MakeColour(2, 10, 247));   // floor(247.03)
    EXPECT_EQ(Pixel(g, 31, 0), MakeColour(62, 10, 7));   // floor(7.97): never quite reaches the end
    EXPECT_EQ(Pixel(g, 31, 2), Pixel(g, 31, 0));
    EXPECT_EQ(g.bits[0], 255);  // blue first in memory
}

TEST(GradientTest, VerticalStartsAtTheFirstStoredRow) {
    GradientPixels g = MakeGradientPixels(0xFFFFFF, 40, 4, 0xE0DBD9, true);
    EXPECT_EQ(Pixel(g, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Pixel(g, 63, 0), 0xFFFFFFu);
    // (0xD9 - 0xFF) / 4 = -9.5 for red: 245.5, 236, 226.5
    EXPECT_EQ(ColourRed(Pixel(g, 5, 1)), 245u);
    EXPECT_EQ(ColourRed(Pixel(g, 5, 3)), 226u);
    EXPECT_EQ(ColourBlue(Pixel(g, 5, 3)), 231u);  // 255 - 3 x 7.75 = 231.75
}

TEST(ColourSchemeTest, SettingSelectsTheRowWithLargeValuesActingAsTheLast) {
    EXPECT_EQ(SchemeFor(0).mode, 2);
    EXPECT_EQ(SchemeFor(1).background2, 0xE0DBD9u);
    EXPECT_EQ(SchemeFor(2).highlight2, 0x617AF8u);
    EXPECT_EQ(SchemeFor(7).mode, 0);
    EXPECT_EQ(SchemeFor(-3).mode, 2);
    EXPECT_EQ(SchemeFor(1).new2, 0xC4EAD6u);
    EXPECT_EQ(SchemeFor(0).header2, 0x9B7B62u);
}

TEST(ColourSchemeTest, HighlightTextFallsBackWhenItCannotBeRead) {
    EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(0x777777, 0x777777), 1.0, 0.001);
    // White on a dark blue stays white; on the pale highlights of the schemes it does not.
    EXPECT_EQ(ReadableTextColour(0xFFFFFF, 0, 0x800000, 0x600000), 0xFFFFFFu);
    for (int32_t s = 0; s < ColourSchemeCount; ++s)
        EXPECT_EQ(ReadableTextColour(SchemeFor(s).highlightText, 0, SchemeFor(s).highlight1, SchemeFor(s).highlight2),
                  0u)
            << s;
}

}  // namespace
