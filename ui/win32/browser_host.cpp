#include "ui/win32/browser_host.h"

#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <ole2.h>
#include <shlobj.h>
#include <wininet.h>

#include <vector>

#include "base/resource_ids.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "net/service_address.h"
#include "net/signin.h"
#include "ui/command_table.h"
#include "ui/win32/browser_view.h"
#include "ui/win32/drawing.h"
#include "ui/win32/image_decoder.h"

std::u16string LoggedOutToken;
OrvBrowser* ServiceBrowser = nullptr;
OrvBrowser* PageBrowser = nullptr;
int32_t ServiceViewActive = 0;
int32_t TabCount = 0;
int32_t CurrentTab = 0;
int32_t TabNavigationPending = 0;
int32_t PageTabRemoved = 1;

namespace {

constexpr const wchar_t* EmulationKey = L"SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr const wchar_t* SoundsKey =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_DISABLE_NAVIGATION_SOUNDS";
constexpr int32_t TabImageSize = 15;

HWND parentWindow = nullptr;
BrowserListener* listener = nullptr;
HWND tabControl = nullptr;
HIMAGELIST tabImages = nullptr;
int32_t pageTabImage = -1;
int32_t stripHeight = 0;
bool oleStarted = false;
OrvBrowser serviceView;
OrvBrowser pageView;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Both views fill the tab control below its strip, with a margin.
RECT ViewPlace() {
    RECT client = {0, 0, 0, 0};
    if (tabControl) GetClientRect(tabControl, &client);
    RECT place;
    place.left = 4;
    place.top = 6 + stripHeight;
    place.right = place.left + (client.right - 10 > 0 ? client.right - 10 : 0);
    place.bottom = place.top + (client.bottom - 12 - stripHeight > 0 ? client.bottom - 12 - stripHeight : 0);
    return place;
}

int32_t AddTabImage(int32_t iconId) {
    if (!tabImages || iconId == 0) return -1;
    HBITMAP bitmap = LoadMenuIcon(iconId);
    if (!bitmap) return -1;
    int32_t index = ImageList_Add(tabImages, bitmap, nullptr);
    DeleteObject(bitmap);
    return index;
}

void CreateTabs() {
    tabImages = ImageList_Create(TabImageSize, TabImageSize, ILC_COLOR24, 10, 2);
    TabCount = 0;
    for (const CommandRow* row = CommandTable; !IsEndRow(*row); ++row) {
        if (!(row->flags & RowGoTo)) continue;
        std::u16string text = row->key ? LookupText(row->key) : u"";
        TCITEMW item = {};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<wchar_t*>(Wide(text));
        item.lParam = reinterpret_cast<LPARAM>(row);
        int32_t image = AddTabImage(row->iconId);
        if (image >= 0) {
            item.mask |= TCIF_IMAGE;
            item.iImage = image;
        }
        SendMessageW(tabControl, TCM_INSERTITEMW, TabCount, reinterpret_cast<LPARAM>(&item));
        ++TabCount;
    }
    pageTabImage = AddTabImage(IDM_PAGE_TAB);
    SendMessageW(tabControl, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tabImages));
    RECT first = {0, 0, 0, 0};
    if (SendMessageW(tabControl, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first))) stripHeight = first.bottom;
}

void SetUpView(OrvBrowser& view) {
    if (!view.browser) return;
    view.browser->put_Silent(VARIANT_TRUE);  // no script error dialogs
    view.browser->put_AddressBar(VARIANT_FALSE);
    view.browser->put_MenuBar(VARIANT_FALSE);
    view.browser->put_ToolBar(VARIANT_FALSE);
    view.browser->put_StatusBar(VARIANT_FALSE);
    if (FAILED(view.browser->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&view.activeObject))))
        view.activeObject = nullptr;
    view.topFrame = 0;
}

bool StartNavigation(OrvBrowser& view, const std::u16string& address, bool background) {
    if (!view.browser) return false;
    BSTR url = SysAllocString(Wide(address));
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = background ? (navNoHistory | navNoReadFromCache | navNoWriteToCache) : navNoWriteToCache;
    VARIANT frame;
    VariantInit(&frame);
    frame.vt = VT_BSTR;
    frame.bstrVal = SysAllocString(L"_self");
    VARIANT none;
    VariantInit(&none);
    HRESULT hr = view.browser->Navigate(url, &flags, &frame, &none, &none);
    VariantClear(&frame);
    SysFreeString(url);
    return SUCCEEDED(hr);
}

// Deleting an entry frees its blocks in the cache index without clearing them, so the
// freed bytes still spell the address (and an entry still in use is only marked). Every
// copy of the secret left in the index becomes 'x's of the same length.
void ScrubCacheIndex(int folderId, const wchar_t* tail, const std::wstring& secret) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, folder))) return;
    const std::wstring path = std::wstring(folder) + tail;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (64 << 20)) {
        std::string data(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        if (ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) && read == data.size()) {
            // The secret as the index may hold it: bytes of the address, or UTF-16.
            const std::string narrow(secret.begin(), secret.end());
            std::string wide, wideFiller;
            for (wchar_t c : secret) {
                wide += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
                wideFiller += {'x', '\0'};
            }
            const std::pair<std::string, std::string> forms[] = {{narrow, std::string(narrow.size(), 'x')},
                                                                 {wide, wideFiller}};
            for (const auto& [needle, filler] : forms) {
                for (size_t at = data.find(needle); at != std::string::npos; at = data.find(needle, at + 1)) {
                    LARGE_INTEGER offset = {};
                    offset.QuadPart = static_cast<LONGLONG>(at);
                    DWORD written = 0;
                    if (SetFilePointerEx(file, offset, nullptr, FILE_BEGIN))
                        WriteFile(file, filler.data(), static_cast<DWORD>(filler.size()), &written, nullptr);
                }
            }
        }
    }
    CloseHandle(file);
}

}  // namespace

std::u16string FromBstr(BSTR text) {
    if (!text) return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

std::u16string CutText(std::u16string text, size_t limit) {
    if (text.size() > limit) text.resize(limit);
    return text;
}

HWND BrowserTabControl() { return tabControl; }

BrowserListener* Listener() { return listener; }

namespace {
// Writes the feature-control value of this executable under HKEY_CURRENT_USER.
bool SetFeatureControl(const wchar_t* keyPath, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = path;
    for (DWORD i = 0; i < length; ++i)
        if (path[i] == L'\\' || path[i] == L'/') name = path + i + 1;
    DWORD current = 0;
    DWORD size = sizeof(current);
    DWORD type = 0;
    bool same = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&current), &size) == ERROR_SUCCESS &&
                type == REG_DWORD && current == value;
    if (!same) RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    return true;
}
}  // namespace

bool CreateBrowserHost(HWND parent, BrowserListener* owner) {
    if (ServiceBrowser && ServiceBrowser->browser) return true;
    if (!parent) return false;
    parentWindow = parent;
    listener = owner;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));

    SetFeatureControl(EmulationKey, 9000);  // standards mode of a modern engine
    SetFeatureControl(SoundsKey, 1);

    if (!tabControl) {
        tabControl = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                     0, 48, 1040, 552, parent, nullptr, instance, nullptr);
        if (!tabControl) return false;
        SendMessageW(tabControl, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(0)), TRUE);
        CreateTabs();
    }

    if (!oleStarted) oleStarted = SUCCEEDED(OleInitialize(nullptr));
    RegisterHostWindowClass(instance);
    RECT place = ViewPlace();
    ServiceBrowser = &serviceView;
    PageBrowser = &pageView;
    if (!serviceView.host) CreateBrowserView(serviceView, tabControl, 1, place);
    if (!pageView.host) CreateBrowserView(pageView, tabControl, 2, place);
    ConnectBrowserEvents();
    SetUpView(serviceView);
    SetUpView(pageView);
    ShowBrowser(true, false);
    ServiceViewActive = 1;
    if (!serviceView.browser) {
        // Without the control nobody can sign in; the window alone stays usable.
        SetSigningIn(false);
        PageLoadedActions noAccess;
        noAccess.showNoAccessBox = true;
        if (listener) listener->BrowserSignInResult(noAccess);
        return false;
    }
    SetSignInNavigator([](const BrowserNavigation& n) { NavigateBrowser(n); });
    SetSigningIn(true);
    NavigateBrowser(BrowserNavigation{HomePageUrl(), true, true, true});
    return true;
}

void LayoutBrowserTabs(const RECT& area) {
    if (!tabControl) return;
    SetWindowPos(tabControl, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT place = ViewPlace();
    if (ServiceBrowser) PlaceBrowserView(*ServiceBrowser, place);
    if (PageBrowser) PlaceBrowserView(*PageBrowser, place);
}

bool BrowserReady() { return ServiceBrowser && ServiceBrowser->browser; }

void BrowserTranslateKey(MSG& msg) {
    OrvBrowser* view = ServiceViewActive ? ServiceBrowser : PageBrowser;
    if (view && view->activeObject) view->activeObject->TranslateAccelerator(&msg);
}

bool NavigateBrowser(const BrowserNavigation& n) {
    if (n.address.empty() || !ServiceBrowser || !ServiceBrowser->browser) return false;
    bool service = IsServiceUrl(n.address);
    OrvBrowser& target = service ? *ServiceBrowser : *PageBrowser;
    ServiceViewActive = service ? 1 : 0;

    std::u16string address = n.address;
    if (!HaveAccessToken() && service && !n.background) {
        address = HomePageUrl();  // nobody browses the service without signing in
    } else if (address == target.currentAddress) {
        ShowBrowser(ServiceViewActive != 0, n.selectTab);
        if (n.showMain && !SigningIn() && listener) listener->BrowserWantsWindow();
        return false;
    }
    if (address != u"about:blank") ShowBrowser(ServiceViewActive != 0, n.selectTab);
    if (!service && !n.tabTitle.empty()) SetPageTabText(n.tabTitle);
    if (!StartNavigation(target, address, n.background)) return false;
    if (!n.background && n.showMain && !SigningIn() && listener) listener->BrowserWantsWindow();
    return true;
}

void ShowBrowser(bool service, bool selectTab) {
    if (ServiceBrowser && ServiceBrowser->host) ShowWindow(ServiceBrowser->host, service ? SW_RESTORE : SW_HIDE);
    if (PageBrowser && PageBrowser->host) ShowWindow(PageBrowser->host, service ? SW_HIDE : SW_RESTORE);
    ServiceViewActive = service ? 1 : 0;
    int32_t tab = service ? 0 : TabCount;
    if (!service && PageTabRemoved && tabControl) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"");
        if (pageTabImage >= 0) {
            item.mask |= TCIF_IMAGE;
            item.iImage = pageTabImage;
        }
        SendMessageW(tabControl, TCM_INSERTITEMW, TabCount, reinterpret_cast<LPARAM>(&item));
        PageTabRemoved = 0;
        if (listener) listener->BrowserPageTabShown(true);
    }
    if (selectTab && tabControl) SendMessageW(tabControl, TCM_SETCURSEL, tab, 0);
}

void ClosePageBrowser() {
    NavigateBrowser(BrowserNavigation{u"about:blank"});
    ServiceViewActive = 1;
    ShowBrowser(true, true);
    const bool hadTab = !PageTabRemoved;
    if (tabControl && hadTab) SendMessageW(tabControl, TCM_DELETEITEM, TabCount, 0);
    PageTabRemoved = 1;
    if (hadTab && listener) listener->BrowserPageTabShown(false);
}

void SignOut() {
    LoggedOutToken = AccessToken();
    NavigateBrowser(BrowserNavigation{LogoutUrl(LoggedOutToken), false, true, true});
    ClearAccessToken();
}

void ForgetAddressesHolding(const std::u16string& secret) {
    if (secret.empty()) return;
    const std::wstring needle(secret.begin(), secret.end());
    std::vector<std::wstring> doomed;
    // The content cache, then the history.
    for (const wchar_t* container : {static_cast<const wchar_t*>(nullptr), L"visited:"}) {
        std::vector<unsigned char> buffer(4096);
        auto entry = [&buffer] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()); };
        DWORD size = static_cast<DWORD>(buffer.size());
        HANDLE find = FindFirstUrlCacheEntryW(container, entry(), &size);
        if (!find && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(size);
            find = FindFirstUrlCacheEntryW(container, entry(), &size);
        }
        bool more = find != nullptr;
        while (more) {
            const wchar_t* url = entry()->lpszSourceUrlName;
            if (url && std::wstring(url).find(needle) != std::wstring::npos) doomed.emplace_back(url);
            size = static_cast<DWORD>(buffer.size());
            more = FindNextUrlCacheEntryW(find, entry(), &size);
            if (!more && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
                buffer.resize(size);
                more = FindNextUrlCacheEntryW(find, entry(), &size);
            }
        }
        if (find) FindCloseUrlCache(find);
    }
    for (const std::wstring& url : doomed) DeleteUrlCacheEntryW(url.c_str());
    ScrubCacheIndex(CSIDL_INTERNET_CACHE, L"\\Content.IE5\\index.dat", needle);
    ScrubCacheIndex(CSIDL_HISTORY, L"\\History.IE5\\index.dat", needle);
}

void SetPageTabText(const std::u16string& text) {
    if (PageTabRemoved || !tabControl) return;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(Wide(text));
    SendMessageW(tabControl, TCM_SETITEMW, TabCount, reinterpret_cast<LPARAM>(&item));
}

void RelabelBrowserTabs() {
    if (!tabControl) return;
    for (int32_t i = 0; i < TabCount; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_PARAM;
        if (!SendMessageW(tabControl, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)) || !item.lParam) continue;
        const auto* row = reinterpret_cast<const CommandRow*>(item.lParam);
        if (!row->key) continue;
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(LookupText(row->key)));
        SendMessageW(tabControl, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

bool HandleBrowserNotify(const NMHDR* header, LRESULT* result) {
    if (!header || !tabControl || header->hwndFrom != tabControl || header->code != static_cast<UINT>(TCN_SELCHANGE))
        return false;
    if (result) *result = 0;
    int32_t selected = static_cast<int32_t>(SendMessageW(tabControl, TCM_GETCURSEL, 0, 0));
    if (selected == 0) {
        ShowBrowser(true, false);
        TabNavigationPending = 0;
        return true;
    }
    if (selected != CurrentTab) TabNavigationPending = 0;
    TCITEMW item = {};
    item.mask = TCIF_PARAM;
    const CommandRow* row = nullptr;
    if (SendMessageW(tabControl, TCM_GETITEMW, selected, reinterpret_cast<LPARAM>(&item)))
        row = reinterpret_cast<const CommandRow*>(item.lParam);
    CurrentTab = selected;
    if (selected == TabCount) {
        ShowBrowser(false, false);
        return true;
    }
    if (TabNavigationPending == 0 && row) {
        std::u16string address = CommandRowAddress(*row, WebBase());
        if (!address.empty()) {
            TabNavigationPending = 1;
            NavigateBrowser(BrowserNavigation{address, false, true, false});
        }
    }
    return true;
}

std::u16string ServiceBrowserTitle() { return ServiceBrowser ? ServiceBrowser->title : std::u16string(); }

std::u16string ServiceBrowserAddress() { return ServiceBrowser ? ServiceBrowser->currentAddress : std::u16string(); }

void ShutdownBrowser() {
    SetSignInNavigator(nullptr);
    if (ServiceBrowser || PageBrowser) DisconnectBrowserEvents();
    DestroyBrowserView(serviceView);
    DestroyBrowserView(pageView);
    // The views have written what they will write.
    ForgetAddressesHolding(LoggedOutToken);
    LoggedOutToken.clear();
    ForgetAddressesHolding(AccessToken());
    ServiceBrowser = nullptr;
    PageBrowser = nullptr;
    if (tabImages) ImageList_Destroy(tabImages);
    tabImages = nullptr;
    if (oleStarted) OleUninitialize();
    oleStarted = false;
    listener = nullptr;
}

namespace {
OrvBrowser* BrowserInUse() {
    OrvBrowser* view = ServiceViewActive ? ServiceBrowser : PageBrowser;
    return view && view->browser ? view : nullptr;
}
}  // namespace

bool MoveBrowserInUse(BrowserMove move) {
    OrvBrowser* view = BrowserInUse();
    if (!view) return false;
    switch (move) {
    case BrowserMove::Back: return SUCCEEDED(view->browser->GoBack());
    case BrowserMove::Forward: return SUCCEEDED(view->browser->GoForward());
    case BrowserMove::Reload: return SUCCEEDED(view->browser->Refresh());
    }
    return false;
}

std::u16string BrowserInUseAddress() {
    OrvBrowser* view = BrowserInUse();
    if (!view) return std::u16string();
    BSTR url = nullptr;
    if (FAILED(view->browser->get_LocationURL(&url))) return std::u16string();
    std::u16string address = FromBstr(url);
    SysFreeString(url);
    return address;
}

std::u16string BrowserInUseTitle() {
    OrvBrowser* view = BrowserInUse();
    return view ? view->title : std::u16string();
}
