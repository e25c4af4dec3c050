// Message threads of the inbox with unread messages, and their messages.
#pragma once
#include <cstdint>
#include <string_view>

class DataStore;

// ParseThreads is false when the thread query brought no answer. Both fetch without the store's mutex and merge under it: call them without holding it.
bool ParseThreads(DataStore& store, int32_t since);
// ReadMessages is false when the message query brought no answer or a stop cut the
// merge short: the thread's messages do not count as read.
bool ReadMessages(DataStore& store, std::u16string_view threadId, int32_t since);
