#include "net/service_calls.h"

#include <cstring>
#include <ctime>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/settings.h"
#include "base/shell_port.h"
#include "net/access_token.h"
#include "net/http_transport.h"
#include "net/service_address.h"

namespace {

constexpr bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// What each ASCII byte becomes in a query: itself or "%XX", and how many units that is.
// Every unit of a statement is looked up twice, once to count and once to write; the
// form is copied four units at once (the fourth is padding) and the pointer moves on
// by its length, so writing takes no branch.
struct AsciiEscapes {
    uint8_t length[128];
    char16_t form[128][4];
    constexpr AsciiEscapes() : length(), form() {
        const char hex[] = "0123456789ABCDEF";
        for (int c = 0; c < 128; ++c) {
            if (IsUnreserved(static_cast<unsigned char>(c))) {
                length[c] = 1;
                form[c][0] = static_cast<char16_t>(c);
            } else {
                length[c] = 3;
                form[c][0] = u'%';
                form[c][1] = static_cast<char16_t>(hex[c >> 4]);
                form[c][2] = static_cast<char16_t>(hex[c & 15]);
            }
        }
    }
};
constexpr AsciiEscapes Escapes;

const char16_t* VerbOf(GraphMethod method) {
    switch (method) {
    case GRAPH_DELETE: return u"DELETE";
    case GRAPH_GET: return u"GET";
    default: return u"POST";
    }
}

std::string_view TrimJsonBlanks(std::string_view text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The request path as it would read unescaped; its length is what the path limit
// applies to, so escaping never turns a working statement into a refused one.
bool WithinTargetLimit(size_t unescapedLength) { return unescapedLength <= RequestTargetLimit; }

}  // namespace

namespace {
// Appends the text's UTF-8 bytes, those outside the unreserved set as %XX. Statements
// are ASCII but for their values: only runs of other units go through UTF-8 first.
void AppendPercentEncoded(std::u16string& out, std::u16string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    // The exact room is made first (and the three units a last form's copy may write
    // past it), then written through a pointer rather than unit by unit with a check
    // each: a unit of 0x80 and above is two or three bytes of UTF-8 (a surrogate pair
    // four for its two units, a lone one the three of U+FFFD), every byte of them escaped.
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            length += Escapes.length[unit];
        } else if (unit < 0x800) {
            length += 6;
        } else if (unit <= 0xDBFF && unit >= 0xD800 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            length += 12;
            ++i;
        } else {
            length += 9;
        }
    }
    const size_t start = out.size();
    out.resize(start + length + 3);
    char16_t* p = &out[start];
    for (size_t i = 0; i < text.size();) {
        if (text[i] < 0x80) {
            const char16_t unit = text[i++];
            std::memcpy(p, Escapes.form[unit], sizeof Escapes.form[unit]);
            p += Escapes.length[unit];
            continue;
        }
        size_t end = i;
        while (end < text.size() && text[end] >= 0x80) ++end;  // a surrogate pair stays in one run
        for (char c : Utf16ToUtf8(text.substr(i, end - i))) {  // bytes of 0x80 and above: all escaped
            const auto byte = static_cast<unsigned char>(c);
            p[0] = u'%';
            p[1] = static_cast<char16_t>(hex[byte >> 4]);
            p[2] = static_cast<char16_t>(hex[byte & 15]);
            p += 3;
        }
        i = end;
    }
    out.resize(start + length);
}
}  // namespace

std::u16string PercentEncode(std::u16string_view text) {
    std::u16string out;
    AppendPercentEncoded(out, text);
    return out;
}

std::u16string FqlTarget(std::u16string_view statement, std::u16string_view token) {
    std::u16string target = u"/method/fql.query?query=";
    target.reserve(target.size() + 3 * statement.size() + 3 * token.size() + 32);
    AppendPercentEncoded(target, statement);
    target += u"&format=JSON&access_token=";
    AppendPercentEncoded(target, token);
    return target;
}

std::u16string GraphTarget(std::u16string_view path, std::u16string_view token) {
    return std::u16string(path) + u"&access_token=" + PercentEncode(token);
}

JsonTree FqlQuery(std::u16string_view statement, bool* ok) {
    if (ok != nullptr) *ok = false;
    std::u16string token = AccessToken();
    if (token.empty()) return JsonTree();
    constexpr size_t fixedLength = std::char_traits<char>::length("/method/fql.query?query=&format=JSON&access_token=");
    if (!WithinTargetLimit(fixedLength + statement.size() + token.size())) return JsonTree();

    ServiceEndpoint api = ApiEndpoint();
    std::optional<std::string> body =
        SendHttpRequest(FqlTarget(statement, token), api.host, api.port, nullptr, u"GET", {},
                        HTTP_FOLLOW_LOCATION | HTTP_RELOAD | (api.secure ? HTTP_SECURE : 0));
    if (!body) return JsonTree();

    JsonTree tree = ParseJson(*body);
    // The service's error object is the whole answer; rows that merely hold such a
    // field are data (and searching every row would cost a walk of the whole tree).
    const JsonValue* first = tree.first();
    if (first && !first->next && GetJsonInt(first, "error_code") == 190) {
        ClearAccessToken();
        Shell().BeginSignIn();
        return JsonTree();
    }
    // Rows come as one whole array. An error object, false, an error page, a cut or an
    // unreadable answer is no rows; taking it for rows would merge junk.
    std::string_view text = TrimJsonBlanks(*body);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']') return JsonTree();
    if (ok != nullptr) *ok = true;
    return tree;
}

bool GraphCall(std::u16string_view path, GraphMethod method, const std::string& requestBody) {
    std::u16string token = AccessToken();
    if (token.empty()) return false;
    constexpr size_t fixedLength = std::char_traits<char>::length("&access_token=");
    if (!WithinTargetLimit(path.size() + fixedLength + token.size())) return false;

    ServiceEndpoint graph = GraphEndpoint();
    std::optional<std::string> body =
        SendHttpRequest(GraphTarget(path, token), graph.host, graph.port, nullptr, VerbOf(method),
                        requestBody, HTTP_FOLLOW_LOCATION | (graph.secure ? HTTP_SECURE : 0));
    if (!body) return false;

    // The service answers a write with the word true or an object ({"id":...}); an
    // error object, false, an error page, a cut or unreadable answer is a failure.
    std::string_view text = TrimJsonBlanks(*body);
    if (text == "true") return true;
    if (text.size() < 2 || text.front() != '{' || text.back() != '}') return false;
    JsonTree tree = ParseJson(text);
    const JsonValue* object = tree.first();
    if (!object || !object->children) return false;
    if (FindJsonNode(object->children, "error") || FindJsonNode(object->children, "error_code")) {
        if (GetJsonInt(object->children, "error.code") == 190 || GetJsonInt(object->children, "error_code") == 190) {
            ClearAccessToken();  // expired: the same as for a read
            Shell().BeginSignIn();
        }
        return false;
    }
    return true;
}

std::string MessageFormBody(std::u16string_view text) {
    std::string utf8 = Utf16ToUtf8(text);
    std::string body =
        "--ORVDATA\r\nContent-Disposition: form-data; name=\"message\"\r\nContent-Type: text/plain\r\n"
        "Content-Length: ";
    body += std::to_string(utf8.size());
    body += "\r\n\r\n";
    body += utf8;
    return body;
}

std::optional<std::string> DownloadBytes(std::u16string_view url) {
    return SendHttpRequest(url, {}, 80, nullptr, u"GET", {}, HTTP_FOLLOW_LOCATION);
}

int32_t LocalMidnight(int32_t now) {
    std::tm local = LocalTime(now);
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    std::time_t midnight = std::mktime(&local);
    if (midnight == static_cast<std::time_t>(-1)) return now;
    return static_cast<int32_t>(midnight);
}

void DailyHitCount() {
    int32_t today = LocalMidnight(CurrentTime());
    if (AppSettings.counterDay >= today) return;
    AppSettings.counterDay = today;
    SaveSettings();
    SendHttpRequest(CounterUrl(), {}, 80, nullptr, u"GET", {}, HTTP_FOLLOW_LOCATION);
}
