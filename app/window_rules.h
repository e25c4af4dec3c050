// Size rules and child layout of the main window, in pixels.
#pragma once
#include <cstdint>

struct Settings;

struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

constexpr int32_t MainWindowMinWidth = 1040;
constexpr int32_t MainWindowMinHeight = 600;

// Which edge the user drags while sizing (the WMSZ_ values).
enum SizingEdge : int32_t {
    SizingLeft = 1, SizingRight = 2, SizingTop = 3, SizingTopLeft = 4, SizingTopRight = 5,
    SizingBottom = 6, SizingBottomLeft = 7, SizingBottomRight = 8,
};

// The rectangle while the user sizes the window: exactly 1040 wide when the width may
// not change, otherwise at least 1040 wide, and at least 600 high. The dragged edge
// gives way; the opposite edge stays where it is.
PixelRect ApplySizingRule(PixelRect proposed, int32_t edge, bool widthMayChange);

// The same rule as the tracking limits the system applies to the window's frame.
struct TrackLimits {
    int32_t minWidth = 0;
    int32_t minHeight = 0;
    int32_t maxWidth = 0;  // 0: no limit
};
TrackLimits MainWindowTrackLimits(bool widthMayChange);

// Children of the main window for a client area of width x height.
struct MainWindowLayout {
    PixelRect tabArea;      // tab control (browser views inside it)
    PixelRect addressField;
    PixelRect progressBar;
    PixelRect bannerStrip;  // gradient strip along the top
};
MainWindowLayout LayoutMainWindow(int32_t width, int32_t height);

// The browser views inside the tab control for a client area, below a tab strip of
// the given height.
PixelRect BrowserViewRect(int32_t width, int32_t height, int32_t tabStripHeight);

// The restored rectangle of the window goes into the settings (offsets 16 to 28).
void StoreWindowRect(Settings& settings, const PixelRect& restored);
PixelRect StoredWindowRect(const Settings& settings);
