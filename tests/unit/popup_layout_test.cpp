#include "app/popup_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(PopupLayout, CaptionHasTimeThenTitleCutAt100) {
    EXPECT_EQ(PopupCaption(u"9:05", u"New and updated"), u"Orv - 9:05 - New and updated");
    std::u16string longTitle(150, u'x');
    EXPECT_EQ(PopupCaption(u"12:00", longTitle).size(), std::u16string(u"Orv - 12:00 - ").size() + 100);
}

TEST(PopupLayout, HeightAddsTheFrameBelowTheContentRectangle) {
    // A client area of 250 x 296 (24-pixel caption and frame): content rectangle bottom 288.
    EXPECT_EQ(PopupWindowHeight(108, 90, 288), 108 + 32);
    EXPECT_EQ(PopupWindowHeight(50, 140, 288), 140 + 32);
}

TEST(PopupLayout, LifeIsTwiceTheMinutesInSecondTicks) {
    PopupStack s;
    s.Open(1, 140, 5, true, u"t");
    for (int i = 1; i < 600; ++i) ASSERT_EQ(s.Tick(), 0u) << "closed early at tick " << i;
    EXPECT_EQ(s.Tick(), 1u);
}

TEST(PopupLayout, TickClosesOnlyTheFirstExpiredAndStopsThere) {
    PopupStack s;
    s.Open(1, 100, 0, true, u"a");  // no life: goes at the first tick
    s.Open(2, 100, 1, true, u"b");
    EXPECT_EQ(s.Tick(), 1u);
    EXPECT_EQ(s.Find(2)->life, 120);  // the walk stopped before the second notice
    s.Close(1);
    s.Restack();
    EXPECT_EQ(s.Find(2)->offset, 100);
}

TEST(PopupLayout, NoticesStackWith16PixelGapsAndRestackAfterAClose) {
    PopupStack s;
    EXPECT_EQ(s.Open(1, 140, 5, true, u"a").offset, 140);
    EXPECT_EQ(s.Open(2, 120, 5, true, u"b").offset, 140 + 16 + 120);
    EXPECT_EQ(s.Open(3, 100, 5, true, u"c").offset, 276 + 16 + 100);
    EXPECT_EQ(s.Current(), 3u);
    EXPECT_EQ(PopupTop(1000, *s.Find(3)), 1000 - 392);

    EXPECT_TRUE(s.Close(1));
    EXPECT_FALSE(s.Close(1));
    s.Restack();
    EXPECT_EQ(s.Find(2)->offset, 120);
    EXPECT_EQ(s.Find(3)->offset, 120 + 16 + 100);
}

TEST(PopupLayout, FadeRisesByTwoThenTurnsOpaqueAndStops) {
    PopupStack s;
    s.Open(1, 100, 5, true, u"a");
    int steps = 0;
    while (s.Find(1)->alpha < 230) {
        ASSERT_TRUE(s.FadeStep());
        ++steps;
    }
    EXPECT_EQ(steps, 115);
    EXPECT_TRUE(s.FadeStep());
    EXPECT_EQ(s.Find(1)->alpha, 255);
    EXPECT_FALSE(s.FadeStep());
    PopupStack empty;
    EXPECT_FALSE(empty.FadeStep());
}

TEST(PopupLayout, WithoutTranslucencyANoticeIsOpaqueAtOnce) {
    PopupStack s;
    EXPECT_EQ(s.Open(1, 100, 5, false, u"a").alpha, 255);
    EXPECT_FALSE(s.FadeStep());
}

}  // namespace
