// The menus the tray icon and the pop-up notice open.
#pragma once
#include <windows.h>

#include "app/tray_clicks.h"

// Shows one of the tray's menus at the cursor unless a content menu is already open.
void ShowTrayMenu(TrayMenu which);
