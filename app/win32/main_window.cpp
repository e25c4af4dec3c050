#include "app/win32/main_window.h"

#include <commctrl.h>
#include <objbase.h>

#include <mutex>
#include <vector>

#include "app/main_commands.h"
#include "app/win32/commands_win32.h"
#include "app/refresh_cycle.h"
#include "app/toolbar_layout.h"
#include "app/tray_clicks.h"
#include "app/win32/popup_notice.h"
#include "app/win32/shell_messages.h"
#include "app/win32/single_instance.h"
#include "app/win32/tray_icon.h"
#include "app/win32/tray_menus.h"
#include "app/win32/user_banner.h"
#include "app/window_rules.h"
#include "base/resource_ids.h"
#include "base/settings.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "net/service_address.h"
#include "net/signin.h"
#include "store/data_store.h"
#include "ui/colour_scheme.h"
#include "ui/command_table.h"
#include "ui/dialog_table.h"
#include "ui/menu_choice.h"
#include "ui/win32/browser_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/drawing.h"
#include "ui/win32/menu_window.h"

namespace {
constexpr int AddressFieldId = 200;
constexpr int ProgressBarId = 201;
constexpr UINT_PTR RefreshTimerId = 1;
constexpr UINT_PTR BannerTimerId = 21;
constexpr UINT_PTR TrimTimerId = 22;

HWND mainWindow = nullptr;
HINSTANCE instance = nullptr;
DataStore* programStore = nullptr;
UINT taskbarCreated = 0;

HWND addressField = nullptr;
HWND progressBar = nullptr;
bool editingAddress = false;

std::vector<HWND> toolbarButtons;
HWND toolTips = nullptr;  // one tip per shown button, its label in the current language
bool toolbarStale = false;
bool toolbarLaidOut = false;
RECT bannerRect = {0, 0, 0, BannerHeight};
int32_t bannerRight = 0;
bool placed = false;  // moved to the rectangle of the settings
std::u16string pendingAddress;
TrayClickMachine trayClicks;

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

std::u16string CurrentLanguageCode() { return TextTable[EffectiveLanguage(AppSettings)].code; }

// The main window keeps its restored rectangle in the settings, so the file has the
// last normal position even when the program ends while the window is minimised.
void TrackWindowPosition() {
    // Before the window stands where the settings say, its rectangle is only the
    // creation default and must not replace the stored one.
    if (!SettingsLoaded() || !placed) return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(mainWindow, &placement)) return;
    const RECT& r = placement.rcNormalPosition;
    StoreWindowRect(AppSettings, {r.left, r.top, r.right, r.bottom});
}

// `tabTitle` names the page tab when the address opens there.
void OpenAddress(const std::u16string& address, bool showMain, const std::u16string& tabTitle = {}) {
    if (address.empty()) return;
    BrowserNavigation navigation{address, false, showMain, true};
    navigation.tabTitle = tabTitle;
    NavigateBrowser(navigation);
}

void OnAddressFieldNotice(int code) {
    if (code == EN_SETFOCUS) {
        SetWindowTextW(addressField, L"");
        SendMessageW(addressField, EM_SETREADONLY, FALSE, 0);
        editingAddress = true;
    } else if (code == EN_KILLFOCUS && editingAddress) {
        editingAddress = false;
        SendMessageW(addressField, EM_SETREADONLY, TRUE, 0);
    }
}

std::u16string FavoriteAddress(int32_t index) {
    DataStore& store = ProgramStore();
    std::lock_guard<std::mutex> hold(store.mutex());
    auto* node = ItemAt(store.favorites, index);
    return node ? node->payload.address : std::u16string();
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    HWND from = reinterpret_cast<HWND>(lParam);
    const bool fromControl = from && !ToolbarRowForId(id);
    if (from && from == addressField) OnAddressFieldNotice(code);

    const MainCommand command = ResolveMainCommand(id, code, fromControl, HaveAccessToken());
    switch (command.kind) {
    case MainCommand::Run:
        // Addresses of the menu and the link buttons open without bringing the window up.
        if (command.action) RunProgramCommand(command.action);
        if (command.row) {
            if (command.row->action) RunProgramCommand(command.row->action);
            OpenAddress(CommandRowAddress(*command.row, WebBase()), false,
                        command.titleKey ? std::u16string(LookupText(command.titleKey)) : std::u16string());
        }
        return 0;
    case MainCommand::Favorite: OpenAddress(FavoriteAddress(command.favorite), false); return 0;
    case MainCommand::Exit: DestroyWindow(mainWindow); return 0;
    case MainCommand::FavoritesDialog: OpenDialog(DialogFavorites); return 1;
    case MainCommand::Default: break;
    }
    if (fromControl) return 0;
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}

// The icon-only buttons say what they do in a tip; nullptr removes the button's tip.
void SetButtonTip(HWND button, const char16_t* text) {
    if (!toolTips && text) {
        toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow, nullptr, instance, nullptr);
    }
    if (!toolTips) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = mainWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    if (!text) {
        SendMessageW(toolTips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    TTTOOLINFOW known = tool;
    const bool added = SendMessageW(toolTips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known)) != 0;
    tool.lpszText = const_cast<wchar_t*>(W(text));
    SendMessageW(toolTips, added ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The tray click machine decides; the window carries it out.
void CarryTrayClick(HWND window, const TrayClickAction& a) {
    // The menus open where the cursor is when they open, so the press position is not kept.
    if (a.killClickTimer) KillTimer(window, ClickTimerId);
    if (a.startClickTimer) SetTimer(window, ClickTimerId, ClickTimerPeriod, nullptr);
    if (a.showMainWindow) {
        RedrawBanner(true);
        ShowHideMainWindow(false, true);
    }
    if (a.menu != TrayMenu::None) ShowTrayMenu(window, a.menu);
    if (a.resend) {
        SendMessageW(window, TrayCallbackMessage, 1, a.resend);
        trayClicks.Reset();
    }
}

void OnTimer(HWND window, UINT_PTR id) {
    if (!pendingAddress.empty()) {
        const std::u16string address = std::move(pendingAddress);
        pendingAddress.clear();
        NavigateBrowser(BrowserNavigation{address, false, true, true});
    }
    switch (id) {
    case RefreshTimerId:
        // A tray that was not ready when the program started gets the icon now.
        if (!TrayAdded()) TrayAdd(TrayIconForState(TrayState));
        PopupNoticeTick();
        OnRefreshTimer(ProgramStore());
        break;
    case ClickTimerId: CarryTrayClick(window, trayClicks.OnClickTimer()); break;
    case FadeTimerId: PopupNoticeFadeStep(); break;
    case BannerTimerId: RedrawBanner(true); break;
    case TrimTimerId:
        CoFreeUnusedLibrariesEx(0, 0);
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
        break;
    default: break;
    }
}

// The strip behind the tool bar: a vertical gradient from the button face at the
// bottom to the scheme's header colour at the top.
void EraseBanner(HDC dc) {
    RECT client;
    GetClientRect(mainWindow, &client);
    int32_t width = client.right;
    // The user banner paints its own part.
    if (toolbarLaidOut && bannerRect.left < width) width = bannerRect.left;
    if (width <= 0) return;
    HBITMAP strip = MakeGradient(GetSysColor(COLOR_BTNFACE), dc, width, BannerHeight,
                                 CurrentColourScheme().header1, true);
    if (!strip) return;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, strip);
    BitBlt(dc, 0, 0, width, BannerHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(strip);
}

void PaintMain(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HGDIOBJ old = GetFont(FontNormal, dc);
    if (toolbarLaidOut) PaintUserBanner(dc, bannerRect);
    SelectObject(dc, old);
    EndPaint(window, &ps);
}

void OnPopupClick(HWND window) {
    ClosePopupNotice(window);
    RestackPopupNotices();
    if (NewCountTotal > 0 && ContentMenuOpen == 0) {
        NewCountTotal = 0;
        ShowTrayMenu(mainWindow, TrayMenu::NewAndUpdated);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (HandleMenuMessage(window, message, wParam, lParam, &handled)) return handled;
    if (HandleShellMessage(window, message, wParam, lParam)) return 0;
    const bool isMain = window == mainWindow && mainWindow;

    switch (message) {
    case WM_DESTROY:
        if (isMain) PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        if (IsPopupNotice(window)) {
            ClosePopupNotice(window);
            RestackPopupNotices();
            NewCountTotal = 0;
        } else if (isMain) {
            ShowHideMainWindow(true, true);
        }
        return 0;
    case WM_PAINT:
        if (IsPopupNotice(window)) PaintPopupNotice(window);
        else PaintMain(window);
        return 0;
    case WM_ERASEBKGND:
        if (!isMain) break;
        EraseBanner(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_WINDOWPOSCHANGING:
        if (!isMain) break;
        TrackWindowPosition();
        break;
    case WM_WINDOWPOSCHANGED:
        if (!isMain) break;
        TrackWindowPosition();
        RelayoutMainWindow();
        return 0;
    case WM_SIZING:
        if (!isMain) break;
        {
            RECT* r = reinterpret_cast<RECT*>(lParam);
            PixelRect held = ApplySizingRule({r->left, r->top, r->right, r->bottom}, static_cast<int32_t>(wParam),
                                             AppSettings.widthMayChange != 0);
            *r = ToRect(held);
            RelayoutMainWindow();
        }
        return TRUE;
    case WM_GETMINMAXINFO:
        if (!isMain) break;
        {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const TrackLimits t = MainWindowTrackLimits(AppSettings.widthMayChange != 0);
            info->ptMinTrackSize.x = t.minWidth;
            info->ptMinTrackSize.y = t.minHeight;
            if (t.maxWidth) info->ptMaxTrackSize.x = t.maxWidth;
        }
        return 0;
    case WM_NCHITTEST: {
        LRESULT hit = DefWindowProcW(window, message, wParam, lParam);
        if (hit == HTCLIENT && window != CurrentPopupNotice()) hit = HTCAPTION;
        return hit;
    }
    case WM_NOTIFY:
        if (isMain) {
            LRESULT result = 0;
            if (HandleBrowserNotify(reinterpret_cast<const NMHDR*>(lParam), &result)) return result;
        }
        break;
    case WM_COMMAND:
        if (isMain) return OnCommand(window, wParam, lParam);
        break;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        if (window == CurrentPopupNotice()) {
            OnPopupClick(window);
            return 0;
        }
        break;
    case TrayCallbackMessage:
        CarryTrayClick(window, trayClicks.OnMouse(static_cast<uint32_t>(LOWORD(lParam)), ContentMenuOpen != 0));
        return 0;
    default:
        if (message == taskbarCreated && taskbarCreated) OnTaskbarCreated();
        if (isMain && message == ShowMainRequestMessage() && message) {
            RedrawBanner(true);
            ShowHideMainWindow(false, true);  // a second start of the program
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class MainWindowBrowserListener final : public BrowserListener {
public:
    void BrowserTitleChanged(const std::u16string& title, bool pageDone) override {
        const std::u16string caption = CutCaption(u"Orv - " + title);
        SetWindowTextW(mainWindow, W(caption));
        if (MainWindowShown() || SigningIn() || !pageDone) return;
        // A hidden window's page that announces something shows in the tray.
        if (!title.empty()) SetTrayStateIcon(title == u"Facebook" ? TrayStateNormal : TrayStateBrowser);
        TraySetTooltip(caption);
    }
    void BrowserStatusText(const std::u16string& text) override {
        if (!editingAddress) SetAddressText(text.empty() ? std::u16string(ProgramTitle) : text);
    }
    void BrowserProgress(bool active, int32_t position, int32_t maximum) override {
        if (maximum > 0) SetProgress(position, maximum);
        else ShowProgressBar(active);
    }
    // Opened at the next timer tick, outside the control's event.
    void BrowserNewWindowRequested(const std::u16string& address) override { pendingAddress = address; }
    void BrowserPageLoaded(const std::u16string&) override { ShowProgressBar(false); }
    void BrowserCloseRequested() override { ClosePageBrowser(); }
    void BrowserSignInResult(const PageLoadedActions& actions) override {
        if (actions.showMain) ShowHideMainWindow(false, actions.forceShow);
        if (actions.showNoAccessBox)
            Shell().ShowMessageBox(LookupText("MB_NOFBACCESS"), LookupText("NOTICE"), MB_ICONINFORMATION);
        if (actions.tokenCaptured) {
            // Signed in: the menu bar and the tool bar get their signed-in rows.
            Shell().RebuildMenuBar();
            MarkToolbarStale();
            RedrawBanner(true);
        }
    }
    void BrowserWantsWindow() override { ShowMainWindow(); }
    void BrowserPageTabShown(bool shown) override { SetToolbarButtonVisible(ActionClosePageView, shown); }

private:
    static std::u16string CutCaption(std::u16string text) {
        if (text.size() > StatusTextLimit) text.resize(StatusTextLimit);
        return text;
    }
};

MainWindowBrowserListener browserListener;

// A saved language relabels everything the window shows.
void OnPreferencesSaved() {
    RelabelBrowserTabs();
    InstallMenuBar(mainWindow, ProgramStore());
    MarkToolbarStale();
    RedrawBanner(true);
}
}  // namespace

HWND CreateMainWindow(HINSTANCE inst, const std::wstring& className, const std::wstring& title,
                      DataStore& store) {
    instance = inst;
    programStore = &store;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_PROGRAM));
    wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_TRAY_NORMAL), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className.c_str();
    RegisterClassExW(&wc);
    mainWindow = CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                 MainWindowMinWidth, MainWindowMinHeight, nullptr, nullptr, inst, nullptr);
    if (!mainWindow) return nullptr;
    SetTimer(mainWindow, RefreshTimerId, 1000, nullptr);
    SetTimer(mainWindow, BannerTimerId, 10000, nullptr);
    SetTimer(mainWindow, TrimTimerId, 60000, nullptr);
    taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    SetPreferencesSavedHook(OnPreferencesSaved);
    SetPopupNoticeOwner(mainWindow);
    return mainWindow;
}

bool CreateBrowserArea() {
    ShowWindow(mainWindow, SW_HIDE);
    const bool ready = CreateBrowserHost(mainWindow, &browserListener);
    RelayoutMainWindow();
    return ready;
}

HWND MainWindowHandle() { return mainWindow; }

DataStore& ProgramStore() { return *programStore; }

void PlaceMainWindow() {
    const PixelRect r = StoredWindowRect(AppSettings);
    SetWindowPos(mainWindow, nullptr, r.left, r.top, r.width(), r.height(), SWP_NOZORDER | SWP_NOACTIVATE);
    placed = true;
    TrackWindowPosition();
}

void ShowHideMainWindow(bool hide, bool force) {
    if (SigningIn() && !force) return;
    if (hide) {
        ShowWindow(mainWindow, SW_HIDE);
        return;
    }
    if (TrayState == TrayStateBrowser) SetTrayStateIcon(TrayStateNormal);
    ShowWindow(mainWindow, IsIconic(mainWindow) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(mainWindow);
}

void ShowMainWindow() { ShowHideMainWindow(false, true); }

bool MainWindowShown() { return mainWindow && IsWindowVisible(mainWindow); }

void CreateBottomStrip() {
    RECT client;
    GetClientRect(mainWindow, &client);
    const MainWindowLayout l = LayoutMainWindow(client.right, client.bottom);
    wchar_t title[101] = {};
    GetWindowTextW(mainWindow, title, 101);
    addressField = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"Edit", title,
                                   WS_CHILD | WS_VISIBLE | ES_CENTER | ES_READONLY | ES_AUTOHSCROLL, l.addressField.left,
                                   l.addressField.top, l.addressField.width(), l.addressField.height(), mainWindow,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(AddressFieldId)), instance, nullptr);
    SendMessageW(addressField, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(FontNormal)), FALSE);
    progressBar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD, l.progressBar.left, l.progressBar.top,
                                  l.progressBar.width(), l.progressBar.height(), mainWindow,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(ProgressBarId)), instance, nullptr);
}

HWND AddressField() { return addressField; }
bool AddressFieldEditing() { return editingAddress; }

void SetAddressText(const std::u16string& text) {
    if (addressField) SetWindowTextW(addressField, W(text));
}

void SubmitAddressField() {
    const int length = GetWindowTextLengthW(addressField);
    std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(addressField, typed.data(), length + 1);
    typed.resize(static_cast<size_t>(length));
    const std::u16string address(typed.begin(), typed.end());
    const std::u16string shown = ServiceBrowserAddress();
    if (!address.empty() && !(!shown.empty() && address == shown))
        NavigateBrowser(BrowserNavigation{address, false, true, true});
    SendMessageW(addressField, EM_SETREADONLY, TRUE, 0);
    SetFocus(mainWindow);
}

void ShowProgressBar(bool show) {
    if (progressBar) ShowWindow(progressBar, show ? SW_SHOW : SW_HIDE);
}

void SetProgress(int32_t position, int32_t maximum) {
    if (!progressBar) return;
    SendMessageW(progressBar, PBM_SETRANGE32, 0, maximum > 0 ? maximum : 100);
    SendMessageW(progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void RelayoutMainWindow() {
    if (!mainWindow) return;
    RECT client;
    GetClientRect(mainWindow, &client);
    if (client.right <= 0 || client.bottom <= 0) return;  // minimised
    const MainWindowLayout l = LayoutMainWindow(client.right, client.bottom);
    LayoutBrowserTabs(ToRect(l.tabArea));
    if (bannerRight != client.right) {
        bannerRight = client.right;
        RedrawBanner(false);
    }
    if (addressField)
        SetWindowPos(addressField, nullptr, l.addressField.left, l.addressField.top, l.addressField.width(),
                     l.addressField.height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (progressBar)
        SetWindowPos(progressBar, nullptr, l.progressBar.left, l.progressBar.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayoutToolbarButtons() {
    const ToolbarLayout layout = LayoutToolbar(CurrentLanguageCode(), HaveAccessToken());
    const int32_t rows = ToolbarRowCount();
    const bool first = toolbarButtons.empty();
    toolbarButtons.resize(static_cast<size_t>(rows), nullptr);
    for (int32_t i = 0; i < rows; ++i) {
        const ToolbarRow& row = ToolbarTable[i];
        const ToolbarSlot& slot = layout.slots[static_cast<size_t>(i)];
        HWND& button = toolbarButtons[static_cast<size_t>(i)];
        if (row.icon == ToolbarGap) continue;
        if (!slot.shown) {
            if (button) {
                SetButtonTip(button, nullptr);
                DestroyWindow(button);
            }
            button = nullptr;
            continue;
        }
        if (button) {
            SetWindowPos(button, nullptr, slot.x, ToolbarTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            SetWindowTextW(button, W(LookupText(row.labelKey)));  // the language may have changed
            SetButtonTip(button, LookupText(row.labelKey));
            continue;
        }
        button = CreateWindowExW(0, L"BUTTON", W(LookupText(row.labelKey)),
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_FLAT | BS_ICON, slot.x, ToolbarTop,
                                 ToolbarButtonSize, ToolbarButtonSize, mainWindow,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), instance, nullptr);
        HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(row.icon), IMAGE_ICON, 32, 32, LR_SHARED);
        SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(FontNormal)), FALSE);
        if (first && HiddenAfterFirstLayout(row, false)) ShowWindow(button, SW_HIDE);
        SetButtonTip(button, LookupText(row.labelKey));
    }
    RECT client;
    GetClientRect(mainWindow, &client);
    bannerRect = {layout.bannerLeft, 0, client.right, BannerHeight};
    InvalidateRect(mainWindow, &bannerRect, TRUE);
    toolbarStale = false;
    toolbarLaidOut = true;
}

void MarkToolbarStale() { toolbarStale = true; }

void RedrawBanner(bool force) {
    if (!mainWindow) return;
    if (bannerRect.right != bannerRight) DropUserBanner(false);
    bannerRect.right = bannerRight;
    if (!force) return;
    DropUserBanner(true);
    if (toolbarStale || !toolbarLaidOut) LayoutToolbarButtons();
    RECT client;
    GetClientRect(mainWindow, &client);
    bannerRect.right = client.right;
    InvalidateRect(mainWindow, &bannerRect, TRUE);
}

void SetToolbarButtonVisible(int32_t commandId, bool visible) {
    const int32_t id = ToolbarIdForCommand(commandId);
    if (id <= 0 || static_cast<size_t>(id) > toolbarButtons.size()) return;
    if (HWND button = toolbarButtons[static_cast<size_t>(id - 1)]) ShowWindow(button, visible ? SW_SHOW : SW_HIDE);
}

int32_t RunProgramCommand(int32_t action) { return RunCommand(nullptr, action); }
