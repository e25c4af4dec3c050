// The main window's tool bar: a constant table of 40 x 40 icon buttons and gaps, and
// where each button goes for a language and a sign-in state.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

constexpr int32_t ToolbarGap = 1;             // icon value of a 16-pixel gap row
constexpr int32_t ToolbarSignedInOnly = 0x20; // row shown only while a user is signed in
constexpr int32_t ToolbarButtonSize = 40;
constexpr int32_t ToolbarTop = 4;
constexpr int32_t BannerHeight = 48;

struct ToolbarRow {
    int32_t icon;                // resource id; ToolbarGap for a gap; 0 ends the table
    const char* labelKey;
    int32_t command;             // command id run by the button, 0 for none
    int32_t menuItem;            // main-menu row whose address the button opens, 0 for none
    int32_t flags;
    const char16_t* language;    // the row shows only in this language; nullptr: always
};

extern const ToolbarRow ToolbarTable[];

// Rows before the terminator; also the highest control id of a button (ids are row
// numbers counted from 1).
int32_t ToolbarRowCount();
// The row of a control id, nullptr when the id is no tool-bar button.
const ToolbarRow* ToolbarRowForId(int32_t controlId);
// The control id (row number) of the first row with this command, 0 when none.
int32_t ToolbarIdForCommand(int32_t command);

struct ToolbarSlot {
    bool shown = false;  // false for gap rows and rows of another language or state
    int32_t x = 0;       // left edge of the button when shown
};

struct ToolbarLayout {
    std::vector<ToolbarSlot> slots;  // one per row, index = control id - 1
    int32_t finalX = 0;
    int32_t bannerLeft = 0;          // the user banner starts here
};

ToolbarLayout LayoutToolbar(std::u16string_view languageCode, bool signedIn);

// Buttons hidden after the first layout: Close unless a page tab is open, New posts.
bool HiddenAfterFirstLayout(const ToolbarRow& row, bool pageTabOpen);
