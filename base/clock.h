// The program's clock: whole seconds since 1 January 1970, and the user's time-of-day
// format, both behind a seam so tests can fix them.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

int32_t CurrentTime();

// Formats a time of day with a Windows-style picture ("h:mm:ss - ", "h:mm"): h/H hour
// without leading zero, hh/HH two digits, m/mm, s/ss; other characters copied.
using TimeFormatter = std::function<std::u16string(int32_t seconds, const std::u16string& picture)>;

std::u16string FormatTimeOfDay(int32_t seconds, const std::u16string& picture);

// Tests and the shell replace these; an empty function restores the default.
void SetClockForTesting(std::function<int32_t()> clock);
void SetTimeFormatter(TimeFormatter formatter);

// Local broken-down time of a time stamp.
std::tm LocalTime(int32_t seconds);

// Default formatter: local time, 24-hour picture rules as above.
std::u16string FormatTimePicture(int hour, int minute, int second, const std::u16string& picture);
