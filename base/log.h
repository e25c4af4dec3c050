// The in-memory log: time-stamped lines in two channels, shown by the info dialog.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum LogChannel : int32_t { LogReports = 0, LogNewAndUpdated = 1 };

constexpr size_t LogEntryLimit = 511;  // units per entry, time prefix included

struct LogEntry {
    std::u16string text;  // "h:mm:ss - " and the message, at most LogEntryLimit units
    int32_t channel = 0;
    int32_t extent = 0;   // pixel width, measured only while the info dialog shows it
};

// Appends one line; safe from both threads. Also written at once, as UTF-8 with a
// line feed, to the file named by ORV_LOG_FILE when that is set.
void AppendLog(std::u16string_view text, int32_t channel);

// A copy of every entry of one channel (or all when channel < 0), oldest first.
std::vector<LogEntry> LogEntries(int32_t channel);

// Removes the position-th entry (0-based) among the entries of a channel; false when
// the channel has no such entry.
bool RemoveLogEntry(int32_t channel, size_t position);

// The open info dialog listens for new lines; called with the log lock released.
using LogListener = std::function<void(const LogEntry&)>;
void SetLogListener(LogListener listener);

// Tests only: forget every entry.
void ClearLogForTesting();
