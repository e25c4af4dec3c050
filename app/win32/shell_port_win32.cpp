// The shell port of the running program. The worker may call the tray and menu-bar
// requests; they are posted to the main window and carried out on the UI thread.
#include <windows.h>

#include <mutex>
#include <string>

#include "base/settings.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "app/win32/main_window.h"
#include "app/win32/popup_notice.h"
#include "app/win32/shell_messages.h"
#include "app/win32/tray_icon.h"
#include "net/signin.h"
#include "ui/colour_scheme.h"
#include "ui/win32/menu_window.h"

namespace {
DWORD uiThread = 0;
std::mutex tooltipLock;
std::u16string pendingTooltip;
HWND currentNotice = nullptr;

bool OnUiThread() { return GetCurrentThreadId() == uiThread; }

// A notice request must begin with the key of this build (see cmake/windows.cmake);
// without a key in the build, no request is taken.
bool StripControlKey(std::u16string& text) {
#ifdef ORV_CONTROL_KEY
    const std::u16string key = u"" ORV_CONTROL_KEY;
    if (key.empty() || text.compare(0, key.size(), key) != 0) return false;
    text.erase(0, key.size());
    return true;
#else
    (void)text;
    return false;
#endif
}

void Post(UINT message, WPARAM wParam = 0) {
    if (HWND w = MainWindowHandle()) PostMessageW(w, message, wParam, 0);
}

class WindowsShell final : public ShellPort {
public:
    void SetTrayIcon(int32_t iconId) override {
        if (OnUiThread()) TraySetIcon(TrayIcon(iconId));
        else Post(ShellSetTrayIcon, static_cast<WPARAM>(iconId));
    }
    void SetTrayTooltip(std::u16string_view text) override {
        if (OnUiThread()) {
            TraySetTooltip(text);
            return;
        }
        {
            std::lock_guard<std::mutex> hold(tooltipLock);
            pendingTooltip.assign(text);
        }
        Post(ShellSetTrayTooltip);
    }
    void RebuildMenuBar() override {
        if (OnUiThread()) Rebuild();
        else Post(ShellRebuildMenuBar);
    }
    void RedrawBanner() override {
        if (OnUiThread()) ::RedrawBanner(true);
        else Post(ShellRedrawBanner);
    }
    void BeginSignIn() override { Post(ShellBeginSignIn); }

    void ShowPopupNotice(const PopupNoticeRequest& request) override {
        if (currentNotice && IsPopupNotice(currentNotice)) {
            ClosePopupNotice(currentNotice);
            RestackPopupNotices();
        }
        const ColourScheme& scheme = CurrentColourScheme();
        const COLORREF colour = scheme.new2 ? scheme.new2 : scheme.highlight2;
        currentNotice = OpenPopupNotice(request.title, request.summary, LookupText("STATUS_CLICKMESSAGE"),
                                        request.picture.get(), AppSettings.hideNoticeAfter, colour);
    }
    int32_t ShowMessageBox(std::u16string_view text, std::u16string_view caption, uint32_t flags) override {
        std::wstring t(text.begin(), text.end()), c(caption.begin(), caption.end());
        return MessageBoxW(nullptr, t.c_str(), c.c_str(), flags);
    }
    bool MainWindowVisible() override { return MainWindowShown(); }

    // The sign-in state changed with the menu bar: the tool bar follows.
    static void Rebuild() {
        InstallMenuBar(MainWindowHandle(), ProgramStore());
        MarkToolbarStale();
    }
};

WindowsShell shell;
}  // namespace

void InstallShellPort() {
    uiThread = GetCurrentThreadId();
    SetShellPort(&shell);
}

bool HandleShellMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != MainWindowHandle()) return false;
    switch (message) {
    case ShellSetTrayIcon: TraySetIcon(TrayIcon(static_cast<int32_t>(wParam))); return true;
    case ShellSetTrayTooltip: {
        std::u16string text;
        {
            std::lock_guard<std::mutex> hold(tooltipLock);
            text = pendingTooltip;
        }
        TraySetTooltip(text);
        return true;
    }
    case ShellRebuildMenuBar: WindowsShell::Rebuild(); return true;
    case ShellRedrawBanner: RedrawBanner(true); return true;
    case ShellBeginSignIn: BeginSignIn(); return true;
    case WM_COPYDATA: {
        // The control tool asks for a notice as a refresh with new items would show it.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != ControlShowNotice || data->cbData % 2 != 0) return false;
        std::u16string summary;
        if (data->cbData) summary.assign(static_cast<const char16_t*>(data->lpData), data->cbData / 2);
        if (!StripControlKey(summary)) return false;
        PopupNoticeRequest request;
        request.title = LookupText("STATUS_NEWANDUPDATED");
        request.summary = summary;
        Shell().ShowPopupNotice(request);
        return true;
    }
    default: return false;
    }
}
