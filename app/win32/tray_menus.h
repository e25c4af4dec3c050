// The menus the tray icon and the pop-up notice open.
#pragma once
#include <windows.h>

#include "app/tray_clicks.h"

// Shows one of the tray's menus at the cursor, owned by `owner` (which receives the
// chosen menu-bar commands), unless a content menu is already open.
void ShowTrayMenu(HWND owner, TrayMenu which);
