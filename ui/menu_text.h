// Small helpers the menu builders share.
#pragma once
#include <cstddef>
#include <string_view>

#include "base/text_table.h"
#include "ui/menu_model.h"
#include "ui/rich_text.h"

// Formatted item texts are cut here.
constexpr size_t MenuTextLimit = 1024;

// The text of a key in the current language ("NODEFINED" for a missing key).
inline std::u16string_view Text(const char* key) {
    const char16_t* text = LookupText(key);
    return text ? std::u16string_view(text) : std::u16string_view();
}

// A header or note added after the rows must not carry the last row's record: the
// template keeps both across rows.
inline void ClearRowState(MenuItemData& item) {
    item.isNew = 0;
    item.stateRef = {};
    item.user = {};
    item.message = {};
    item.rightLink = {};
}
