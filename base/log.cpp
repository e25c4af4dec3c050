#include "base/log.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "base/clock.h"
#include "base/format_text.h"

namespace {
std::mutex logLock;
std::deque<LogEntry> entries;  // appended at the tail, never trimmed while running
LogListener listener;

void WriteDiagnosticLine(const std::u16string& line) {
    const char* path = std::getenv("ORV_LOG_FILE");
    if (!path || !*path) return;
    if (FILE* f = std::fopen(path, "ab")) {
        std::string utf8 = Utf16ToUtf8(line);
        utf8.push_back('\n');
        std::fwrite(utf8.data(), 1, utf8.size(), f);
        std::fclose(f);
    }
}
}  // namespace

void AppendLog(std::u16string_view text, int32_t channel) {
    LogEntry entry;
    entry.text = FormatTimeOfDay(CurrentTime(), u"h:mm:ss - ");
    entry.text.append(text);
    if (entry.text.size() > LogEntryLimit) entry.text.resize(LogEntryLimit);
    entry.channel = channel;
    LogListener notify;
    {
        std::lock_guard<std::mutex> hold(logLock);
        entries.push_back(entry);
        WriteDiagnosticLine(entry.text);
        notify = listener;
    }
    if (notify) notify(entry);
}

std::vector<LogEntry> LogEntries(int32_t channel) {
    std::lock_guard<std::mutex> hold(logLock);
    std::vector<LogEntry> out;
    for (const auto& e : entries)
        if (channel < 0 || e.channel == channel) out.push_back(e);
    return out;
}

bool RemoveLogEntry(int32_t channel, size_t position) {
    std::lock_guard<std::mutex> hold(logLock);
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->channel != channel) continue;
        if (position-- == 0) {
            entries.erase(it);
            return true;
        }
    }
    return false;
}

void SetLogListener(LogListener l) {
    std::lock_guard<std::mutex> hold(logLock);
    listener = std::move(l);
}

void ClearLogForTesting() {
    std::lock_guard<std::mutex> hold(logLock);
    entries.clear();
}
