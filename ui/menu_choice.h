// What happens after a popup item is chosen or right-clicked: the item's address opens
// in the browser and its command code runs. The browser and the dispatcher are
// installed by the parts that own them; until then these steps are skipped.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>

#include "ui/menu_model.h"

struct MenuChoiceHooks {
    // Opens an address in the embedded browser, in front (background 0, showMain 1,
    // selectTab 1), creating the browser host first.
    std::function<void(std::u16string_view link)> openLink;
    // Runs a command code for an item (nullptr for commands from the menu bar or the
    // tool bar). The item and its session live only until the hook returns: a command
    // that needs the item later (a dialog) copies what it needs; its RecordRefs are
    // values. The result is the command's own (1: a dialog was opened).
    std::function<int32_t(MenuItemData* item, int32_t action)> dispatch;
    // After every popup: reset the tray state when nothing new is left.
    std::function<void()> afterPopup;
};

void SetMenuChoiceHooks(MenuChoiceHooks hooks);
const MenuChoiceHooks& CurrentMenuChoiceHooks();

// A popup closed with `commandId` (0: nothing chosen). Opens the record's link and runs
// its action, releases the session whole, then runs afterPopup.
void RunChosenMenuItem(PopupSession& session, uint32_t commandId);

// A right click on a popup item: runs its action (when not 0), then opens its
// rightLink. The menu stays open. Returns whether the id led to a record.
bool RunRightClickedMenuItem(PopupSession& session, uint32_t commandId);
