// Until the content menus (new and updated, main, go-to) exist, every tray menu shows
// the menu bar's menus as one popup, so the program stays usable from the tray.
#include "app/win32/tray_menus.h"

#include "app/refresh_cycle.h"
#include "ui/command_table.h"
#include "ui/menu_bar.h"
#include "ui/menu_model.h"
#include "ui/win32/menu_window.h"

void ShowTrayMenu(HWND owner, TrayMenu which) {
    if (which == TrayMenu::None || ContentMenuOpen != 0 || !MenuDataList.empty()) return;
    ContentMenuOpen = 1;
    const int chosen = ShowPopupMenu(owner, BuildMenuBar(CommandTable), true);
    ContentMenuOpen = 0;
    // Rows of the menu bar carry their own ids: they run as if chosen in the menu bar.
    if (chosen > 0 && !(static_cast<uint32_t>(chosen) & POPUP_ITEM_BIT))
        PostMessageW(owner, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
}
