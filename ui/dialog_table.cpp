#include "ui/dialog_table.h"

#include "base/resource_ids.h"
#include "base/settings.h"
#include "net/run_at_logon.h"

namespace {
using K = ControlKind;
using R = DialogRoutine;

const char* const LanguageChoices[] = {"CZECHLANG", "ENGLANG", "DELANG", "SLOVAKLANG", nullptr};


const DialogControl CommentControls[] = {
    {IDC_COMMENT_SEND, K::PushButton, 0, nullptr, nullptr, 0, R::SendComment, R::None, nullptr},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

// The friends-only comments box stands twice: opening shows the copy (the later row),
// saving writes both.
const DialogControl PreferencesControls[] = {
    {IDC_PREFS_SAVE, K::PushButton, 0, nullptr, nullptr, 0, R::SavePreferences, R::None, "PREFSSAVE"},
    {IDC_PREFS_CANCEL, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "PREFSCANCEL"},
    {IDC_PREFS_RUNATLOGON, K::CheckBox, 0, nullptr, &RunAtLogonState, 0, R::None, R::None, "STARTUPRUN"},
    {IDC_PREFS_OPENMAIN, K::CheckBox, 0, nullptr, &AppSettings.openMainWindowAtStart, 0, R::None, R::None, "PREFSOPENW"},
    {IDC_PREFS_NOTIFY, K::CheckBox, 0, nullptr, &AppSettings.notifyNewAndUpdated, 0, R::None, R::None, "PREFSNOTIFY"},
    {IDC_PREFS_INTERVAL, K::NumberField, 0, nullptr, &AppSettings.refreshInterval, 0, R::None, R::None, nullptr},
    {IDC_PREFS_WIDTH, K::CheckBox, 0, nullptr, &AppSettings.widthMayChange, 0, R::None, R::None, "PREFSWIDTH"},
    {IDC_PREFS_NEWESTFIRST, K::CheckBox, 0, nullptr, &AppSettings.commentsNewestFirst, 0, R::None, R::None, "PREFSCOMMENTS"},
    {IDC_PREFS_HIDEREAD, K::NumberField, 0, nullptr, &AppSettings.hideReadPostsAfter, 0, R::None, R::None, nullptr},
    {IDC_PREFS_LIKESFRIENDS, K::CheckBox, 0, nullptr, &AppSettings.likesOnlyFromFriends, 0, R::None, R::None, "PREFSLIKESF"},
    {IDC_PREFS_COMMENTSFRIENDS, K::CheckBox, 0, nullptr, &AppSettings.commentsOnlyFromFriends, 0, R::None, R::None, "PREFSCOMMENTSF"},
    {IDC_PREFS_HIDENOTICE, K::NumberField, 0, nullptr, &AppSettings.hideNoticeAfter, 0, R::None, R::None, nullptr},
    {IDC_PREFS_HIDDENONLY, K::CheckBox, 0, nullptr, &AppSettings.notifyOnlyWithHiddenWindow, 0, R::None, R::None, "HIDDENNOTICE"},
    {IDC_PREFS_COMMENTSFRIENDS, K::CheckBox, 0, nullptr, &AppSettings.commentsOnlyFromFriendsCopy, 0, R::None, R::None, nullptr},
    {IDC_PREFS_LANGUAGE, K::ComboBox, 0, LanguageChoices, &AppSettings.language, 0, R::None, R::None, nullptr},
    {IDC_PREFS_LANGUAGE_LABEL, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "PREFSLANG"},
    {IDC_PREFS_HIDENOTICE_LABEL, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "HIDEAFTER"},
    {IDC_PREFS_HIDENOTICE_UNIT, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "MINUTES"},
    {IDC_PREFS_INTERVAL_UNIT, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "MINUTES"},
    {IDC_PREFS_HIDEREAD_UNIT, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "HOURS"},
    {IDC_PREFS_INTERVAL_LABEL, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "UPDATEAFTER"},
    {IDC_PREFS_HIDEREAD_LABEL, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "HIDEDREADEDAFTER"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl AboutControls[] = {
    {1, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "CLOSE"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl AddFavoriteControls[] = {
    {IDC_ADDFAV_ADD, K::PushButton, 0, nullptr, nullptr, 0, R::AddFavoriteButton, R::None, "ADDFAVOK"},
    {IDC_ADDFAV_CLOSE, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "CLOSE"},
    {IDC_ADDFAV_NAME_LABEL, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "NAME"},
    {IDC_ADDFAV_ADDRESS_LABEL, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "ADRESS"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl FavoritesControls[] = {
    {IDC_FAV_CLOSE, K::PushButton, 0, nullptr, nullptr, 0, R::CloseFavorites, R::None, "CLOSE"},
    {IDC_FAV_DELETE, K::PushButton, 0, nullptr, nullptr, 0, R::DeleteFavorites, R::None, "DELETE"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl StatusControls[] = {
    {IDC_STATUS_SEND, K::PushButton, 0, nullptr, nullptr, 0, R::PostStatus, R::None, "INSERTSTATUS"},
    {IDC_STATUS_CLOSE, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "CLOSE"},
    {IDC_STATUS_HEADER, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "STATUSHEADER"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};
}  // namespace

DialogRow DialogTable[DialogCount] = {
    {nullptr, 0, IDD_COMMENT, DialogInit::Comment, DialogClosing::None, CommentControls, nullptr, "ADDCOMMENT"},
    {nullptr, 0, IDD_PREFERENCES, DialogInit::FillBoundControls, DialogClosing::ReportSuccess, PreferencesControls, nullptr, "PREFS"},
    {nullptr, 0, IDD_INFORMATION, DialogInit::Log, DialogClosing::None, nullptr, nullptr, "REPORTING"},
    {nullptr, 0, IDD_ABOUT, DialogInit::About, DialogClosing::None, AboutControls, nullptr, "ABOUT"},
    {nullptr, 0, IDD_ADDFAVORITE, DialogInit::AddFavorite, DialogClosing::None, AddFavoriteControls, nullptr, "ADDFAV"},
    {nullptr, 0, IDD_FAVORITES, DialogInit::FillFavorites, DialogClosing::None, FavoritesControls, nullptr, "FAVDIALOG"},
    {nullptr, 0, IDD_STATUS, DialogInit::MoveToCursor, DialogClosing::None, StatusControls, nullptr, nullptr},
};

DialogRow* FindDialogRow(const void* window) {
    if (!window) return nullptr;
    for (auto& row : DialogTable)
        if (row.window == window) return &row;
    return nullptr;
}
