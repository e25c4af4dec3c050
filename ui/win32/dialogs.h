// The table-driven dialogs: one dialog procedure for all rows of DialogTable.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/dialog_table.h"

// Runs the dialog of a row modally (no owner); an open one is brought to the front.
// Returns the dialog's result code, or -1 when it was already open.
INT_PTR OpenDialog(int32_t index);
// Runs the row's closing routine, ends the dialog with the row's result and forgets it.
void CloseDialog(HWND dialog);

// Routines of rows and buttons that live elsewhere (the add-favourite dialog needs the
// browser) register here; a button without a registered routine does nothing.
using DialogButtonRoutine = int32_t (*)(HWND dialog, const DialogControl& control);
using DialogInitRoutine = void (*)(HWND dialog, DialogRow& row);
void RegisterDialogRoutine(DialogRoutine which, DialogButtonRoutine routine);
void RegisterDialogInit(DialogInit which, DialogInitRoutine routine);

// The controls of an open dialog through the portable interface.
class Win32DialogControls : public DialogControls {
public:
    explicit Win32DialogControls(HWND dialog) : dialog_(dialog) {}
    int32_t GetCheck(int32_t id) override;
    void SetCheck(int32_t id, int32_t checked) override;
    int32_t GetSelection(int32_t id) override;
    void SetChoices(int32_t id, const std::vector<std::u16string>& texts, int32_t selected) override;
    std::u16string GetText(int32_t id, size_t maxUnits) override;
    void SetText(int32_t id, const std::u16string& text) override;

private:
    HWND dialog_;
};

// Runs after the preferences were saved: the language may have changed, so whoever
// owns tabs, menu bar and tool bar relabels them.
void SetPreferencesSavedHook(void (*hook)());

// Built-in routines of the shell's dialogs (preferences, information and log, about).
int32_t SavePreferences(HWND dialog, const DialogControl& control);
int32_t CloseButton(HWND dialog, const DialogControl& control);
void InitPreferences(HWND dialog, DialogRow& row);
void InitLog(HWND dialog, DialogRow& row);
void InitAbout(HWND dialog, DialogRow& row);
// Routines of the comment, status and favourite-sites dialogs.
void InitComment(HWND dialog, DialogRow& row);
int32_t SendComment(HWND dialog, const DialogControl& control);
void InitStatus(HWND dialog, DialogRow& row);
int32_t PostStatus(HWND dialog, const DialogControl& control);
void InitFavorites(HWND dialog, DialogRow& row);
int32_t DeleteFavorites(HWND dialog, const DialogControl& control);
int32_t CloseFavorites(HWND dialog, const DialogControl& control);
// The log dialog: refill the list for the chosen channel; new lines while it is open;
// delete the selected lines.
void FillLogList(HWND dialog);
void AppendNewLogLines(HWND dialog);
void DeleteSelectedLogLines(HWND dialog);
void StopLogListening();

// A new line of the log reached the open log dialog (posted from any thread).
constexpr UINT LogLinesAdded = WM_APP + 40;

class DataStore;
// The store the content dialogs (status, favourite sites) work on; set at start-up.
void SetDialogStore(DataStore* store);
