#include "net/http_transport.h"

#include <atomic>

#include "base/format_text.h"
#include "base/shell_port.h"
#include "net/service_address.h"

namespace {

std::atomic<HttpTransport*> transport{nullptr};

constexpr std::u16string_view BrowserAgent = u"Mozilla/5.0 (Windows; U; Windows NT 5.1; cs; rv:1.8.1.11) Firefox/2.0.0.11";

// The busy image for exactly the duration of one request, on every way out.
class BusyTrayIcon {
public:
    BusyTrayIcon() { Shell().SetTrayIcon(TrayIconBusy); }
    ~BusyTrayIcon() {
        int32_t icon = TrayIconOfState(TrayState.load());
        if (icon != 0) Shell().SetTrayIcon(icon);
    }
    BusyTrayIcon(const BusyTrayIcon&) = delete;
    BusyTrayIcon& operator=(const BusyTrayIcon&) = delete;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A full URL of either scheme: host, port, TLS and the object path.
bool SplitAnyUrl(std::u16string_view url, int32_t defaultPort, HttpRequest& request) {
    // Every picture comes this way: the host is a view until it is stored.
    std::u16string_view hostPort;
    size_t used = SplitHttpUrl(url, hostPort);
    int32_t port = defaultPort;
    if (used != 0) {
        request.secure = false;
    } else if (url.substr(0, 8) == u"https://") {
        std::u16string_view rest = url.substr(8);
        hostPort = rest.substr(0, rest.find_first_of(u"/?&"));
        used = 8 + hostPort.size();
        request.secure = true;
        port = 443;
    } else {
        return false;
    }
    if (!SplitHostPort(hostPort, request.host, port)) return false;
    request.port = port;
    request.path.assign(url.substr(used));
    request.secure = request.secure || port == 443;
    return true;
}

}  // namespace

void SetHttpTransport(HttpTransport* value) { transport = value; }

HttpTransport* CurrentTransport() { return transport.load(); }

std::u16string BuildRequestHeaders(std::u16string_view host, bool withBody) {
    std::u16string block;
    block.reserve(256 + host.size());
    // Views of the literals: every request builds this, and appending a bare pointer
    // measures it first.
    using namespace std::string_view_literals;
    block += u"Host:"sv;
    block += host;
    block += u"\r\nUser-Agent: "sv;
    block += BrowserAgent;
    block += u"\r\nAccept-Charset: utf-8;\r\nReferer: "sv;
    block += ProductSiteUrl();
    block += u"\r\n"sv;
    if (withBody) block += u"Content-Type: multipart/form-data;charset=UTF-8;boundary=ORVDATA"sv;
    return block;
}

size_t SplitHttpUrl(std::u16string_view url, std::u16string_view& host) {
    if (url.substr(0, 7) != u"http://") return 0;
    std::u16string_view rest = url.substr(7);
    host = rest.substr(0, rest.find_first_of(u"/?&"));
    return 7 + host.size();
}

bool SplitHostPort(std::u16string_view hostAndPort, std::u16string& name, int32_t& port) {
    std::u16string_view hostName = hostAndPort;
    size_t colon = hostAndPort.rfind(u':');
    // A bracketed IPv6 literal keeps its colons.
    if (colon != std::u16string_view::npos && hostAndPort.find(u']', colon) == std::u16string_view::npos) {
        std::u16string_view digits = hostAndPort.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) return false;
        int32_t value = 0;
        for (char16_t c : digits) {
            if (!IsDigit(c)) return false;
            value = value * 10 + (c - u'0');
        }
        if (value < 1 || value > 65535) return false;
        port = value;
        hostName = hostAndPort.substr(0, colon);
    }
    if (hostName.empty() || hostName.size() > HttpHostLimit) return false;
    for (char16_t c : hostName)
        if (c <= u' ' || c == u'@' || c == u'\\' || c == u'#') return false;
    name.assign(hostName);
    return true;
}

namespace {

// The request of one call with its header block; false when the target cannot be used.
bool BuildRequest(std::u16string_view target, std::u16string_view host, int32_t port, std::u16string_view verb,
                  std::string_view body, int32_t flags, HttpRequest& request) {
    if (!host.empty()) {
        if (!SplitHostPort(host, request.host, port)) return false;
        request.port = port;
        request.secure = port == 443 || (flags & HTTP_SECURE) != 0;
        request.path.assign(target);
    } else if (!SplitAnyUrl(target, port, request)) {
        return false;
    }
    // The Host line names the port whenever it is not the scheme's own.
    request.verb.assign(verb);
    request.body.assign(body);
    request.flags = flags & (HTTP_FOLLOW_LOCATION | HTTP_RELOAD);
    if (request.port == (request.secure ? 443 : 80)) {
        request.headers = BuildRequestHeaders(request.host, !request.body.empty());
    } else {
        const std::u16string hostLine = request.host + u':' + AsciiToUtf16(std::to_string(request.port));
        request.headers = BuildRequestHeaders(hostLine, !request.body.empty());
    }
    return true;
}

}  // namespace

std::optional<std::string> SendHttpRequest(std::u16string_view target, std::u16string_view host,
                                           int32_t port, int32_t* length, std::u16string_view verb,
                                           std::string_view body, int32_t flags) {
    if (target.empty()) return std::nullopt;
    BusyTrayIcon busy;

    HttpRequest request;
    if (!BuildRequest(target, host, port, verb, body, flags, request)) return std::nullopt;
    HttpTransport* sender = CurrentTransport();
    if (sender == nullptr) return std::nullopt;
    HttpResponse response = sender->Send(request);
    if (!response.ok || response.body.empty()) return std::nullopt;
    if (response.body.size() > HttpResponseLimit) response.body.resize(HttpResponseLimit);
    if (length != nullptr && *length == -1) return std::nullopt;
    if (length != nullptr) *length = static_cast<int32_t>(response.body.size());
    return std::move(response.body);
}

HttpResponse DownloadWholeFile(std::u16string_view path, std::u16string_view host, int32_t port, int32_t flags,
                               size_t limit) {
    if (path.empty()) return HttpResponse{};
    BusyTrayIcon busy;

    HttpRequest request;
    if (!BuildRequest(path, host, port, u"GET", {}, flags, request)) return HttpResponse{};
    request.limit = limit;
    HttpTransport* sender = CurrentTransport();
    if (sender == nullptr) return HttpResponse{};
    HttpResponse response = sender->Send(request);
    if (response.body.size() > limit) {
        response.body.resize(limit);
        response.cut = true;
    }
    if (response.body.empty()) response.ok = false;
    return response;
}
