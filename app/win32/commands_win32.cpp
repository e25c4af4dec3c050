#include "app/win32/commands_win32.h"

#include <windows.h>

#include <cstring>

#include "app/refresh_cycle.h"
#include "app/win32/main_window.h"
#include "app/win32/tray_icon.h"
#include "app/win32/tray_menus.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "net/signin.h"
#include "store/data_store.h"
#include "ui/command_table.h"
#include "ui/commands.h"
#include "ui/content_dialogs.h"
#include "ui/menu_choice.h"
#include "ui/win32/browser_host.h"
#include "ui/win32/dialogs.h"

namespace {
UpdateOffer updateOffer = nullptr;

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

void Open(const std::u16string& address, bool showMain) {
    NavigateBrowser(BrowserNavigation{address, false, showMain, true});
}

void CopyAddressToClipboard() {
    if (!BrowserReady()) return;
    const std::u16string address = AddressWithoutToken(BrowserInUseAddress());
    if (address.empty()) return;
    if (!OpenClipboard(MainWindowHandle())) return;
    EmptyClipboard();
    const size_t bytes = (address.size() + 1) * sizeof(char16_t);
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* to = GlobalLock(block)) {
            std::memcpy(to, address.c_str(), bytes);
            GlobalUnlock(block);
            if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
        } else {
            GlobalFree(block);
        }
    }
    CloseClipboard();
}

void CheckForUpdate() {
    if (updateOffer && updateOffer() == 1) {
        PostMessageW(MainWindowHandle(), WM_COMMAND, CmdExitProgram, 0);
        return;
    }
    TrayShowBalloon(LookupText("ICON_NONEWVERSION"));
}

void Carry(const CommandEffect& e) {
    switch (e.step) {
    case CommandStep::Navigate: Open(e.address, e.showMain); break;
    case CommandStep::ShowMainWindow: ShowMainWindow(); break;
    case CommandStep::DestroyMainWindow: DestroyWindow(MainWindowHandle()); break;
    case CommandStep::BrowserBack: MoveBrowserInUse(BrowserMove::Back); break;
    case CommandStep::BrowserForward: MoveBrowserInUse(BrowserMove::Forward); break;
    case CommandStep::BrowserReload: MoveBrowserInUse(BrowserMove::Reload); break;
    case CommandStep::SearchHome:
        if (BrowserReady()) Open(SearchHomeUrl, false);
        break;
    case CommandStep::CloseMenu:
        // A right click may open a dialog while the popup is still up: it closes, and
        // its session is released when the popup returns.
        EndMenu();
        break;
    case CommandStep::OpenDialog: OpenDialog(e.value); break;
    case CommandStep::RefreshNow: UpdateDataCommand(ProgramStore()); break;
    case CommandStep::MarkAllRead: MarkAllRead(ProgramStore()); break;
    case CommandStep::BeginSignIn: BeginSignIn(); break;
    case CommandStep::StopRefresh: StopRefresh(); break;
    case CommandStep::SignOut: SignOut(); break;
    case CommandStep::ReleaseSignedInData: ProgramStore().ReleaseSignedInData(); break;
    case CommandStep::ForgetAnnouncement: ForgetAnnouncement(); break;
    case CommandStep::RebuildMenuBar: Shell().RebuildMenuBar(); break;
    case CommandStep::RedrawBanner: RedrawBanner(true); break;
    case CommandStep::OfferUpdate: CheckForUpdate(); break;
    case CommandStep::ShowPageView: ShowBrowser(false, true); break;
    case CommandStep::ClosePageView: ClosePageBrowser(); break;
    case CommandStep::ShowNewAndUpdatedMenu:
        RedrawBanner(true);
        ShowTrayMenu(MainWindowHandle(), TrayMenu::NewAndUpdated);
        RedrawBanner(true);
        break;
    case CommandStep::CopyAddress: CopyAddressToClipboard(); break;
    }
}

// Add-favourite dialog: the page shown in the browser in use.
void InitAddFavorite(HWND dialog, DialogRow&) {
    if (!BrowserReady()) return;
    // After the sign-in the service view still shows the address that carried the token.
    SetDlgItemTextW(dialog, 1002, W(AddressWithoutToken(BrowserInUseAddress())));
    SetDlgItemTextW(dialog, 1031, W(BrowserInUseTitle()));
}

int32_t AddFavoriteButton(HWND dialog, const DialogControl&) {
    if (!BrowserReady()) return 1;
    Win32DialogControls ui(dialog);
    if (!AddFavoriteFromDialog(ProgramStore(), ui.GetText(1031, FavoriteNameLimit), ui.GetText(1002, FavoriteNameLimit)))
        return 1;  // nothing typed: the dialog stays
    Shell().RebuildMenuBar();
    CloseDialog(dialog);
    return 1;
}
}  // namespace

int32_t RunCommand(MenuItemData* item, int32_t code) {
    const CommandPlan plan = DispatchCommand(ProgramStore(), item, code);
    for (const CommandEffect& e : plan.steps) Carry(e);
    return plan.result;
}

void InstallCommandDispatcher() {
    MenuChoiceHooks hooks = CurrentMenuChoiceHooks();
    if (!hooks.openLink)
        hooks.openLink = [](std::u16string_view link) { Open(std::u16string(link), true); };
    hooks.dispatch = RunCommand;
    SetMenuChoiceHooks(std::move(hooks));
    RegisterDialogInit(DialogInit::AddFavorite, InitAddFavorite);
    RegisterDialogRoutine(DialogRoutine::AddFavoriteButton, AddFavoriteButton);
}

void SetUpdateOffer(UpdateOffer offer) { updateOffer = offer; }
