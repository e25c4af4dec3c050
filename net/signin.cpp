#include "net/signin.h"

#include <atomic>
#include <mutex>

#include "base/log.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "net/service_address.h"

namespace {

constexpr std::u16string_view TokenMark = u"#access_token=";
constexpr std::u16string_view RefusalMark = u"error_description=The+user+denied+your+request";
constexpr std::u16string_view PermissionsMark = u"permissions.request";

constexpr const char16_t* ClientId = u"271828182845904";
constexpr const char16_t* Scope =
    u"user_location,friends_location,user_birthday,friends_birthday,friends_status,friends_likes,"
    u"publish_stream,user_likes,read_mailbox,read_stream,user_status,friends_online_presence,"
    u"manage_notifications";

std::atomic<bool> signingIn{false};

std::mutex navigatorLock;
SignInNavigator navigator;
TokenChangeHook tokenChanged;

void TokenChanged() {
    TokenChangeHook hook;
    {
        std::lock_guard<std::mutex> hold(navigatorLock);
        hook = tokenChanged;
    }
    if (hook) hook();
}

bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

}  // namespace

bool IsServiceUrl(std::u16string_view address) {
    if (address.empty()) return false;
    std::u16string domain = ServiceDomain();
    if (!Contains(address, domain)) return false;
    return !Contains(address, domain + u"/l.php") && !Contains(address, domain + u"/ajax/emu/end.php");
}

std::u16string HomePageUrl() { return WebBase() + u"/home.php"; }
std::u16string LoginPageUrl() { return WebBase() + u"/login.php"; }
std::u16string RootPageUrl() { return WebBase() + u"/"; }
std::u16string LoginSuccessUrl() { return WebBase() + u"/connect/login_success.html"; }

std::u16string AuthorizeUrl() {
    return GraphBase() + u"/oauth/authorize?client_id=" + ClientId + u"&redirect_uri=" + LoginSuccessUrl() +
           u"&display=page&response_type=token&scope=" + Scope;
}

std::u16string LogoutUrl(std::u16string_view token) {
    std::u16string url = SecureWebBase() + u"/logout.php?next=" + ProductSiteUrl() + u"&access_token=";
    url += token;
    if (url.size() > CurrentAddressLimit) url.resize(CurrentAddressLimit);
    return url;
}

std::u16string AddressWithoutToken(std::u16string_view address) {
    constexpr std::u16string_view name = u"access_token=";
    std::u16string out(address);
    size_t at = 0;
    while ((at = out.find(name, at)) != std::u16string::npos) {
        const char16_t before = at > 0 ? out[at - 1] : u'\0';
        if (before != u'#' && before != u'?' && before != u'&') {
            at += name.size();
            continue;
        }
        const size_t next = out.find(u'&', at);
        if (next != std::u16string::npos) {
            out.erase(at, next + 1 - at);  // the parameters after it keep their separator
        } else {
            out.erase(at - 1);  // the last parameter takes its separator with it
            break;
        }
    }
    return out;
}

std::u16string ExtractAccessToken(std::u16string_view address) {
    size_t mark = address.find(TokenMark);
    if (mark == std::u16string_view::npos) return std::u16string();
    size_t start = mark + TokenMark.size();
    size_t end = address.find(u'&', start);
    if (end == std::u16string_view::npos) return std::u16string();
    return std::u16string(address.substr(start, end - start));
}

bool SigningIn() { return signingIn.load(); }
void SetSigningIn(bool on) { signingIn = on; }

PageLoadedActions OnServicePageLoaded(std::u16string_view address, const PageLoadedContext& context) {
    PageLoadedActions actions;
    if (!context.haveControl) return actions;

    if (address == HomePageUrl()) {
        actions.beginSignIn = true;
        return actions;
    }
    if (address == LoginPageUrl()) {
        actions.showMain = true;
        actions.forceShow = true;
    }
    if (Contains(address, RefusalMark)) {
        SetSigningIn(false);
        actions.showNoAccessBox = true;
        // A navigation of our own: otherwise the signed-out rule would turn it into the
        // home page, which asks again at once and loops when the refusal is automatic.
        actions.navigate = BrowserNavigation{RootPageUrl(), true, false, true};
        actions.result = 1;
        return actions;
    }
    std::u16string token = ExtractAccessToken(address);
    if (!token.empty()) {
        SetAccessToken(token);
        AppendLog(LookupText("LOG_HAVETOKEN"), LogReports);
        SetSigningIn(false);
        TokenChanged();
        actions.tokenCaptured = true;
        actions.navigate = BrowserNavigation{RootPageUrl(), false, context.openMainAtStart, true};
        actions.result = 1;
        return actions;
    }
    if (!Contains(address, TokenMark)) {
        // The show operation ignores an unforced request while the sign-in runs.
        actions.showMain = true;
        actions.forceShow = actions.forceShow || context.openMainAtStart;
    }
    if (Contains(address, PermissionsMark)) {
        actions.showMain = true;
        actions.forceShow = true;
        actions.result = 1;
    }
    return actions;
}

void SetSignInNavigator(SignInNavigator value) {
    std::lock_guard<std::mutex> hold(navigatorLock);
    navigator = std::move(value);
}

void BeginSignIn() {
    ClearAccessToken();
    SignInNavigator navigate;
    {
        std::lock_guard<std::mutex> hold(navigatorLock);
        navigate = navigator;
    }
    if (navigate) navigate(BrowserNavigation{AuthorizeUrl(), true, false, true});
    TokenChanged();
}

void SetTokenChangeHook(TokenChangeHook hook) {
    std::lock_guard<std::mutex> hold(navigatorLock);
    tokenChanged = std::move(hook);
}
