#include "base/clock.h"

#include <ctime>
#include <mutex>

namespace {
std::mutex clockLock;
std::function<int32_t()> testClock;
TimeFormatter formatter;

void AppendTwo(std::u16string& out, int v, bool pad) {
    if (pad || v >= 10) out.push_back(static_cast<char16_t>(u'0' + (v / 10) % 10));
    out.push_back(static_cast<char16_t>(u'0' + v % 10));
}
}  // namespace

int32_t CurrentTime() {
    {
        std::lock_guard<std::mutex> hold(clockLock);
        if (testClock) return testClock();
    }
    return static_cast<int32_t>(std::time(nullptr));
}

void SetClockForTesting(std::function<int32_t()> clock) {
    std::lock_guard<std::mutex> hold(clockLock);
    testClock = std::move(clock);
}

void SetTimeFormatter(TimeFormatter f) {
    std::lock_guard<std::mutex> hold(clockLock);
    formatter = std::move(f);
}

std::u16string FormatTimePicture(int hour, int minute, int second, const std::u16string& picture) {
    std::u16string out;
    for (size_t i = 0; i < picture.size(); ++i) {
        char16_t c = picture[i];
        int value;
        if (c == u'h' || c == u'H') value = c == u'h' ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
        else if (c == u'm') value = minute;
        else if (c == u's') value = second;
        else {
            out.push_back(c);
            continue;
        }
        bool twoDigits = i + 1 < picture.size() && picture[i + 1] == c;
        if (twoDigits) ++i;
        AppendTwo(out, value, twoDigits);
    }
    return out;
}

std::tm LocalTime(int32_t seconds) {
    std::time_t t = seconds;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    return local;
}

std::u16string FormatTimeOfDay(int32_t seconds, const std::u16string& picture) {
    TimeFormatter f;
    {
        std::lock_guard<std::mutex> hold(clockLock);
        f = formatter;
    }
    if (f) return f(seconds, picture);
    std::tm local = LocalTime(seconds);
    // The default keeps a 24-hour clock for "h": the user's locale decides on Windows.
    std::u16string p = picture;
    for (auto& ch : p)
        if (ch == u'h') ch = u'H';
    return FormatTimePicture(local.tm_hour, local.tm_min, local.tm_sec, p);
}
