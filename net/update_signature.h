// The detached signature that travels beside a published executable: ECDSA over
// P-256 with SHA-256, in the DER form that `openssl dgst -sign` writes.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The two 32-byte big-endian halves r and s, as the platform's verifier takes them.
using UpdateSignature = std::array<uint8_t, 64>;

// Strict DER: SEQUENCE { INTEGER r, INTEGER s }, minimal lengths and integers,
// positive, non-zero, at most 32 bytes each, nothing after it. Anything else is no
// signature: a file that could be read two ways is refused.
bool ParseUpdateSignature(std::string_view der, UpdateSignature& signature);

// The DER form of a signature (the one form the parser accepts).
std::string EncodeUpdateSignature(const UpdateSignature& signature);
