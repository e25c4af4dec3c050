#include "net/update_signature.h"

#include <algorithm>

namespace {

constexpr uint8_t DerSequence = 0x30;
constexpr uint8_t DerInteger = 0x02;

// One INTEGER at `at`; writes its value right-aligned into `half` (32 bytes).
bool ReadInteger(std::string_view der, size_t& at, uint8_t* half) {
    if (der.size() - at < 2 || static_cast<uint8_t>(der[at]) != DerInteger) return false;
    size_t length = static_cast<uint8_t>(der[at + 1]);
    at += 2;
    if (length == 0 || length > 33 || der.size() - at < length) return false;
    const auto* value = reinterpret_cast<const uint8_t*>(der.data() + at);
    at += length;
    if (value[0] & 0x80) return false;  // negative
    if (value[0] == 0) {
        // A leading zero only where the next byte would read as a sign.
        if (length == 1 || !(value[1] & 0x80)) return false;
        ++value;
        --length;
    }
    if (length > 32) return false;
    std::fill(half, half + 32, 0);
    std::copy(value, value + length, half + (32 - length));
    return std::any_of(half, half + 32, [](uint8_t b) { return b != 0; });
}

void WriteInteger(std::string& out, const uint8_t* half) {
    size_t skip = 0;
    while (skip < 31 && half[skip] == 0) ++skip;
    const bool pad = (half[skip] & 0x80) != 0;
    out += static_cast<char>(DerInteger);
    out += static_cast<char>(32 - skip + (pad ? 1 : 0));
    if (pad) out += '\0';
    out.append(reinterpret_cast<const char*>(half + skip), 32 - skip);
}

}  // namespace

bool ParseUpdateSignature(std::string_view der, UpdateSignature& signature) {
    // Two integers of at most 33 bytes keep the length below 128: the short form only.
    if (der.size() < 2 || static_cast<uint8_t>(der[0]) != DerSequence) return false;
    const size_t length = static_cast<uint8_t>(der[1]);
    if (length >= 0x80 || der.size() != length + 2) return false;
    UpdateSignature parsed{};
    size_t at = 2;
    if (!ReadInteger(der, at, parsed.data()) || !ReadInteger(der, at, parsed.data() + 32)) return false;
    if (at != der.size()) return false;
    signature = parsed;
    return true;
}

std::string EncodeUpdateSignature(const UpdateSignature& signature) {
    std::string body;
    WriteInteger(body, signature.data());
    WriteInteger(body, signature.data() + 32);
    std::string out;
    out += static_cast<char>(DerSequence);
    out += static_cast<char>(body.size());
    return out + body;
}
