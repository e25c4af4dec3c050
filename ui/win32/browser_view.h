// The state the browser host, its OLE container and its event handlers share.
// UI thread only.
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <cstdint>
#include <string>

class BrowserListener;
class ViewSite;

// One embedded WebBrowser view.
struct OrvBrowser {
    int32_t controlId = 0;                          // 1 service view, 2 page view
    HWND host = nullptr;                            // our host window, child of the tab control
    ViewSite* site = nullptr;                       // the OLE container of the control
    IOleObject* object = nullptr;
    IWebBrowser2* browser = nullptr;                // none when the control could not be made
    IOleInPlaceActiveObject* activeObject = nullptr;  // keys for the page
    int32_t navigationCompleted = 0;
    std::u16string currentAddress;                  // recorded for the service view only
    std::u16string title;
    uintptr_t topFrame = 0;                         // identity of the first frame that reported
};

// ServiceBrowser shows the service's pages; PageBrowser every other address. The event
// receiver is PageBrowser's object: its completed flag and top frame serve both views.
extern OrvBrowser* ServiceBrowser;
extern OrvBrowser* PageBrowser;

extern int32_t ServiceViewActive;
extern int32_t TabCount;
extern int32_t CurrentTab;
extern int32_t TabNavigationPending;
extern int32_t PageTabRemoved;

// Messages of the host window class.
enum : UINT {
    HostPageLoaded = WM_APP + 40,  // a page of the service view waits for the sign-in handler
    HostClosePage = WM_APP + 41,   // the page view asked to close
};

// The OLE container (ole_site.cpp).
bool RegisterHostWindowClass(HINSTANCE instance);
extern const wchar_t* const HostWindowClass;
// Creates the host window and the WebBrowser control in it; false leaves the view
// without its control.
bool CreateBrowserView(OrvBrowser& view, HWND parent, int32_t controlId, const RECT& place);
void PlaceBrowserView(OrvBrowser& view, const RECT& place);
void DestroyBrowserView(OrvBrowser& view);

// The events (browser_events.cpp).
bool ConnectBrowserEvents();
void DisconnectBrowserEvents();
// Runs the sign-in handler for the addresses queued by the events.
void ProcessLoadedPages();

// Deletes from the URL cache and the history every address that holds `secret`. The
// engine records the addresses that carry the token (the redirect with it in the
// fragment, the log-out page) whatever the navigation flags say.
void ForgetAddressesHolding(const std::u16string& secret);
// The token of the last log-out: its address may reach the cache after the page has
// loaded, so it is forgotten again with every loaded page and at shutdown.
extern std::u16string LoggedOutToken;

// Shared helpers.
std::u16string FromBstr(BSTR text);
std::u16string CutText(std::u16string text, size_t limit);
HWND BrowserTabControl();
// The page tab's text (nothing while the tab is not shown).
void SetPageTabText(const std::u16string& text);
BrowserListener* Listener();  // nullptr before the host is created
