#include "app/key_routing.h"

const KeyRoute KeyRoutingTable[] = {
    {0x28, 0, 0},  // VK_DOWN
    {0x2E, 0, 0},  // VK_DELETE
    {0x0D, 1, 0},  // VK_RETURN
    {0x09, 0, 0},  // VK_TAB
    {0x08, 1, 0},  // VK_BACK
    {0x7B, 0, 1},  // VK_F12
    {0x11, 0, 0},  // VK_CONTROL
    {0x26, 0, 0},  // VK_UP
    {0, 0, 0},
};

namespace {
const KeyRoute DigitAndLetterRoute = {0x30, 0, 0};
}

const KeyRoute* FindKeyRoute(uint32_t virtualKey) {
    for (const KeyRoute* row = KeyRoutingTable; row->virtualKey != 0; ++row)
        if (row->virtualKey == virtualKey) return row;
    if (virtualKey >= 0x30 && virtualKey <= 0x5A) return &DigitAndLetterRoute;
    return nullptr;
}
