#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include <string>

#include "base/shell_port.h"

namespace {
const wchar_t* const TrayTitle = reinterpret_cast<const wchar_t*>(ProgramTitle);
const int32_t IconIds[] = {TrayIconNormal, TrayIconNew, TrayIconBusy, TrayIconBrowser};

NOTIFYICONDATAW trayData;
bool added = false;
HWND owner = nullptr;
HICON icons[4];  // in the order of IconIds

void CopyCut(wchar_t* target, size_t capacity, std::u16string_view text) {
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    for (size_t i = 0; i < n; ++i) target[i] = static_cast<wchar_t>(text[i]);
    target[n] = 0;
}

bool Modify() { return Shell_NotifyIconW(NIM_MODIFY, &trayData) != FALSE; }
}  // namespace

void InitTrayIcon(HWND window, HINSTANCE instance) {
    owner = window;
    for (int i = 0; i < 4; ++i)
        icons[i] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IconIds[i]), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_DEFAULTCOLOR));
}

HICON TrayIcon(int32_t iconId) {
    for (int i = 0; i < 4; ++i)
        if (IconIds[i] == iconId) return icons[i];
    return nullptr;
}

HICON TrayIconForState(int32_t state) { return TrayIcon(TrayIconOfState(state)); }

void TrayAdd(HICON icon) {
    ZeroMemory(&trayData, sizeof trayData);
    if (!icon || !owner) return;
    trayData.cbSize = NOTIFYICONDATAW_V2_SIZE;
    trayData.hWnd = owner;
    trayData.uID = 1;
    trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData.uCallbackMessage = TrayCallbackMessage;
    trayData.hIcon = icon;
    CopyCut(trayData.szTip, 50, ProgramTitle);
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
