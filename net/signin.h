// The address rules of the sign-in and what happens when a page of the service view
// finishes loading while nobody is signed in. All decisions; the browser host carries
// them out.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

constexpr size_t CurrentAddressLimit = 4999;  // units of a recorded address
constexpr size_t TitleLimit = 1023;
constexpr size_t PendingAddressLimit = 2047;
constexpr size_t StatusTextLimit = 4999;

// True when the address holds the service's domain and is not its outgoing-link page
// ("/l.php") nor "/ajax/emu/end.php".
bool IsServiceUrl(std::u16string_view address);

std::u16string HomePageUrl();          // "http://" web host "/home.php"
std::u16string LoginPageUrl();         // "/login.php"
std::u16string RootPageUrl();          // "/"
std::u16string LoginSuccessUrl();      // "/connect/login_success.html"
std::u16string AuthorizeUrl();         // the OAuth page with the client id and scope
std::u16string LogoutUrl(std::u16string_view token);

// The text between "#access_token=" and the next "&"; empty when either is missing.
std::u16string ExtractAccessToken(std::u16string_view address);

// The address without any access_token parameter (in its query or its fragment), so an
// address the user copies or keeps as a favourite never carries the token.
std::u16string AddressWithoutToken(std::u16string_view address);

// The sign-in runs: set when the browser host is created, cleared when a token is
// captured or refused. UI thread.
bool SigningIn();
void SetSigningIn(bool on);

struct BrowserNavigation {
    std::u16string address;  // empty: no navigation
    bool background = false;
    bool showMain = false;
    bool selectTab = false;
    std::u16string tabTitle{};  // the page tab's text until the page names itself
};

// What the browser host does after a page has loaded.
struct PageLoadedActions {
    int32_t result = 0;            // the handler's 0 or 1
    bool beginSignIn = false;      // open the authorize page (BeginSignIn)
    bool showMain = false;         // show the main window
    bool forceShow = false;        // ... forced
    bool showNoAccessBox = false;  // MB_NOFBACCESS, caption NOTICE, information icon
    bool tokenCaptured = false;    // token kept, logged; rebuild the menu bar
    BrowserNavigation navigate;    // after the above
};

struct PageLoadedContext {
    bool haveControl = true;       // the service view has its WebBrowser control
    bool openMainAtStart = true;   // the settings field at offset 40
};

// Decides for a loaded top-level address of the service view. On a captured token it
// also stores it, writes LOG_HAVETOKEN and clears SigningIn; on a refusal it clears
// SigningIn.
PageLoadedActions OnServicePageLoaded(std::u16string_view address, const PageLoadedContext& context);

// Told whenever a token is captured or thrown away; the refresh cycle makes the next
// refresh due at once. Empty: nothing.
using TokenChangeHook = std::function<void()>;
void SetTokenChangeHook(TokenChangeHook hook);

// Throws the token away and opens the authorize page in the service view (no history
// entry, main window left alone, first tab selected). UI thread; the browser host
// installs the navigation it uses.
void BeginSignIn();
using SignInNavigator = std::function<void(const BrowserNavigation&)>;
void SetSignInNavigator(SignInNavigator navigator);
