// Entry of Orv.exe: start-up in its fixed order, the message loop with the keyboard
// routing to the embedded browser, and shutdown in its fixed order.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <filesystem>
#include <string>

#include "app/key_routing.h"
#include "app/refresh_cycle.h"
#include "app/win32/commands_win32.h"
#include "app/win32/main_window.h"
#include "app/win32/tray_menus.h"
#include "app/win32/popup_notice.h"
#include "app/win32/shell_messages.h"
#include "app/win32/single_instance.h"
#include "app/win32/tray_icon.h"
#include "base/clock.h"
#include "base/resource_ids.h"
#include "base/settings.h"
#include "base/shell_port.h"
#include "base/whole_file.h"
#include "net/run_at_logon.h"
#include "net/service_address.h"
#include "net/service_calls.h"
#include "net/update.h"
#include "net/win32/run_at_logon.h"
#include "net/win32/update_platform.h"
#include "net/win32/wininet_transport.h"
#include "store/data_store.h"
#include "store/favorites.h"
#include "store/seen_state.h"
#include "ui/dialog_table.h"
#include "ui/win32/browser_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/drawing.h"
#include "ui/win32/image_decoder.h"
#include "ui/win32/menu_window.h"

namespace {
HACCEL accelerators = nullptr;

std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
    wchar_t buffer[101] = {};
    LoadStringW(instance, id, buffer, 101);
    buffer[100] = 0;
    return buffer;
}

// Times of day in the user's locale, from a picture such as "h:mm:ss - ".
std::u16string LocaleTimeOfDay(int32_t seconds, const std::u16string& picture) {
    FILETIME utc;
    const ULONGLONG ticks = (static_cast<ULONGLONG>(static_cast<uint32_t>(seconds)) + 11644473600ULL) * 10000000ULL;
    utc.dwLowDateTime = static_cast<DWORD>(ticks);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return {};
    wchar_t out[64] = {};
    const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, reinterpret_cast<const wchar_t*>(picture.c_str()),
                                 out, 64);
    return n > 1 ? std::u16string(reinterpret_cast<const char16_t*>(out), static_cast<size_t>(n - 1)) : u"";
}

// Data files are addressed by bare names from here on.
void EnterProgramFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    for (DWORD i = n; i-- > 0;) {
        if (path[i] == L'\\') {
            path[i + 1] = 0;
            SetCurrentDirectoryW(path);
            return;
        }
    }
}

// The settings with the start-up steps that depend on them. With no settings file the
// preferences dialog comes first; its OK writes the first file.
void LoadSettingsAndInterface(HWND main, DataStore& store) {
    SettingsEnvironment env;
    env.fullScreenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    env.fullScreenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    env.userLcid = GetUserDefaultLCID();
    RunAtLogonState = RunAtLogon(1, 1);
    CreateBottomStrip();
    const bool read = LoadSettings(env);
    LoadFavorites(store);
    if (!read) OpenDialog(DialogPreferences);
    PlaceMainWindow();
    InstallMenuBar(main, store);
    LayoutToolbarButtons();
    RelayoutMainWindow();
    DailyHitCount();
}

// Keys for the page go to the browser first; the address field keeps its own keys.
void RunMessageLoop(HWND main) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        const KeyRoute* route = nullptr;
        if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && !ExitingForUpdate()) {
            if (msg.hwnd == AddressField()) {
                if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) SubmitAddressField();
            } else {
                route = FindKeyRoute(static_cast<uint32_t>(msg.wParam));
            }
        }
        if (route && BrowserReady()) {
            BrowserTranslateKey(msg);
            if (route->consume) continue;
        } else if (!route && TranslateAcceleratorW(main, accelerators, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
// Shutdown, in this order. Parts that never started are left alone.
void ShutDown(ULONG_PTR gdiplusToken, DataStore& store) {
    StopRefresh();
    SaveSettings();
    SaveSeenState(store);
    WSACleanup();
    CloseAllPopupNotices();
    if (TrayAdded()) TrayDelete();
    if (gdiplusToken) Gdiplus::GdiplusShutdown(gdiplusToken);
    ShutdownBrowser();
    SetShellPort(nullptr);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::wstring title = LoadResourceString(instance, IDS_TITLE);
    const std::wstring className = LoadResourceString(instance, IDS_CLASS);
    if (!ClaimProgramFolder(className.c_str(), showCommand)) return 0;
    SetTimeFormatter(LocaleTimeOfDay);

    DataStore store;  // outlives the worker: shutdown stops it before returning
    HWND main = CreateMainWindow(instance, className, title, store);
    SetDialogStore(&store);
    if (!main) return 0;
    InstallShellPort();
    InstallContentMenuHooks();
    InstallCommandDispatcher();
    SetUpdateOffer(OfferUpdate);
    InstallRefreshHooks();

    WSADATA wsa;
    if (WSAStartup(0x0101, &wsa) != 0) return 0;
    accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAIN));

    // The progress bar of the bottom strip needs the common control classes.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = 0x8FF;
    InitCommonControlsEx(&controls);

    // Holding the left Control key while the first data file loads starts it afresh.
    // The load runs on the worker, whose own key state never sees the keyboard: ask
    // for the physical state.
    SetLeftControlProbe([] { return (GetAsyncKeyState(VK_LCONTROL) & 0x8000) != 0; });
    EnterProgramFolder();
    RemoveStaleTemporaryFiles(std::filesystem::current_path());
    LoadServiceAddress();
    InstallWinInetTransport();
    InstallUpdatePlatform(main);
    InstallMenuDrawing(main);
    LoadSettingsAndInterface(main, store);

    // A hidden start is one made by the update; a failed one says so, in the user's
    // language now that the settings are read.
    const bool normalStart = UpdateStartIsNormal(showCommand == SW_HIDE);
    if (!normalStart) {
        Sleep(1000);  // the previous program is still ending
        FinishStartMadeByUpdate();
    } else if (OfferUpdate() == 1) {
        // The new program runs: straight to shutdown, the loop is never entered.
        ShutDown(0, store);
        return 0;
    }

    InitTrayIcon(main, instance);
    TrayAdd(TrayIcon(TrayIconNormal));
    AppSettings.startTime = CurrentTime();

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    InstallImageDecoder();

    CreateBrowserArea();

    RunMessageLoop(main);
    ShutDown(gdiplusToken, store);
    return 0;
}
