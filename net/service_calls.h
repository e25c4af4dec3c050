// The two operations that carry all traffic with the signed-in service: FQL reads and
// Graph writes, plus the picture downloads and the daily hit counter.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/json_reader.h"

enum GraphMethod : int32_t { GRAPH_POST = 0, GRAPH_DELETE = 1, GRAPH_GET = 2 };

constexpr size_t RequestTargetLimit = 9999;  // units of a request path

// Percent-encodes the UTF-8 form of `text`: everything but letters, digits and
// "-._~" becomes %XX, so the service receives the text unchanged.
std::u16string PercentEncode(std::u16string_view text);

// The request paths of the two calls (token and statement encoded).
std::u16string FqlTarget(std::u16string_view statement, std::u16string_view token);
std::u16string GraphTarget(std::u16string_view path, std::u16string_view token);

// Runs one FQL statement. Without a token: no request, an empty tree, *ok false.
// No answer, or one that is not a whole array of rows (an error object, false, a page,
// a cut or unreadable body): empty tree, *ok false. Error 190 also clears the token and
// asks the shell to start the sign-in. Otherwise the rows (perhaps none) and *ok true.
JsonTree FqlQuery(std::u16string_view statement, bool* ok = nullptr);

// One Graph write or read; `path` has no query ("/me/feed", "/123_45/likes"), `body` a
// MessageFormBody or empty. True when the answer is the word true or an object that
// is not an error; false for no answer, false, an error object, a page or a cut or
// unreadable answer. Error 190 also clears the token and asks for the sign-in.
bool GraphCall(std::u16string_view path, GraphMethod method, const std::string& body = std::string());

// The multipart body in which comments and statuses are posted, byte for byte.
std::string MessageFormBody(std::u16string_view text);

// GET of a URL (following redirects): the body, or nothing on any failure.
std::optional<std::string> DownloadBytes(std::u16string_view url);

// Requests the hit counter at most once per local calendar day (AppSettings.counterDay).
void DailyHitCount();
// Local midnight of the day that holds `now` (mktime of the local date at 0:00:00).
int32_t LocalMidnight(int32_t now);
