#include "net/win32/wininet_transport.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/helper_pool.h"
#include "net/http_transport.h"

namespace {

constexpr DWORD ReadChunk = 16384;
constexpr DWORD LocationUnits = 1024;
// A server that takes the connection and never answers must not hold the refresh for
// as long as it stays silent. WinInet's own time-outs come first; the caller also gives
// up when the exchange has made no progress for longer than all of them, in case a
// blocked call never returns (it may not under Wine).
constexpr DWORD ConnectTimeoutMs = 30000;
constexpr DWORD SendTimeoutMs = 30000;
constexpr DWORD ReceiveTimeoutMs = 30000;
constexpr auto SilenceLimit = std::chrono::milliseconds(ConnectTimeoutMs + ReceiveTimeoutMs + 5000);
constexpr auto WatchStep = std::chrono::milliseconds(200);
// A helper begins an exchange within milliseconds. One that has not after this long is
// not coming (under Wine a new thread now and then never runs): the caller runs it.
constexpr auto BeginLimit = std::chrono::seconds(2);

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// What one thread knows about being abandoned. A stopping worker's requests fail at
// once from the moment it was abandoned; a new thread starts with fresh state.
struct ThreadState {
    bool abandoned = false;
};

// One request in flight. The exchange itself runs on a helper thread, so a caller that
// is abandoned returns at once even when closing the handles does not end a blocked
// WinInet call (it does not under Wine); the helper then finishes on its own.
struct Exchange {
    explicit Exchange(const HttpRequest& r) : sent(r) {}
    const HttpRequest sent;  // the helper's own copy: a caller that gives up returns at once
    std::shared_ptr<ThreadState> caller;
    HINTERNET connection = nullptr;  // guarded by registryLock
    HINTERNET request = nullptr;     // guarded by registryLock
    bool abandoned = false;          // guarded by registryLock
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool finished = false;           // guarded by doneLock
    std::chrono::steady_clock::time_point progress = std::chrono::steady_clock::now();  // guarded by doneLock
    HttpResponse response;           // written before finished is set
    std::atomic<bool> begun{false};  // taken by whoever runs the exchange: its helper or its caller
};

// True for the one thread that is to run the exchange.
bool Begin(Exchange& call) { return !call.begun.exchange(true); }

std::mutex registryLock;
// From Abandon until Resume, only the thread that abandoned may send: a worker whose
// first request comes after the stop fails at once instead of waiting it out.
bool abandoning = false;         // guarded by registryLock
std::thread::id abandoner;       // guarded by registryLock
std::vector<std::weak_ptr<ThreadState>> threads;
std::vector<std::shared_ptr<Exchange>> inFlight;

std::shared_ptr<ThreadState> CurrentThreadState() {
    thread_local std::shared_ptr<ThreadState> state;
    if (!state) {
        state = std::make_shared<ThreadState>();
        std::lock_guard<std::mutex> hold(registryLock);
        threads.erase(std::remove_if(threads.begin(), threads.end(),
                                     [](const std::weak_ptr<ThreadState>& t) { return t.expired(); }),
                      threads.end());
        threads.push_back(state);
    }
    return state;
}

std::mutex rootLock;
HINTERNET rootHandle = nullptr;

// Opened by the first request of either thread; retried while it fails. Never closed.
HINTERNET Root() {
    std::lock_guard<std::mutex> hold(rootLock);
    if (rootHandle == nullptr) {
        rootHandle = InternetOpenW(L"Orv", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (rootHandle != nullptr) {
            // Handles made from the root take these over.
            DWORD connect = ConnectTimeoutMs, send = SendTimeoutMs, receive = ReceiveTimeoutMs;
            InternetSetOptionW(rootHandle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
            InternetSetOptionW(rootHandle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
            InternetSetOptionW(rootHandle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
            InternetSetOptionW(rootHandle, INTERNET_OPTION_DATA_SEND_TIMEOUT, &send, sizeof send);
            InternetSetOptionW(rootHandle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
        }
    }
    return rootHandle;
}

// Under registryLock.
void CloseHandles(Exchange& call) {
    if (call.request) InternetCloseHandle(call.request);
    if (call.connection) InternetCloseHandle(call.connection);
    call.request = nullptr;
    call.connection = nullptr;
}

// Registers a call; false when its thread was abandoned meanwhile.
bool Register(const std::shared_ptr<Exchange>& call) {
    std::lock_guard<std::mutex> hold(registryLock);
    if (call->caller->abandoned) return false;
    if (abandoning && std::this_thread::get_id() != abandoner) return false;
    inFlight.push_back(call);
    return true;
}

void Unregister(const std::shared_ptr<Exchange>& call) {
    std::lock_guard<std::mutex> hold(registryLock);
    inFlight.erase(std::remove(inFlight.begin(), inFlight.end(), call), inFlight.end());
    CloseHandles(*call);
}

bool SetConnection(Exchange& call, HINTERNET connection) {
    std::lock_guard<std::mutex> hold(registryLock);
    if (call.abandoned) {
        if (connection) InternetCloseHandle(connection);
        return false;
    }
    call.connection = connection;
    return connection != nullptr;
}

// Swaps in a new request handle unless the call was abandoned meanwhile.
bool ReplaceRequest(Exchange& call, HINTERNET next) {
    std::lock_guard<std::mutex> hold(registryLock);
    if (call.abandoned) {
        if (next) InternetCloseHandle(next);
        return false;
    }
    if (call.request) InternetCloseHandle(call.request);
    call.request = next;
    return next != nullptr;
}

HINTERNET RequestOf(Exchange& call) {
    std::lock_guard<std::mutex> hold(registryLock);
    return call.abandoned ? nullptr : call.request;
}

// The exchange moved on (connected, sent, read a chunk): its silence starts again.
void Progress(Exchange& call) {
    std::lock_guard<std::mutex> hold(call.doneLock);
    call.progress = std::chrono::steady_clock::now();
}

int32_t StatusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
    return static_cast<int32_t>(status);
}

// The announced body length, -1 when the answer named none.
int64_t ContentLengthOf(HINTERNET request) {
    wchar_t buffer[32] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &size, nullptr)) return -1;
    int64_t value = 0;
    for (const wchar_t* c = buffer; *c; ++c) {
        if (*c < L'0' || *c > L'9' || value > (int64_t{1} << 40)) return -1;
        value = value * 10 + (*c - L'0');
    }
    return buffer[0] ? value : -1;
}

// The Location header of a response, made absolute against the address it came from.
std::wstring LocationOf(HINTERNET request, const std::wstring& origin) {
    wchar_t buffer[LocationUnits] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, buffer, &size, nullptr)) return std::wstring();
    std::wstring location(buffer);
    if (location.empty() || location.compare(0, 7, L"http://") == 0 || location.compare(0, 8, L"https://") == 0)
        return location;
    size_t scheme = origin.find(L"://");
    if (scheme == std::wstring::npos) return std::wstring();
    size_t pathStart = origin.find_first_of(L"/?#", scheme + 3);
    std::wstring site = origin.substr(0, pathStart);
    if (location.compare(0, 2, L"//") == 0) return origin.substr(0, scheme + 1) + location;
    if (location[0] == L'/') return site + location;
    // Relative to the folder of the origin's path.
    std::wstring path = pathStart == std::wstring::npos ? L"/" : origin.substr(pathStart);
    path = path.substr(0, path.find_first_of(L"?#"));
    return site + path.substr(0, path.rfind(L'/') + 1) + location;
}

std::wstring OriginOf(const HttpRequest& request) {
    std::wstring url = request.secure ? L"https://" : L"http://";
    url += Wide(request.host);
    if (request.port != (request.secure ? 443 : 80)) url += L":" + std::to_wstring(request.port);
    std::wstring path = Wide(request.path);
    if (path.empty() || path[0] != L'/') path = L"/" + path;
    return url + path;
}

HttpResponse Perform(Exchange& call, const HttpRequest& request) {
    HttpResponse response;
    HINTERNET root = Root();
    if (root == nullptr || request.host.empty()) return response;

    HINTERNET connection = InternetConnectW(root, Wide(request.host), static_cast<INTERNET_PORT>(request.port),
                                            nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!SetConnection(call, connection)) return response;

    DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (request.secure) flags |= INTERNET_FLAG_SECURE;
    if (request.flags & HTTP_RELOAD) flags |= INTERNET_FLAG_RELOAD;
    const wchar_t* acceptTypes[] = {L"*/*", nullptr};
    std::wstring path = Wide(request.path);
    HINTERNET handle = HttpOpenRequestW(connection, Wide(request.verb), path.empty() ? nullptr : path.c_str(), nullptr,
                                        nullptr, acceptTypes, flags, 0);
    if (!ReplaceRequest(call, handle)) return response;

    void* body = request.body.empty() ? nullptr : const_cast<char*>(request.body.data());
    if (!HttpSendRequestW(handle, Wide(request.headers), static_cast<DWORD>(-1), body,
                          static_cast<DWORD>(request.body.size())))
        return response;
    Progress(call);

    std::wstring address = OriginOf(request);
    if (request.flags & HTTP_FOLLOW_LOCATION) {
        for (int32_t hops = 0;; ++hops) {
            HINTERNET current = RequestOf(call);
            if (current == nullptr) return response;
            std::wstring location = LocationOf(current, address);
            if (location.empty()) break;
            if (hops == HttpRedirectLimit) return response;  // a redirect loop
            HINTERNET next = InternetOpenUrlW(root, location.c_str(), nullptr, 0, INTERNET_FLAG_NO_AUTO_REDIRECT, 0);
            if (!ReplaceRequest(call, next)) return response;
            Progress(call);
            address = location;
        }
    }

    HINTERNET current = RequestOf(call);
    if (current == nullptr) return response;
    response.status = StatusOf(current);
    response.contentLength = ContentLengthOf(current);
    std::string& data = response.body;
    std::vector<char> chunk(ReadChunk);
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(current, chunk.data(), ReadChunk, &got)) return HttpResponse{};
        if (got == 0) break;
        Progress(call);
        size_t room = request.limit - data.size();
        data.append(chunk.data(), std::min<size_t>(got, room));
        if (got > room) {
            response.cut = true;
            break;  // the rest is not wanted
        }
    }
    response.ok = true;
    return response;
}

void RunExchange(const std::shared_ptr<Exchange>& call) {
    if (!Begin(*call)) return;  // its caller ran it
    HttpResponse response = Perform(*call, call->sent);
    Unregister(call);
    std::lock_guard<std::mutex> hold(call->doneLock);
    call->response = std::move(response);
}

// Wakes the caller. On a helper this runs once the helper waits for the next job, so
// the caller's next request takes it instead of a new thread.
void FinishExchange(const std::shared_ptr<Exchange>& call) {
    std::lock_guard<std::mutex> hold(call->doneLock);
    call->finished = true;
    call->doneSignal.notify_all();
}

// Never destroyed: idle helpers wait on it until the process ends. A few spares cover
// the worker, the window and an update at once.
HelperPool& Helpers() {
    static HelperPool* pool = new HelperPool(4);
    return *pool;
}

class WinInetTransport final : public HttpTransport {
public:
    HttpResponse Send(const HttpRequest& request) override;
    void Abandon() override;
    void Resume() override;
};

// Gives one exchange up: its handles are closed and its caller returns with nothing.
void GiveUp(const std::shared_ptr<Exchange>& call) {
    std::lock_guard<std::mutex> hold(registryLock);
    call->abandoned = true;
    CloseHandles(*call);
}

HttpResponse WinInetTransport::Send(const HttpRequest& request) {
    auto call = std::make_shared<Exchange>(request);
    call->caller = CurrentThreadState();
    if (!Register(call)) return HttpResponse{};
    if (!Helpers().run([call] { RunExchange(call); }, [call] { FinishExchange(call); })) {
        RunExchange(call);  // no thread to spare: run it here
        FinishExchange(call);
    }
    const auto handedOver = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> wait(call->doneLock);
    auto over = [&call] {
        if (call->finished) return true;
        std::lock_guard<std::mutex> hold(registryLock);
        return call->abandoned;
    };
    while (!call->doneSignal.wait_for(wait, WatchStep, over)) {
        if (!call->begun && std::chrono::steady_clock::now() - handedOver >= BeginLimit) {
            wait.unlock();
            if (Begin(*call)) {
                // Run here; an abandon still closes its handles.
                HttpResponse response = Perform(*call, call->sent);
                Unregister(call);
                return response;
            }
            wait.lock();  // the helper began it meanwhile
            continue;
        }
        if (std::chrono::steady_clock::now() - call->progress < SilenceLimit) continue;
        wait.unlock();
        GiveUp(call);  // the helper finishes on its own when its call returns
        wait.lock();
    }
    return call->finished ? std::move(call->response) : HttpResponse{};
}

void WinInetTransport::Abandon() {
    std::shared_ptr<ThreadState> self = CurrentThreadState();
    std::vector<std::shared_ptr<Exchange>> waking;
    {
        std::lock_guard<std::mutex> hold(registryLock);
        abandoning = true;
        abandoner = std::this_thread::get_id();
        for (const std::weak_ptr<ThreadState>& weak : threads) {
            std::shared_ptr<ThreadState> thread = weak.lock();
            if (thread && thread != self) thread->abandoned = true;
        }
        // Closing the handles ends a blocked call where WinInet allows it.
        for (const std::shared_ptr<Exchange>& call : inFlight) {
            if (call->caller == self) continue;
            call->abandoned = true;
            CloseHandles(*call);
            waking.push_back(call);
        }
    }
    for (const std::shared_ptr<Exchange>& call : waking) {
        std::lock_guard<std::mutex> hold(call->doneLock);
        call->doneSignal.notify_all();
    }
}

void WinInetTransport::Resume() {
    std::lock_guard<std::mutex> hold(registryLock);
    abandoning = false;
}

WinInetTransport transport;

}  // namespace

void InstallWinInetTransport() { SetHttpTransport(&transport); }
