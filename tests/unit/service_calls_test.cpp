// FQL reads and Graph writes: what goes over the wire and how each answer counts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>

#include "base/clock.h"
#include "base/format_text.h"
#include "app/refresh_cycle.h"
#include "base/settings.h"
#include "net/access_token.h"
#include "net/service_address.h"
#include "net/service_calls.h"
#include "store/picture.h"
#include "net_fakes.h"
#include "base/whole_file.h"

namespace {

TEST(PercentEncode, ReservedAndNonAsciiBecomeEscapes) {
    EXPECT_EQ(PercentEncode(u"AZaz09-._~"), u"AZaz09-._~");
    EXPECT_EQ(PercentEncode(u"a b+c&d=e?f/g#h%i'j\"k"),
              u"a%20b%2Bc%26d%3De%3Ff%2Fg%23h%25i%27j%22k");
    EXPECT_EQ(PercentEncode(u"uid IN (SELECT uid2 FROM friend WHERE uid1=me())"),
              u"uid%20IN%20%28SELECT%20uid2%20FROM%20friend%20WHERE%20uid1%3Dme%28%29%29");
    EXPECT_EQ(PercentEncode(u"č€\U0001F600"), u"%C4%8D%E2%82%AC%F0%9F%98%80");
    EXPECT_EQ(PercentEncode(u"a|b,c"), u"a%7Cb%2Cc");
    const std::u16string loneSurrogate(1, static_cast<char16_t>(0xD800));
    EXPECT_EQ(PercentEncode(u"a\u010d b" + loneSurrogate + u"c\U0001F600"), u"a%C4%8D%20b%EF%BF%BDc%F0%9F%98%80");
    EXPECT_EQ(PercentEncode(u""), u"");
}

// The encoder sizes its output before writing it: any mix of units, surrogates paired,
// lone, reversed or cut at the end, must come out as every UTF-8 byte escaped one by one.
TEST(PercentEncode, AnyMixOfUnitsMatchesItsUtf8BytesEscaped) {
    const char16_t units[] = {u'a', u' ', u'~', 0x7F,   0x80,   0x7FF,  0x800,
                              0xD7FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFF};
    uint32_t seed = 11;
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        for (int i = round % 9; i > 0; --i) {
            seed = seed * 1103515245u + 12345u;
            text += units[(seed >> 16) % (sizeof units / sizeof *units)];
        }
        std::u16string expected;
        for (unsigned char c : Utf16ToUtf8(text)) {
            const bool plain = std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
            const char16_t escaped[] = {u'%', u"0123456789ABCDEF"[c >> 4], u"0123456789ABCDEF"[c & 15]};
            expected += plain ? std::u16string(1, c) : std::u16string(escaped, 3);
        }
        ASSERT_EQ(PercentEncode(text), expected) << round;
    }
}

class ServiceCalls : public ::testing::Test {
protected:
    RecordingTransport net;
    RecordingShell shell;
    void SetUp() override {
        SetServiceBase(u"");
        SetAccessToken(u"tok|en");
    }
    void TearDown() override {
        ClearAccessToken();
        SetServiceBase(u"");
    }
};

TEST_F(ServiceCalls, FqlRequestOnTheRealService) {
    net.Answer("[{\"uid\":4}]");
    bool ok = false;
    JsonTree rows = FqlQuery(u"SELECT uid FROM user WHERE uid=me()", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(GetJsonInt(rows.first(), "uid"), 4);
    ASSERT_EQ(net.requests.size(), 1u);
    const HttpRequest& r = net.requests[0];
    EXPECT_EQ(r.host, u"api.facebook.com");
    EXPECT_EQ(r.port, 443);
    EXPECT_TRUE(r.secure);
    EXPECT_EQ(r.verb, u"GET");
    EXPECT_EQ(r.flags, HTTP_FOLLOW_LOCATION | HTTP_RELOAD);
    EXPECT_TRUE(r.body.empty());
    EXPECT_EQ(r.path,
              u"/method/fql.query?query=SELECT%20uid%20FROM%20user%20WHERE%20uid%3Dme%28%29"
              u"&format=JSON&access_token=tok%7Cen");
    EXPECT_EQ(r.headers.substr(0, 23), u"Host:api.facebook.com\r\n");
}

TEST_F(ServiceCalls, FqlRequestOnTheConfiguredBase) {
    ASSERT_TRUE(SetServiceBase(u"http://127.0.0.1:8080"));
    net.Answer("[]");
    FqlQuery(u"SELECT name FROM page WHERE page_id = 5");
    ASSERT_EQ(net.requests.size(), 1u);
    EXPECT_EQ(net.requests[0].host, u"127.0.0.1");
    EXPECT_EQ(net.requests[0].port, 8080);
    EXPECT_FALSE(net.requests[0].secure);
    EXPECT_EQ(net.requests[0].headers.substr(0, 21), u"Host:127.0.0.1:8080\r\n");
}

TEST_F(ServiceCalls, FqlAnswerHandling) {
    bool ok = true;
    ClearAccessToken();
    EXPECT_TRUE(FqlQuery(u"SELECT 1", &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(net.requests.empty());  // no token, no request

    SetAccessToken(u"t");
    net.Fail();
    EXPECT_TRUE(FqlQuery(u"SELECT 1", &ok).empty());
    EXPECT_FALSE(ok);

    net.Answer("[]");
    EXPECT_TRUE(FqlQuery(u"SELECT 1", &ok).empty());
    EXPECT_TRUE(ok);  // no rows is an answer

    net.Answer(" [{\"uid\":4}]\r\n");
    EXPECT_EQ(GetJsonInt(FqlQuery(u"SELECT 1", &ok).first(), "uid"), 4);
    EXPECT_TRUE(ok);

    // Anything but a whole array is no rows and a failure: merged as rows, an error
    // object or a cut answer became a phantom notification or dropped every like.
    for (const char* answer : {"false", "{\"error_code\":601,\"error_msg\":\"Parser error\"}",
                               "{\"error\":{\"code\":100}}", "[{\"notification_id\":\"1\",\"title_te",
                               "<html><h1>Sorry, something went wrong.</h1></html>", "\x9c\xff\x01[", "{}"}) {
        net.Answer(answer);
        ok = true;
        EXPECT_TRUE(FqlQuery(u"SELECT 1", &ok).empty()) << answer;
        EXPECT_FALSE(ok) << answer;
    }
    EXPECT_EQ(shell.signIns, 0);
    EXPECT_TRUE(HaveAccessToken());
}

TEST_F(ServiceCalls, FqlError190ClearsTheTokenAndAsksForSignIn) {
    // Rows that hold such a field are data, not the service's error.
    net.Answer("[{\"text\":\"a\",\"error_code\":190},{\"text\":\"b\"}]");
    bool ok = false;
    EXPECT_FALSE(FqlQuery(u"SELECT 1", &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_EQ(shell.signIns, 0);
    net.requests.clear();

    net.Answer("{\"error_code\":190,\"error_msg\":\"Invalid OAuth 2.0 Access Token\"}");
    ok = true;
    EXPECT_TRUE(FqlQuery(u"SELECT 1", &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(HaveAccessToken());
    EXPECT_EQ(shell.signIns, 1);
    // Signed out now: the next query sends nothing.
    FqlQuery(u"SELECT 1", &ok);
    EXPECT_EQ(net.requests.size(), 1u);
    EXPECT_EQ(shell.signIns, 1);
}

TEST_F(ServiceCalls, OverlongFqlTargetIsNotSent) {
    std::u16string token = AccessToken();
    size_t room = RequestTargetLimit - std::char_traits<char>::length("/method/fql.query?query=&format=JSON&access_token=") -
                  token.size();
    net.Answer("[]");
    bool ok = false;
    FqlQuery(std::u16string(room, u'x'), &ok);
    EXPECT_TRUE(ok);
    FqlQuery(std::u16string(room + 1, u'x'), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(net.requests.size(), 1u);
}

TEST_F(ServiceCalls, GraphRequests) {
    net.Answer("true");
    net.Answer("{\"id\":\"1_2\"}");
    net.Answer("true");
    EXPECT_TRUE(GraphCall(u"/123_45/likes", GRAPH_DELETE));
    EXPECT_TRUE(GraphCall(u"/me/feed", GRAPH_POST, MessageFormBody(u"Hi")));
    EXPECT_TRUE(GraphCall(u"/123_45/likes", GRAPH_GET));
    ASSERT_EQ(net.requests.size(), 3u);
    EXPECT_EQ(net.requests[0].verb, u"DELETE");
    EXPECT_EQ(net.requests[0].path, u"/123_45/likes&access_token=tok%7Cen");
    EXPECT_EQ(net.requests[0].host, u"graph.facebook.com");
    EXPECT_EQ(net.requests[0].port, 443);
    EXPECT_TRUE(net.requests[0].secure);
    EXPECT_EQ(net.requests[0].flags, HTTP_FOLLOW_LOCATION);
    EXPECT_TRUE(net.requests[0].body.empty());
    EXPECT_EQ(net.requests[0].headers.find(u"Content-Type"), std::u16string::npos);
    EXPECT_EQ(net.requests[1].verb, u"POST");
    EXPECT_EQ(net.requests[1].body, MessageFormBody(u"Hi"));
    EXPECT_NE(net.requests[1].headers.find(u"\r\nContent-Type: multipart/form-data;charset=UTF-8;boundary=ORVDATA"),
              std::u16string::npos);
    EXPECT_EQ(net.requests[2].verb, u"GET");
}

// Only true or an object that is not an error counts as done: an expired token must
// not look like a posted comment.
TEST_F(ServiceCalls, GraphAnswerTable) {
    struct Row {
        const char* answer;  // nullptr: no answer at all
        bool expected;
    } rows[] = {
        {"true", true},
        {"true\r\n", true},
        {"{\"id\":\"9\"}", true},
        {"false", false},
        {"false ", false},
        {"", false},
        {nullptr, false},
        {"{\"error\":{\"message\":\"x\",\"type\":\"OAuthException\",\"code\":100}}", false},
        {"{\"error\":{\"code\":200}}", false},
        {"{\"error\":{\"message\":\"(#506) Duplicate status message\"}}", false},
        {"{\"error_code\":2,\"error_msg\":\"Service temporarily unavailable\"}", false},
        {"{\"id\":\"1_2", false},  // cut in half
        {"tr", false},
        {"<html><h1>Sorry, something went wrong.</h1></html>", false},
        {"\x9c\x01\xff garbage", false},
    };
    for (const Row& row : rows) {
        if (row.answer)
            net.Answer(row.answer);
        else
            net.Fail();
        EXPECT_EQ(GraphCall(u"/1/comments", GRAPH_POST, MessageFormBody(u"x")), row.expected)
            << (row.answer ? row.answer : "(none)");
    }
    EXPECT_TRUE(HaveAccessToken());  // only an expired token signs out
    EXPECT_EQ(shell.signIns, 0);
}

TEST_F(ServiceCalls, GraphError190ClearsTheTokenAndAsksForSignIn) {
    net.Answer("{\"error\":{\"message\":\"Error validating access token.\",\"type\":\"OAuthException\",\"code\":190}}");
    EXPECT_FALSE(GraphCall(u"/1_2/comments", GRAPH_POST, MessageFormBody(u"x")));
    EXPECT_FALSE(HaveAccessToken());
    EXPECT_EQ(shell.signIns, 1);
    EXPECT_FALSE(GraphCall(u"/1_2/likes", GRAPH_POST));  // signed out: nothing sent
    EXPECT_EQ(net.requests.size(), 1u);
}

TEST_F(ServiceCalls, GraphWithoutTokenSendsNothing) {
    ClearAccessToken();
    EXPECT_FALSE(GraphCall(u"/me/feed", GRAPH_POST, MessageFormBody(u"x")));
    EXPECT_TRUE(net.requests.empty());
}

TEST(MessageFormBody, ExactBytes) {
    EXPECT_EQ(MessageFormBody(u"Ahoj"),
              "--ORVDATA\r\nContent-Disposition: form-data; name=\"message\"\r\nContent-Type: text/plain\r\n"
              "Content-Length: 4\r\n\r\nAhoj");
    EXPECT_EQ(MessageFormBody(u"Čau ☺"),
              "--ORVDATA\r\nContent-Disposition: form-data; name=\"message\"\r\nContent-Type: text/plain\r\n"
              "Content-Length: 8\r\n\r\n\xC4\x8C" "au \xE2\x98\xBA");
    EXPECT_EQ(MessageFormBody(u""),
              "--ORVDATA\r\nContent-Disposition: form-data; name=\"message\"\r\nContent-Type: text/plain\r\n"
              "Content-Length: 0\r\n\r\n");
}

TEST(MessageFormBody, LongTextIsKeptWhole) {
    // 2047 units of a three-byte character: far beyond the 4096-byte buffer of old.
    std::u16string text(2047, u'€');
    std::string body = MessageFormBody(text);
    std::string head = "Content-Length: 6141\r\n\r\n";
    size_t at = body.find(head);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(body.size(), at + head.size() + 6141);
    EXPECT_EQ(body.substr(body.size() - 3), "\xE2\x82\xAC");
}

class FakePicture : public Picture {
public:
    explicit FakePicture(int32_t w) : w_(w) {}
    int32_t width() const override { return w_; }
    int32_t height() const override { return 1; }

private:
    int32_t w_;
};

TEST_F(ServiceCalls, DownloadPictureFetchesAndDecodes) {
    SetPictureDecoder([](const std::string& bytes) -> PicturePtr {
        if (bytes.rfind("PNG", 0) != 0) return nullptr;
        return std::make_unique<FakePicture>(static_cast<int32_t>(bytes.size()));
    });
    net.Answer("PNG1234");
    net.Answer("<html>");
    PicturePtr picture = DownloadPicture(u"http://127.0.0.1:8080/pictures/avatar_01.png");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 7);
    EXPECT_FALSE(DownloadPicture(u"http://127.0.0.1:8080/pictures/x.png"));
    EXPECT_FALSE(DownloadPicture(u"http://127.0.0.1:8080/pictures/y.png"));  // no answer
    EXPECT_FALSE(DownloadPicture(u""));
    ASSERT_EQ(net.requests.size(), 3u);
    EXPECT_EQ(net.requests[0].port, 8080);
    EXPECT_EQ(net.requests[0].path, u"/pictures/avatar_01.png");
    EXPECT_EQ(net.requests[0].flags, HTTP_FOLLOW_LOCATION);
    SetPictureDecoder(nullptr);
}

class DailyCounter : public ::testing::Test {
protected:
    RecordingTransport net;
    RecordingShell shell;
    std::filesystem::path home;
    std::filesystem::path folder;
    void SetUp() override {
        home = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() / ("orv_counter_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        ResetSettingsForTesting();
        SetServiceBase(u"http://127.0.0.1:8080");
    }
    void TearDown() override {
        SetClockForTesting(nullptr);
        ResetSettingsForTesting();
        SetServiceBase(u"");
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
    }
    void At(int32_t when) {
        SetClockForTesting([when] { return when; });
    }
};

TEST_F(DailyCounter, OncePerLocalDay) {
    LoadSettings(SettingsEnvironment{}, u"orv.cfg");
    int32_t midnight = LocalMidnight(1700000000);
    At(midnight + 3600);
    DailyHitCount();
    At(midnight + 23 * 3600 + 3599);  // 23:59:59 the same day
    DailyHitCount();
    ASSERT_EQ(net.requests.size(), 1u);
    EXPECT_EQ(net.requests[0].host, u"127.0.0.1");
    EXPECT_EQ(net.requests[0].port, 8080);
    EXPECT_EQ(net.requests[0].path, u"/counter");
    EXPECT_EQ(net.requests[0].flags, HTTP_FOLLOW_LOCATION);
    EXPECT_EQ(AppSettings.counterDay, midnight);

    // The day is kept in the settings file.
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(u"orv.cfg", bytes));
    ASSERT_EQ(bytes.size(), SettingsFileSize);
    int32_t stored = 0;
    std::memcpy(&stored, bytes.data() + 84, 4);
    EXPECT_EQ(stored, midnight);

    int32_t next = LocalMidnight(midnight + 25 * 3600);
    At(next + 1);  // just after midnight
    DailyHitCount();
    EXPECT_EQ(net.requests.size(), 2u);
    EXPECT_EQ(AppSettings.counterDay, next);
}

TEST_F(DailyCounter, BeforeSettingsAreLoadedNothingIsWritten) {
    At(1700000000);
    DailyHitCount();
    EXPECT_EQ(net.requests.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists("orv.cfg"));
}

TEST(LocalMidnight, StartOfTheDay) {
    int32_t m = LocalMidnight(1700000000);
    EXPECT_LE(m, 1700000000);
    EXPECT_GT(m, 1700000000 - 86400 - 3600);
    EXPECT_EQ(LocalMidnight(m), m);
    EXPECT_EQ(LocalMidnight(m + 86399 - 3600), m);
}

}  // namespace
