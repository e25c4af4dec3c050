#include "app/toolbar_layout.h"

#include "base/resource_ids.h"

namespace {
constexpr int32_t CommandClosePage = 1051;
constexpr int32_t CommandNewPosts = 1052;
}  // namespace

const ToolbarRow ToolbarTable[] = {
    {IDI_PROGRAM, "FACEBOOK", 1028, 0, 0, nullptr},
    {IDI_TOOL_TWITTER, "TWITTER", 0, 0x8021, 0, nullptr},
    {IDI_TOOL_GOOGLEPLUS, "GOOGLEPLUS", 0, 0x8022, 0, nullptr},
    {IDI_TOOL_GOOGLE, "GOOGLE", 0, 0x8025, 0, nullptr},
    {IDI_TOOL_YOUTUBE, "YOUTUBE", 0, 0x801B, 0, nullptr},
    {IDI_TOOL_WEATHER, "WEATHER", 0, 0x8036, 0, u"CZ"},
    {IDI_TOOL_WEATHER, "WEATHER", 0, 0x8037, 0, u"SK"},
    {ToolbarGap, nullptr, 0, 0, 0, nullptr},
    {ToolbarGap, nullptr, 0, 0, 0, nullptr},
    {IDI_TOOL_BACK, "BACK", 1032, 0, 0, nullptr},
    {IDI_TOOL_FORWARD, "FORWARD", 1039, 0, 0, nullptr},
    {IDI_TOOL_UPDATE, "UPDATE", 1040, 0, 0, nullptr},
    {ToolbarGap, nullptr, 0, 0, 0, nullptr},
    {IDI_TOOL_CLOSE, "CLOSE", CommandClosePage, 0, 0, nullptr},
    {ToolbarGap, nullptr, 0, 0, 0, nullptr},
    {IDI_TOOL_STATUS, "INSERTSTATUS", 1055, 0, ToolbarSignedInOnly, nullptr},
    {IDI_TOOL_NEWPOSTS, "NEWPOSTS", CommandNewPosts, 0, 0, nullptr},
    {0, nullptr, 0, 0, 0, nullptr},
};

int32_t ToolbarRowCount() {
    int32_t n = 0;
    while (ToolbarTable[n].icon != 0) ++n;
    return n;
}

const ToolbarRow* ToolbarRowForId(int32_t controlId) {
    if (controlId < 1 || controlId > ToolbarRowCount()) return nullptr;
    return &ToolbarTable[controlId - 1];
}

int32_t ToolbarIdForCommand(int32_t command) {
    for (int32_t i = 0; ToolbarTable[i].icon != 0; ++i)
        if (command != 0 && ToolbarTable[i].command == command) return i + 1;
    return 0;
}

ToolbarLayout LayoutToolbar(std::u16string_view languageCode, bool signedIn) {
    ToolbarLayout layout;
    int32_t x = 4;
    for (const ToolbarRow* row = ToolbarTable; row->icon != 0; ++row) {
        ToolbarSlot slot;
        if (row->icon == ToolbarGap) {
            x += 16;
        } else {
            bool shown = !row->language || languageCode == row->language;
            if ((row->flags & ToolbarSignedInOnly) && !signedIn) shown = false;
            if (shown) {
                slot.shown = true;
                slot.x = x;
                x += ToolbarButtonSize + 8;
            }
        }
        layout.slots.push_back(slot);
    }
    layout.finalX = x;
    layout.bannerLeft = x + 32;
    return layout;
}

bool HiddenAfterFirstLayout(const ToolbarRow& row, bool pageTabOpen) {
    if (row.command == CommandNewPosts) return true;
    return row.command == CommandClosePage && !pageTabOpen;
}
