#include "app/window_rules.h"

#include "base/settings.h"

namespace {
bool DragsLeft(int32_t edge) { return edge == SizingLeft || edge == SizingTopLeft || edge == SizingBottomLeft; }
bool DragsTop(int32_t edge) { return edge == SizingTop || edge == SizingTopLeft || edge == SizingTopRight; }

void HoldWidth(PixelRect& r, int32_t edge, int32_t width) {
    if (DragsLeft(edge)) r.left = r.right - width;
    else r.right = r.left + width;
}
}  // namespace

PixelRect ApplySizingRule(PixelRect r, int32_t edge, bool widthMayChange) {
    if (!widthMayChange || r.width() < MainWindowMinWidth) HoldWidth(r, edge, MainWindowMinWidth);
    if (r.height() < MainWindowMinHeight) {
        if (DragsTop(edge)) r.top = r.bottom - MainWindowMinHeight;
        else r.bottom = r.top + MainWindowMinHeight;
    }
    return r;
}

TrackLimits MainWindowTrackLimits(bool widthMayChange) {
    TrackLimits t;
    t.minWidth = MainWindowMinWidth;
    t.minHeight = MainWindowMinHeight;
    t.maxWidth = widthMayChange ? 0 : MainWindowMinWidth;
    return t;
}

MainWindowLayout LayoutMainWindow(int32_t width, int32_t height) {
    MainWindowLayout l;
    l.tabArea = {0, 48, width, 48 + (height - 64)};
    l.addressField = {0, height - 16, width, height};
    l.progressBar = {2, height - 15, 2 + 128, height - 15 + 13};
    l.bannerStrip = {0, 0, width, 48};
    return l;
}

PixelRect BrowserViewRect(int32_t width, int32_t height, int32_t tabStripHeight) {
    PixelRect r;
    r.left = 4;
    r.top = 6 + tabStripHeight;
    r.right = r.left + (width - 10);
    r.bottom = r.top + (height - 76 - tabStripHeight);
    return r;
}

void StoreWindowRect(Settings& s, const PixelRect& r) {
    s.windowLeft = r.left;
    s.windowTop = r.top;
    s.windowRight = r.right;
    s.windowBottom = r.bottom;
}

PixelRect StoredWindowRect(const Settings& s) { return {s.windowLeft, s.windowTop, s.windowRight, s.windowBottom}; }
