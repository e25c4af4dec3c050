// Any text as an address the browser reports, as the first line of orv.service and as
// a URL handed to the request operation: no overrun, and what comes out stays within
// its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/format_text.h"
#include "net/access_token.h"
#include "net/http_transport.h"
#include "net/service_address.h"
#include "net/service_calls.h"
#include "net/signin.h"

namespace {

class CheckingTransport : public HttpTransport {
public:
    HttpResponse Send(const HttpRequest& request) override {
        if (request.host.empty() || request.host.size() > HttpHostLimit) std::abort();
        if (request.port < 1 || request.port > 65535) std::abort();
        if (request.headers.compare(0, 5, u"Host:") != 0) std::abort();
        return HttpResponse{true, 200, "x"};
    }
};

void CheckEncoded(const std::u16string& encoded) {
    for (char16_t c : encoded)
        if (c > 0x7E || c <= 0x20) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CheckingTransport transport;
    SetHttpTransport(&transport);
    // Half the runs read the bytes as UTF-8, the others as raw UTF-16 units (lone
    // surrogates included).
    std::u16string text;
    if (size > 0 && (data[0] & 1)) {
        for (size_t i = 1; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    } else {
        text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    }

    ClearAccessToken();
    SetSigningIn(true);
    IsServiceUrl(text);
    std::u16string token = ExtractAccessToken(text);
    if (token.size() > text.size()) std::abort();
    PageLoadedActions actions = OnServicePageLoaded(text, PageLoadedContext{});
    if (actions.tokenCaptured != HaveAccessToken()) std::abort();
    if (AccessToken().size() > AccessTokenLimit) std::abort();
    CheckEncoded(PercentEncode(text));

    std::u16string_view host;
    size_t used = SplitHttpUrl(text, host);
    if (used > text.size() || (used != 0 && used != 7 + host.size())) std::abort();
    int32_t port = 80;
    std::u16string name;
    if (SplitHostPort(text, name, port) && (name.empty() || port < 1 || port > 65535)) std::abort();
    SendHttpRequest(text, {}, 80, nullptr, u"GET", {}, 0);

    if (SetServiceBase(text)) {
        if (WebBase().empty() || ServiceDomain().empty()) std::abort();
        ServiceEndpoint graph = GraphEndpoint();
        if (graph.host.empty() || graph.port < 1 || graph.port > 65535) std::abort();
        if (!IsServiceUrl(HomePageUrl()) || IsServiceUrl(WebBase() + u"/l.php")) std::abort();
        if (ExtractAccessToken(AuthorizeUrl()).size() != 0) std::abort();
    }
    SetServiceBase(u"");
    return 0;
}
