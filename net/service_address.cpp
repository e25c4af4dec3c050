#include "net/service_address.h"

#include <mutex>

#include "base/format_text.h"
#include "net/http_transport.h"
#include "base/whole_file.h"

namespace {

// The maker's own addresses: the product site (also named in the program's texts), its
// download folder and the hit counter.
constexpr const char16_t* ProductSite = u"http://www.orv-app.net/";
constexpr const char16_t* RealCounterUrl = u"http://www.orv-app.net/counter";
constexpr const char16_t* RealDownloadHost = u"www.orv-app.net";

struct Override {
    bool active = false;
    std::u16string base;      // "http://127.0.0.1:8080", no trailing slash
    std::u16string hostPort;  // "127.0.0.1:8080"
    std::u16string host;
    int32_t port = 80;
    bool secure = false;
};

std::mutex addressLock;
Override current;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xFEFF; }

bool ParseBase(std::u16string_view text, Override& out) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    while (!text.empty() && text.back() == u'/') text.remove_suffix(1);
    bool secure;
    std::u16string_view rest;
    if (text.substr(0, 7) == u"http://") {
        secure = false;
        rest = text.substr(7);
    } else if (text.substr(0, 8) == u"https://") {
        secure = true;
        rest = text.substr(8);
    } else {
        return false;
    }
    if (rest.find_first_of(u"/?#& \t") != std::u16string_view::npos) return false;
    std::u16string name;
    int32_t port = secure ? 443 : 80;
    if (!SplitHostPort(rest, name, port)) return false;
    out.active = true;
    out.base.assign(text);
    out.hostPort.assign(rest);
    out.host = name;
    out.port = port;
    out.secure = secure;
    return true;
}

Override Snapshot() {
    std::lock_guard<std::mutex> hold(addressLock);
    return current;
}

ServiceEndpoint RealEndpoint(const char16_t* host) { return ServiceEndpoint{host, 443, true}; }

ServiceEndpoint OverrideEndpoint(const Override& o) { return ServiceEndpoint{o.host, o.port, o.secure}; }

}  // namespace

void LoadServiceAddress(const std::u16string& fileName) {
    std::string bytes;
    if (!ReadWholeFile(fileName, bytes)) return;
    size_t end = bytes.find_first_of("\r\n");
    if (end != std::string::npos) bytes.resize(end);
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF) bytes.erase(0, 3);  // BOM
    SetServiceBase(Utf8ToUtf16(bytes));
}

bool SetServiceBase(std::u16string_view base) {
    Override parsed;
    bool blank = true;
    for (char16_t c : base) blank = blank && IsBlank(c);
    if (!blank && !ParseBase(base, parsed)) return false;
    std::lock_guard<std::mutex> hold(addressLock);
    current = parsed;
    return true;
}

bool ServiceOverridden() { return Snapshot().active; }

ServiceEndpoint GraphEndpoint() {
    Override o = Snapshot();
    return o.active ? OverrideEndpoint(o) : RealEndpoint(u"graph.facebook.com");
}

ServiceEndpoint ApiEndpoint() {
    Override o = Snapshot();
    return o.active ? OverrideEndpoint(o) : RealEndpoint(u"api.facebook.com");
}

ServiceEndpoint DownloadEndpoint() {
    Override o = Snapshot();
    return o.active ? OverrideEndpoint(o) : ServiceEndpoint{RealDownloadHost, 80, false};
}

std::u16string WebBase() {
    Override o = Snapshot();
    return o.active ? o.base : u"http://www.facebook.com";
}

std::u16string SecureWebBase() {
    Override o = Snapshot();
    return o.active ? o.base : u"https://www.facebook.com";
}

std::u16string GraphBase() {
    Override o = Snapshot();
    return o.active ? o.base : u"https://graph.facebook.com";
}

std::u16string ServiceDomain() {
    Override o = Snapshot();
    return o.active ? o.hostPort : u"facebook.com";
}

std::u16string CounterUrl() {
    Override o = Snapshot();
    return o.active ? o.base + u"/counter" : RealCounterUrl;
}

const std::u16string& ProductSiteUrl() {
    static const std::u16string url(ProductSite);  // every request's Referer
    return url;
}
