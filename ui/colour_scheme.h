// The four colour schemes of menus, banner and pop-up notice, and the pixel arithmetic
// of the gradients drawn with them.
#pragma once
#include <cstdint>
#include <vector>

struct ColourScheme {
    int32_t mode;               // read by the banner and the pop-up notice
    uint32_t background1;       // COLORREF 0x00BBGGRR; solid fill under items
    uint32_t background2;
    uint32_t highlight1;
    uint32_t highlight2;        // also the highlight frame
    uint32_t reserved;
    uint32_t highlightText;
    uint32_t header1;
    uint32_t header2;
    uint32_t new1;
    uint32_t new2;
};

constexpr int32_t ColourSchemeCount = 4;
extern const ColourScheme ColourSchemeTable[ColourSchemeCount];

// The row for a ColourScheme setting (4 and more use row 3, negative row 0).
const ColourScheme& SchemeFor(int32_t setting);
// The row of the current settings.
const ColourScheme& CurrentColourScheme();

constexpr uint32_t ColourRed(uint32_t c) { return c & 0xFF; }
constexpr uint32_t ColourGreen(uint32_t c) { return (c >> 8) & 0xFF; }
constexpr uint32_t ColourBlue(uint32_t c) { return (c >> 16) & 0xFF; }
constexpr uint32_t MakeColour(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// A 24-bit bottom-up DIB image: rows of width * 3 bytes in blue, green, red order (the
// width is a multiple of 32, so rows need no padding). Row 0 is the bottom of the image.
struct GradientPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bits;
};

// Rounds the width up to a multiple of 32 and fills the image from `from` to `to`:
// one colour per column (horizontal) or per stored row starting at the bottom
// (vertical), each component the floor of a running single-precision value.
// An empty image for a width or height of 0 or less.
GradientPixels MakeGradientPixels(uint32_t from, int32_t width, int32_t height, uint32_t to, bool vertical);

// WCAG contrast ratio of two colours (1 to 21).
double ContrastRatio(uint32_t a, uint32_t b);

// `preferred` when it reads well (contrast of at least 3) on both ends of a gradient,
// else `fallback`. The highlight text colour of the schemes is white, and their
// highlight colours are pale: white text on them could hardly be read.
uint32_t ReadableTextColour(uint32_t preferred, uint32_t fallback, uint32_t from, uint32_t to);
