#include "store/item_list.h"

#include <algorithm>

uint32_t DefaultFlagsWord = 0;
uint32_t DefaultMarkWord = 0;

int32_t FindText(std::u16string_view text, std::u16string_view pattern, int32_t length, int32_t start) {
    if (start < 0) start = 0;
    if (length > static_cast<int32_t>(text.size())) length = static_cast<int32_t>(text.size());
    if (start > length) return 0;
    if (pattern.empty()) return start;
    std::u16string_view window = text.substr(0, static_cast<size_t>(length));
    size_t at = window.find(pattern, static_cast<size_t>(start));
    if (at == std::u16string_view::npos) return 0;
    return static_cast<int32_t>(at + pattern.size());
}

std::u16string ExtractLink(std::u16string_view text) {
    // The link runs to the first blank or control unit; one string is made, at its size.
    auto cut = [](std::u16string_view from) {
        size_t end = 0;
        while (end < from.size() && from[end] > 32) ++end;
        return from.substr(0, end);
    };
    std::u16string_view scheme;
    std::u16string_view rest;
    size_t at = text.find(u"http://");
    if (at != std::u16string_view::npos) {
        rest = cut(text.substr(at));
    } else if ((at = text.find(u"www.")) != std::u16string_view::npos) {
        scheme = u"http://";
        rest = cut(text.substr(at));
    }
    std::u16string link;
    link.reserve(std::min(scheme.size() + rest.size(), ExtractLinkLimit));
    link += scheme;
    link += rest.substr(0, ExtractLinkLimit - scheme.size());
    return link;
}
