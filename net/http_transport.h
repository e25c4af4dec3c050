// Every network exchange goes through one blocking request operation. The Windows
// shell supplies the WinInet transport; unit tests install a fake.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Request flags; the bits combine.
constexpr int32_t HTTP_FOLLOW_LOCATION = 1;  // follow Location headers by hand
constexpr int32_t HTTP_RELOAD = 2;           // never answer from the cache
constexpr int32_t HTTP_SECURE = 4;           // TLS on a port other than 443

constexpr size_t HttpResponseLimit = 2048000;  // longer bodies are cut here
constexpr int32_t HttpRedirectLimit = 10;      // hops followed at most
constexpr size_t HttpHostLimit = 511;          // units of a host name

struct HttpRequest {
    std::u16string host;    // server name, never empty
    int32_t port = 80;
    bool secure = false;    // TLS
    std::u16string path;    // object path with its query: "/x?y", "?y" or ""
    std::u16string verb = u"GET";
    std::string body;       // empty: no body (and no Content-Type line)
    int32_t flags = 0;      // HTTP_FOLLOW_LOCATION, HTTP_RELOAD
    std::u16string headers; // the extra header block, built by BuildRequestHeaders
    size_t limit = HttpResponseLimit;  // bytes of body read at most
};

struct HttpResponse {
    bool ok = false;        // false: connect, send or read failed
    int32_t status = 0;     // of the last hop; never looked at by the callers
    std::string body;       // at most the request's limit
    int64_t contentLength = -1;  // as the answer announced it; -1 when it named none
    bool cut = false;       // the body went on beyond the limit
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpResponse Send(const HttpRequest& request) = 0;
    // Closes what an ongoing Send of another thread holds open so that a stopping
    // worker is not stuck; until Resume, Sends of other threads fail at once (also a
    // worker's first, which comes after the stop).
    virtual void Abandon() {}
    virtual void Resume() {}
};

// nullptr removes the transport: every request then fails.
void SetHttpTransport(HttpTransport* transport);
HttpTransport* CurrentTransport();

// The copy of the browser identification, charset and referrer lines every request
// carries ("Host:" first), and the Content-Type line when there is a body.
std::u16string BuildRequestHeaders(std::u16string_view host, bool withBody);

// "http://host[:port]/rest": sets `host` to the host (port included), a view into the
// URL, and returns 7 plus its length; 0 for anything else, `host` untouched. The rest of
// the URL is the path.
size_t SplitHttpUrl(std::u16string_view url, std::u16string_view& host);

// Host name and port of a "host[:port]" text; false for an empty name or a bad port.
bool SplitHostPort(std::u16string_view hostAndPort, std::u16string& name, int32_t& port);

// One request. `target` is the object path when `host` is given, else a full URL that
// begins with "http://". Port 443 (or HTTP_SECURE) switches on TLS. Returns the body,
// or nothing on failure, on an empty body, or when `length` holds -1 on entry (the
// request is still made). The busy tray icon shows for the duration of the call.
std::optional<std::string> SendHttpRequest(std::u16string_view target, std::u16string_view host,
                                           int32_t port, int32_t* length, std::u16string_view verb,
                                           std::string_view body, int32_t flags);

// A GET of a file read whole up to `limit` bytes, with what the answer announced, so
// that the caller can tell a complete file from a cut one. `ok` is false when the
// request failed or the body is empty.
HttpResponse DownloadWholeFile(std::u16string_view path, std::u16string_view host, int32_t port, int32_t flags,
                               size_t limit);
