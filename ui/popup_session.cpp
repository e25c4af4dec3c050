#include "ui/popup_session.h"

#include <new>

#include "ui/menu_model.h"

namespace {
// Only the low 16 bits of a command id select the entry, so a session never grows
// past what they can address: later items are simply not created.
constexpr size_t EntryLimit = 0x10000;
}  // namespace

std::u16string_view PopupSession::keep(std::u16string text) {
    if (text.empty() || entries_.size() >= EntryLimit) return {};
    entries_.push_back(Entry{nullptr, std::move(text)});
    return entries_.back().text;
}

MenuItemData* PopupSession::newItem(uint32_t& commandId) {
    if (entries_.size() >= EntryLimit) return nullptr;
    std::unique_ptr<MenuItemData> item(new (std::nothrow) MenuItemData());
    if (!item) return nullptr;
    commandId = static_cast<uint32_t>(entries_.size()) | POPUP_ITEM_BIT;
    entries_.push_back(Entry{std::move(item), {}});
    return entries_.back().item.get();
}

MenuItemData* PopupSession::resolve(uint32_t commandId) const {
    if (commandId == 0) return nullptr;
    size_t index = commandId & 0xFFFF;
    if (index >= entries_.size()) return nullptr;
    return entries_[index].item.get();
}

MenuItemData* PopupSession::find(uint32_t commandId, const void* itemData) const {
    MenuItemData* item = resolve(commandId);
    return item && item == itemData ? item : nullptr;
}
