#include "base/format_text.h"

namespace {

void AppendNumber(std::u16string& out, int64_t value, unsigned base, bool asUnsigned) {
    uint64_t magnitude;
    if (asUnsigned) {
        magnitude = static_cast<uint32_t>(value);
    } else if (value < 0) {
        out.push_back(u'-');
        magnitude = static_cast<uint64_t>(-(value + 1)) + 1;
    } else {
        magnitude = static_cast<uint64_t>(value);
    }
    char16_t digits[24];
    int n = 0;
    do {
        unsigned d = static_cast<unsigned>(magnitude % base);
        digits[n++] = static_cast<char16_t>(d < 10 ? u'0' + d : u'a' + d - 10);
        magnitude /= base;
    } while (magnitude != 0);
    while (n > 0) out.push_back(digits[--n]);
}

}  // namespace

std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArg> args,
                          size_t limit) {
    // Every query of a refresh is made here: room for the texts first, and the format
    // copied in runs between placeholders rather than unit by unit.
    size_t room = format.size() + 16;
    for (const FormatArg& arg : args)
        if (arg.isText()) room += arg.text().size();
    std::u16string out;
    out.reserve(room);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const size_t percent = format.find(u'%', i);
        if (percent == std::u16string_view::npos || percent + 1 >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        out.append(format.substr(i, percent - i));
        i = percent + 1;
        const char16_t spec = format[i];
        if (spec == u'%') {
            out.push_back(u'%');
            continue;
        }
        if (spec != u'd' && spec != u's' && spec != u'u' && spec != u'x') {
            out.push_back(u'%');
            out.push_back(spec);
            continue;
        }
        if (next == args.end()) continue;
        const FormatArg& arg = *next++;
        if (spec == u's') {
            if (arg.isText()) out.append(arg.text());
            else AppendNumber(out, arg.number(), 10, false);
        } else if (!arg.isText()) {
            AppendNumber(out, arg.number(), spec == u'x' ? 16 : 10, spec != u'd');
        }
    }
    if (limit != 0 && out.size() > limit) out.resize(limit);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        unsigned char b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        int extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
        uint32_t cp = extra == 3 ? b & 0x07u : extra == 2 ? b & 0x0Fu : b & 0x1Fu;
        bool valid = extra > 0 && i + static_cast<size_t>(extra) < in.size();
        for (int k = 1; valid && k <= extra; ++k) {
            unsigned char cb = static_cast<unsigned char>(in[i + k]);
            if ((cb & 0xC0) != 0x80) { valid = false; break; }
            cp = (cp << 6) | (cb & 0x3Fu);
        }
        if (valid && ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                      (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))))
            valid = false;
        if (!valid) {  // not UTF-8: keep the byte as its own unit
            out.push_back(b);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += extra + 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view in) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        uint32_t cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
            in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string AsciiToUtf16(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}
