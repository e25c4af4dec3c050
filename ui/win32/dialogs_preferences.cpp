// The preferences dialog: bound controls in, bound controls out, and what a saved
// language or setting changes at once.
#include <windows.h>
#include <commctrl.h>

#include <mutex>

#include "base/settings.h"
#include "net/run_at_logon.h"
#include "net/win32/run_at_logon.h"
#include "ui/win32/dialogs.h"

namespace {
void (*preferencesSaved)() = nullptr;
}  // namespace

void SetPreferencesSavedHook(void (*hook)()) { preferencesSaved = hook; }

void InitPreferences(HWND dialog, DialogRow& row) {
    Win32DialogControls ui(dialog);
    FillBoundControls(row.controls, ui);
}

int32_t SavePreferences(HWND dialog, const DialogControl&) {
    Win32DialogControls ui(dialog);
    SaveBoundControls(DialogTable[DialogPreferences].controls, ui);
    LimitSettingsRanges(AppSettings);
    RunAtLogon(RunAtLogonState, 0);
    SaveSettings();
    CloseDialog(dialog);
    if (preferencesSaved) preferencesSaved();
    return 1;
}

int32_t CloseButton(HWND dialog, const DialogControl&) {
    CloseDialog(dialog);
    return 1;
}
