#include <gtest/gtest.h>

#include <map>

#include "base/settings.h"
#include "net/run_at_logon.h"
#include "ui/dialog_table.h"

namespace {

// The controls of an open dialog, kept in maps as the dialog would hold them.
class FakeDialog : public DialogControls {
public:
    std::map<int32_t, int32_t> checks, selections;
    std::map<int32_t, std::u16string> texts;
    std::map<int32_t, std::vector<std::u16string>> choices;
    std::vector<std::pair<int32_t, int32_t>> checkWrites;

    int32_t GetCheck(int32_t id) override { return checks[id]; }
    void SetCheck(int32_t id, int32_t v) override {
        checks[id] = v;
        checkWrites.emplace_back(id, v);
    }
    int32_t GetSelection(int32_t id) override { return selections.count(id) ? selections[id] : -1; }
    void SetChoices(int32_t id, const std::vector<std::u16string>& t, int32_t sel) override {
        choices[id] = t;
        selections[id] = sel;
    }
    std::u16string GetText(int32_t id, size_t maxUnits) override { return texts[id].substr(0, maxUnits); }
    void SetText(int32_t id, const std::u16string& t) override { texts[id] = t; }
};

const DialogControl* Prefs() { return DialogTable[DialogPreferences].controls; }

TEST(NumberField, DigitsCountFromTheRightAndOtherCharactersHoldAPlace) {
    EXPECT_EQ(ParseNumberField(u"1a2"), 102);
    EXPECT_EQ(ParseNumberField(u"90"), 90);
    EXPECT_EQ(ParseNumberField(u""), 0);
    EXPECT_EQ(ParseNumberField(u"0"), 0);
    EXPECT_EQ(ParseNumberField(u"abc"), 0);
    EXPECT_EQ(ParseNumberField(u"-5"), 5);
    EXPECT_EQ(ParseNumberField(u"99999"), 99999);
    EXPECT_EQ(ParseNumberField(u"123456"), 12345);  // only the first five characters
}

class PreferencesBinding : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppSettings;
        savedRun_ = RunAtLogonState;
        AppSettings = Settings();
    }
    void TearDown() override {
        AppSettings = saved_;
        RunAtLogonState = savedRun_;
    }
    Settings saved_;
    int32_t savedRun_ = 0;
};

TEST_F(PreferencesBinding, OpeningShowsTheCopyOfCommentsFromFriends) {
    AppSettings.commentsOnlyFromFriends = 1;
    AppSettings.commentsOnlyFromFriendsCopy = 0;
    FakeDialog d;
    FillBoundControls(Prefs(), d);
    EXPECT_EQ(d.checks[1018], 0);
    // Set twice, in table order: the field first, then the copy.
    std::vector<int32_t> writes;
    for (auto& w : d.checkWrites)
        if (w.first == 1018) writes.push_back(w.second);
    EXPECT_EQ(writes, (std::vector<int32_t>{1, 0}));
}

TEST_F(PreferencesBinding, FillShowsValuesChoicesAndNumbers) {
    AppSettings.language = 2;
    AppSettings.refreshInterval = 15;
    AppSettings.hideReadPostsAfter = 12;
    AppSettings.hideNoticeAfter = 5;
    RunAtLogonState = 1;
    FakeDialog d;
    FillBoundControls(Prefs(), d);
    SetControlLabels(Prefs(), d);
    EXPECT_EQ(d.checks[1009], 1);
    EXPECT_EQ(d.checks[1010], 1);
    EXPECT_EQ(d.selections[1021], 2);
    ASSERT_EQ(d.choices[1021].size(), 4u);
    EXPECT_EQ(d.texts[1008], u"15");
    EXPECT_EQ(d.texts[1014], u"12");
    EXPECT_EQ(d.texts[1016], u"5");
    EXPECT_FALSE(d.texts[1022].empty());  // label PREFSLANG
    EXPECT_FALSE(d.texts[1006].empty());  // button PREFSSAVE
    EXPECT_EQ(d.texts.count(1017), 1u);   // check box label HIDDENNOTICE
}

TEST_F(PreferencesBinding, SavingWritesEveryBoundControlBack) {
    FakeDialog d;
    FillBoundControls(Prefs(), d);
    d.checks[1018] = 1;
    d.checks[1010] = 0;
    d.checks[1009] = 1;
    d.selections[1021] = 3;
    d.texts[1008] = u"9x0";
    d.texts[1014] = u"";
    d.texts[1016] = u"123456";
    SaveBoundControls(Prefs(), d);
    EXPECT_EQ(AppSettings.commentsOnlyFromFriends, 1);
    EXPECT_EQ(AppSettings.commentsOnlyFromFriendsCopy, 1);
    EXPECT_EQ(AppSettings.openMainWindowAtStart, 0);
    EXPECT_EQ(RunAtLogonState, 1);
    EXPECT_EQ(AppSettings.language, 3);
    EXPECT_EQ(AppSettings.refreshInterval, 900);
    EXPECT_EQ(AppSettings.hideReadPostsAfter, 0);
    EXPECT_EQ(AppSettings.hideNoticeAfter, 12345);
    // Fields without a control keep their values.
    EXPECT_EQ(AppSettings.ColourScheme, 1);
    EXPECT_EQ(AppSettings.translucency, 1);
}

TEST(DialogTableRows, TemplatesCaptionsAndOpenWindows) {
    EXPECT_EQ(DialogTable[DialogPreferences].templateId, 132);
    EXPECT_EQ(DialogTable[DialogInformation].templateId, 397);
    EXPECT_EQ(DialogTable[DialogAbout].templateId, 154);
    EXPECT_EQ(DialogTable[DialogStatus].captionKey, nullptr);
    EXPECT_EQ(DialogTable[DialogInformation].controls, nullptr);
    int dummy = 0;
    EXPECT_EQ(FindDialogRow(&dummy), nullptr);
    EXPECT_EQ(FindDialogRow(nullptr), nullptr);
    DialogTable[DialogAbout].window = &dummy;
    EXPECT_EQ(FindDialogRow(&dummy), &DialogTable[DialogAbout]);
    DialogTable[DialogAbout].window = nullptr;
}

TEST(DialogTableRows, ByteWideValuesTakeTheLowByte) {
    uint8_t small = 7;
    int32_t wide = 0;
    const DialogControl controls[] = {
        {1, ControlKind::NumberField, 1, nullptr, &small, 0, DialogRoutine::None, DialogRoutine::None, nullptr},
        {2, ControlKind::NumberField, 0, nullptr, &wide, 0, DialogRoutine::None, DialogRoutine::None, nullptr},
        {0, ControlKind::Label, 0, nullptr, nullptr, 0, DialogRoutine::None, DialogRoutine::None, nullptr},
    };
    FakeDialog d;
    FillBoundControls(controls, d);
    EXPECT_EQ(d.texts[1], u"7");
    d.texts[1] = u"300";
    d.texts[2] = u"300";
    SaveBoundControls(controls, d);
    EXPECT_EQ(small, 300 & 0xFF);
    EXPECT_EQ(wide, 300);
}

}  // namespace
