#include <atomic>
#include <cmath>
#include <ctime>

#include "base/clock.h"
#include "base/format_text.h"
#include "base/text_table.h"
#include "ui/menu_model.h"

int32_t AppendTextPart(std::u16string_view text, std::u16string& buffer, std::u16string_view prefix,
                       std::u16string_view suffix, int32_t maxLength, bool dropPrefixWhenEmpty) {
    if (text.empty()) return 1;
    bool cut = maxLength > 0 && static_cast<size_t>(maxLength) < text.size();
    if (!(buffer.empty() && dropPrefixWhenEmpty)) buffer.append(prefix);
    buffer.append(cut ? text.substr(0, static_cast<size_t>(maxLength)) : text);
    if (cut) buffer.append(u"...");
    buffer.append(suffix);
    return 1;
}

int32_t AppendTextPart(const std::u16string* text, std::u16string* buffer, std::u16string_view prefix,
                       std::u16string_view suffix, int32_t maxLength, bool dropPrefixWhenEmpty) {
    if (!text || !buffer) return 0;
    return AppendTextPart(std::u16string_view(*text), *buffer, prefix, suffix, maxLength, dropPrefixWhenEmpty);
}

const RelativeTimeRow RelativeTimeTable[] = {
    {60, "TIME1", 1},      {119, "TIME2", 1},    {3000, "TIME3", 60}, {7199, "TIME4", 60},
    {72000, "TIME5", 3600}, {86400, "TIME6", 1}, {0, nullptr, 0},
};

namespace {

std::atomic<DateFormatter> dateFormatter{nullptr};

const char16_t* const ShortDays[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
const char16_t* const LongDays[] = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday",
                                    u"Thursday", u"Friday", u"Saturday"};

void AppendNumber(std::u16string& out, int value, int digits) {
    std::u16string n = FormatText(u"%d", {static_cast<int32_t>(value)});
    while (static_cast<int>(n.size()) < digits) n.insert(n.begin(), u'0');
    out += n;
}

// The date picture elements this program uses: d, dd, ddd, dddd, M, MM, yy, yyyy.
std::u16string FormatDatePicture(const std::tm& t, std::u16string_view picture) {
    std::u16string out;
    for (size_t i = 0; i < picture.size();) {
        char16_t c = picture[i];
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        if (c == u'd') {
            if (run >= 4) out += LongDays[t.tm_wday % 7];
            else if (run == 3) out += ShortDays[t.tm_wday % 7];
            else AppendNumber(out, t.tm_mday, static_cast<int>(run));
        } else if (c == u'M') {
            AppendNumber(out, t.tm_mon + 1, run >= 2 ? 2 : 1);
        } else if (c == u'y') {
            int year = t.tm_year + 1900;
            if (run >= 4) AppendNumber(out, year, 4);
            else AppendNumber(out, year % 100, 2);
        } else {
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

}  // namespace

void SetDateFormatter(DateFormatter formatter) { dateFormatter = formatter; }

std::u16string DefaultDateFormatter(int32_t seconds, std::u16string_view datePicture,
                                    std::u16string_view timePicture) {
    std::tm local = LocalTime(seconds);
    std::u16string time(timePicture);
    for (auto& ch : time)
        if (ch == u'h') ch = u'H';  // a 24-hour clock, as the shell forces it
    return FormatDatePicture(local, datePicture) +
           FormatTimePicture(local.tm_hour, local.tm_min, local.tm_sec, time);
}

int32_t FormatItemTime(int32_t time, std::u16string* buffer) {
    if (!buffer) return 0;
    buffer->clear();
    if (time == 0) return 0;
    constexpr size_t limit = ItemTimeLimit - 1;
    int64_t age = static_cast<int64_t>(CurrentTime()) - time;
    if (age >= 0) {
        for (const RelativeTimeRow* row = RelativeTimeTable; row->key; ++row) {
            if (row->limit < age) continue;
            *buffer = FormatText(LookupText(row->key), {static_cast<int32_t>(age / row->divisor)}, limit);
            return 1;
        }
    }
    DateFormatter f = dateFormatter.load();
    *buffer = (f ? f : DefaultDateFormatter)(time, u" ddd d.M.yy, ", u"h:mm");
    if (buffer->size() > limit) buffer->resize(limit);
    return 1;
}

PictureSize ScalePicture(int32_t width, int32_t height, int32_t maxWidth) {
    PictureSize size{width, height};
    if (maxWidth > 0 && width > maxWidth) {
        float factor = static_cast<float>(maxWidth) / static_cast<float>(width);
        size.height = static_cast<int32_t>(factor * static_cast<float>(height));
        size.width = maxWidth;
    }
    return size;
}

PictureSize ScalePicture(const Picture* picture, int32_t maxWidth) {
    if (!picture) return {};
    return ScalePicture(picture->width(), picture->height(), maxWidth);
}
