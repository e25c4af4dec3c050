// Any text through the item-text format and the rich-text layout, measured and drawn,
// in rectangles of any size: no crash, no read outside, and always an end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/rich_text.h"

namespace {
// Bytes map onto the characters the layout treats specially, and onto letters.
char16_t Character(uint8_t b) {
    static const char16_t special[] = u"<>/\"- \r\n\t\x01\x02\x03\x04\x05\x06\x08\nbBiIpPhH23rRsSlL";
    constexpr size_t count = sizeof(special) / sizeof(special[0]) - 1;
    if (b < count * 4) return special[b % count];
    return b >= 0xF0 ? static_cast<char16_t>(0x100 + b) : static_cast<char16_t>(u'a' + b % 26);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    int32_t width = static_cast<int8_t>(data[0]) * 4;
    int32_t height = static_cast<int8_t>(data[1]) * 4;
    int32_t left = data[2] % 64;
    std::u16string text;
    for (size_t i = 3; i < size; ++i) text.push_back(Character(data[i]));

    FixedPitchCanvas canvas;
    MenuRect measure{0, 0, width, 0};
    DrawRichText(canvas, text, measure, true);
    MenuRect draw{left, 0, left + width, height};
    DrawRichText(canvas, text, draw, false);
    MenuRect item{0, 0, width, 0};
    DrawItemText(text, canvas, item, TextCalcRect | TextNoPrefix, false, true);
    MenuRect shown{left, 0, left + width, height};
    DrawItemText(text, canvas, shown, TextNoPrefix, false, false);
    return 0;
}
