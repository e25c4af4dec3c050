// Which keys the message loop hands to the embedded browser first.
#pragma once
#include <cstdint>

struct KeyRoute {
    uint32_t virtualKey;  // 0 ends the table
    uint32_t consume;     // 1: the browser alone gets the key
    uint32_t reserved;    // read by nothing
};

extern const KeyRoute KeyRoutingTable[];

// The route of a virtual key: its table row, the shared row of digits and letters
// (0x30..0x5A), or nullptr when the key takes no route.
const KeyRoute* FindKeyRoute(uint32_t virtualKey);
