#include "app/window_rules.h"

#include <gtest/gtest.h>

#include "base/settings.h"

namespace {

TEST(WindowRules, TooSmallIsHeldAtTheMinimumOnTheDraggedEdge) {
    PixelRect r = ApplySizingRule({100, 100, 700, 400}, SizingBottomRight, true);
    EXPECT_EQ(r, (PixelRect{100, 100, 1140, 700}));
    // Dragging the top-left corner keeps the bottom-right corner where it was.
    r = ApplySizingRule({600, 500, 1140, 700}, SizingTopLeft, true);
    EXPECT_EQ(r, (PixelRect{100, 100, 1140, 700}));
}

TEST(WindowRules, FixedWidthStaysExactly1040) {
    PixelRect r = ApplySizingRule({10, 20, 1500, 900}, SizingRight, false);
    EXPECT_EQ(r, (PixelRect{10, 20, 1050, 900}));
    r = ApplySizingRule({-400, 20, 1050, 900}, SizingLeft, false);
    EXPECT_EQ(r, (PixelRect{10, 20, 1050, 900}));
}

TEST(WindowRules, WideEnoughIsLeftAloneWhenTheWidthMayChange) {
    PixelRect in{0, 0, 1600, 601};
    EXPECT_EQ(ApplySizingRule(in, SizingBottom, true), in);
    PixelRect exact{5, 5, 1045, 605};
    EXPECT_EQ(ApplySizingRule(exact, SizingBottom, false), exact);
}

TEST(WindowRules, TrackLimitsMatchTheSizingRule) {
    TrackLimits free = MainWindowTrackLimits(true);
    EXPECT_EQ(free.minWidth, 1040);
    EXPECT_EQ(free.minHeight, 600);
    EXPECT_EQ(free.maxWidth, 0);
    EXPECT_EQ(MainWindowTrackLimits(false).maxWidth, 1040);
}

TEST(WindowRules, ChildLayoutFollowsTheClientSize) {
    auto l = LayoutMainWindow(1024, 562);
    EXPECT_EQ(l.tabArea, (PixelRect{0, 48, 1024, 546}));
    EXPECT_EQ(l.addressField, (PixelRect{0, 546, 1024, 562}));
    EXPECT_EQ(l.progressBar, (PixelRect{2, 547, 130, 560}));
    EXPECT_EQ(l.bannerStrip, (PixelRect{0, 0, 1024, 48}));
    auto v = BrowserViewRect(1024, 562, 22);
    EXPECT_EQ(v, (PixelRect{4, 28, 1018, 492}));
}

TEST(WindowRules, RestoredRectangleRoundTripsThroughTheSettingsFile) {
    Settings s;
    StoreWindowRect(s, {-8, -8, 1032, 592});
    auto bytes = SettingsToBytes(s);
    Settings back;
    ApplySettingsBytes(back, bytes.data(), bytes.size());
    EXPECT_EQ(StoredWindowRect(back), (PixelRect{-8, -8, 1032, 592}));
    EXPECT_EQ(bytes[16], 0xF8);  // offset 16 holds the left edge, little-endian
    EXPECT_EQ(bytes[19], 0xFF);
    EXPECT_EQ(back.refreshInterval, 10);
}

}  // namespace
