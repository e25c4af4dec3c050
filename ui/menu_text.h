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

// The rows of a list builder (posts, threads, notifications) go into the caller's menu,
// or into one of its own that it returns only when it got a row.
class RowTarget {
public:
    explicit RowTarget(Menu* given) : menu(given) {
        if (!menu) {
            created_ = CreateMenuModel();
            menu = created_.get();
        }
    }

    Menu* menu;

    // After the rows: nothing for a menu of its own without rows; otherwise the header on
    // top (when given), the last row's divider cleared in a menu of its own, the last
    // row reported, and the menu of its own (empty for the caller's).
    MenuPtr finish(PopupSession& session, MenuItemData& item, MenuItemData* last, const ItemStyle* headerStyle,
                   MenuItemData** lastItemOut) {
        if (!last && created_) return nullptr;
        if (headerStyle) {
            ClearRowState(item);
            AddMenuItem(session, menu, headerStyle, item, 0, 0, 0);
        }
        if (created_ && last) last->divider = 0;
        if (lastItemOut) *lastItemOut = last;
        return std::move(created_);
    }

private:
    MenuPtr created_;
};
