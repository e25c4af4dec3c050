#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/refresh_cycle.h"
#include "base/whole_file.h"
#include "store/profiles.h"
#include "store_fakes.h"

namespace {

const char* OwnUserQuery =
    "SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
    "birthday FROM user WHERE uid=me()";

std::string Since(const char* format, int since) { return A(FormatText(U(format), {since})); }

const char* UsersQuery =
    "SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
    "birthday FROM user WHERE profile_update_time>=%d AND (uid IN (SELECT uid1 FROM friend WHERE uid2=me()) OR "
    "uid=me()) LIMIT 150";
const char* StatusesQuery =
    "SELECT uid,status_id,message,source,time FROM status WHERE (uid IN (SELECT uid1 FROM friend WHERE "
    "uid2=me()) OR uid IN (SELECT page_id FROM page_fan WHERE uid=me()) OR uid=me()) AND time>=%d ORDER by "
    "time DESC LIMIT 150";
const char* StreamQuery =
    "SELECT type,attachment,permalink,post_id,actor_id,target_id,message,source_id,created_time,updated_time,"
    "comments,likes,attachment,app_id FROM stream WHERE filter_key='others' AND updated_time>=%d LIMIT 150";
const char* NotificationsQuery =
    "SELECT sender_id,title_text,body_text,created_time,updated_time,href,notification_id FROM notification "
    "WHERE recipient_id=me() AND updated_time>=%d LIMIT 150";
const char* ThreadsSince =
    "SELECT thread_id,folder_id,subject,updated_time,message_count,unread,snippet_author,parent_thread_id,"
    "snippet,message_count,recipients FROM thread WHERE folder_id=0 AND updated_time>%d AND unread!=0";

std::vector<std::u16string> LogTexts(int32_t channel) {
    std::vector<std::u16string> out;
    for (const auto& entry : LogEntries(channel)) {
        size_t dash = entry.text.find(u" - ");
        out.push_back(dash == std::u16string::npos ? entry.text : entry.text.substr(dash + 3));
    }
    return out;
}

class RefreshTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        service.Answer(OwnUserQuery, "[" + UserRow("42", "Me") + "]");
        Person("42", "Me");
        Person("7", "Anna");
    }

    template <class T>
    static void AddUnseen(ItemList<T>& list, const std::u16string& key, uint32_t T::*flags) {
        ItemNode<T>* n = nullptr;
        AppendItem(list, T{}, key, key, 0, &n);
        n->flagsRef = &(n->payload.*flags);
    }
    void Unseen(int posts, int messages, int notifications) {
        std::lock_guard<std::mutex> hold(store.mutex());
        for (int i = 0; i < posts; ++i) AddUnseen(store.posts, u"p" + AsciiToUtf16(std::to_string(i)), &PostRecord::flags);
        for (int i = 0; i < messages; ++i)
            AddUnseen(store.messages, u"m" + AsciiToUtf16(std::to_string(i)), &MessageRecord::read);
        for (int i = 0; i < notifications; ++i)
            AddUnseen(store.notifications, u"n" + AsciiToUtf16(std::to_string(i)), &NotificationRecord::read);
    }
    void WaitForWorker() {
        for (int i = 0; i < 3000 && WorkerRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_FALSE(WorkerRunning());
    }
};

TEST_F(RefreshTest, FirstRefreshReadsTheUserThenQueriesAndMergesInOrder) {
    service.Answer(Since(StreamQuery, Now - 12 * 3600),
                   R"([{"post_id":"7_1","source_id":7,"updated_time":1699990000}])");
    clock = Now;
    RunRefreshBody(store, 0);
    const int since = Now - 12 * 3600;
    std::vector<std::u16string> expected{U(OwnUserQuery), U(UserQuery("42")),
                                         U(Since(UsersQuery, since)), U(Since(StatusesQuery, since)),
                                         U(Since(StreamQuery, since)), U(Since(NotificationsQuery, since)),
                                         U(UserQuery("7")), U(Since(ThreadsSince, since))};
    EXPECT_EQ(service.statements, expected);
    EXPECT_EQ(LogTexts(LogReports),
              (std::vector<std::u16string>{u"Reading logged user", u"Me", u"Updating data from Facebook",
                                           u"Reading stream", u"Reading status updates", u"Reading notices",
                                           u"Reading messages", u"End of update from Facebook"}));
    EXPECT_EQ(store.ownUid, u"42");
    ASSERT_NE(store.ownUser, nullptr);
    EXPECT_EQ(store.ownUser->name, u"Me");
    EXPECT_GE(shell.menuBars, 1);
    EXPECT_EQ(RefreshDone, 1);
    EXPECT_EQ(LastRefreshStart, Now);
    EXPECT_EQ(LastRefreshEnd, Now);
    EXPECT_TRUE(std::filesystem::exists("orv_42.dat"));
    EXPECT_EQ(shell.tooltips.back(), u"Orv - Facebook interface");
    EXPECT_NE(FindItem(store.posts, u"7_1"), nullptr);
    EXPECT_EQ(store.noticePicture, FindProfile(store, u"7", false)->picture);
}

TEST_F(RefreshTest, LaterRefreshesReachBackFromThePreviousStartAndSkipTheUser) {
    RunRefreshBody(store, 0);
    service.statements.clear();
    ClearLogForTesting();
    clock = Now + 700;
    RunRefreshBody(store, LastRefreshStart);
    EXPECT_EQ(service.statements.front(), U(Since(UsersQuery, Now - 12 * 3600)));
    EXPECT_EQ(LogTexts(LogReports).front(), u"Updating data from Facebook");
    EXPECT_EQ(LastRefreshStart, Now + 700);

    AppSettings.hideReadPostsAfter = 1;
    service.statements.clear();
    RunRefreshBody(store, LastRefreshStart);
    EXPECT_EQ(service.statements.front(), U(Since(UsersQuery, Now + 700 - 3600)));
}

TEST_F(RefreshTest, TrayTooltipStaysWhileSomethingIsAnnounced) {
    TrayState = TrayStateNew;
    RunRefreshBody(store, 0);
    for (const auto& tip : shell.tooltips) EXPECT_NE(tip, u"Orv - Facebook interface");
}

// Items listed before the user's seen state is loaded would all count as new.
TEST_F(RefreshTest, WithoutAUserTheRefreshStopsAndSaysSo) {
    service.answers.erase(U(OwnUserQuery));
    RunRefreshBody(store, 0);
    EXPECT_EQ(store.ownUid, u"");
    EXPECT_EQ(service.statements.size(), 1u);
    EXPECT_EQ(LogTexts(LogReports),
              (std::vector<std::u16string>{u"Reading logged user", u"Request to Facebook failed (user)"}));
    EXPECT_EQ(ServiceUnreachable, 1);
    EXPECT_EQ(shell.tooltips.back(), u"Orv - Facebook could not be reached");
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
}

// The service fails after the own-user query of a run's first refresh: the stored
// state stays as it was (it was cut to six empty sections), the failed steps are
// logged, the tray says so until a refresh succeeds, and the next refresh asks again
// from the same start.
TEST_F(RefreshTest, AFailedFirstRefreshKeepsTheStoredStateAndSaysSo) {
    std::string stored;
    {
        SeenTables tables;
        tables.posts = SeenTable({SeenEntry{0, 1, Now - 100, u"7_1", u"", 0},
                                  SeenEntry{0, 1, Now - 30 * 86400, u"7_0", u"", 0}});  // old, still kept
        tables.likes = SeenTable({SeenEntry{0, 1, Now - 100, u"7_1", u"8", 0}});
        stored = SeenTablesBytes(tables);
        ASSERT_EQ(WriteWholeFile(u"orv_42.dat", stored.data(), stored.size()), stored.size());
    }
    service.failUnanswered = true;
    service.answers.erase(U(UserQuery("42")));
    LastRefreshStart = 0;
    RunRefreshBody(store, 0);
    EXPECT_EQ(store.ownUid, u"42");
    std::vector<std::u16string> log = LogTexts(LogReports);
    std::vector<std::u16string> failed(log.end() - 5, log.end());
    EXPECT_EQ(failed, (std::vector<std::u16string>{
                          u"Request to Facebook failed (user)", u"Request to Facebook failed (status)",
                          u"Request to Facebook failed (stream)", u"Request to Facebook failed (notification)",
                          u"Request to Facebook failed (thread)"}));
    for (const auto& line : log) EXPECT_NE(line, u"End of update from Facebook");
    EXPECT_EQ(shell.tooltips.back(), u"Orv - Facebook could not be reached");
    EXPECT_EQ(LastRefreshStart, 0);
    EXPECT_EQ(LastRefreshEnd, Now);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(u"orv_42.dat", bytes));
    EXPECT_EQ(bytes, stored);
    // Nor does the save at exit lose anything, however old.
    ASSERT_TRUE(SaveSeenState(store));
    ASSERT_TRUE(ReadWholeFile(u"orv_42.dat", bytes));
    EXPECT_EQ(bytes, stored);
    // Announced items keep the failure in the tray.
    Unseen(1, 0, 0);
    AfterRefresh(store);
    EXPECT_EQ(shell.tooltips.back(), u"Orv - Facebook could not be reached");

    // The service is back.
    service.failUnanswered = false;
    clock = Now + 600;
    RunRefreshBody(store, LastRefreshStart);
    EXPECT_EQ(service.statements.back(), U(Since(ThreadsSince, Now + 600 - 12 * 3600)));
    EXPECT_EQ(ServiceUnreachable, 0);
    EXPECT_EQ(shell.tooltips.back(), u"Posts: 1");  // what was announced, again
    EXPECT_EQ(LogTexts(LogReports).back(), u"End of update from Facebook");
    SeenTables saved;
    ASSERT_TRUE(ReadWholeFile(u"orv_42.dat", bytes));
    ASSERT_TRUE(ParseSeenState(bytes, saved));
    EXPECT_EQ(saved.posts.size(), 2u);  // "p0" and the young one; the old one goes now
    EXPECT_EQ(saved.likes.size(), 1u);
}

TEST_F(RefreshTest, TimerStartsAWorkerWhenDueAndAnnouncesAfterIt) {
    LastRefreshEnd = Now - 601;
    AppSettings.refreshInterval = 10;
    service.Answer(Since(StreamQuery, Now - 12 * 3600),
                   R"([{"post_id":"7_1","source_id":7,"updated_time":1699990000}])");
    OnRefreshTimer(store);  // a worker that ends at once is announced in this same tick
    WaitForWorker();
    OnRefreshTimer(store);
    EXPECT_FALSE(WorkerRunning());
    EXPECT_EQ(RefreshDone, 0);
    EXPECT_EQ(NewCountTotal, 1);
    EXPECT_EQ(TrayState, TrayStateNew);
    EXPECT_EQ(LogTexts(LogNewAndUpdated), (std::vector<std::u16string>{u"Posts: 1"}));
}

TEST_F(RefreshTest, TimerWaitsForTheIntervalCountedFromTheEnd) {
    AppSettings.refreshInterval = 10;
    LastRefreshEnd = Now - 600;
    OnRefreshTimer(store);
    EXPECT_FALSE(WorkerRunning());
    EXPECT_TRUE(service.statements.empty());
}

TEST_F(RefreshTest, NoTokenNoWorker) {
    ClearAccessToken();
    StartRefresh(store);
    EXPECT_FALSE(WorkerRunning());
    UpdateDataCommand(store);
    EXPECT_FALSE(WorkerRunning());
}

TEST_F(RefreshTest, StopAsksTheWorkerToEndAndJoinsIt) {
    service.blockUntilAbandoned = true;
    UpdateDataCommand(store);
    EXPECT_TRUE(WorkerRunning());
    service.WaitUntilBlocked();
    UpdateDataCommand(store);  // does nothing while one runs
    StopRefresh();
    EXPECT_FALSE(WorkerRunning());
    EXPECT_EQ(RefreshDone, 0);
    EXPECT_EQ(LastRefreshStart, 0);
    EXPECT_EQ(LastRefreshEnd, 0);
    EXPECT_EQ(shell.icons.back(), TrayIconNormal);
    // Nothing after the request that was cut short.
    EXPECT_EQ(LogTexts(LogReports), (std::vector<std::u16string>{u"Reading logged user"}));
}

// Refreshes one after another run on the one worker thread: a thread made for each,
// just after the last one ended, now and then never ran under Wine.
TEST_F(RefreshTest, RefreshesOneAfterAnotherShareTheWorkerThread) {
    // Counted per thread: a thread id may come back for a new thread, its locals not.
    std::vector<int> countOnThread;  // the rule runs under the fake's lock
    service.rule = [&](const std::u16string&) -> std::optional<std::string> {
        static thread_local int count = 0;
        countOnThread.push_back(++count);
        return std::nullopt;
    };
    for (int i = 0; i < 3; ++i) {
        UpdateDataCommand(store);
        WaitForWorker();
    }
    ASSERT_GE(countOnThread.size(), 3 * 4u);  // each refresh asked its four queries at least
    // One thread counted them all (from where an earlier run of this test left off).
    for (size_t i = 1; i < countOnThread.size(); ++i) EXPECT_EQ(countOnThread[i], countOnThread[i - 1] + 1) << i;
}

// While the service holds any request of a refresh (profiles, pictures, the attachment,
// comments, likes, statuses, notifications, threads, messages), another thread takes
// the store's mutex at once: no request runs under it.
TEST_F(RefreshTest, NoRequestOfARefreshHoldsTheStoreMutex) {
    for (const char* id : {"8", "9", "10", "11", "12", "13"}) Person(id, "P" + std::string(id));
    service.pictures[u"/att"] = PictureBytes(100, 100);
    service.Answer(Since(StreamQuery, Now - 12 * 3600),
                   R"([{"post_id":"7_1","source_id":7,"actor_id":7,"updated_time":1699990000,)"
                   R"("comments":{"count":1},"likes":{"count":1},)"
                   R"("attachment":{"name":"N","media":[{"href":"http:\/\/x","src":"http:\/\/pics\/att"}]}}])");
    service.rule = [](const std::u16string& statement) -> std::optional<std::string> {
        auto has = [&](std::u16string_view part) { return statement.find(part) != std::u16string::npos; };
        if (has(u"FROM comment")) return R"([{"post_id":"7_1","fromid":8,"text":"c","time":100,"likes":0}])";
        if (has(u"FROM like")) return R"([{"user_id":9}])";
        if (has(u"FROM notification"))
            return R"([{"notification_id":"n1","sender_id":10,"updated_time":100,"title_text":"t"}])";
        if (has(u"FROM status")) return R"([{"uid":11,"status_id":1,"message":"m","time":100}])";
        if (has(u"FROM thread")) return R"([{"thread_id":"t1","updated_time":100,"recipients":[42,12]}])";
        if (has(u"FROM message")) return R"([{"thread_id":"t1","message_id":"m1","author_id":13,"created_time":100}])";
        return std::nullopt;
    };
    service.holdEvery = true;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        RunRefreshBody(store, 0);
        done = true;
    });
    std::vector<std::u16string> held;
    while (!done) {
        std::optional<std::u16string> path = service.WaitUntilHeld(std::chrono::milliseconds(50));
        if (!path) continue;
        const auto start = std::chrono::steady_clock::now();
        bool taken = false;
        while (!(taken = store.mutex().try_lock()) && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(5))
            std::this_thread::yield();
        if (taken) store.mutex().unlock();
        EXPECT_TRUE(taken) << A(*path);
        HttpRequest request;
        request.path = *path;
        held.push_back(StatementOf(request).value_or(*path));
        service.LetGo();
    }
    worker.join();
    auto heldAny = [&](std::u16string_view part) {
        return std::any_of(held.begin(), held.end(),
                           [&](const std::u16string& p) { return p.find(part) != std::u16string::npos; });
    };
    for (const char16_t* part : {u"/att", u"/9.png", u"/13.png", u"FROM comment", u"FROM like", u"FROM message",
                                 u"uid='8'", u"uid='9'", u"uid='10'", u"uid='11'", u"uid='12'", u"uid='13'"})
        EXPECT_TRUE(heldAny(part)) << A(part);
    EXPECT_NE(FindItemByKeys(store.comments, u"7_1", u"8"), nullptr);
    EXPECT_NE(FindItemByKeys(store.likes, u"7_1", u"9"), nullptr);
    EXPECT_NE(store.FindMessage(u"m1"), nullptr);
}

class AfterRefreshTest : public RefreshTest {};

TEST_F(AfterRefreshTest, AnnouncesOnlyWhenTheTotalChanges) {
    Unseen(3, 0, 0);
    AfterRefresh(store);
    EXPECT_EQ(TrayState, TrayStateNew);
    EXPECT_EQ(NewCountTotal, 3);
    EXPECT_EQ(shell.icons, (std::vector<int32_t>{TrayIconNew}));
    EXPECT_EQ(shell.tooltips.back(), u"Posts: 3");
    ASSERT_EQ(shell.notices.size(), 1u);
    EXPECT_EQ(shell.notices[0].title, u"New and updated");
    EXPECT_EQ(shell.notices[0].summary, u"Posts: 3");

    AfterRefresh(store);
    EXPECT_EQ(shell.notices.size(), 1u);
    EXPECT_EQ(LogTexts(LogNewAndUpdated).size(), 1u);

    FindItem(store.posts, u"p0")->payload.flags = ItemRead;
    AfterRefresh(store);
    EXPECT_EQ(NewCountTotal, 2);
    EXPECT_EQ(LogTexts(LogNewAndUpdated), (std::vector<std::u16string>{u"Posts: 3", u"Posts: 2"}));
    EXPECT_EQ(shell.notices.size(), 2u);
}

// The notice composes its bitmap later, maybe after a refresh or a sign-out let go of
// every record that showed its picture.
TEST_F(AfterRefreshTest, TheNoticeKeepsItsPictureAfterTheRecordsThatShowedItAreReleased) {
    service.Answer(Since(StreamQuery, Now - 12 * 3600), R"([{"post_id":"7_1","source_id":7,"updated_time":1699990000}])");
    RunRefreshBody(store, 0);
    AfterRefresh(store);
    ASSERT_EQ(shell.notices.size(), 1u);
    store.ReleaseSignedInData();
    EXPECT_EQ(store.noticePicture, nullptr);
    EXPECT_EQ(store.heldPictureCount(), 1u);  // the notice's, and nothing else
    ASSERT_NE(shell.notices[0].picture, nullptr);
    EXPECT_EQ(shell.notices[0].picture->width(), 48);
    shell.notices.clear();
    EXPECT_EQ(store.heldPictureCount(), 0u);
}

TEST_F(AfterRefreshTest, ForgettingTheAnnouncementIdlesTheTrayAndLetsTheSameTotalBeAnnouncedAgain) {
    Unseen(3, 0, 0);
    AfterRefresh(store);
    EXPECT_EQ(shell.tooltips.back(), u"Posts: 3");
    ForgetAnnouncement();
    EXPECT_EQ(shell.tooltips.back(), u"Orv - Facebook interface");
    EXPECT_EQ(shell.icons.back(), TrayIconNormal);
    EXPECT_EQ(TrayState, TrayStateNormal);
    EXPECT_EQ(NewCountTotal, 0);
    AfterRefresh(store);  // signed in again with as many new items
    EXPECT_EQ(shell.notices.size(), 2u);
    EXPECT_EQ(shell.tooltips.back(), u"Posts: 3");
}

TEST_F(AfterRefreshTest, SummaryInTheOrderPostsMessagesNotificationsWithoutZeros) {
    Unseen(1, 2, 3);
    AfterRefresh(store);
    EXPECT_EQ(LogTexts(LogNewAndUpdated).back(), u"Posts: 1, Messages: 2, Notifications: 3");
    EXPECT_EQ(RefreshSummary(0, 2, 0), u"Messages: 2");
    EXPECT_EQ(RefreshSummary(4, 0, 1), u"Posts: 4, Notifications: 1");
}

TEST_F(AfterRefreshTest, NothingUnreadLeavesTrayAndTooltipAlone) {
    AfterRefresh(store);
    EXPECT_TRUE(shell.icons.empty());
    EXPECT_TRUE(shell.tooltips.empty());
    EXPECT_EQ(TrayState, TrayStateNormal);
    EXPECT_TRUE(LogTexts(LogNewAndUpdated).empty());
}

TEST_F(AfterRefreshTest, MutedAndHiddenItemsDoNotCount) {
    Unseen(2, 0, 0);
    FindItem(store.posts, u"p0")->payload.flags = ItemMuted;
    uint32_t hidden = 1;
    FindItem(store.posts, u"p1")->markRef = &hidden;
    AfterRefresh(store);
    EXPECT_EQ(NewCountTotal, 0);
    FindItem(store.posts, u"p1")->markRef = &DefaultMarkWord;
}

TEST_F(AfterRefreshTest, VisibleWindowGetsTheTrayButNoPopup) {
    shell.visible = true;
    Unseen(1, 0, 0);
    AfterRefresh(store);
    EXPECT_EQ(TrayState, TrayStateNew);
    EXPECT_TRUE(shell.notices.empty());
}

TEST_F(AfterRefreshTest, PopupOnlyWhenTheSettingAsks) {
    AppSettings.notifyNewAndUpdated = 0;
    Unseen(1, 0, 0);
    AfterRefresh(store);
    EXPECT_EQ(TrayState, TrayStateNew);
    EXPECT_TRUE(shell.notices.empty());
}

TEST_F(AfterRefreshTest, OpenContentMenuHoldsTheAnnouncementBack) {
    ContentMenuOpen = 1;
    Unseen(1, 0, 0);
    AfterRefresh(store);
    EXPECT_EQ(NewCountTotal, 0);
    EXPECT_TRUE(shell.icons.empty());
}

TEST_F(AfterRefreshTest, NotifyingOnlyWithHiddenWindowMarksAllReadWhenItIsShown) {
    AppSettings.notifyOnlyWithHiddenWindow = 1;
    shell.visible = true;
    SetOwnUid(u"42");
    Unseen(2, 1, 1);
    TrayState = TrayStateNew;
    NewCountTotal = 9;
    AfterRefresh(store);
    EXPECT_EQ(CountUnseenItems(store.posts, false) + CountUnseenItems(store.messages, false) +
                  CountUnseenItems(store.notifications, false),
              0);
    EXPECT_EQ(NewCountTotal, 0);
    EXPECT_EQ(TrayState, TrayStateNormal);
    EXPECT_EQ(shell.icons.back(), TrayIconNormal);
    EXPECT_EQ(shell.tooltips.back(), u"Orv - Facebook interface");
    EXPECT_TRUE(LogTexts(LogNewAndUpdated).empty());
    EXPECT_TRUE(std::filesystem::exists("orv_42.dat"));

    // Hidden again: announced as usual.
    shell.visible = false;
    FindItem(store.posts, u"p0")->payload.flags = 0;
    AfterRefresh(store);
    EXPECT_EQ(NewCountTotal, 1);
}

}  // namespace
