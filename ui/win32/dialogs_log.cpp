// The information-and-log dialog (the log by channel) and the about box.
#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "base/format_text.h"
#include "base/log.h"
#include "base/text_table.h"
#include "net/update.h"
#include "ui/win32/dialogs.h"

namespace {
std::atomic<HWND> logDialog{nullptr};
size_t shownLines = 0;  // lines of the chosen channel in the list
int32_t widest = 0;

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

int32_t SelectedChannel(HWND dialog) {
    const LRESULT sel = SendDlgItemMessageW(dialog, LogChannel, CB_GETCURSEL, 0, 0);
    return sel == 1 ? LogNewAndUpdated : LogReports;
}

// Width of a line in the list's font, plus the frame, for the horizontal scroll range.
int32_t LineExtent(HWND list, const std::u16string& text) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    GetTextExtentPoint32W(dc, W(text), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    return size.cx + 2 * GetSystemMetrics(SM_CXFRAME);
}

void AddLines(HWND dialog, const std::vector<LogEntry>& entries, size_t from) {
    HWND list = GetDlgItem(dialog, LogList);
    for (size_t i = from; i < entries.size(); ++i) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(entries[i].text)));
        widest = std::max(widest, LineExtent(list, entries[i].text));
    }
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
    shownLines = entries.size();
}
}  // namespace

void FillLogList(HWND dialog) {
    SendDlgItemMessageW(dialog, LogList, LB_RESETCONTENT, 0, 0);
    widest = 0;
    AddLines(dialog, LogEntries(SelectedChannel(dialog)), 0);
}

void AppendNewLogLines(HWND dialog) {
    const std::vector<LogEntry> entries = LogEntries(SelectedChannel(dialog));
    if (entries.size() > shownLines) AddLines(dialog, entries, shownLines);
}

void DeleteSelectedLogLines(HWND dialog) {
    HWND list = GetDlgItem(dialog, LogList);
    const LRESULT count = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) return;
    std::vector<int> selected(static_cast<size_t>(count));
    SendMessageW(list, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(selected.data()));
    std::sort(selected.begin(), selected.end());
    const int32_t channel = SelectedChannel(dialog);
    // Each removal moves the later lines up by one.
    for (size_t i = 0; i < selected.size(); ++i) RemoveLogEntry(channel, static_cast<size_t>(selected[i]) - i);
    FillLogList(dialog);
}

void InitLog(HWND dialog, DialogRow&) {
    for (const char* key : {"REPORTS", "NEWANDUP"})
        SendDlgItemMessageW(dialog, LogChannel, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LookupText(key)));
    SendDlgItemMessageW(dialog, LogChannel, CB_SETCURSEL, 0, 0);
    logDialog = dialog;
    // Lines may come from the worker: the dialog is only told, and reads them itself.
    SetLogListener([](const LogEntry&) {
        if (HWND d = logDialog.load()) PostMessageW(d, LogLinesAdded, 0, 0);
    });
    FillLogList(dialog);
}

void StopLogListening() {
    SetLogListener(nullptr);
    logDialog = nullptr;
}

void InitAbout(HWND dialog, DialogRow&) {
    std::u16string text = LookupText("ABOUTTEXT");
    text += u"\r\n\r\n";
    text += LookupText("ABOUTDONATE");
    text += u"\r\n\r\nOrv 1.0." + AsciiToUtf16(std::to_string(ProgramVersion));
    SetDlgItemTextW(dialog, AboutText, W(text));
    // Read from the top, with the close button ready for Enter.
    SetFocus(GetDlgItem(dialog, IDOK));
}
