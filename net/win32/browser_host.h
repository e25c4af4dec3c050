// The tab strip with the two embedded WebBrowser views: ServiceBrowser for the
// service's own pages, PageBrowser for every other address in one extra tab. Hosted by
// our own small OLE container. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Creates the tab strip and both views on `mainWindow`, initialises COM (OLE) and starts
// the sign-in (the main window stays hidden). Returns true; again it does nothing.
// A page's request for a new window goes to the main window's SetPendingAddress.
bool CreateBrowserTabs(HWND mainWindow);
// The same without hiding the main window: called before a menu item opens an address.
bool CreateBrowserHost(bool hideMain);
void LayoutBrowserTabs(const RECT& area);
bool BrowserReady();
HWND BrowserTabControl();

// Gives a key to the active view first; true when the view consumed it and the
// message loop must not translate or dispatch it.
bool BrowserTranslateAccelerator(MSG& msg);

// Opens `url` in the service view (IsServiceUrl) or the page view. background: a
// navigation of the program's own (no history entry, no home-page substitution, main
// window left alone). Returns true when a navigation was started.
bool NavigateBrowser(const std::u16string& url, bool background, bool showMain, bool selectTab);
// Shows one view and hides the other; maintains the extra page tab.
void ShowBrowser(bool service, bool selectTab);
// Blanks the page view and removes its tab (command 1051, the CLOSE button).
void ClosePageBrowser();
// The log-out navigation; the caller has stopped the refresh worker.
void SignOut();

// The tab control's WM_NOTIFY (TCN_SELCHANGE); true when it was ours.
bool HandleBrowserNotify(const NMHDR* header, LRESULT* result);
// The title of the service view's last document and the address of its last top-level
// navigation (the address field compares a typed address with it).
std::u16string ServiceBrowserTitle();
std::u16string ServiceBrowserAddress();

// Writes the feature-control value of this executable under HKEY_CURRENT_USER.
bool SetFeatureControl(const wchar_t* keyPath, DWORD value);

// Releases both views and uninitialises COM.
void ShutdownBrowser();
