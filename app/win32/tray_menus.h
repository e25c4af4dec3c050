// The menus the tray icon and the pop-up notice open.
#pragma once
#include <windows.h>

#include "app/tray_clicks.h"

// Shows one of the tray's content menus at the cursor, owned by `owner`, unless one is
// already open. While it is on screen the after-refresh step announces nothing
// (ContentMenuOpen).
void ShowTrayMenu(HWND owner, TrayMenu which);

// After every popup the tray shows whether anything new is left (read by highlighting).
void InstallContentMenuHooks();
