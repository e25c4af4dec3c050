#include "ui/menu_model.h"

#include "base/text_table.h"
#include "ui/rich_text.h"

std::u16string_view KeepItemText(MenuItemData& item, std::u16string text) {
    return item.session ? item.session->keep(std::move(text)) : std::u16string_view();
}

const ItemStyle& EffectiveStyle(const MenuItemData& item) {
    return item.style ? *item.style : Styles::ReadFromFacebook;
}

MenuEntry& Menu::insert(int32_t position, MenuEntry entry) {
    if (position < 0 || static_cast<size_t>(position) >= entries_.size()) {
        entries_.push_back(std::move(entry));
        return entries_.back();
    }
    return *entries_.insert(entries_.begin() + position, std::move(entry));
}

namespace {

std::u16string_view StyleText(const ItemStyle& style) {
    // The separator's empty key names no text.
    if (!style.key || !*style.key) return {};
    const char16_t* text = LookupText(style.key);
    return text ? std::u16string_view(text) : std::u16string_view();
}

void MeasureInto(MenuItemData& record, int32_t font, uint32_t format) {
    MenuRect rect;
    // Only the first line decides the width; the body is laid out when the menu shows.
    MeasureItemText(record.text, font, rect, format, true);
    record.measured = rect;
    if (record.menuWidthRef && rect.right > *record.menuWidthRef) *record.menuWidthRef = rect.right;
}

}  // namespace

MenuItemData* AddMenuItem(PopupSession& session, Menu* menu, const ItemStyle* style, MenuItemData& item,
                          int32_t action, int32_t position, uint32_t itemFlags) {
    uint32_t commandId = 0;
    MenuItemData* record = session.newItem(commandId);
    if (!record) {
        ResetItemTemplate(item);
        return nullptr;
    }
    if (!item.menuWidthRef) {
        item.menuWidthRef = &record->menuWidth;
        if (item.menuWidth == 0) item.menuWidth = DefaultMenuWidth;
    }
    *record = item;
    record->session = &session;
    record->action = action;
    record->menu = menu;
    record->commandId = commandId;
    record->itemFlags = itemFlags;

    int32_t font = 0;
    uint32_t styleFlags = 0;
    if (style) {
        record->style = style;
        if (record->text.empty()) record->text = StyleText(*style);
        if (record->sideText.empty() && style->sideText) record->sideText = style->sideText;
        record->iconId = style->iconId;
        record->divider = (style->flags & StyleDivider) ? 1 : 0;
        font = style->font;
        styleFlags = style->flags;
    }
    MeasureInto(*record, font, TextCalcRect | TextExpandTabs | TextNoPrefix);

    bool disabled = ((itemFlags | styleFlags) & ItemDisabled) != 0;
    if (menu) {
        MenuEntry entry;
        entry.kind = MenuEntryKind::OwnerDrawn;
        entry.id = commandId;
        entry.data = record;
        entry.disabled = disabled;
        menu->insert(position, std::move(entry));
    }
    ResetItemTemplate(item);
    return record;
}

MenuItemData* AddSubmenuItem(PopupSession& session, const ItemStyle* style, Menu* menu, MenuItemData& item,
                             MenuPtr submenu, uint32_t itemFlags) {
    if (!submenu) return nullptr;
    uint32_t commandId = 0;
    MenuItemData* record = session.newItem(commandId);
    if (!record) {
        ResetItemTemplate(item);
        return nullptr;
    }
    if (!item.menuWidthRef) {
        item.menuWidthRef = &record->menuWidth;
        item.menuWidth = DefaultMenuWidth;
    }
    *record = item;
    record->session = &session;
    record->menu = menu;
    record->commandId = commandId;
    record->itemFlags = itemFlags;

    int32_t font = 0;
    if (style) {
        record->style = style;
        if (record->text.empty()) record->text = StyleText(*style);
        record->iconId = style->iconId;
        font = style->font;
    }
    MeasureInto(*record, font, TextCalcRect | TextExpandTabs);

    if (menu) {
        MenuEntry entry;
        entry.kind = MenuEntryKind::OwnerDrawn;
        entry.id = commandId;
        entry.data = record;
        entry.submenu = std::move(submenu);
        menu->append(std::move(entry));
    }
    ResetItemTemplate(item);
    return record;
}

void ResetItemTemplate(MenuItemData& item) {
    item.picture = {};
    item.sidePicture = {};
    item.divider = 0;
    item.sideText = {};
    item.text = {};
    item.personStyle = 0;
    item.altColours = 0;
    item.link = {};
    item.post = {};
    item.comment = {};
    item.pictureWidth = 24;
    item.minHeight = 22;
}

MenuItemData MakeItemTemplate(int32_t menuWidth) {
    MenuItemData item;
    item.pictureWidth = 24;
    item.minHeight = 22;
    item.menuWidth = menuWidth;
    return item;
}
