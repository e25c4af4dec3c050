// The sign-in: service addresses, the address rules and the decisions taken when a
// page of the service view has loaded.
#include <gtest/gtest.h>

#include <fstream>

#include "base/log.h"
#include "app/refresh_cycle.h"
#include "base/settings.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "net/service_address.h"
#include "net/signin.h"

namespace {

const std::u16string Scope =
    u"user_location,friends_location,user_birthday,friends_birthday,friends_status,friends_likes,"
    u"publish_stream,user_likes,read_mailbox,read_stream,user_status,friends_online_presence,"
    u"manage_notifications";

class Addresses : public ::testing::Test {
protected:
    void TearDown() override { SetServiceBase(u""); }
};

TEST_F(Addresses, RealServiceByDefault) {
    SetServiceBase(u"");
    EXPECT_FALSE(ServiceOverridden());
    EXPECT_EQ(HomePageUrl(), u"http://www.facebook.com/home.php");
    EXPECT_EQ(LoginPageUrl(), u"http://www.facebook.com/login.php");
    EXPECT_EQ(RootPageUrl(), u"http://www.facebook.com/");
    EXPECT_EQ(AuthorizeUrl(),
              u"https://graph.facebook.com/oauth/authorize?client_id=271828182845904&redirect_uri="
              u"http://www.facebook.com/connect/login_success.html&display=page&response_type=token&scope=" +
                  Scope);
    EXPECT_EQ(LogoutUrl(u"T"), u"https://www.facebook.com/logout.php?next=" + ProductSiteUrl() + u"&access_token=T");
    ServiceEndpoint graph = GraphEndpoint();
    EXPECT_EQ(graph.host, u"graph.facebook.com");
    EXPECT_EQ(graph.port, 443);
    EXPECT_TRUE(graph.secure);
    EXPECT_EQ(ApiEndpoint().host, u"api.facebook.com");
    EXPECT_EQ(CounterUrl().substr(0, 7), u"http://");
}

TEST_F(Addresses, OneBaseForEverything) {
    ASSERT_TRUE(SetServiceBase(u"http://127.0.0.1:8080"));
    EXPECT_EQ(HomePageUrl(), u"http://127.0.0.1:8080/home.php");
    EXPECT_EQ(AuthorizeUrl(),
              u"http://127.0.0.1:8080/oauth/authorize?client_id=271828182845904&redirect_uri="
              u"http://127.0.0.1:8080/connect/login_success.html&display=page&response_type=token&scope=" +
                  Scope);
    EXPECT_EQ(LogoutUrl(u"T").substr(0, 41), u"http://127.0.0.1:8080/logout.php?next=htt");
    for (const ServiceEndpoint& e : {GraphEndpoint(), ApiEndpoint(), DownloadEndpoint()}) {
        EXPECT_EQ(e.host, u"127.0.0.1");
        EXPECT_EQ(e.port, 8080);
        EXPECT_FALSE(e.secure);
    }
    EXPECT_EQ(CounterUrl(), u"http://127.0.0.1:8080/counter");

    ASSERT_TRUE(SetServiceBase(u"  https://emu.test/ \r\n"));
    EXPECT_EQ(GraphEndpoint().port, 443);
    EXPECT_TRUE(GraphEndpoint().secure);
    EXPECT_EQ(HomePageUrl(), u"https://emu.test/home.php");
}

TEST_F(Addresses, UnusableBaseChangesNothing) {
    ASSERT_TRUE(SetServiceBase(u"http://127.0.0.1:8080"));
    for (const char16_t* bad : {u"ftp://h", u"http://", u"http://h:0", u"http://h:70000", u"http://h/path",
                                u"127.0.0.1:8080", u"http://h?x", u"http://a b"})
        EXPECT_FALSE(SetServiceBase(bad));
    EXPECT_EQ(HomePageUrl(), u"http://127.0.0.1:8080/home.php");
}

TEST_F(Addresses, ServiceFile) {
    const char* name = "signin_test.service";
    {
        std::ofstream f(name, std::ios::binary);
        f << "\xEF\xBB\xBF  http://127.0.0.1:9191  \r\nsecond line ignored\r\n";
    }
    LoadServiceAddress(u"signin_test.service");
    EXPECT_EQ(WebBase(), u"http://127.0.0.1:9191");
    {
        std::ofstream f(name, std::ios::binary);
        f << "\r\n";
    }
    LoadServiceAddress(u"signin_test.service");  // an empty first line: the real hosts
    EXPECT_FALSE(ServiceOverridden());
    std::remove(name);
    SetServiceBase(u"http://127.0.0.1:9191");
    LoadServiceAddress(u"signin_test.missing");  // no file: nothing changes
    EXPECT_EQ(WebBase(), u"http://127.0.0.1:9191");
}

TEST_F(Addresses, IsServiceUrl) {
    SetServiceBase(u"");
    EXPECT_TRUE(IsServiceUrl(u"http://www.facebook.com/profile.php?id=4"));
    EXPECT_TRUE(IsServiceUrl(u"https://m.facebook.com/"));
    EXPECT_FALSE(IsServiceUrl(u"http://www.facebook.com/l.php?u=http%3A%2F%2Fexample.com"));
    EXPECT_FALSE(IsServiceUrl(u"http://www.facebook.com/ajax/emu/end.php?x"));
    EXPECT_FALSE(IsServiceUrl(u"http://example.com/"));
    EXPECT_FALSE(IsServiceUrl(u"http://www.Facebook.com/"));  // compared case-sensitively
    EXPECT_FALSE(IsServiceUrl(u""));

    SetServiceBase(u"http://127.0.0.1:8080");
    EXPECT_TRUE(IsServiceUrl(u"http://127.0.0.1:8080/messages"));
    EXPECT_FALSE(IsServiceUrl(u"http://127.0.0.1:8080/l.php?u=x"));
    EXPECT_FALSE(IsServiceUrl(u"http://www.facebook.com/"));
    EXPECT_FALSE(IsServiceUrl(u"http://127.0.0.1:9090/"));
}

TEST(AddressWithoutToken, TheTokenParameterGoesWhereverItStands) {
    EXPECT_EQ(AddressWithoutToken(u"http://h/connect/login_success.html#access_token=AB|c&expires_in=0"),
              u"http://h/connect/login_success.html#expires_in=0");
    EXPECT_EQ(AddressWithoutToken(u"http://h/connect/login_success.html#access_token=AB"),
              u"http://h/connect/login_success.html");
    EXPECT_EQ(AddressWithoutToken(u"https://h/logout.php?next=http://x/&access_token=T&a=1&access_token=U"),
              u"https://h/logout.php?next=http://x/&a=1");
    EXPECT_EQ(AddressWithoutToken(u"http://h/?access_token=T"), u"http://h/");
    EXPECT_EQ(AddressWithoutToken(u"http://h/my_access_token=x"), u"http://h/my_access_token=x");
    EXPECT_EQ(AddressWithoutToken(u""), u"");
}

TEST(ExtractAccessToken, TextBetweenMarkAndAmpersand) {
    EXPECT_EQ(ExtractAccessToken(u"http://h/connect/login_success.html#access_token=AB|c-1&expires_in=0"), u"AB|c-1");
    EXPECT_EQ(ExtractAccessToken(u"http://h/x#access_token=ABC"), u"");
    EXPECT_EQ(ExtractAccessToken(u"http://h/x?a=1&b=2"), u"");
    EXPECT_EQ(ExtractAccessToken(u"#access_token=&"), u"");
}

class PageLoaded : public ::testing::Test {
protected:
    PageLoadedContext context;
    void SetUp() override {
        ResetSettingsForTesting();
        AppSettings.language = LangEnglish;
        ClearLogForTesting();
        SetServiceBase(u"http://127.0.0.1:8080");
        ClearAccessToken();
        SetSigningIn(true);
        InstallRefreshHooks();  // a token change makes the next refresh due
        LastRefreshEnd = 1234;
    }
    void TearDown() override {
        SetTokenChangeHook({});
        SetServiceBase(u"");
        ClearAccessToken();
        SetSigningIn(false);
        ResetSettingsForTesting();
    }
};

TEST_F(PageLoaded, WithoutControlNothingHappens) {
    context.haveControl = false;
    PageLoadedActions a = OnServicePageLoaded(u"http://127.0.0.1:8080/x#access_token=T&e=0", context);
    EXPECT_EQ(a.result, 0);
    EXPECT_FALSE(a.tokenCaptured || a.showMain || a.beginSignIn || !a.navigate.address.empty());
    EXPECT_FALSE(HaveAccessToken());
}

TEST_F(PageLoaded, HomePageStartsTheSignIn) {
    PageLoadedActions a = OnServicePageLoaded(u"http://127.0.0.1:8080/home.php", context);
    EXPECT_EQ(a.result, 0);
    EXPECT_TRUE(a.beginSignIn);
    EXPECT_FALSE(a.showMain);
    // Only the exact address: with a query it is just another page.
    a = OnServicePageLoaded(u"http://127.0.0.1:8080/home.php?sk=x", context);
    EXPECT_FALSE(a.beginSignIn);
}

TEST_F(PageLoaded, LoginPageShowsTheWindowForced) {
    context.openMainAtStart = false;
    PageLoadedActions a = OnServicePageLoaded(u"http://127.0.0.1:8080/login.php", context);
    EXPECT_EQ(a.result, 0);
    EXPECT_TRUE(a.showMain);
    EXPECT_TRUE(a.forceShow);
    EXPECT_TRUE(SigningIn());
}

TEST_F(PageLoaded, RefusalShowsTheBoxAndLeavesTheSignIn) {
    PageLoadedActions a = OnServicePageLoaded(
        u"http://127.0.0.1:8080/connect/login_success.html?error_reason=user_denied&error=access_denied"
        u"&error_description=The+user+denied+your+request.",
        context);
    EXPECT_EQ(a.result, 1);
    EXPECT_TRUE(a.showNoAccessBox);
    EXPECT_FALSE(SigningIn());
    EXPECT_FALSE(HaveAccessToken());
    EXPECT_EQ(a.navigate.address, u"http://127.0.0.1:8080/");
    EXPECT_TRUE(a.navigate.background);  // kept as the root page: no new sign-in
    EXPECT_FALSE(a.navigate.showMain);
    EXPECT_TRUE(a.navigate.selectTab);
    EXPECT_FALSE(a.tokenCaptured);
    // The root page that follows shows the window; it starts no sign-in.
    PageLoadedActions next = OnServicePageLoaded(a.navigate.address, context);
    EXPECT_FALSE(next.beginSignIn);
    EXPECT_TRUE(next.showMain);
}

TEST_F(PageLoaded, TokenIsCapturedAndLogged) {
    AppSettings.openMainWindowAtStart = 0;
    context.openMainAtStart = false;
    PageLoadedActions a =
        OnServicePageLoaded(u"http://127.0.0.1:8080/connect/login_success.html#access_token=AAA|b.c&expires_in=0", context);
    EXPECT_EQ(a.result, 1);
    EXPECT_TRUE(a.tokenCaptured);
    EXPECT_EQ(AccessToken(), u"AAA|b.c");
    EXPECT_FALSE(SigningIn());
    EXPECT_EQ(LastRefreshEnd.load(), 0);
    EXPECT_EQ(a.navigate.address, u"http://127.0.0.1:8080/");
    EXPECT_FALSE(a.navigate.showMain);
    EXPECT_TRUE(a.navigate.selectTab);
    EXPECT_FALSE(a.showMain);
    auto log = LogEntries(LogReports);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].text.find(u" - Obtained access token"), std::u16string::npos);
    EXPECT_EQ(log[0].text.find(u"AAA"), std::u16string::npos);  // the log never holds the token

    ClearAccessToken();
    context.openMainAtStart = true;
    a = OnServicePageLoaded(u"http://127.0.0.1:8080/x#access_token=Z&expires_in=0", context);
    EXPECT_TRUE(a.navigate.showMain);
}

TEST_F(PageLoaded, OverlongTokenIsCut) {
    std::u16string address = u"http://127.0.0.1:8080/x#access_token=" + std::u16string(5000, u'k') + u"&e=1";
    OnServicePageLoaded(address, context);
    EXPECT_EQ(AccessToken().size(), AccessTokenLimit);
}

TEST_F(PageLoaded, TokenWithoutAmpersandCapturesNothing) {
    PageLoadedActions a = OnServicePageLoaded(u"http://127.0.0.1:8080/x#access_token=ABC", context);
    EXPECT_EQ(a.result, 0);
    EXPECT_FALSE(a.tokenCaptured);
    EXPECT_FALSE(a.showMain);  // the address has the mark, so no show
    EXPECT_FALSE(HaveAccessToken());
    EXPECT_TRUE(SigningIn());
}

TEST_F(PageLoaded, PermissionRequestShowsTheWindowForced) {
    context.openMainAtStart = false;
    PageLoadedActions a = OnServicePageLoaded(
        u"http://127.0.0.1:8080/connect/uiserver.php?app_id=1&method=permissions.request&display=page", context);
    EXPECT_EQ(a.result, 1);
    EXPECT_TRUE(a.showMain);
    EXPECT_TRUE(a.forceShow);
}

TEST_F(PageLoaded, OtherPagesShowTheWindowAsTheSettingsSay) {
    context.openMainAtStart = false;
    PageLoadedActions a = OnServicePageLoaded(u"http://127.0.0.1:8080/oauth/authorize?x", context);
    EXPECT_EQ(a.result, 0);
    EXPECT_TRUE(a.showMain);
    EXPECT_FALSE(a.forceShow);  // ignored while the sign-in runs
    context.openMainAtStart = true;
    a = OnServicePageLoaded(u"http://127.0.0.1:8080/oauth/authorize?x", context);
    EXPECT_TRUE(a.forceShow);
}

TEST_F(PageLoaded, BeginSignInOpensTheAuthorizePage) {
    std::vector<BrowserNavigation> seen;
    SetSignInNavigator([&seen](const BrowserNavigation& n) { seen.push_back(n); });
    SetAccessToken(u"old");
    BeginSignIn();
    SetSignInNavigator(nullptr);
    EXPECT_FALSE(HaveAccessToken());
    EXPECT_EQ(LastRefreshEnd.load(), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].address, AuthorizeUrl());
    EXPECT_TRUE(seen[0].background);
    EXPECT_FALSE(seen[0].showMain);
    EXPECT_TRUE(seen[0].selectTab);
}

}  // namespace
