// The preferences dialog: bound controls in, bound controls out, and what a saved
// language or setting changes at once.
#include <windows.h>
#include <commctrl.h>

#include <mutex>

#include "base/settings.h"
#include "base/text_table.h"
#include "app/win32/main_window.h"
#include "net/run_at_logon.h"
#include "net/win32/browser_host.h"
#include "net/win32/run_at_logon.h"
#include "store/comments.h"
#include "store/data_store.h"
#include "ui/command_table.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/menu_window.h"

namespace {
// The fixed tabs carry their go-to row; they take its text in the current language.
void RelabelBrowserTabs() {
    HWND tabs = BrowserTabControl();
    if (!tabs) return;
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_PARAM;
        if (!SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)) || !item.lParam) continue;
        const auto* row = reinterpret_cast<const CommandRow*>(item.lParam);
        if (!row->key) continue;
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(LookupText(row->key)));
        SendMessageW(tabs, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}
}  // namespace

void InitPreferences(HWND dialog, DialogRow& row) {
    Win32DialogControls ui(dialog);
    FillBoundControls(row.controls, ui);
}

int32_t SavePreferences(HWND dialog, const DialogControl&) {
    Win32DialogControls ui(dialog);
    SaveBoundControls(DialogTable[DialogPreferences].controls, ui);
    RunAtLogon(RunAtLogonState, 0);
    {
        std::lock_guard<std::recursive_mutex> hold(StoreLock());
        SortComments();
    }
    SaveSettings();
    CloseDialog(dialog);
    // The language may have changed: tabs, menu bar and tool bar follow at once.
    RelabelBrowserTabs();
    if (HWND main = MainWindowHandle()) {
        InstallMenuBar(main);
        MarkToolbarStale();
        RedrawBanner(true);
    }
    return 1;
}

int32_t CloseButton(HWND dialog, const DialogControl&) {
    CloseDialog(dialog);
    return 1;
}
