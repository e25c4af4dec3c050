#include "app/refresh_cycle.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/log.h"
#include "base/settings.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "net/access_token.h"
#include "net/helper_pool.h"
#include "net/http_transport.h"
#include "net/service_calls.h"
#include "net/signin.h"
#include "store/data_store.h"
#include "store/notifications.h"
#include "store/posts.h"
#include "store/profiles.h"
#include "store/seen_state.h"
#include "store/threads.h"
#include "ui/content_menus.h"
#include "base/whole_file.h"

std::atomic<int32_t> NewCountTotal{0};
std::atomic<int32_t> ContentMenuOpen{0};
std::atomic<int32_t> LastRefreshStart{0};
std::atomic<int32_t> LastRefreshEnd{0};
std::atomic<int32_t> RefreshDone{0};
std::atomic<int32_t> ServiceUnreachable{0};

namespace {
constexpr size_t QueryLimit = 1023;
constexpr size_t SummaryLimit = 1023;

const char16_t* const OwnUserQuery =
    u"SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
    u"birthday FROM user WHERE uid=me()";
const char16_t* const UsersQuery =
    u"SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
    u"birthday FROM user WHERE profile_update_time>=%d AND (uid IN (SELECT uid1 FROM friend WHERE uid2=me()) OR "
    u"uid=me()) LIMIT 150";
const char16_t* const StatusesQuery =
    u"SELECT uid,status_id,message,source,time FROM status WHERE (uid IN (SELECT uid1 FROM friend WHERE "
    u"uid2=me()) OR uid IN (SELECT page_id FROM page_fan WHERE uid=me()) OR uid=me()) AND time>=%d ORDER by "
    u"time DESC LIMIT 150";
const char16_t* const StreamQuery =
    u"SELECT type,attachment,permalink,post_id,actor_id,target_id,message,source_id,created_time,updated_time,"
    u"comments,likes,attachment,app_id FROM stream WHERE filter_key='others' AND updated_time>=%d LIMIT 150";
const char16_t* const NotificationsQuery =
    u"SELECT sender_id,title_text,body_text,created_time,updated_time,href,notification_id FROM notification "
    u"WHERE recipient_id=me() AND updated_time>=%d LIMIT 150";

std::mutex workerLock;  // serialises starting and stopping (UI thread and tests)

// Every refresh runs on the one helper thread, which waits for the next: a thread
// made for each refresh, just after the last one ended, now and then never ran under
// Wine, and the program then never refreshed again. Never destroyed: a helper still
// busy at process end is let go with it.
HelperPool& WorkerThread() {
    static HelperPool* pool = new HelperPool(1);
    return *pool;
}
// Whether a refresh job is handed over and has not returned yet; the job's end wakes
// whoever waits for it. Never destroyed either: the job's last steps may still run
// while the process ends.
struct RefreshJob {
    std::mutex lock;
    std::condition_variable ended;
    bool pending = false;
};
RefreshJob& Job() {
    static RefreshJob* job = new RefreshJob();
    return *job;
}
void WaitForJob() {
    std::unique_lock<std::mutex> hold(Job().lock);
    Job().ended.wait(hold, [] { return !Job().pending; });
}
bool JobPending() {
    std::lock_guard<std::mutex> hold(Job().lock);
    return Job().pending;
}
void SetJobPending(bool pending) {
    std::lock_guard<std::mutex> hold(Job().lock);
    Job().pending = pending;
    if (!pending) Job().ended.notify_all();
}
DataStore* workerStore = nullptr;  // the store the worker runs on, under workerLock
std::atomic<bool> running{false};

void Log(const char* key) { AppendLog(LookupText(key), LogReports); }

// First refresh after a sign-in: who is signed in, and what he has seen before. False
// when the service did not say.
bool ReadOwnUser(DataStore& store) {
    Log("LOG_READINGUSER");
    std::u16string uid;
    {
        JsonTree rows = FqlQuery(OwnUserQuery);
        if (rows.first()) uid = GetJsonText(rows.first()->children, "uid");
    }
    if (uid.empty()) return false;
    if (store.stopRequested) return true;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        store.ownUid = uid;
    }
    UserRecord* own = FindProfile(store, uid, true);
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        store.ownUser = own;
    }
    LoadSeenState(store);
    std::u16string name;
    bool known = false;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        if (store.ownUser) {
            known = true;
            name = store.ownUser->name;
        }
    }
    if (known) AppendLog(name, LogReports);
    Shell().RebuildMenuBar();
    Shell().RedrawBanner();
    return true;
}

// One query of the refresh; a failed one is named by its table.
JsonTree Query(const char16_t* statement, int32_t since, const char16_t* table, RefreshFailures* failed) {
    bool ok = false;
    JsonTree rows = FqlQuery(FormatText(statement, {since}, QueryLimit), &ok);
    if (!ok && failed) failed->push_back(table);
    return rows;
}

// The tooltip of a tray with nothing new: the failure until a refresh succeeds.
std::u16string IdleTooltip() {
    return ServiceUnreachable ? std::u16string(LookupText("STATUS_UNREACHABLE")) : std::u16string(TrayTooltipIdle);
}

void WorkerRoutine(DataStore* store, int32_t lastStart) {
    RunRefreshBody(*store, lastStart);
    running = false;
}
}  // namespace

void InstallRefreshHooks() {
    SetTokenChangeHook([] { LastRefreshEnd = 0; });
}

bool RunRefreshMerge(DataStore& store, int32_t since, RefreshFailures* failed) {
    auto Stopping = [&store] { return store.stopRequested.load(); };
    Log("LOG_AKTUALIZACE");
    JsonTree users = Query(UsersQuery, since, u"user", failed);
    if (Stopping()) return false;
    JsonTree statuses = Query(StatusesQuery, since, u"status", failed);
    if (Stopping()) return false;
    JsonTree stream = Query(StreamQuery, since, u"stream", failed);
    if (Stopping()) return false;
    JsonTree notifications = Query(NotificationsQuery, since, u"notification", failed);
    if (Stopping()) return false;

    ParseProfiles(store, std::move(users), true, ProfileUser);
    if (Stopping()) return false;
    Log("LOG_AKTSTREAM");
    ParsePosts(store, std::move(stream));
    if (Stopping()) return false;
    Log("LOG_AKTSTATUSES");
    ParseStatuses(store, std::move(statuses));
    if (Stopping()) return false;
    Log("LOG_AKTNOTICES");
    ParseNotifications(store, std::move(notifications));
    if (Stopping()) return false;
    Log("LOG_AKTMESSAGES");
    if (!ParseThreads(store, since) && failed) failed->push_back(u"thread");
    // Profiles the menus look up come now, so that opening a menu never waits for them.
    std::vector<std::u16string> missing;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        missing = MissingMenuProfiles(store);
    }
    for (const auto& id : missing) {
        if (Stopping()) break;
        FindProfile(store, id, true);
    }
    return !Stopping();
}

void RunRefreshBody(DataStore& store, int32_t lastStart) {
    const int32_t start = CurrentTime();
    const int32_t since = (lastStart != 0 ? lastStart : start) - AppSettings.hideReadPostsAfter * 3600;
    bool signedIn;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        store.noticePicture = nullptr;
        signedIn = !store.ownUid.empty();
    }
    RefreshFailures failed;
    // Nothing is listed before the user's seen state is loaded: it would all be new.
    if (!signedIn && !ReadOwnUser(store)) failed.push_back(u"user");
    if (store.stopRequested) return;
    if (failed.empty() && !RunRefreshMerge(store, since, &failed)) return;

    if (!failed.empty()) {
        // What came is announced; the next refresh asks again from the last good
        // start, and the stored state is not replaced by a partial one.
        for (const char16_t* table : failed)
            AppendLog(FormatText(LookupText("LOG_FAILEDSTEP"), {table}), LogReports);
        ServiceUnreachable = 1;
        Shell().SetTrayTooltip(IdleTooltip());
        RefreshDone = 1;
        LastRefreshEnd = CurrentTime();
        return;
    }
    const bool wasUnreachable = ServiceUnreachable.exchange(0) != 0;
    if (TrayState == TrayStateNormal) {
        Shell().SetTrayTooltip(TrayTooltipIdle);
    } else if (wasUnreachable) {
        // The failure stood in for what was announced: show that again.
        int32_t p, m, n;
        {
            std::lock_guard<std::mutex> hold(store.mutex());
            p = CountUnseenItems(store.posts, false);
            m = CountUnseenItems(store.messages, false);
            n = CountUnseenItems(store.notifications, false);
        }
        Shell().SetTrayTooltip(RefreshSummary(p, m, n));
    }
    Log("LOG_KONECAKTUALIZACE");
    RefreshDone = 1;
    LastRefreshStart = start;
    LastRefreshEnd = CurrentTime();
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        store.seenListsComplete = true;
    }
    SaveSeenState(store);
}

void StartRefresh(DataStore& store) {
    if (running || !HaveAccessToken()) return;
    std::lock_guard<std::mutex> hold(workerLock);
    WaitForJob();  // the previous one has returned, and its helper waits for this one
    store.stopRequested = false;
    workerStore = &store;
    running = true;
    SetJobPending(true);
    const int32_t lastStart = LastRefreshStart.load();
    if (!WorkerThread().run([&store, lastStart] { WorkerRoutine(&store, lastStart); },
                            [] { SetJobPending(false); })) {
        running = false;
        SetJobPending(false);
    }
}

void StopRefresh() {
    {
        std::lock_guard<std::mutex> hold(workerLock);
        if (JobPending()) {
            if (workerStore) workerStore->stopRequested = true;
            if (HttpTransport* transport = CurrentTransport()) transport->Abandon();
            WaitForJob();
            if (HttpTransport* transport = CurrentTransport()) transport->Resume();
        }
        // Nothing may be cut off in the middle of a file.
        while (FileBusy) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        running = false;
        if (workerStore) workerStore->stopRequested = false;
        workerStore = nullptr;
    }
    Shell().SetTrayIcon(TrayIconNormal);
}

bool WorkerRunning() { return running; }

std::u16string RefreshSummary(int32_t posts, int32_t messages, int32_t notifications) {
    std::u16string text;
    FormatCounts(text, posts, messages, notifications, false);
    if (text.size() > SummaryLimit) text.resize(SummaryLimit);
    return text;
}

void AfterRefresh(DataStore& store) {
    if (AppSettings.notifyOnlyWithHiddenWindow == 1 && Shell().MainWindowVisible()) {
        MarkAllRead(store);
        return;
    }
    int32_t n, p, m;
    SharedPicture picture;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        n = CountUnseenItems(store.notifications, false);
        p = CountUnseenItems(store.posts, false);
        m = CountUnseenItems(store.messages, false);
        picture = store.noticePicture;
    }
    int32_t total = n + p + m;
    if (total <= 0 || total == NewCountTotal || ContentMenuOpen) return;
    TrayState = TrayStateNew;
    NewCountTotal = total;
    Shell().SetTrayIcon(TrayIconNew);
    std::u16string summary = RefreshSummary(p, m, n);
    AppendLog(summary, LogNewAndUpdated);
    Shell().SetTrayTooltip(ServiceUnreachable ? IdleTooltip() : summary);
    Shell().RedrawBanner();
    if (AppSettings.notifyNewAndUpdated == 1 && !Shell().MainWindowVisible()) {
        PopupNoticeRequest request;
        request.title = LookupText("STATUS_NEWANDUPDATED");
        request.summary = summary;
        request.picture = picture;
        Shell().ShowPopupNotice(request);
    }
}

void MarkAllRead(DataStore& store) {
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        CountUnseenItems(store.posts, true);
        CountUnseenItems(store.messages, true);
        CountUnseenItems(store.notifications, true);
    }
    SaveSettings();
    SaveSeenState(store);
    Shell().RedrawBanner();
    NewCountTotal = 0;
    TrayState = TrayStateNormal;
    Shell().SetTrayIcon(TrayIconNormal);
    Shell().SetTrayTooltip(IdleTooltip());
}

void ResetTrayWhenNothingNew(DataStore& store) {
    int32_t total;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        total = CountUnseenItems(store.posts, false) + CountUnseenItems(store.messages, false) +
                CountUnseenItems(store.notifications, false);
    }
    if (total != 0) return;
    ForgetAnnouncement();
    Shell().RedrawBanner();
}

void ForgetAnnouncement() {
    NewCountTotal = 0;
    TrayState = TrayStateNormal;
    Shell().SetTrayIcon(TrayIconNormal);
    Shell().SetTrayTooltip(IdleTooltip());
}

void OnRefreshTimer(DataStore& store) {
    const int32_t now = CurrentTime();
    if (static_cast<int64_t>(now) - LastRefreshEnd > static_cast<int64_t>(AppSettings.refreshInterval) * 60) {
        if (!running) StartRefresh(store);
        else LastRefreshEnd = now;
    }
    if (RefreshDone) {
        AfterRefresh(store);
        RefreshDone = 0;
    }
}

void UpdateDataCommand(DataStore& store) {
    if (!running) StartRefresh(store);
}
