#include "app/win32/tray_menus.h"

#include "app/refresh_cycle.h"
#include "app/win32/main_window.h"
#include "ui/content_menus.h"
#include "ui/menu_choice.h"
#include "ui/win32/menu_window.h"

void ShowTrayMenu(HWND owner, TrayMenu which) {
    if (which == TrayMenu::None || ContentMenuOpen != 0 || PopupSessionOpen()) return;
    const ContentMenu kind = which == TrayMenu::NewAndUpdated ? ContentMenu::NewAndUpdated
                             : which == TrayMenu::Main        ? ContentMenu::Main
                                                              : ContentMenu::GoTo;
    ContentMenuOpen = 1;
    PopupSession session(ProgramStore());
    MenuPtr menu = BuildContentMenu(kind, session);
    ShowPopupMenu(owner, session, std::move(menu), true);
    ContentMenuOpen = 0;
}

void InstallContentMenuHooks() {
    MenuChoiceHooks hooks = CurrentMenuChoiceHooks();
    hooks.afterPopup = [] { ResetTrayWhenNothingNew(ProgramStore()); };
    SetMenuChoiceHooks(std::move(hooks));
}
