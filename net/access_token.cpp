#include "net/access_token.h"

#include <algorithm>
#include <mutex>

namespace {
std::mutex tokenLock;
std::u16string token;
}  // namespace

std::u16string AccessToken() {
    std::lock_guard<std::mutex> hold(tokenLock);
    return token;
}

void SetAccessToken(std::u16string value) {
    if (value.size() > AccessTokenLimit) value.resize(AccessTokenLimit);
    std::lock_guard<std::mutex> hold(tokenLock);
    token = std::move(value);
}

void ClearAccessToken() {
    std::lock_guard<std::mutex> hold(tokenLock);
    // Overwrite before letting go, so the old token does not linger in freed memory.
    std::fill(token.begin(), token.end(), u'\0');
    token.clear();
}

bool HaveAccessToken() {
    std::lock_guard<std::mutex> hold(tokenLock);
    return !token.empty();
}
