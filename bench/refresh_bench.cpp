// The refresh body over a large account through a fake service (500 friends, 150 posts
// each with 100 comments and 50 likes, 150 notifications, 50 threads of 20 messages),
// against ParseJson alone over the same answers; and the seen-state file of 20,000
// entries saved and loaded. Run: build/bench/refresh_bench (--interleaved for the ratio alone)
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/log.h"
#include "app/refresh_cycle.h"
#include "base/settings.h"
#include "net/access_token.h"
#include "net/http_transport.h"
#include "net/service_calls.h"
#include "store/data_store.h"
#include "store/profiles.h"
#include "store/seen_state.h"
#include "base/whole_file.h"

#include "bench/heap_counter.h"

namespace {

constexpr int32_t Now = 1700000000;
constexpr int32_t Since = Now - 12 * 3600;
constexpr int Friends = 500, Posts = 150, CommentsPerPost = 100, LikesPerPost = 50, Notifications = 150,
              Threads = 50, MessagesPerThread = 20;
const char16_t* const Token = u"BENCHTOKEN";

class TinyPicture : public Picture {
public:
    int32_t width() const override { return 50; }
    int32_t height() const override { return 50; }
};

std::string Uid(int i) { return std::to_string(100000 + i % Friends); }
std::string T(int32_t t) { return std::to_string(t); }
std::string Czech(const std::string& s, int i) { return s + " \\u010c\\u0159\\u00e1\\u017e " + std::to_string(i); }

std::string UserRow(const std::string& uid, int i) {
    return "{\"uid\":" + uid + ",\"profile_url\":\"http:\\/\\/www.facebook.com\\/profile.php?id=" + uid +
           "\",\"name\":\"" + Czech("Jan Nov\\u00e1k", i) + "\",\"pic_square\":\"http:\\/\\/pics\\/" + uid +
           "_q.jpg\",\"pic\":\"http:\\/\\/pics\\/" + uid + "_n.jpg\",\"online_presence\":\"active\",\"profile_update_time\":" +
           T(Since + i) + ",\"status\":{\"message\":\"" + Czech("Dnes je hezky", i) +
           "\",\"time\":" + T(Since) + ",\"status_id\":\"" + T(i) + "\"},\"current_location\":{\"city\":\"Brno\","
           "\"state\":\"\",\"country\":\"Czech Republic\",\"zip\":\"\",\"id\":1,\"name\":\"Brno\"},\"birthday\":\"May 1\"}";
}

// The fake service: every answer prepared once, looked up by the request's path.
// Paths run to hundreds of units, and the library compares char16_t texts unit by
// unit: memcmp keeps the fake's own share of the merge small.
struct SamePath {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
    }
};
class BenchService : public HttpTransport {
public:
    std::unordered_map<std::u16string, std::string, std::hash<std::u16string>, SamePath> answers;
    std::vector<const std::string*> served;  // FQL answers of one run, in order
    const std::string empty = "[]";
    const std::string picture = "P";

    void Add(std::u16string_view statement, std::string body) {
        answers[FqlTarget(statement, Token)] = std::move(body);
    }
    HttpResponse Send(const HttpRequest& request) override {
        if (request.path.compare(0, 18, u"/method/fql.query?") != 0) return HttpResponse{true, 200, picture};
        if (served.empty()) {  // a new run
            at_ = 0;
            readyForRun_ = prepared_;
            prepared_ = false;
        }
        // Every run asks the same queries in the same order: the path asked at this point
        // of the last run is compared first, which spares hashing hundreds of units.
        if (at_ < order_.size() && SamePath()(*order_[at_].first, request.path)) {
            const size_t at = at_++;
            served.push_back(order_[at].second);
            // The path of the next query is compared when it comes, after a merge step
            // has filled the cache with other things: bring it in now.
            if (at_ < order_.size()) {
                const std::u16string& next = *order_[at_].first;
                const char* bytes = reinterpret_cast<const char*>(next.data());
                for (size_t line = 0; line < next.size() * sizeof(char16_t); line += 64) __builtin_prefetch(bytes + line);
            }
            // A real transport hands over the bytes it read: the copy made before the
            // run stands for them, so the merge is not charged with the fake's copying.
            if (readyForRun_ && at < ready_.size()) return HttpResponse{true, 200, std::move(ready_[at])};
            return HttpResponse{true, 200, *order_[at].second};
        }
        auto found = answers.find(request.path);
        if (found == answers.end()) {
            served.push_back(&empty);
            return HttpResponse{true, 200, empty};
        }
        order_.resize(at_);
        ready_.resize(std::min(ready_.size(), at_));
        order_.emplace_back(&found->first, &found->second);
        ++at_;
        served.push_back(&found->second);
        return HttpResponse{true, 200, found->second};
    }

    // Copies of the bodies the last run was given, in its order, for the next run.
    void PrepareBodies() {
        ready_.clear();
        ready_.reserve(order_.size());
        for (const auto& asked : order_) ready_.push_back(*asked.second);
        prepared_ = true;
    }

private:
    std::vector<std::pair<const std::u16string*, const std::string*>> order_;
    std::vector<std::string> ready_;
    bool prepared_ = false, readyForRun_ = false;
    size_t at_ = 0;
};

BenchService& Service() {
    static BenchService* service = [] {
        auto* s = new BenchService();
        std::string users = "[";
        for (int i = 0; i < Friends; ++i) users += (i ? "," : "") + UserRow(Uid(i), i);
        users += "]";
        s->Add(u"SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
               u"birthday FROM user WHERE uid=me()",
               "[" + UserRow("42", 42) + "]");
        s->Add(u"SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,current_location,"
               u"birthday FROM user WHERE uid='42'",
               "[" + UserRow("42", 42) + "]");
        s->Add(FormatText(u"SELECT uid,profile_url,name,pic_square,pic,online_presence,profile_update_time,status,"
                          u"current_location,birthday FROM user WHERE profile_update_time>=%d AND (uid IN (SELECT uid1 "
                          u"FROM friend WHERE uid2=me()) OR uid=me()) LIMIT 150",
                          {Since}),
               users);

        std::string statuses = "[";
        for (int i = 0; i < Posts; ++i)
            statuses += std::string(i ? "," : "") + "{\"uid\":" + Uid(i * 3) + ",\"status_id\":\"" + T(9000 + i) +
                        "\",\"message\":\"" + Czech("Stav", i) + "\",\"source\":0,\"time\":" + T(Now - 60 - i) + "}";
        s->Add(FormatText(u"SELECT uid,status_id,message,source,time FROM status WHERE (uid IN (SELECT uid1 FROM friend "
                          u"WHERE uid2=me()) OR uid IN (SELECT page_id FROM page_fan WHERE uid=me()) OR uid=me()) AND "
                          u"time>=%d ORDER by time DESC LIMIT 150",
                          {Since}),
               statuses + "]");

        std::string stream = "[";
        for (int p = 0; p < Posts; ++p) {
            std::string source = Uid(p * 3), post = source + "_" + T(5000 + p);
            stream += std::string(p ? "," : "") + "{\"type\":46,\"attachment\":{\"name\":\"" + Czech("Fotky", p) +
                      "\",\"description\":\"Popis\",\"media\":[{\"href\":\"http:\\/\\/www.example.cz\\/photo.php?fbid=" +
                      T(p) + "\",\"src\":\"http:\\/\\/photos\\/" + post + "_s.jpg\",\"type\":\"photo\"}]},"
                      "\"permalink\":\"http:\\/\\/www.facebook.com\\/permalink.php?id=" + post + "\",\"post_id\":\"" +
                      post + "\",\"actor_id\":" + source + ",\"target_id\":null,\"message\":\"" +
                      Czech("Dnes jsme byli na v\\u00fdlet\\u011b http:\\/\\/www.example.cz\\/clanek", p) +
                      "\",\"source_id\":" + source + ",\"created_time\":" + T(Now - 3600 - p) +
                      ",\"updated_time\":" + T(Now - p) +
                      ",\"comments\":{\"can_remove\":false,\"can_post\":true,\"count\":" + T(CommentsPerPost) +
                      "},\"likes\":{\"href\":\"\",\"count\":" + T(LikesPerPost) +
                      ",\"sample\":[],\"friends\":[],\"user_likes\":false,\"can_like\":true},\"app_id\":null}";
            std::string comments = "[";
            for (int c = 0; c < CommentsPerPost; ++c)
                comments += std::string(c ? "," : "") + "{\"post_id\":\"" + post + "\",\"fromid\":" + Uid(p + c * 7) +
                            ",\"text\":\"" + Czech("Super, t\\u011b\\u0161\\u00edm se na to", c) + "\",\"time\":" +
                            T(Now - 100 - c) + ",\"likes\":" + T(c % 4) + "}";
            s->Add(FormatText(u"SELECT post_id, fromid, text, time, likes FROM comment WHERE  post_id='%s' ORDER by time "
                              u"DESC LIMIT 100",
                              {Utf8ToUtf16(post)}),
                   comments + "]");
            std::string likes = "[";
            for (int l = 0; l < LikesPerPost; ++l) likes += std::string(l ? "," : "") + "{\"user_id\":" + Uid(p + l * 11) + "}";
            s->Add(FormatText(u"SELECT user_id FROM like WHERE (user_id IN (SELECT uid1 FROM friend WHERE uid2=me()) OR "
                              u"user_id=me() OR user_id IN (SELECT page_id FROM page_fan WHERE uid=me())) AND "
                              u"post_id='%s' LIMIT 50",
                              {Utf8ToUtf16(post)}),
                   likes + "]");
        }
        s->Add(FormatText(u"SELECT type,attachment,permalink,post_id,actor_id,target_id,message,source_id,created_time,"
                          u"updated_time,comments,likes,attachment,app_id FROM stream WHERE filter_key='others' AND "
                          u"updated_time>=%d LIMIT 150",
                          {Since}),
               stream + "]");

        std::string notifications = "[";
        for (int n = 0; n < Notifications; ++n)
            notifications += std::string(n ? "," : "") + "{\"sender_id\":" + Uid(n * 5) + ",\"title_text\":\"" +
                             Czech("Jan okomentoval v\\u00e1\\u0161 p\\u0159\\u00edsp\\u011bvek", n) +
                             "\",\"body_text\":\"" + Czech("Text", n) + "\",\"created_time\":" + T(Now - 500 - n) +
                             ",\"updated_time\":" + T(Now - 400 - n) +
                             ",\"href\":\"http:\\/\\/www.facebook.com\\/n\\/?id=" + T(n) +
                             "\",\"notification_id\":\"" + T(70000 + n) + "\"}";
        s->Add(FormatText(u"SELECT sender_id,title_text,body_text,created_time,updated_time,href,notification_id FROM "
                          u"notification WHERE recipient_id=me() AND updated_time>=%d LIMIT 150",
                          {Since}),
               notifications + "]");

        std::string threads = "[";
        for (int t = 0; t < Threads; ++t) {
            std::string id = T(80000 + t);
            threads += std::string(t ? "," : "") + "{\"thread_id\":\"" + id +
                       "\",\"folder_id\":0,\"subject\":\"\",\"updated_time\":" + T(Now - 200 - t) +
                       ",\"message_count\":" + T(MessagesPerThread) + ",\"unread\":2,\"snippet_author\":" + Uid(t) +
                       ",\"parent_thread_id\":\"0\",\"snippet\":\"" + Czech("Ahoj", t) +
                       "\",\"message_count\":20,\"recipients\":[42," + Uid(t) + "]}";
            std::string messages = "[";
            for (int m = 0; m < MessagesPerThread; ++m)
                messages += std::string(m ? "," : "") + "{\"thread_id\":\"" + id + "\",\"message_id\":\"" + id + "_" +
                            T(m) + "\",\"author_id\":" + (m % 2 ? std::string("42") : Uid(t)) + ",\"body\":\"" +
                            Czech("Zpr\\u00e1va www.example.cz", m) + "\",\"created_time\":" + T(Now - 1000 - m) +
                            ",\"attachment\":[]}";
            s->Add(FormatText(u"SELECT thread_id,message_id,author_id,body,created_time,attachment FROM message WHERE "
                              u"thread_id=%s AND created_time>=%d",
                              {Utf8ToUtf16(id), Since}),
                   messages + "]");
        }
        s->Add(FormatText(u"SELECT thread_id,folder_id,subject,updated_time,message_count,unread,snippet_author,"
                          u"parent_thread_id,snippet,message_count,recipients FROM thread WHERE folder_id=0 AND "
                          u"updated_time>%d AND unread!=0",
                          {Since}),
               threads + "]");
        return s;
    }();
    return *service;
}

std::unique_ptr<DataStore> store = std::make_unique<DataStore>();

// A fresh store, as after a start.
void ResetStore() {
    store = std::make_unique<DataStore>();
    LastRefreshStart = 0;
    ClearLogForTesting();
}

void Setup() {
    static bool done = false;
    if (done) return;
    done = true;
    SetClockForTesting([] { return Now; });
    SetAccessToken(Token);
    SetHttpTransport(&Service());
    SetPictureDecoder([](const std::string&) -> PicturePtr { return std::make_unique<TinyPicture>(); });
    AppSettings = Settings();
}

// Each benchmark keeps its seen-state file in a folder of its own, emptied first.
void UseFolder(const char* name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "orv_refresh_bench" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
}

std::map<std::string, double> msOf;  // mean time per run, by benchmark name

void Counters(benchmark::State& state, size_t bytes, size_t peak) {
    state.counters["answers_MB"] = bytes / 1e6;
    state.counters["requests"] = static_cast<double>(Service().served.size());
    state.counters["peak_heap_MB"] = peak / 1e6;
    state.counters["posts"] = static_cast<double>(store->posts.size());
    state.counters["comments"] = static_cast<double>(store->comments.size());
    state.counters["likes"] = static_cast<double>(store->likes.size());
    state.counters["messages"] = static_cast<double>(store->messages.size());
}

size_t ServedBytes() {
    size_t bytes = 0;
    for (const std::string* s : Service().served) bytes += s->size();
    return bytes;
}

// The whole first refresh after a sign-in: the user, his seen-state file (the one the
// previous iteration saved, so every item is remembered), the queries, the merges and
// the save.
void BM_RefreshBody(benchmark::State& state) {
    Setup();
    UseFolder("body");
    size_t peak = 0, bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetStore();
        Service().served.clear();
        Service().PrepareBodies();
        peakBytes = liveBytes;
        state.ResumeTiming();
        RunRefreshBody(*store, 0);
        state.PauseTiming();
        peak = static_cast<size_t>(peakBytes);  // the whole heap: store, answers, file image
        bytes = ServedBytes();
        state.ResumeTiming();
    }
    Counters(state, bytes, peak);
}

// Signed in, store empty; with `remembered`, the seen-state file of an earlier run of
// the same account is loaded, so every item is looked up and found in it.
void SignInForMerge(bool remembered) {
    ResetStore();
    {
        std::lock_guard<std::mutex> hold(store->mutex());
        store->ownUid = u"42";
    }
    UserRecord* own = FindProfile(*store, u"42", true);
    {
        std::lock_guard<std::mutex> hold(store->mutex());
        store->ownUser = own;
    }
    if (remembered) LoadSeenState(*store);
    Service().served.clear();
}

// The queries and merges of one refresh (FqlQuery, and with it ParseJson, included):
// argument 0 for a first start (no seen-state file), 1 for an account whose every
// item is remembered.
void BM_RefreshMerge(benchmark::State& state) {
    Setup();
    UseFolder("merge");
    ResetStore();
    RunRefreshBody(*store, 0);  // leaves the seen-state file the merges restore from
    const bool remembered = state.range(0) != 0;
    size_t peak = 0, bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SignInForMerge(remembered);
        Service().PrepareBodies();
        peakBytes = liveBytes;
        state.ResumeTiming();
        RunRefreshMerge(*store, Since);
        state.PauseTiming();
        peak = static_cast<size_t>(peakBytes);
        bytes = ServedBytes();
        state.ResumeTiming();
    }
    Counters(state, bytes, peak);
}

// The answers of one remembered merge, in the order it asked for them; the folder
// keeps the seen-state file that later merges restore from.
std::vector<const std::string*> AnswersOfOneMerge(const char* folder) {
    Setup();
    UseFolder(folder);
    ResetStore();
    RunRefreshBody(*store, 0);
    SignInForMerge(true);
    RunRefreshMerge(*store, Since);
    return Service().served;
}

void ParseAnswers(const std::vector<const std::string*>& answers) {
    for (const std::string* s : answers) {
        JsonTree tree = ParseJson(*s);
        benchmark::DoNotOptimize(tree.first());
    }
}

// ParseJson alone over exactly the answers the merge consumed.
void BM_ParseAnswersOnly(benchmark::State& state) {
    const std::vector<const std::string*> answers = AnswersOfOneMerge("parse");
    ResetStore();
    size_t bytes = 0;
    for (const std::string* s : answers) bytes += s->size();
    for (auto _ : state) ParseAnswers(answers);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["answers"] = static_cast<double>(answers.size());
}

// A store of 20,000 saved items, and its file loaded with the same entries.
void FillForSeenState() {
    ResetStore();
    std::lock_guard<std::mutex> hold(store->mutex());
    store->ownUid = u"42";
    for (int p = 0; p < 150; ++p) {
        std::u16string post = Utf8ToUtf16(Uid(p) + "_" + T(5000 + p));
        for (int c = 0; c < 100; ++c) {
            ItemNode<CommentRecord>* n = nullptr;
            std::u16string author = Utf8ToUtf16(Uid(p + c * 7));
            AppendItem(store->comments, CommentRecord{post, author, "", Now - c, 0, 1}, post, author, Now - c, &n);
            n->flagsRef = &n->payload.read;
        }
        for (int l = 0; l < 33; ++l) {
            ItemNode<LikeRecord>* n = nullptr;
            std::u16string user = Utf8ToUtf16(Uid(p + l * 11));
            AppendItem(store->likes, LikeRecord{post, user, 1, 0}, post, user, Now, &n);
            n->flagsRef = &n->payload.read;
            n->markRef = &n->payload.stale;
        }
    }
    for (int i = 0; i < 50; ++i) {
        ItemNode<NotificationRecord>* n = nullptr;
        std::u16string id = Utf8ToUtf16(T(70000 + i));
        AppendItem(store->notifications, NotificationRecord{id, u"", u"", u"", 0, Now, u"", 1}, id, {}, Now, &n);
        n->flagsRef = &n->payload.read;
    }
}

size_t SeenEntries() {
    SeenTables tables;
    std::string bytes;
    ReadWholeFile(SeenStateFileName(u"42"), bytes);
    ParseSeenState(bytes, tables);
    return tables.comments.size() + tables.likes.size() + tables.notifications.size() + tables.users.size() +
           tables.posts.size() + tables.messages.size();
}

void BM_SeenStateSave(benchmark::State& state) {
    Setup();
    UseFolder("save");
    FillForSeenState();
    SaveSeenState(*store);
    LoadSeenState(*store);  // the tables hold the same 20,000 entries: every node is matched
    for (auto _ : state) SaveSeenState(*store);
    state.counters["entries"] = static_cast<double>(SeenEntries());
    std::string bytes;
    ReadWholeFile(SeenStateFileName(u"42"), bytes);
    state.counters["file_KB"] = bytes.size() / 1e3;
}

void BM_SeenStateLoad(benchmark::State& state) {
    Setup();
    UseFolder("load");
    FillForSeenState();
    SaveSeenState(*store);
    for (auto _ : state) LoadSeenState(*store);
    state.counters["entries"] = static_cast<double>(store->seen.comments.size() + store->seen.likes.size() + store->seen.notifications.size());
}

BENCHMARK(BM_RefreshBody)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RefreshMerge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ParseAnswersOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SeenStateSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeenStateLoad)->Unit(benchmark::kMillisecond);

// Prints the console report and, at the end, the merge-to-parse ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With --benchmark_repetitions the median stands for the benchmark.
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                msOf[run.run_name.str()] = run.GetAdjustedCPUTime();
            else if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                msOf[run.run_name.str()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// One merge and one bare parse of the same answers, for instruction counts under
// callgrind: refresh_bench --once (collect RunRefreshMerge and ParseAnswers).
void Once() { ParseAnswers(AnswersOfOneMerge("once")); }

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Merges (first start, remembered) and bare parses run by turns, one of each per round:
// a shared machine slows whatever runs in a busy moment, and by turns each kind meets
// the same moments, where runs of seconds each meet different ones.
void Interleaved(int rounds) {
    const std::vector<const std::string*> answers = AnswersOfOneMerge("interleaved");
    std::vector<double> ms[3];
    for (int round = 0; round < rounds; ++round) {
        for (int kind = 0; kind < 2; ++kind) {
            SignInForMerge(kind == 1);
            Service().PrepareBodies();
            const double start = ThreadCpuMs();
            RunRefreshMerge(*store, Since);
            ms[kind].push_back(ThreadCpuMs() - start);
        }
        const double start = ThreadCpuMs();
        ParseAnswers(answers);
        ms[2].push_back(ThreadCpuMs() - start);
    }
    const double parse = Median(ms[2]);
    std::printf("bare parse %.2f ms (CPU, median of %d; least %.2f)\n", parse, rounds,
                *std::min_element(ms[2].begin(), ms[2].end()));
    for (int kind = 0; kind < 2; ++kind)
        std::printf("merge (%s) %.2f ms (least %.2f), ratio %.2f (goal < 2)\n",
                    kind == 0 ? "first start" : "all remembered", Median(ms[kind]),
                    *std::min_element(ms[kind].begin(), ms[kind].end()), Median(ms[kind]) / parse);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--once") {
        Once();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "--interleaved") {
        Interleaved(argc > 2 ? std::max(1, std::atoi(argv[2])) : 200);
        return 0;
    }
    countingHeap = true;  // from here on: the whole heap the benchmarks make
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // CPU time: the machines these run on are shared, and wall time counts the waits.
    double parse = msOf["BM_ParseAnswersOnly/min_time:2.000"];
    for (const char* variant : {"0", "1"}) {
        double merge = msOf[std::string("BM_RefreshMerge/") + variant + "/min_time:2.000"];
        if (merge > 0 && parse > 0)
            std::printf("merge (%s) %.1f ms, bare parse %.1f ms (CPU), ratio %.2f (goal < 2)\n",
                        *variant == '0' ? "first start" : "all remembered", merge, parse, merge / parse);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident set of the whole run %.1f MB (goal < 64)\n", usage.ru_maxrss / 1024.0);
    return 0;
}
