#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include <string>

#include "app/refresh_cycle.h"
#include "base/shell_port.h"
#include "app/tray_clicks.h"
#include "app/win32/main_window.h"
#include "app/win32/tray_menus.h"

namespace {
constexpr wchar_t TrayTitle[] = L"Orv - Facebook interface";

NOTIFYICONDATAW trayData;
bool added = false;
HICON icons[4];  // 130, 143, 138, 156
TrayClickMachine clicks;

int IconSlot(int32_t id) {
    switch (id) {
    case TrayIconNormal: return 0;
    case TrayIconNew: return 1;
    case TrayIconAlt: return 2;
    case TrayIconBusy: return 3;
    default: return -1;
    }
}

void CopyCut(wchar_t* target, size_t capacity, std::u16string_view text) {
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    for (size_t i = 0; i < n; ++i) target[i] = static_cast<wchar_t>(text[i]);
    target[n] = 0;
}

bool Modify() { return Shell_NotifyIconW(NIM_MODIFY, &trayData) != FALSE; }
}  // namespace

void LoadTrayIcons(HINSTANCE instance) {
    const int32_t ids[] = {TrayIconNormal, TrayIconNew, TrayIconAlt, TrayIconBusy};
    for (int i = 0; i < 4; ++i)
        icons[i] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(ids[i]), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_DEFAULTCOLOR));
}

HICON TrayIcon(int32_t iconId) {
    int slot = IconSlot(iconId);
    return slot < 0 ? nullptr : icons[slot];
}

HICON TrayIconForState(int32_t state) {
    switch (state) {
    case TrayStateNormal: return TrayIcon(TrayIconNormal);
    case TrayStateNew: return TrayIcon(TrayIconNew);
    case TrayStateBrowser: return TrayIcon(TrayIconBusy);
    default: return nullptr;
    }
}

void TrayAdd(HICON icon) {
    ZeroMemory(&trayData, sizeof trayData);
    if (!icon) return;
    trayData.cbSize = NOTIFYICONDATAW_V2_SIZE;
    trayData.hWnd = MainWindowHandle();
    trayData.uID = 1;
    trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData.uCallbackMessage = TrayCallbackMessage;
    trayData.hIcon = icon;
    CopyCut(trayData.szTip, 50, u"Orv - Facebook interface");
    lstrcpynW(trayData.szInfoTitle, TrayTitle, ARRAYSIZE(trayData.szInfoTitle));
    trayData.uTimeout = 30000;
    added = Shell_NotifyIconW(NIM_ADD, &trayData) != FALSE;
}

bool TrayAdded() { return added; }

void TraySetIcon(HICON icon) {
    if (!added) TrayAdd(icon);
    trayData.hIcon = icon;
    trayData.uFlags = NIF_ICON;
    Modify();
}

void TraySetTooltip(std::u16string_view text) {
    wchar_t tip[ARRAYSIZE(trayData.szTip)];
    CopyCut(tip, ARRAYSIZE(tip), text);
    if (added && lstrcmpW(tip, trayData.szTip) == 0) return;
    HICON icon = TrayIconForState(TrayState);
    if (!added) TrayAdd(icon);
    trayData.hIcon = icon;
    lstrcpyW(trayData.szTip, tip);
    trayData.uFlags = NIF_ICON | NIF_TIP;
    Modify();
}

void TrayShowBalloon(std::u16string_view text) {
    if (!added) TrayAdd(TrayIconForState(TrayState));
    if (!text.empty()) trayData.uFlags |= NIF_INFO;
    else trayData.uFlags = NIF_TIP;
    CopyCut(trayData.szInfo, ARRAYSIZE(trayData.szInfo), text);
    lstrcpynW(trayData.szInfoTitle, TrayTitle, ARRAYSIZE(trayData.szInfoTitle));
    trayData.dwInfoFlags = NIIF_INFO;
    Modify();
}

void TrayDelete() {
    Shell_NotifyIconW(NIM_DELETE, &trayData);
    added = false;
}

void SetTrayStateIcon(int32_t state) {
    TrayState = state;
    TraySetIcon(TrayIconForState(state));
}

void OnTaskbarCreated() { TrayAdd(TrayIconForState(TrayState)); }

namespace {
void Carry(HWND window, const TrayClickAction& a) {
    // The menus open where the cursor is when they open, so the press position is not kept.
    if (a.killClickTimer) KillTimer(window, ClickTimerId);
    if (a.startClickTimer) SetTimer(window, ClickTimerId, ClickTimerPeriod, nullptr);
    if (a.showMainWindow) {
        RedrawBanner(true);
        ShowHideMainWindow(false, true);
    }
    if (a.menu != TrayMenu::None) ShowTrayMenu(a.menu);
}
}  // namespace

void OnTrayCallback(HWND window, LPARAM mouseMessage) {
    Carry(window, clicks.OnMouse(static_cast<uint32_t>(LOWORD(mouseMessage)), ContentMenuOpen != 0));
}

void OnTrayClickTimer(HWND window) {
    TrayClickAction a = clicks.OnClickTimer();
    Carry(window, a);
    if (a.resend) {
        SendMessageW(window, TrayCallbackMessage, 1, a.resend);
        clicks.Reset();
    }
}
