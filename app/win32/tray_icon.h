// The notification-area icon: one record, added once and then only modified.
// UI thread only; the worker reaches these through the shell port, which marshals.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

// Loads the tray icons (130, 143, 138, 156) of the module.
void LoadTrayIcons(HINSTANCE instance);
HICON TrayIcon(int32_t iconId);

void TrayAdd(HICON icon);
void TraySetIcon(HICON icon);
void TraySetTooltip(std::u16string_view text);
void TrayShowBalloon(std::u16string_view text);
void TrayDelete();
bool TrayAdded();

// Tray state: 0 normal, 2 new items announced, 3 the page announces something.
int32_t CurrentTrayState();
void SetTrayState(int32_t state);
// Sets the state and shows its icon.
void SetTrayStateIcon(int32_t state);

// The registered "TaskbarCreated" message: the icon comes back with the state's icon.
void OnTaskbarCreated();
