// The tab strip with the two embedded WebBrowser views: ServiceBrowser for the
// service's own pages, PageBrowser for every other address in one extra tab. Hosted by
// our own small OLE container. It knows its parent window and tells its listener what
// happened; whoever owns the window decides what that means. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "net/signin.h"

class BrowserListener {
public:
    virtual ~BrowserListener() = default;
    // The service view's document title changed (cut to TitleLimit). `pageDone`: the
    // view's navigation had completed, so the title is the page's own.
    virtual void BrowserTitleChanged(const std::u16string& title, bool pageDone) = 0;
    // A view's status text (cut to StatusTextLimit); empty when it has nothing to say.
    virtual void BrowserStatusText(const std::u16string& text) = 0;
    // A download began or ended (active), or advanced (position of maximum, both > 0).
    virtual void BrowserProgress(bool active, int32_t position, int32_t maximum) = 0;
    // A page asked for a new window; the address should open in our own views.
    virtual void BrowserNewWindowRequested(const std::u16string& address) = 0;
    // A top-level page of the service view finished loading, or failed to.
    virtual void BrowserPageLoaded(const std::u16string& address) = 0;
    // The page view's document asked to close its window.
    virtual void BrowserCloseRequested() = 0;
    // The sign-in handler's decision for a loaded service page while nobody is signed
    // in; the host has already started its navigations. Also sent, with the no-access
    // box, when the control could not be made.
    virtual void BrowserSignInResult(const PageLoadedActions& actions) = 0;
    // A navigation of the user's wants the window on screen.
    virtual void BrowserWantsWindow() = 0;
    // The extra page tab appeared or went.
    virtual void BrowserPageTabShown(bool shown) = 0;
};

// Creates the tab strip and both views on `parent`, initialises COM (OLE) and starts
// the sign-in. False when the WebBrowser control could not be made: the tab strip
// stays, nothing navigates, no sign-in runs and the listener hears the no-access
// result. Again after success it does nothing.
bool CreateBrowserHost(HWND parent, BrowserListener* listener);
void LayoutBrowserTabs(const RECT& area);
bool BrowserReady();

// Gives a key to the active view; the caller decides whether the message loop sees it.
void BrowserTranslateKey(MSG& msg);

// Opens an address in the service view (IsServiceUrl) or the page view. A background
// navigation is the program's own (no home-page substitution, window left alone).
// Returns true when a navigation was started.
bool NavigateBrowser(const BrowserNavigation& navigation);
// Shows one view and hides the other; maintains the extra page tab.
void ShowBrowser(bool service, bool selectTab);
// Blanks the page view and removes its tab.
void ClosePageBrowser();
// The log-out navigation; the caller has stopped the refresh worker.
void SignOut();

// The tab control's WM_NOTIFY (TCN_SELCHANGE); true when it was ours.
bool HandleBrowserNotify(const NMHDR* header, LRESULT* result);
// The fixed tabs take their texts in the current language.
void RelabelBrowserTabs();
// The title of the service view's last document and the address of its last top-level
// navigation (the address field compares a typed address with it).
std::u16string ServiceBrowserTitle();
std::u16string ServiceBrowserAddress();

// Releases both views and uninitialises COM.
void ShutdownBrowser();

// The browser in use: the service view while it is active, else the page view.
enum class BrowserMove { Back, Forward, Reload };
// Goes back, forward or reloads; false without a browser.
bool MoveBrowserInUse(BrowserMove move);
// Its current address (LocationURL) and the title of its last document; empty without
// a browser.
std::u16string BrowserInUseAddress();
std::u16string BrowserInUseTitle();
