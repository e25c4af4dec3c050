// Message threads of the inbox with unread messages, and their messages.
#pragma once
#include <cstdint>
#include <string_view>

// False when the thread query brought no answer.
bool ParseThreads(int32_t since);
bool ReadMessages(std::u16string_view threadId, int32_t since);
