#include "ui/dialog_table.h"

#include "base/settings.h"
#include "net/run_at_logon.h"

namespace {
using K = ControlKind;
using R = DialogRoutine;

const char* const LanguageChoices[] = {"CZECHLANG", "ENGLANG", "DELANG", "SLOVAKLANG", nullptr};


const DialogControl CommentControls[] = {
    {1000, K::PushButton, 0, nullptr, nullptr, 0, R::SendComment, R::None, nullptr},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

// 1018 stands twice: opening shows the copy (the later row), saving writes both.
const DialogControl PreferencesControls[] = {
    {1006, K::PushButton, 0, nullptr, nullptr, 0, R::SavePreferences, R::None, "PREFSSAVE"},
    {1007, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "PREFSCANCEL"},
    {1009, K::CheckBox, 0, nullptr, &RunAtLogonState, 0, R::None, R::None, "STARTUPRUN"},
    {1010, K::CheckBox, 0, nullptr, &AppSettings.openMainWindowAtStart, 0, R::None, R::None, "PREFSOPENW"},
    {1011, K::CheckBox, 0, nullptr, &AppSettings.notifyNewAndUpdated, 0, R::None, R::None, "PREFSNOTIFY"},
    {1008, K::NumberField, 0, nullptr, &AppSettings.refreshInterval, 0, R::None, R::None, nullptr},
    {1012, K::CheckBox, 0, nullptr, &AppSettings.widthMayChange, 0, R::None, R::None, "PREFSWIDTH"},
    {1013, K::CheckBox, 0, nullptr, &AppSettings.commentsNewestFirst, 0, R::None, R::None, "PREFSCOMMENTS"},
    {1014, K::NumberField, 0, nullptr, &AppSettings.hideReadPostsAfter, 0, R::None, R::None, nullptr},
    {1015, K::CheckBox, 0, nullptr, &AppSettings.likesOnlyFromFriends, 0, R::None, R::None, "PREFSLIKESF"},
    {1018, K::CheckBox, 0, nullptr, &AppSettings.commentsOnlyFromFriends, 0, R::None, R::None, "PREFSCOMMENTSF"},
    {1016, K::NumberField, 0, nullptr, &AppSettings.hideNoticeAfter, 0, R::None, R::None, nullptr},
    {1017, K::CheckBox, 0, nullptr, &AppSettings.notifyOnlyWithHiddenWindow, 0, R::None, R::None, "HIDDENNOTICE"},
    {1018, K::CheckBox, 0, nullptr, &AppSettings.commentsOnlyFromFriendsCopy, 0, R::None, R::None, nullptr},
    {1021, K::ComboBox, 0, LanguageChoices, &AppSettings.language, 0, R::None, R::None, nullptr},
    {1022, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "PREFSLANG"},
    {1025, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "HIDEAFTER"},
    {1026, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "MINUTES"},
    {1028, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "MINUTES"},
    {1027, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "HOURS"},
    {1029, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "UPDATEAFTER"},
    {1030, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "HIDEDREADEDAFTER"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl AboutControls[] = {
    {1, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "CLOSE"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl AddFavoriteControls[] = {
    {1032, K::PushButton, 0, nullptr, nullptr, 0, R::AddFavoriteButton, R::None, "ADDFAVOK"},
    {1003, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "CLOSE"},
    {1023, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "NAME"},
    {1024, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "ADRESS"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl FavoritesControls[] = {
    {1035, K::PushButton, 0, nullptr, nullptr, 0, R::CloseFavorites, R::None, "CLOSE"},
    {1036, K::PushButton, 0, nullptr, nullptr, 0, R::DeleteFavorites, R::None, "DELETE"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};

const DialogControl StatusControls[] = {
    {1038, K::PushButton, 0, nullptr, nullptr, 0, R::PostStatus, R::None, "INSERTSTATUS"},
    {1002, K::PushButton, 0, nullptr, nullptr, 0, R::CloseButton, R::None, "CLOSE"},
    {1039, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, "STATUSHEADER"},
    {0, K::Label, 0, nullptr, nullptr, 0, R::None, R::None, nullptr},
};
}  // namespace

DialogRow DialogTable[DialogCount] = {
    {nullptr, 0, 147, DialogInit::Comment, DialogClosing::None, CommentControls, nullptr, "ADDCOMMENT"},
    {nullptr, 0, 132, DialogInit::FillBoundControls, DialogClosing::ReportSuccess, PreferencesControls, nullptr, "PREFS"},
    {nullptr, 0, 397, DialogInit::Log, DialogClosing::None, nullptr, nullptr, "REPORTING"},
    {nullptr, 0, 154, DialogInit::About, DialogClosing::None, AboutControls, nullptr, "ABOUT"},
    {nullptr, 0, 398, DialogInit::AddFavorite, DialogClosing::None, AddFavoriteControls, nullptr, "ADDFAV"},
    {nullptr, 0, 399, DialogInit::FillFavorites, DialogClosing::None, FavoritesControls, nullptr, "FAVDIALOG"},
    {nullptr, 0, 400, DialogInit::MoveToCursor, DialogClosing::None, StatusControls, nullptr, nullptr},
};

DialogRow* FindDialogRow(const void* window) {
    if (!window) return nullptr;
    for (auto& row : DialogTable)
        if (row.window == window) return &row;
    return nullptr;
}
