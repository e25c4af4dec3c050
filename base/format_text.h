// The one printf-style formatter of the program's texts ("%d", "%s", "%u", "%x", "%%"),
// independent of the C library's wide-printf dialect.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class FormatArg {
public:
    FormatArg(int32_t n) : number_(n) {}
    FormatArg(uint32_t n) : number_(static_cast<int64_t>(n)) {}
    FormatArg(int64_t n) : number_(n) {}
    FormatArg(std::u16string_view s) : text_(s), isText_(true) {}
    FormatArg(const std::u16string& s) : text_(s), isText_(true) {}
    FormatArg(const char16_t* s) : text_(s ? std::u16string_view(s) : std::u16string_view()), isText_(true) {}

    int64_t number() const { return number_; }
    std::u16string_view text() const { return text_; }
    bool isText() const { return isText_; }

private:
    int64_t number_ = 0;
    std::u16string_view text_;
    bool isText_ = false;
};

// Formats `format` with `args` in order. A placeholder without an argument, or of the
// wrong kind, formats as nothing (a number for %s prints as its digits); the result is
// cut at `limit` units when `limit` is not zero.
std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArg> args,
                          size_t limit = 0);

// Conversions at the edges: UTF-8 in answers and files, ASCII keys.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string AsciiToUtf16(std::string_view ascii);
