#include "ui/menu_choice.h"

namespace {
MenuChoiceHooks hooks;
}  // namespace

void SetMenuChoiceHooks(MenuChoiceHooks h) { hooks = std::move(h); }
const MenuChoiceHooks& CurrentMenuChoiceHooks() { return hooks; }

void RunChosenMenuItem(uint32_t commandId) {
    MenuItemData* item = ResolveMenuCommand(commandId);
    if (item) {
        if (!item->link.empty() && hooks.openLink) hooks.openLink(item->link);
        int32_t kept = hooks.dispatch ? hooks.dispatch(item, item->action) : 0;
        if (kept == 0) ReleaseMenuData();
    } else {
        // Nothing chosen, or an id of no record: the popup's data is not needed any more.
        ReleaseMenuData();
    }
    if (hooks.afterPopup) hooks.afterPopup();
}

bool RunRightClickedMenuItem(uint32_t commandId) {
    MenuItemData* item = ResolveMenuCommand(commandId);
    if (!item) return false;
    if (item->action != 0 && hooks.dispatch) hooks.dispatch(item, item->action);
    // The command may have released the data; look the item up again.
    item = ResolveMenuCommand(commandId);
    if (item && !item->rightLink.empty() && hooks.openLink) hooks.openLink(item->rightLink);
    return true;
}
