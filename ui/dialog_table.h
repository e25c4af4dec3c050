// The seven dialogs as one table: each row names its template, caption key, routines
// and the table of its controls. One generic dialog procedure (ui/win32) drives them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/resource_ids.h"

enum DialogIndex : int32_t {
    DialogComment = 0,
    DialogPreferences = 1,
    DialogInformation = 2,
    DialogAbout = 3,
    DialogAddFavorite = 4,
    DialogFavorites = 5,
    DialogStatus = 6,
    DialogCount = 7,
};

enum class ControlKind : int32_t { CheckBox = 1, ComboBox = 2, NumberField = 4, PushButton = 5, Label = 8 };

// Routines run by push buttons; the shell maps them to code.
enum class DialogRoutine : int32_t {
    None,
    SendComment,
    SavePreferences,
    CloseButton,
    AddFavoriteButton,
    CloseFavorites,
    DeleteFavorites,
    PostStatus,
};

enum class DialogInit : int32_t {
    None,
    Comment,
    FillBoundControls,
    Log,
    About,
    AddFavorite,
    FillFavorites,
    MoveToCursor,
};

enum class DialogClosing : int32_t { None, ReportSuccess };

struct DialogControl {
    int32_t id;                  // 0 ends the table
    ControlKind kind;
    int32_t width;               // 0: the bound value is 32-bit; 1: a byte
    const char* const* choices;  // combo box: text keys of the choices, nullptr-ended
    void* bound;                 // the program variable the control edits
    int32_t reserved;
    DialogRoutine routine;
    DialogRoutine notify;        // further notifications; none is set
    const char* labelKey;        // text set into the control when the dialog opens
};

struct DialogRow {
    void* window;                // the open dialog, nullptr when closed
    int32_t result;              // handed to EndDialog; the row's index once opened
    int32_t templateId;
    DialogInit init;
    DialogClosing closing;
    const DialogControl* controls;
    void* context;               // the comment dialog's target post
    const char* captionKey;
};

extern DialogRow DialogTable[DialogCount];

// Dialog control ids used by the routines.
enum : int32_t {
    PrefsSave = IDC_PREFS_SAVE,
    PrefsCancel = IDC_PREFS_CANCEL,
    PrefsRunAtLogon = IDC_PREFS_RUNATLOGON,
    PrefsLanguage = IDC_PREFS_LANGUAGE,
    LogList = IDC_LOG_LIST,
    LogChannel = IDC_LOG_CHANNEL,
    AboutText = IDC_ABOUT_TEXT,
};

// The controls of a dialog as the generic procedure sees them.
class DialogControls {
public:
    virtual ~DialogControls() = default;
    virtual int32_t GetCheck(int32_t id) = 0;
    virtual void SetCheck(int32_t id, int32_t checked) = 0;
    virtual int32_t GetSelection(int32_t id) = 0;
    virtual void SetChoices(int32_t id, const std::vector<std::u16string>& texts, int32_t selected) = 0;
    virtual std::u16string GetText(int32_t id, size_t maxUnits) = 0;
    virtual void SetText(int32_t id, const std::u16string& text) = 0;
};

// Number fields hold at most this many characters.
constexpr size_t NumberFieldLimit = 5;

// A number field's text as a number: at most five characters, read from the right;
// every position multiplies the place value by 10, digits add digit x place value,
// other characters add nothing ("1a2" is 102, "" is 0).
int32_t ParseNumberField(std::u16string_view text);

// Sets the text of every control that has a label key.
void SetControlLabels(const DialogControl* controls, DialogControls& ui);
// Fills the bound controls from their values, in table order.
void FillBoundControls(const DialogControl* controls, DialogControls& ui);
// Copies the bound controls back into their values, in table order.
void SaveBoundControls(const DialogControl* controls, DialogControls& ui);

// The row of an open dialog window, nullptr when the window is no open dialog.
DialogRow* FindDialogRow(const void* window);
