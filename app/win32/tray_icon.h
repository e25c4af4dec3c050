// The notification-area icon: one record, added once and then only modified, and the
// click machine behind its mouse messages. UI thread only; the worker reaches the icon
// and tooltip through the shell port, which marshals.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

// Tray callback message.
constexpr UINT TrayCallbackMessage = WM_USER + 1;

// Loads the tray icons (130, 143, 138, 156) of the module.
void LoadTrayIcons(HINSTANCE instance);
HICON TrayIcon(int32_t iconId);
// The icon of a tray state: 0 normal, 2 new items, 3 the page announces something.
HICON TrayIconForState(int32_t state);

void TrayAdd(HICON icon);
void TraySetIcon(HICON icon);
void TraySetTooltip(std::u16string_view text);
void TrayShowBalloon(std::u16string_view text);
void TrayDelete();
bool TrayAdded();

// Sets the tray state and shows its icon.
void SetTrayStateIcon(int32_t state);

// The shell was restarted: the icon comes back with the current state's icon.
void OnTaskbarCreated();

// The tray callback (lParam: the mouse message) and the click timer.
void OnTrayCallback(HWND window, LPARAM mouseMessage);
void OnTrayClickTimer(HWND window);
