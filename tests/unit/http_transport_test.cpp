// The request operation on top of the transport seam: which server a target reaches,
// the header block, the result rules and the busy tray icon.
#include <gtest/gtest.h>

#include "app/refresh_cycle.h"
#include "net/http_transport.h"
#include "net/service_address.h"
#include "net_fakes.h"

namespace {

const std::u16string HeadersFor(const std::u16string& host) {
    return u"Host:" + host +
           u"\r\nUser-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; cs; rv:1.8.1.11) Firefox/2.0.0.11"
           u"\r\nAccept-Charset: utf-8;\r\nReferer: " +
           ProductSiteUrl() + u"\r\n";
}

TEST(SplitHttpUrl, HostEndsAtSlashQuestionMarkAmpersandOrEnd) {
    std::u16string_view host = u"untouched";
    EXPECT_EQ(SplitHttpUrl(u"http://example.com", host), 18u);
    EXPECT_EQ(host, u"example.com");
    EXPECT_EQ(SplitHttpUrl(u"http://example.com?x=1", host), 18u);
    EXPECT_EQ(SplitHttpUrl(u"http://a.b&c/d", host), 10u);
    EXPECT_EQ(host, u"a.b");
    EXPECT_EQ(SplitHttpUrl(u"http://127.0.0.1:8080/pics/a.png", host), 21u);
    EXPECT_EQ(host, u"127.0.0.1:8080");
    EXPECT_EQ(SplitHttpUrl(u"http://", host), 7u);
    EXPECT_EQ(host, u"");
}

TEST(SplitHttpUrl, OtherSchemesAreNotSplit) {
    std::u16string_view host = u"untouched";
    EXPECT_EQ(SplitHttpUrl(u"https://example.com/a", host), 0u);
    EXPECT_EQ(SplitHttpUrl(u"HTTP://example.com/a", host), 0u);
    EXPECT_EQ(SplitHttpUrl(u"example.com/a", host), 0u);
    EXPECT_EQ(SplitHttpUrl(u"", host), 0u);
    EXPECT_EQ(host, u"untouched");
}

TEST(SplitHostPort, PortsAndBadNames) {
    std::u16string name;
    int32_t port = 80;
    EXPECT_TRUE(SplitHostPort(u"example.com", name, port));
    EXPECT_EQ(name, u"example.com");
    EXPECT_EQ(port, 80);
    EXPECT_TRUE(SplitHostPort(u"127.0.0.1:8080", name, port));
    EXPECT_EQ(name, u"127.0.0.1");
    EXPECT_EQ(port, 8080);
    EXPECT_TRUE(SplitHostPort(u"[::1]", name, port));
    EXPECT_EQ(name, u"[::1]");
    for (const char16_t* bad : {u"", u":80", u"h:", u"h:0", u"h:65536", u"h:8o", u"h:123456", u"a b", u"u@h"})
        EXPECT_FALSE(SplitHostPort(bad, name, port));
    EXPECT_FALSE(SplitHostPort(std::u16string(512, u'h'), name, port));
    EXPECT_TRUE(SplitHostPort(std::u16string(511, u'h'), name, port));
}

class SendRequest : public ::testing::Test {
protected:
    RecordingTransport net;
    RecordingShell shell;
    void SetUp() override { TrayState = TrayStateNormal; }
};

TEST_F(SendRequest, FullUrlWithPortConnectsToThatPort) {
    net.Answer("PNG");
    auto body = SendHttpRequest(u"http://127.0.0.1:8080/pics/a.png?s=1", {}, 80, nullptr, u"GET", {}, HTTP_FOLLOW_LOCATION);
    ASSERT_TRUE(body);
    EXPECT_EQ(*body, "PNG");
    ASSERT_EQ(net.requests.size(), 1u);
    const HttpRequest& r = net.requests[0];
    EXPECT_EQ(r.host, u"127.0.0.1");
    EXPECT_EQ(r.port, 8080);
    EXPECT_FALSE(r.secure);
    EXPECT_EQ(r.path, u"/pics/a.png?s=1");
    EXPECT_EQ(r.verb, u"GET");
    EXPECT_EQ(r.flags, HTTP_FOLLOW_LOCATION);
    EXPECT_EQ(r.headers, HeadersFor(u"127.0.0.1:8080"));
}

TEST_F(SendRequest, UrlPartsBecomeTheObjectPath) {
    net.Answer("x");
    net.Answer("x");
    SendHttpRequest(u"http://example.com", {}, 80, nullptr, u"GET", {}, 0);
    SendHttpRequest(u"http://example.com?a=b", {}, 80, nullptr, u"GET", {}, 0);
    ASSERT_EQ(net.requests.size(), 2u);
    EXPECT_EQ(net.requests[0].path, u"");
    EXPECT_EQ(net.requests[0].port, 80);
    EXPECT_EQ(net.requests[0].headers, HeadersFor(u"example.com"));
    EXPECT_EQ(net.requests[1].path, u"?a=b");
}

TEST_F(SendRequest, SecureUrlsUseTls) {
    net.Answer("x");
    net.Answer("x");
    SendHttpRequest(u"https://pics.example.com/a.jpg", {}, 80, nullptr, u"GET", {}, HTTP_FOLLOW_LOCATION);
    SendHttpRequest(u"https://127.0.0.1:8443/a.jpg", {}, 80, nullptr, u"GET", {}, HTTP_FOLLOW_LOCATION);
    ASSERT_EQ(net.requests.size(), 2u);
    EXPECT_TRUE(net.requests[0].secure);
    EXPECT_EQ(net.requests[0].port, 443);
    EXPECT_EQ(net.requests[0].host, u"pics.example.com");
    EXPECT_EQ(net.requests[0].headers, HeadersFor(u"pics.example.com"));
    EXPECT_TRUE(net.requests[1].secure);
    EXPECT_EQ(net.requests[1].port, 8443);
}

TEST_F(SendRequest, UnusableTargetsFailWithoutARequest) {
    for (const char16_t* target : {u"https://", u"https:///a.png", u"http://", u"http:///x", u"ftp://h/x",
                                   u"/relative/path", u"http://h:99999/x", u"http://h:/x"}) {
        EXPECT_FALSE(SendHttpRequest(target, {}, 80, nullptr, u"GET", {}, HTTP_FOLLOW_LOCATION));
    }
    EXPECT_TRUE(net.requests.empty());
}

TEST_F(SendRequest, EmptyTargetDoesNothingAtAll) {
    EXPECT_FALSE(SendHttpRequest(u"", u"example.com", 443, nullptr, u"GET", {}, 0));
    EXPECT_TRUE(net.requests.empty());
    EXPECT_TRUE(shell.icons.empty());
}

TEST_F(SendRequest, GivenHostTakesTargetAsPathAndPort443MeansTls) {
    net.Answer("{}");
    SendHttpRequest(u"/me/feed&access_token=t", u"graph.example.com", 443, nullptr, u"POST", "BODY", 1);
    ASSERT_EQ(net.requests.size(), 1u);
    const HttpRequest& r = net.requests[0];
    EXPECT_EQ(r.host, u"graph.example.com");
    EXPECT_EQ(r.port, 443);
    EXPECT_TRUE(r.secure);
    EXPECT_EQ(r.path, u"/me/feed&access_token=t");
    EXPECT_EQ(r.verb, u"POST");
    EXPECT_EQ(r.body, "BODY");
    EXPECT_EQ(r.headers, HeadersFor(u"graph.example.com") +
                             u"Content-Type: multipart/form-data;charset=UTF-8;boundary=ORVDATA");
}

TEST_F(SendRequest, SecureFlagOnAnotherPortAndPlainPort80) {
    net.Answer("x");
    net.Answer("x");
    SendHttpRequest(u"/a", u"127.0.0.1", 8443, nullptr, u"GET", {}, HTTP_SECURE | HTTP_RELOAD);
    SendHttpRequest(u"/a", u"127.0.0.1", 80, nullptr, u"GET", {}, 0);
    EXPECT_TRUE(net.requests[0].secure);
    EXPECT_EQ(net.requests[0].flags, HTTP_RELOAD);  // the TLS bit is not a WinInet flag
    EXPECT_EQ(net.requests[0].headers, HeadersFor(u"127.0.0.1:8443"));
    EXPECT_FALSE(net.requests[1].secure);
    EXPECT_EQ(net.requests[1].headers, HeadersFor(u"127.0.0.1"));
}

TEST_F(SendRequest, ResultRules) {
    int32_t length = 0;
    net.Answer("Not found page");  // a 404 body is a result like any other
    net.answers.back().status = 404;
    auto body = SendHttpRequest(u"http://h/x", {}, 80, &length, u"GET", {}, 0);
    ASSERT_TRUE(body);
    EXPECT_EQ(length, 14);

    net.Answer("");
    EXPECT_FALSE(SendHttpRequest(u"http://h/x", {}, 80, nullptr, u"GET", {}, 0));
    net.Fail();
    EXPECT_FALSE(SendHttpRequest(u"http://h/x", {}, 80, nullptr, u"GET", {}, 0));

    net.Answer("good");
    length = -1;
    EXPECT_FALSE(SendHttpRequest(u"http://h/x", {}, 80, &length, u"GET", {}, 0));
    EXPECT_EQ(length, -1);
    EXPECT_EQ(net.requests.size(), 4u);  // the request was still made
}

TEST_F(SendRequest, LongAnswerIsCutAtTheLimit) {
    net.Answer(std::string(HttpResponseLimit + 100, 'a'));
    int32_t length = 0;
    auto body = SendHttpRequest(u"http://h/x", {}, 80, &length, u"GET", {}, 0);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->size(), HttpResponseLimit);
    EXPECT_EQ(length, static_cast<int32_t>(HttpResponseLimit));
}

TEST_F(SendRequest, BusyIconForTheCallThenTheStatesIcon) {
    TrayState = TrayStateNew;
    net.Fail();
    SendHttpRequest(u"http://h/x", {}, 80, nullptr, u"GET", {}, 0);
    TrayState = TrayStateBrowser;
    SendHttpRequest(u"ftp://h/x", {}, 80, nullptr, u"GET", {}, 0);
    EXPECT_EQ(shell.icons, (std::vector<int32_t>{TrayIconBusy, TrayIconNew, TrayIconBusy, TrayIconBrowser}));
}

TEST_F(SendRequest, NoTransportFailsQuietly) {
    SetHttpTransport(nullptr);
    EXPECT_FALSE(SendHttpRequest(u"http://h/x", {}, 80, nullptr, u"GET", {}, 0));
    SetHttpTransport(&net);
}

}  // namespace
