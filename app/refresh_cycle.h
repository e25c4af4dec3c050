// The refresh cycle: the worker that pulls what changed and merges it into the store,
// and the step on the UI thread that announces what is new.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/shell_port.h"

class DataStore;

// Total of unread items last announced; 0 after mark-all-read.
extern std::atomic<int32_t> NewCountTotal;
// 1 while a content menu opened from the tray is on screen.
extern std::atomic<int32_t> ContentMenuOpen;

extern std::atomic<int32_t> LastRefreshStart;
extern std::atomic<int32_t> LastRefreshEnd;
extern std::atomic<int32_t> RefreshDone;
// 1 from a refresh whose queries failed until one succeeds; the tray says so.
extern std::atomic<int32_t> ServiceUnreachable;

// The tables whose query failed in a refresh ("user", "stream", ...).
using RefreshFailures = std::vector<const char16_t*>;

// Installs what the sign-in tells the cycle through: a new or dropped token makes the
// next refresh due at once. Once at start-up; tests call it too.
void InstallRefreshHooks();

// Starts the worker on `store` unless one runs or nobody is signed in.
void StartRefresh(DataStore& store);
// Asks the worker to stop, abandons its request and joins it; never leaves a file
// half written. Call it without holding the store's mutex: the worker may be waiting
// for it.
void StopRefresh();
bool WorkerRunning();

// Timer 1, every second on the UI thread: the after-refresh step when a refresh is
// done, and a new refresh when the interval has passed.
void OnRefreshTimer(DataStore& store);
void AfterRefresh(DataStore& store);
void MarkAllRead(DataStore& store);
// After a popup: when nothing new is left (read by highlighting), the tray shows so.
void ResetTrayWhenNothingNew(DataStore& store);
// Sign-out: the tray no longer shows what was announced to the user who left, and the
// next user's first announcement is made even with the same total.
void ForgetAnnouncement();
// Command 1045: refresh now.
void UpdateDataCommand(DataStore& store);

// The worker's body, run on the calling thread (tests and the benchmark).
void RunRefreshBody(DataStore& store, int32_t lastStart);
// Its middle: the four queries and the merges, then the threads. False when stopped;
// the tables of failed queries are added to `failed`.
bool RunRefreshMerge(DataStore& store, int32_t since, RefreshFailures* failed = nullptr);

// "Posts: 3, Notifications: 1": the non-zero counts in the long form.
std::u16string RefreshSummary(int32_t posts, int32_t messages, int32_t notifications);

constexpr const char16_t* TrayTooltipIdle = ProgramTitle;
