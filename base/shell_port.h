// The one port through which the core asks the Windows shell for visible effects.
// The shell installs its implementation at start-up; until then (and in unit tests
// that install none) every request is quietly ignored.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/resource_ids.h"

class Picture;

// The program's name: window caption, tray tooltip and balloon title.
constexpr char16_t ProgramTitle[] = u"" ORV_TITLE_TEXT;

// Tray icons by their role.
enum TrayIconId : int32_t {
    TrayIconNormal = IDI_TRAY_NORMAL,
    TrayIconNew = IDI_TRAY_NEW,          // new items were announced
    TrayIconBusy = IDI_TRAY_BUSY,        // a request is running
    TrayIconBrowser = IDI_TRAY_BROWSER,  // a page of the browser announces something
};

// What the tray shows between requests. Set by the refresh cycle and the main window,
// read by the transport when a request ends.
enum TrayStateValue : int32_t { TrayStateNormal = 0, TrayStateNew = 2, TrayStateBrowser = 3 };
extern std::atomic<int32_t> TrayState;
// The icon of a tray state; 0 for a value that is no state.
int32_t TrayIconOfState(int32_t state);

struct PopupNoticeRequest {
    std::u16string title;          // caption text after "Orv - h:mm - "
    std::u16string summary;        // bold body
    // Shared with the records that show it, so a refresh cannot free it under the
    // notice; nullptr: the built-in image.
    std::shared_ptr<const Picture> picture;
};

class ShellPort {
public:
    virtual ~ShellPort() = default;
    // May be called from the worker thread: implementations marshal to the UI thread.
    virtual void SetTrayIcon(int32_t iconId) = 0;
    virtual void SetTrayTooltip(std::u16string_view text) = 0;
    virtual void RebuildMenuBar() = 0;
    virtual void RedrawBanner() = 0;
    virtual void BeginSignIn() = 0;  // posted to the UI thread
    // UI thread only.
    virtual void ShowPopupNotice(const PopupNoticeRequest& request) = 0;
    virtual int32_t ShowMessageBox(std::u16string_view text, std::u16string_view caption, uint32_t flags) = 0;
    virtual bool MainWindowVisible() = 0;
};

ShellPort& Shell();
void SetShellPort(ShellPort* port);  // nullptr restores the quiet default
