// The one port through which the core asks the Windows shell for visible effects.
// The shell installs its implementation at start-up; until then (and in unit tests
// that install none) every request is quietly ignored.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

class Picture;

// Tray icons by resource id.
enum TrayIconId : int32_t {
    TrayIconNormal = 130,
    TrayIconNew = 143,
    TrayIconAlt = 138,
    TrayIconBusy = 156,
};

struct PopupNoticeRequest {
    std::u16string title;          // caption text after "Orv - h:mm - "
    std::u16string summary;        // bold body
    const Picture* picture = nullptr;  // not owned; nullptr: the built-in image
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
