#include <gtest/gtest.h>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/settings.h"
#include "base/text_table.h"
#include "menu_canvas_fakes.h"
#include "store/data_store.h"
#include "ui/menu_choice.h"
#include "ui/menu_model.h"

namespace {

class MenuModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppSettings;
        AppSettings.language = LangEnglish;
        SetMeasuringCanvas(&canvas_);
    }
    void TearDown() override {
        SetMeasuringCanvas(nullptr);
        SetMenuChoiceHooks({});
        AppSettings = saved_;
    }
    Settings saved_;
    RecordingCanvas canvas_;
    DataStore store_;
    PopupSession session_{store_};
};

TEST_F(MenuModelTest, CommandIdsCountEveryNodeTextsIncluded) {
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(0);
    tmpl.text = session_.keep(u"first");
    MenuItemData* a = AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, 0);
    tmpl.text = session_.keep(u"second");
    tmpl.link = session_.keep(u"http://x/");
    MenuItemData* b = AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, 0);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->commandId, 1u | POPUP_ITEM_BIT);
    EXPECT_EQ(b->commandId, 4u | POPUP_ITEM_BIT);
    EXPECT_EQ(menu.entries()[1].id, b->commandId);
    // Only the low 16 bits select the node.
    EXPECT_EQ(session_.resolve(b->commandId), b);
    EXPECT_EQ(session_.resolve(0xABCD0004u), b);
    EXPECT_EQ(session_.resolve(0x80000u | 2u), nullptr);  // a text node
    EXPECT_EQ(session_.resolve(0x80000u | 99u), nullptr);
    const uint32_t id = b->commandId;
    const uint32_t firstId = a->commandId;
    EXPECT_EQ(session_.find(firstId, a), a);
    EXPECT_EQ(session_.find(firstId, b), nullptr);  // item data of another item
    session_.clear();  // frees a and b: only their ids may be used below
    EXPECT_EQ(session_.resolve(id), nullptr);
    EXPECT_EQ(session_.find(firstId, a), nullptr);
}

TEST_F(MenuModelTest, FirstItemHoldsTheMenuWidthAndGrowsWithWiderTexts) {
    Menu menu;
    MenuItemData tmpl{};
    tmpl.text = u"short";
    MenuItemData* first = AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->menuWidth, 230);
    EXPECT_EQ(first->menuWidthRef, &first->menuWidth);
    tmpl.text = std::u16string_view(u"a text of forty-one characters, quite long");  // 42 x 6 px
    MenuItemData* second = AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, 0);
    EXPECT_EQ(second->measured.right, 252);
    EXPECT_EQ(first->menuWidth, 252);
    EXPECT_EQ(second->menuWidthRef, &first->menuWidth);
    tmpl.text = u"narrow again";
    MenuItemData* third = AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, 0);
    EXPECT_EQ(*third->menuWidthRef, 252);
}

TEST_F(MenuModelTest, TemplateWidthIsKeptByItemsButForcedTo230BySubmenus) {
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(64);
    tmpl.text = u"Go";
    MenuItemData* item = AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, 0);
    EXPECT_EQ(item->menuWidth, 64);

    Menu other;
    MenuItemData sub = MakeItemTemplate(64);
    sub.text = u"Go";
    MenuItemData* row = AddSubmenuItem(session_, nullptr, &other, sub, CreateMenuModel(), 0);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->menuWidth, 230);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_TRUE(other.entries()[0].submenu);
}

TEST_F(MenuModelTest, SubmenuItemWithoutSubmenuAddsNothing) {
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(0);
    tmpl.text = u"kept";
    EXPECT_EQ(AddSubmenuItem(session_, &Styles::Posts2, &menu, tmpl, nullptr, 0), nullptr);
    EXPECT_TRUE(menu.empty());
    EXPECT_TRUE(session_.empty());
    EXPECT_EQ(tmpl.text, u"kept");
}

TEST_F(MenuModelTest, StylesGiveTextIconDividerAndDisabledState) {
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(0);
    MenuItemData* title = AddMenuItem(session_, &menu, &Styles::MainTitle, tmpl, 0, -1, 0);
    EXPECT_EQ(title->text, u"Orv - Facebook Interface");
    EXPECT_EQ(title->divider, 1);
    EXPECT_TRUE(menu.entries()[0].disabled);

    tmpl.divider = 1;  // a style without 0x800 clears it
    tmpl.text = u"Own text";
    MenuItemData* quit = AddMenuItem(session_, &menu, &Styles::EndOfOrv, tmpl, 1029, -1, 0);
    EXPECT_EQ(quit->text, u"Own text");
    EXPECT_EQ(quit->iconId, 131);
    EXPECT_EQ(quit->divider, 0);
    EXPECT_EQ(quit->action, 1029);
    EXPECT_FALSE(menu.entries()[1].disabled);

    MenuItemData* note = AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, ItemDisabled);
    EXPECT_TRUE(menu.entries()[2].disabled);
    EXPECT_EQ(note->itemFlags, ItemDisabled);

    MenuItemData* separator = AddMenuItem(session_, &menu, &Styles::Separator, tmpl, 0, -1, 0);
    EXPECT_TRUE(separator->text.empty());

    // A submenu item takes neither the divider nor the disabled state from its style.
    tmpl.divider = 1;
    MenuItemData* header = AddSubmenuItem(session_, &Styles::Posts2Header, &menu, tmpl, CreateMenuModel(), ItemDisabled);
    EXPECT_EQ(header->divider, 1);
    EXPECT_EQ(header->text, u"Posts");
    EXPECT_FALSE(menu.entries()[4].disabled);
}

TEST_F(MenuModelTest, ItemsAndSubmenusMeasureWithTheirOwnFormats) {
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(0);
    tmpl.text = u"A & B";
    AddMenuItem(session_, &menu, nullptr, tmpl, 0, -1, 0);
    ASSERT_FALSE(canvas_.formats.empty());
    EXPECT_EQ(canvas_.formats.back(), TextCalcRect | TextExpandTabs | TextNoPrefix);
    canvas_.formats.clear();
    tmpl.text = u"A & B";
    AddSubmenuItem(session_, nullptr, &menu, tmpl, CreateMenuModel(), 0);
    ASSERT_FALSE(canvas_.formats.empty());
    EXPECT_EQ(canvas_.formats.back(), TextCalcRect | TextExpandTabs);
}

TEST_F(MenuModelTest, PositionsInsertAtTopAtPlaceOrAppend) {
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(0);
    auto add = [&](const char16_t* text, int32_t position) {
        tmpl.text = text;
        AddMenuItem(session_, &menu, nullptr, tmpl, 0, position, 0);
    };
    add(u"row1", -1);
    add(u"row2", -1);
    add(u"header", 0);
    add(u"mark", 1);
    add(u"separator", 2);
    add(u"tail", 40);
    std::vector<std::u16string> order;
    for (auto& e : menu.entries()) order.emplace_back(e.data->text);
    EXPECT_EQ(order, (std::vector<std::u16string>{u"header", u"mark", u"separator", u"row1", u"row2", u"tail"}));
}

TEST_F(MenuModelTest, ResetClearsPerItemFieldsAndKeepsPerMenuOnes) {
    int32_t width = 0;
    MenuItemData t{};
    const RecordRef anyPost = RecordRef::Post(u"1_2");
    const RecordRef anyComment = RecordRef::Comment(u"1_2", u"3", 100);
    const RecordRef anyUser = RecordRef::User(u"3");
    const RecordRef anyMessage = RecordRef::Message(u"7", u"8");
    const RecordRef flags = RecordRef::Notification(u"9");
    t.picture = PictureRef{PictureSlot::UserPicture, u"3"};
    t.sidePicture = t.picture;
    t.divider = t.personStyle = t.altColours = 1;
    t.sideText = u"side";
    t.text = u"text";
    t.link = u"link";
    t.post = anyPost;
    t.comment = anyComment;
    t.pictureWidth = 48;
    t.minHeight = 44;
    t.iconId = 144;
    t.rightLink = u"right";
    t.user = anyUser;
    t.message = anyMessage;
    t.style = &Styles::Posts2;
    t.indent = 12;
    t.isNew = 1;
    t.stateRef = flags;
    t.minTextHeight = 24;
    t.menuWidth = 300;
    t.menuWidthRef = &width;
    ResetItemTemplate(t);
    EXPECT_FALSE(t.picture);
    EXPECT_FALSE(t.sidePicture);
    EXPECT_EQ(t.divider + t.personStyle + t.altColours, 0);
    EXPECT_TRUE(t.sideText.empty() && t.text.empty() && t.link.empty());
    EXPECT_FALSE(t.post);
    EXPECT_FALSE(t.comment);
    EXPECT_EQ(t.pictureWidth, 24);
    EXPECT_EQ(t.minHeight, 22);
    EXPECT_EQ(t.iconId, 144);
    EXPECT_EQ(t.rightLink, u"right");
    EXPECT_EQ(t.user, anyUser);
    EXPECT_EQ(t.message, anyMessage);
    EXPECT_EQ(t.style, &Styles::Posts2);
    EXPECT_EQ(t.indent, 12);
    EXPECT_EQ(t.isNew, 1);
    EXPECT_EQ(t.stateRef, flags);
    EXPECT_EQ(t.minTextHeight, 24);
    EXPECT_EQ(t.menuWidth, 300);
    EXPECT_EQ(t.menuWidthRef, &width);
}

TEST_F(MenuModelTest, ChosenItemOpensItsLinkRunsItsActionAndTheSessionIsReleasedWhole) {
    std::vector<std::string> calls;
    SetMenuChoiceHooks({[&](std::u16string_view link) { calls.push_back("open " + Utf16ToUtf8(link)); },
                        [&](MenuItemData* item, int32_t action) {
                            calls.push_back("run " + std::to_string(action) + " " + Utf16ToUtf8(item->post.key1));
                            return 1;  // a dialog: it copied what it needs
                        },
                        [&] { calls.push_back("after"); }});
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(0);
    tmpl.text = u"Row";
    tmpl.link = session_.keep(u"http://a/");
    tmpl.post = RecordRef::Post(u"1_2");
    MenuItemData* row = AddMenuItem(session_, &menu, nullptr, tmpl, 1035, -1, 0);
    RunChosenMenuItem(session_, row->commandId);
    EXPECT_EQ(calls, (std::vector<std::string>{"open http://a/", "run 1035 1_2", "after"}));
    EXPECT_TRUE(session_.empty());

    // Escape: nothing chosen, nothing run.
    calls.clear();
    tmpl = MakeItemTemplate(0);  // the released session held the old menu's width
    tmpl.text = u"Row";
    AddMenuItem(session_, &menu, nullptr, tmpl, 1036, -1, 0);
    RunChosenMenuItem(session_, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"after"}));
    EXPECT_TRUE(session_.empty());
}

TEST_F(MenuModelTest, RightClickRunsTheActionThenOpensTheRightLinkAndKeepsTheMenu) {
    std::vector<std::string> calls;
    SetMenuChoiceHooks({[&](std::u16string_view link) { calls.push_back("open " + Utf16ToUtf8(link)); },
                        [&](MenuItemData* item, int32_t action) {
                            calls.push_back("run " + std::to_string(action));
                            item->text = session_.keep(u"changed");
                            return 0;
                        },
                        {}});
    Menu menu;
    MenuItemData tmpl = MakeItemTemplate(0);
    tmpl.text = u"Like";
    tmpl.rightLink = session_.keep(u"http://profile/");
    MenuItemData* row = AddMenuItem(session_, &menu, nullptr, tmpl, 1031, -1, 0);
    EXPECT_TRUE(RunRightClickedMenuItem(session_, row->commandId));
    EXPECT_EQ(calls, (std::vector<std::string>{"run 1031", "open http://profile/"}));
    EXPECT_EQ(row->text, u"changed");
    EXPECT_FALSE(RunRightClickedMenuItem(session_, 0x80000u | 500u));
    EXPECT_FALSE(session_.empty());  // the menu stays open
}

// ---- Text helpers ----

TEST(AppendTextPartTest, CutsWithEllipsisAndDropsThePrefixAtTheStart) {
    std::u16string text(100, u'x');
    std::u16string buffer;
    EXPECT_EQ(AppendTextPart(&text, &buffer, u"<br>", u"!", 45, true), 1);
    EXPECT_EQ(buffer, std::u16string(45, u'x') + u"...!");
    std::u16string second = u"name";
    AppendTextPart(&second, &buffer, u" · ", u"", 0, true);
    EXPECT_EQ(buffer.substr(buffer.size() - 7), u" · name");

    std::u16string exact(45, u'y');
    std::u16string other;
    AppendTextPart(&exact, &other, u"<br>", u"", 45, false);
    EXPECT_EQ(other, u"<br>" + exact);  // the prefix stays without the drop flag; no cut at the limit

    std::u16string empty;
    std::u16string untouched = u"kept";
    EXPECT_EQ(AppendTextPart(&empty, &untouched, u"p", u"s", 0, false), 1);
    EXPECT_EQ(untouched, u"kept");
    EXPECT_EQ(AppendTextPart(nullptr, &untouched, u"p", u"s", 0, false), 0);
    EXPECT_EQ(AppendTextPart(&text, nullptr, u"p", u"s", 0, false), 0);
}

class ItemTimeTest : public ::testing::Test {
protected:
    static constexpr int32_t Now = 1614953220;  // 2021-03-05 14:07 UTC, a Friday
    void SetUp() override {
        saved_ = AppSettings;
        AppSettings.language = LangEnglish;
        SetClockForTesting([] { return Now; });
    }
    void TearDown() override {
        SetClockForTesting({});
        SetDateFormatter(nullptr);
        AppSettings = saved_;
    }
    std::u16string Age(int32_t seconds) {
        std::u16string out = u"stale";
        EXPECT_EQ(FormatItemTime(Now - seconds, &out), 1);
        return out;
    }
    Settings saved_;
};

std::u16string FakeDate(int32_t seconds, std::u16string_view date, std::u16string_view time) {
    return u"[" + FormatText(u"%d", {seconds}) + u"|" + std::u16string(date) + u"|" + std::u16string(time) + u"]";
}

TEST_F(ItemTimeTest, RelativeTableBoundaries) {
    EXPECT_EQ(Age(0), u"0 second ago");
    EXPECT_EQ(Age(59), u"59 second ago");
    EXPECT_EQ(Age(60), u"60 second ago");
    EXPECT_EQ(Age(61), u"one minute ago");
    EXPECT_EQ(Age(119), u"one minute ago");
    EXPECT_EQ(Age(120), u"2 minutes ago");
    EXPECT_EQ(Age(3000), u"50 minutes ago");
    EXPECT_EQ(Age(3001), u"an hour ago");
    EXPECT_EQ(Age(7199), u"an hour ago");
    EXPECT_EQ(Age(7200), u"2 hours ago");
    EXPECT_EQ(Age(72000), u"20 hours ago");
    EXPECT_EQ(Age(72001), u"yesterday");
    EXPECT_EQ(Age(86400), u"yesterday");
}

TEST_F(ItemTimeTest, OlderAndFutureTimesUseTheAbsoluteForm) {
    SetDateFormatter(FakeDate);
    EXPECT_EQ(Age(86401), u"[" + FormatText(u"%d", {Now - 86401}) + u"| ddd d.M.yy, |h:mm]");
    EXPECT_EQ(Age(-5), u"[" + FormatText(u"%d", {Now + 5}) + u"| ddd d.M.yy, |h:mm]");
}

TEST_F(ItemTimeTest, DefaultAbsoluteFormAndBufferLimit) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(DefaultDateFormatter(Now, u" ddd d.M.yy, ", u"h:mm"), u" Fri 5.3.21, 14:07");
    EXPECT_EQ(DefaultDateFormatter(Now - 14 * 3600, u" ddd d.M.yy, ", u"h:mm"), u" Fri 5.3.21, 0:07");
    SetDateFormatter([](int32_t, std::u16string_view, std::u16string_view) { return std::u16string(50, u'z'); });
    EXPECT_EQ(Age(100000), std::u16string(31, u'z'));
}

TEST_F(ItemTimeTest, NoTimeOrNoBufferWritesNothing) {
    std::u16string out = u"old";
    EXPECT_EQ(FormatItemTime(0, &out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(FormatItemTime(Now, nullptr), 0);
}

TEST(ScalePictureTest, ScalesDownInProportionOnly) {
    EXPECT_EQ(ScalePicture(100, 50, 40).width, 40);
    EXPECT_EQ(ScalePicture(100, 50, 40).height, 20);
    EXPECT_EQ(ScalePicture(49, 100, 40).height, 81);  // 0.8163 x 100, truncated
    EXPECT_EQ(ScalePicture(30, 70, 40).height, 70);
    EXPECT_EQ(ScalePicture(300, 70, 0).width, 300);
    EXPECT_EQ(ScalePicture(300, 70, -4).height, 70);
    EXPECT_EQ(ScalePicture(nullptr, 40).width, 0);
}

}  // namespace
