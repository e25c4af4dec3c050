// Fakes for the data-store tests: a service that answers FQL statements by their exact
// text, pictures whose bytes name their size, a shell port that records, and a fixture
// that gives every test an empty store in its own folder.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/log.h"
#include "app/refresh_cycle.h"
#include "base/settings.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "net/http_transport.h"
#include "net/signin.h"
#include "store/comments.h"
#include "store/data_store.h"
#include "store/picture.h"
#include "store/picture_limit.h"
#include "store/profiles.h"
#include "store/seen_state.h"

class FakePicture : public Picture {
public:
    FakePicture(int32_t w, int32_t h) : w_(w), h_(h) {}
    int32_t width() const override { return w_; }
    int32_t height() const override { return h_; }

private:
    int32_t w_, h_;
};

// "PIC <w> <h>" decodes to a picture of that size; anything else to nothing.
inline std::string PictureBytes(int w, int h) { return "PIC " + std::to_string(w) + " " + std::to_string(h); }

inline std::u16string U(std::string_view s) { return Utf8ToUtf16(s); }
inline std::string A(std::u16string_view s) { return Utf16ToUtf8(s); }

// The FQL statement of a request path, decoded.
inline std::optional<std::u16string> StatementOf(const HttpRequest& request) {
    const std::u16string prefix = u"/method/fql.query?query=";
    if (request.path.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    size_t end = request.path.find(u"&format=", prefix.size());
    std::string bytes;
    for (size_t i = prefix.size(); i < end && i < request.path.size(); ++i) {
        char16_t c = request.path[i];
        if (c == u'%' && i + 2 < request.path.size()) {
            bytes.push_back(static_cast<char>(std::stoi(A(request.path.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(static_cast<char>(c));
        }
    }
    return Utf8ToUtf16(bytes);
}

class FakeService : public HttpTransport {
public:
    // Answers by exact statement; a rule sees the statements nothing else answered.
    std::map<std::u16string, std::string> answers;
    std::function<std::optional<std::string>(const std::u16string&)> rule;
    std::map<std::u16string, std::string> pictures;  // by URL path ("/a.png")
    std::vector<std::u16string> statements;
    std::vector<std::u16string> pictureRequests;
    bool blockUntilAbandoned = false;
    bool failUnanswered = false;  // statements nothing answers get no answer, not "[]"
    // Each request waits inside Send until the test lets it go (WaitUntilHeld, LetGo).
    bool holdEvery = false;

    FakeService() { SetHttpTransport(this); }
    ~FakeService() override { SetHttpTransport(nullptr); }

    void Answer(std::string_view statement, std::string body) { answers[U(statement)] = std::move(body); }

    HttpResponse Send(const HttpRequest& request) override {
        std::unique_lock<std::mutex> hold(lock_);
        if (holdEvery) {
            held_ = true;
            heldPath_ = request.path;
            changed_.notify_all();
            changed_.wait(hold, [&] { return !held_; });
        }
        if (blockUntilAbandoned) {
            entered_ = true;
            changed_.notify_all();
            changed_.wait(hold, [&] { return abandoned_; });
            return HttpResponse{};
        }
        if (auto statement = StatementOf(request)) {
            statements.push_back(*statement);
            auto found = answers.find(*statement);
            if (found != answers.end()) return HttpResponse{true, 200, found->second};
            if (rule)
                if (auto body = rule(*statement)) return HttpResponse{true, 200, *body};
            if (failUnanswered) return HttpResponse{};
            return HttpResponse{true, 200, "[]"};
        }
        pictureRequests.push_back(request.path);
        auto found = pictures.find(request.path);
        if (found == pictures.end()) return HttpResponse{};
        return HttpResponse{true, 200, found->second};
    }
    void Abandon() override {
        std::lock_guard<std::mutex> hold(lock_);
        abandoned_ = true;
        changed_.notify_all();
    }
    void WaitUntilBlocked() {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return entered_; });
    }
    // The path of the request now held, or nothing when none came within `limit`.
    std::optional<std::u16string> WaitUntilHeld(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> hold(lock_);
        if (!changed_.wait_for(hold, limit, [&] { return held_; })) return std::nullopt;
        return heldPath_;
    }
    void LetGo() {
        std::lock_guard<std::mutex> hold(lock_);
        held_ = false;
        changed_.notify_all();
    }
    size_t Count(std::u16string_view statement) const {
        size_t n = 0;
        for (const auto& s : statements) n += s == statement;
        return n;
    }
    size_t CountContaining(std::u16string_view part) const {
        size_t n = 0;
        for (const auto& s : statements) n += s.find(part) != std::u16string::npos;
        return n;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool abandoned_ = false;
    bool held_ = false;
    std::u16string heldPath_;
};

class RecordingStoreShell : public ShellPort {
public:
    std::vector<int32_t> icons;  // the busy icon of requests left out
    std::vector<std::u16string> tooltips;
    std::vector<PopupNoticeRequest> notices;
    int menuBars = 0;
    int banners = 0;
    bool visible = false;

    RecordingStoreShell() { SetShellPort(this); }
    ~RecordingStoreShell() override { SetShellPort(nullptr); }

    void SetTrayIcon(int32_t iconId) override {
        std::lock_guard<std::mutex> hold(lock_);
        if (iconId != TrayIconBusy) icons.push_back(iconId);
    }
    void SetTrayTooltip(std::u16string_view text) override {
        std::lock_guard<std::mutex> hold(lock_);
        tooltips.emplace_back(text);
    }
    void RebuildMenuBar() override { ++menuBars; }
    void RedrawBanner() override { ++banners; }
    void BeginSignIn() override {}
    void ShowPopupNotice(const PopupNoticeRequest& request) override { notices.push_back(request); }
    int32_t ShowMessageBox(std::u16string_view, std::u16string_view, uint32_t) override { return 0; }
    bool MainWindowVisible() override { return visible; }

private:
    std::mutex lock_;
};

// One JSON row of a user profile, as the service sends it.
inline std::string UserRow(const std::string& uid, const std::string& name, const std::string& extra = "") {
    return "{\"uid\":" + uid + ",\"name\":\"" + name + "\",\"pic_square\":\"http:\\/\\/pics\\/" + uid +
           ".png\"" + extra + "}";
}

inline std::string UserQuery(std::string_view id) {
    return "SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
           "birthday FROM user WHERE uid='" +
           std::string(id) + "'";
}

// ---- Recorded answers: the statements the store sends and rows as the service sends them.

inline std::string Rows(std::initializer_list<std::string> rows) {
    std::string out = "[";
    for (const auto& r : rows) out += (out.size() > 1 ? "," : "") + r;
    return out + "]";
}

// The comment and like re-reads of a post with the default settings.
inline std::string CommentsQuery(const std::string& post) {
    return "SELECT post_id, fromid, text, time, likes FROM comment WHERE  post_id='" + post +
           "' ORDER by time DESC LIMIT 100";
}
inline std::string LikesQuery(const std::string& post) {
    return "SELECT user_id FROM like WHERE " + A(FriendsOnlyCondition) + " post_id='" + post + "' LIMIT 50";
}
inline std::string CommentRow(const std::string& post, const std::string& from, int time, const std::string& text = "c",
                              int likes = 0) {
    return "{\"post_id\":\"" + post + "\",\"fromid\":" + from + ",\"text\":\"" + text +
           "\",\"time\":" + std::to_string(time) + ",\"likes\":" + std::to_string(likes) + "}";
}
inline std::string LikeRow(const std::string& user) { return "{\"user_id\":" + user + "}"; }

inline std::string ThreadsQuery(int since) {
    return "SELECT thread_id,folder_id,subject,updated_time,message_count,unread,snippet_author,parent_thread_id,"
           "snippet,message_count,recipients FROM thread WHERE folder_id=0 AND updated_time>" +
           std::to_string(since) + " AND unread!=0";
}
inline std::string MessagesQuery(const std::string& thread, int since) {
    return "SELECT thread_id,message_id,author_id,body,created_time,attachment FROM message WHERE thread_id=" + thread +
           " AND created_time>=" + std::to_string(since);
}

// Every store test starts from nothing: a fresh store, default settings, a
// fixed clock, a token, and its own empty folder as the current directory.
class StoreTest : public ::testing::Test {
protected:
    static constexpr int32_t Now = 1700000000;

    void SetUp() override {
        // As after a good refresh: a save drops entries past their age unless a test
        // says otherwise.
        store.seenListsComplete = true;
        ResetRefreshFlags();
        InstallRefreshHooks();
        ResetSettingsForTesting();
        AppSettings = Settings();
        AppSettings.language = LangEnglish;
        SetClockForTesting([this] { return clock; });
        SetAccessToken(u"TOKEN");
        SetPictureDecoder([](const std::string& bytes) -> PicturePtr {
            int w = 0, h = 0;
            if (std::sscanf(bytes.c_str(), "PIC %d %d", &w, &h) != 2) return nullptr;
            return std::make_unique<FakePicture>(w, h);
        });
        SetPictureScaler([](const Picture&, int32_t w, int32_t h) -> PicturePtr {
            return std::make_unique<FakePicture>(w, h);
        });
        ClearLogForTesting();
        saved_ = std::filesystem::current_path();
        folder_ = std::filesystem::temp_directory_path() /
                  ("orv_store_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
    }

    void TearDown() override {
        StopRefresh();
        ResetRefreshFlags();
        SetTokenChangeHook({});
        SetClockForTesting({});
        ClearAccessToken();
        SetPictureDecoder({});
        SetPictureScaler({});
        std::filesystem::current_path(saved_);
        std::filesystem::remove_all(folder_);
    }

    // The refresh cycle's flags are the program's, not the store's: every test starts
    // them afresh.
    static void ResetRefreshFlags() {
        TrayState = 0;
        NewCountTotal = 0;
        ContentMenuOpen = 0;
        LastRefreshStart = 0;
        LastRefreshEnd = 0;
        RefreshDone = 0;
        ServiceUnreachable = 0;
    }

    // Signs in `uid` as the store's own user without a refresh.
    void SetOwnUid(std::u16string uid) {
        std::lock_guard<std::mutex> hold(store.mutex());
        store.ownUid = std::move(uid);
    }

    // Signs in `uid` with his profile fetched from the service (Person first).
    void SignInAs(const std::u16string& uid) {
        SetOwnUid(uid);
        UserRecord* own = FindProfile(store, uid, true);
        std::lock_guard<std::mutex> hold(store.mutex());
        store.ownUser = own;
    }

    // A user the service knows, with a 48 x 48 picture.
    void Person(const std::string& uid, const std::string& name, const std::string& extra = "") {
        service.Answer(UserQuery(uid), "[" + UserRow(uid, name, extra) + "]");
        service.pictures[U("/" + uid + ".png")] = PictureBytes(48, 48);
    }

    int32_t clock = Now;
    FakeService service;
    RecordingStoreShell shell;
    DataStore store;  // a fresh one for every test

private:
    std::filesystem::path saved_, folder_;
};

