// The signed-in user's token; empty while nobody is signed in. Read by the worker,
// written by the UI thread and by an FQL answer that reports it invalid.
#pragma once
#include <string>

constexpr size_t AccessTokenLimit = 1023;  // units kept of a captured token

std::u16string AccessToken();
void SetAccessToken(std::u16string token);  // cut at AccessTokenLimit
void ClearAccessToken();
bool HaveAccessToken();
