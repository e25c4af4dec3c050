// The notification-area icon: one record, added once and then only modified. UI thread
// only; the worker reaches the icon and tooltip through the shell port, which marshals.
// The main window owns the click machine behind the icon's mouse messages.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

// Tray callback message.
constexpr UINT TrayCallbackMessage = WM_USER + 1;

// Loads the four tray icons of the module; the icon's messages go to `owner`.
void InitTrayIcon(HWND owner, HINSTANCE instance);
HICON TrayIcon(int32_t iconId);
// The icon of a tray state (TrayIconOfState).
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
