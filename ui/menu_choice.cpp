#include "ui/menu_choice.h"

namespace {
MenuChoiceHooks hooks;
}  // namespace

void SetMenuChoiceHooks(MenuChoiceHooks h) { hooks = std::move(h); }
const MenuChoiceHooks& CurrentMenuChoiceHooks() { return hooks; }

void RunChosenMenuItem(PopupSession& session, uint32_t commandId) {
    if (MenuItemData* item = session.resolve(commandId)) {
        if (!item->link.empty() && hooks.openLink) hooks.openLink(item->link);
        if (hooks.dispatch) hooks.dispatch(item, item->action);
    }
    // Chosen, or closed with nothing chosen: the popup's data is not needed any more.
    session.clear();
    if (hooks.afterPopup) hooks.afterPopup();
}

bool RunRightClickedMenuItem(PopupSession& session, uint32_t commandId) {
    MenuItemData* item = session.resolve(commandId);
    if (!item) return false;
    if (item->action != 0 && hooks.dispatch) hooks.dispatch(item, item->action);
    if (!item->rightLink.empty() && hooks.openLink) hooks.openLink(item->rightLink);
    return true;
}
