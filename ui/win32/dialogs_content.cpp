// The comment, status-update and favourite-sites dialogs: their controls in and out;
// what is sent or kept is decided in ui/content_dialogs.
#include <algorithm>
#include <vector>

#include "base/shell_port.h"
#include "base/text_table.h"
#include "store/favorites.h"
#include "ui/content_dialogs.h"
#include "ui/win32/dialogs.h"

namespace {
DataStore* dialogStore = nullptr;

constexpr int32_t PostTextField = 1001;
constexpr int32_t CommentButton = 1000;
constexpr int32_t FavoritesList = 1037;

const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// One unit more than is sent, so the cut never splits a character in two.
std::u16string TypedText(HWND dialog) {
    return Win32DialogControls(dialog).GetText(PostTextField, PostTextLimit + 1);
}

void ShowPosted(const char* key) {
    Shell().ShowMessageBox(LookupText(key), LookupText("NOTICE"), MB_ICONINFORMATION);
}

void FillFavoritesList(HWND dialog, int32_t select) {
    HWND list = GetDlgItem(dialog, FavoritesList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const std::vector<std::u16string> titles = FavoriteTitles(*dialogStore);
    for (size_t i = 0; i < titles.size(); ++i) {
        const LRESULT line = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(titles[i].c_str())));
        if (line >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(line), static_cast<LPARAM>(i));
    }
    // Index -1 would select every line of a multi-select list.
    if (select >= 0 && select < static_cast<int32_t>(titles.size()))
        SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(select));
}
}  // namespace

void SetDialogStore(DataStore* store) { dialogStore = store; }

void InitComment(HWND dialog, DialogRow&) {
    // The template's button text is Czech: every language gets its own.
    const char* key = CurrentCommentTarget().hasActor ? "INSERTCOMMENT" : "ADDCOMMENT";
    SetDlgItemTextW(dialog, CommentButton, W(LookupText(key)));
    SetFocus(GetDlgItem(dialog, PostTextField));
}

int32_t SendComment(HWND dialog, const DialogControl&) {
    if (SendCommentText(CurrentCommentTarget().postId, TypedText(dialog)) == PostResult::Sent)
        ShowPosted("COMMENTINSERTED");
    CloseDialog(dialog);
    return 1;
}

// The status dialog opens where the user clicked, kept on that screen's work area.
void InitStatus(HWND dialog, DialogRow&) {
    POINT at;
    RECT r;
    if (GetCursorPos(&at) && GetWindowRect(dialog, &r)) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) {
            const RECT& work = monitor.rcWork;
            at.x = std::max(work.left, std::min(at.x, work.right - (r.right - r.left)));
            at.y = std::max(work.top, std::min(at.y, work.bottom - (r.bottom - r.top)));
        }
        SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    SetFocus(GetDlgItem(dialog, PostTextField));
}

int32_t PostStatus(HWND dialog, const DialogControl&) {
    const PostResult result = PostStatusText(*dialogStore, TypedText(dialog));
    if (result == PostResult::NotSignedIn) return 1;
    if (result == PostResult::Sent) ShowPosted("STATUSINSERTED");
    CloseDialog(dialog);
    return 1;
}

void InitFavorites(HWND dialog, DialogRow&) { FillFavoritesList(dialog, -1); }

int32_t DeleteFavorites(HWND dialog, const DialogControl&) {
    HWND list = GetDlgItem(dialog, FavoritesList);
    const LRESULT count = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) return 1;
    std::vector<int> lines(static_cast<size_t>(count));
    const LRESULT got =
        SendMessageW(list, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(lines.data()));
    lines.resize(got > 0 ? static_cast<size_t>(got) : 0);
    std::vector<int32_t> indices;
    for (int line : lines)
        indices.push_back(static_cast<int32_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0)));
    std::sort(indices.begin(), indices.end());
    FillFavoritesList(dialog, DeleteFavoritesAt(*dialogStore, indices));
    return 1;
}

int32_t CloseFavorites(HWND dialog, const DialogControl&) {
    SaveFavorites(*dialogStore);
    CloseDialog(dialog);
    Shell().RebuildMenuBar();
    return 1;
}
