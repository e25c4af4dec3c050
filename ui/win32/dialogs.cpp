#include "ui/win32/dialogs.h"

#include "base/settings.h"
#include "base/text_table.h"
#include "ui/win32/menu_window.h"

namespace {
constexpr int32_t RoutineCount = static_cast<int32_t>(DialogRoutine::PostStatus) + 1;
constexpr int32_t InitCount = static_cast<int32_t>(DialogInit::MoveToCursor) + 1;

DialogButtonRoutine routines[RoutineCount] = {};
DialogInitRoutine inits[InitCount] = {};
bool builtInsRegistered = false;

const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

template <class Routine>
void SetIfAbsent(Routine* table, int32_t which, Routine routine) {
    if (!table[which]) table[which] = routine;
}

void RegisterBuiltIns() {
    if (builtInsRegistered) return;
    builtInsRegistered = true;
    auto routine = [](DialogRoutine r, DialogButtonRoutine f) { SetIfAbsent(routines, static_cast<int32_t>(r), f); };
    auto init = [](DialogInit i, DialogInitRoutine f) { SetIfAbsent(inits, static_cast<int32_t>(i), f); };
    routine(DialogRoutine::SavePreferences, SavePreferences);
    routine(DialogRoutine::CloseButton, CloseButton);
    routine(DialogRoutine::SendComment, SendComment);
    routine(DialogRoutine::PostStatus, PostStatus);
    routine(DialogRoutine::DeleteFavorites, DeleteFavorites);
    routine(DialogRoutine::CloseFavorites, CloseFavorites);
    init(DialogInit::FillBoundControls, InitPreferences);
    init(DialogInit::Log, InitLog);
    init(DialogInit::About, InitAbout);
    init(DialogInit::Comment, InitComment);
    init(DialogInit::MoveToCursor, InitStatus);
    init(DialogInit::FillFavorites, InitFavorites);
}

int32_t RowIndex(HWND dialog) { return static_cast<int32_t>(GetWindowLongPtrW(dialog, DWLP_USER)); }

void OnInitDialog(HWND dialog, int32_t index) {
    DialogRow& row = DialogTable[index];
    row.window = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, index);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HANDLE small = LoadImageW(instance, MAKEINTRESOURCEW(IDI_TRAY_NORMAL), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    HANDLE large = LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                              GetSystemMetrics(SM_CYICON), LR_SHARED);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    if (AppSettings.translucency) {
        SetWindowLongPtrW(dialog, GWL_EXSTYLE, GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(dialog, 0, 230, LWA_ALPHA);
    }
    if (row.captionKey) SetWindowTextW(dialog, W(LookupText(row.captionKey)));
    Win32DialogControls ui(dialog);
    SetControlLabels(row.controls, ui);
    if (DialogInitRoutine init = inits[static_cast<int>(row.init)]) init(dialog, row);
    ShowWindow(dialog, SW_SHOW);
}

void OnCommand(HWND dialog, int32_t id, int32_t code) {
    const int32_t index = RowIndex(dialog);
    if (code == 1 && index == DialogInformation && id == LogChannel) FillLogList(dialog);
    const DialogRow& row = DialogTable[index];
    for (const DialogControl* c = row.controls; c && c->id != 0; ++c) {
        if (c->id != id) continue;
        DialogButtonRoutine routine = routines[static_cast<int>(c->routine)];
        if (c->kind == ControlKind::PushButton && routine) {
            routine(dialog, *c);
            return;
        }
        if (c->kind == ControlKind::CheckBox && routine) {
            if (routine(dialog, *c) == 0) CheckDlgButton(dialog, id, BST_UNCHECKED);
            return;
        }
    }
    // Escape closes a dialog as its close box does.
    if (id == IDCANCEL && code == 0) CloseDialog(dialog);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        // An initialisation routine that chose the focus keeps it.
        HWND focus = GetFocus();
        OnInitDialog(dialog, static_cast<int32_t>(lParam));
        return GetFocus() == focus ? TRUE : FALSE;
    }
    case WM_COMMAND: {
        const int32_t code = HIWORD(wParam);
        if (code == 0 || code == 1) OnCommand(dialog, LOWORD(wParam), code);
        return TRUE;
    }
    case WM_CLOSE:
        CloseDialog(dialog);
        return TRUE;
    case WM_ACTIVATE:
        // The status dialog goes as soon as the user works elsewhere.
        if (LOWORD(wParam) == WA_INACTIVE && RowIndex(dialog) == DialogStatus) CloseDialog(dialog);
        return FALSE;
    case WM_CONTEXTMENU:
        if (RowIndex(dialog) == DialogInformation) DeleteSelectedLogLines(dialog);
        return TRUE;
    case WM_MEASUREITEM:
        MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case LogLinesAdded:
        AppendNewLogLines(dialog);
        return TRUE;
    case WM_DESTROY:
        if (RowIndex(dialog) == DialogInformation) StopLogListening();
        if (DialogRow* row = FindDialogRow(dialog)) row->window = nullptr;
        return FALSE;
    default: return FALSE;
    }
}
}  // namespace

void RegisterDialogRoutine(DialogRoutine which, DialogButtonRoutine routine) {
    routines[static_cast<int>(which)] = routine;
}

void RegisterDialogInit(DialogInit which, DialogInitRoutine routine) { inits[static_cast<int>(which)] = routine; }

INT_PTR OpenDialog(int32_t index) {
    if (index < 0 || index >= DialogCount) return -1;
    RegisterBuiltIns();
    DialogRow& row = DialogTable[index];
    if (row.window) {
        HWND open = static_cast<HWND>(row.window);
        ShowWindow(open, SW_SHOW);
        SetForegroundWindow(open);
        return -1;
    }
    row.result = index;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(row.templateId), nullptr, DialogProc, index);
}

void CloseDialog(HWND dialog) {
    DialogRow* row = FindDialogRow(dialog);
    if (!row) return;
    // The preferences' closing routine only reports success; no other row has one.
    EndDialog(dialog, row->result);
    row->window = nullptr;
}

int32_t Win32DialogControls::GetCheck(int32_t id) {
    return IsDlgButtonChecked(dialog_, id) == BST_CHECKED ? 1 : 0;
}

void Win32DialogControls::SetCheck(int32_t id, int32_t checked) {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int32_t Win32DialogControls::GetSelection(int32_t id) {
    return static_cast<int32_t>(SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0));
}

void Win32DialogControls::SetChoices(int32_t id, const std::vector<std::u16string>& texts, int32_t selected) {
    SendDlgItemMessageW(dialog_, id, CB_RESETCONTENT, 0, 0);
    for (const auto& t : texts) SendDlgItemMessageW(dialog_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

std::u16string Win32DialogControls::GetText(int32_t id, size_t maxUnits) {
    std::wstring buffer(maxUnits + 1, L'\0');
    const UINT n = GetDlgItemTextW(dialog_, id, buffer.data(), static_cast<int>(maxUnits + 1));
    return std::u16string(buffer.begin(), buffer.begin() + n);
}

void Win32DialogControls::SetText(int32_t id, const std::u16string& text) {
    SetDlgItemTextW(dialog_, id, reinterpret_cast<const wchar_t*>(text.c_str()));
}
