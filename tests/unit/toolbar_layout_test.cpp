#include "app/toolbar_layout.h"

#include <gtest/gtest.h>

namespace {

std::vector<int32_t> ShownXs(const ToolbarLayout& l) {
    std::vector<int32_t> xs;
    for (const auto& s : l.slots)
        if (s.shown) xs.push_back(s.x);
    return xs;
}

TEST(ToolbarLayout, TableHasSeventeenRowsAndIdsAreRowNumbers) {
    EXPECT_EQ(ToolbarRowCount(), 17);
    EXPECT_EQ(ToolbarRowForId(1)->icon, 107);
    EXPECT_EQ(ToolbarRowForId(17)->command, 1052);
    EXPECT_EQ(ToolbarRowForId(0), nullptr);
    EXPECT_EQ(ToolbarRowForId(18), nullptr);
    EXPECT_EQ(ToolbarIdForCommand(1051), 14);
    EXPECT_EQ(ToolbarIdForCommand(1055), 16);
    EXPECT_EQ(ToolbarIdForCommand(0), 0);
}

TEST(ToolbarLayout, EnglishSignedOutSkipsWeatherAndStatus) {
    auto l = LayoutToolbar(u"EN", false);
    // Five link buttons, two gaps, three browser buttons, gap, close, gap, new posts.
    EXPECT_EQ(ShownXs(l), (std::vector<int32_t>{4, 52, 100, 148, 196, 276, 324, 372, 436, 500}));
    EXPECT_FALSE(l.slots[5].shown);
    EXPECT_FALSE(l.slots[6].shown);
    EXPECT_FALSE(l.slots[15].shown);  // status needs a user
    EXPECT_EQ(l.finalX, 548);
    EXPECT_EQ(l.bannerLeft, 580);
}

TEST(ToolbarLayout, CzechAndSlovakEachGetTheirOwnWeatherButton) {
    auto cz = LayoutToolbar(u"CZ", true);
    EXPECT_TRUE(cz.slots[5].shown);
    EXPECT_FALSE(cz.slots[6].shown);
    EXPECT_EQ(cz.slots[5].x, 244);
    auto sk = LayoutToolbar(u"SK", true);
    EXPECT_FALSE(sk.slots[5].shown);
    EXPECT_TRUE(sk.slots[6].shown);
    EXPECT_EQ(sk.slots[6].x, 244);
    // Same width either way; one extra button moves everything after it by 48.
    EXPECT_EQ(cz.finalX, sk.finalX);
    EXPECT_EQ(cz.finalX, LayoutToolbar(u"EN", true).finalX + 48);
}

TEST(ToolbarLayout, SigningInAddsTheStatusButtonBeforeNewPosts) {
    auto out = LayoutToolbar(u"DE", false);
    auto in = LayoutToolbar(u"DE", true);
    EXPECT_TRUE(in.slots[15].shown);
    EXPECT_EQ(in.slots[15].x, out.slots[16].x);
    EXPECT_EQ(in.slots[16].x, out.slots[16].x + 48);
    EXPECT_EQ(in.bannerLeft, out.bannerLeft + 48);
}

TEST(ToolbarLayout, FirstLayoutHidesCloseUnlessAPageIsOpenAndAlwaysNewPosts) {
    const ToolbarRow& close = *ToolbarRowForId(14);
    const ToolbarRow& newPosts = *ToolbarRowForId(17);
    const ToolbarRow& back = *ToolbarRowForId(10);
    EXPECT_TRUE(HiddenAfterFirstLayout(close, false));
    EXPECT_FALSE(HiddenAfterFirstLayout(close, true));
    EXPECT_TRUE(HiddenAfterFirstLayout(newPosts, true));
    EXPECT_FALSE(HiddenAfterFirstLayout(back, false));
}

}  // namespace
