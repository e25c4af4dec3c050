#include "app/tray_clicks.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayClicks, SingleLeftClickActsOnlyWhenTheTimerFires) {
    TrayClickMachine m;
    auto press = m.OnMouse(TrayLeftDown, false);
    EXPECT_TRUE(press.saveCursor);
    EXPECT_TRUE(press.startClickTimer);
    EXPECT_EQ(press.menu, TrayMenu::None);
    EXPECT_EQ(m.state(), 10);

    auto fired = m.OnClickTimer();
    EXPECT_TRUE(fired.killClickTimer);
    EXPECT_EQ(fired.resend, TrayLeftDown);
    EXPECT_EQ(m.state(), 3);

    auto resent = m.OnMouse(fired.resend, false);
    EXPECT_EQ(resent.menu, TrayMenu::NewAndUpdated);
    EXPECT_FALSE(resent.startClickTimer);
    EXPECT_EQ(m.state(), 0);
}

TEST(TrayClicks, EachButtonOpensItsOwnMenu) {
    struct Case { uint32_t down; int16_t waiting; TrayMenu menu; };
    for (Case c : {Case{TrayLeftDown, 10, TrayMenu::NewAndUpdated}, Case{TrayRightDown, 11, TrayMenu::Main},
                   Case{TrayMiddleDown, 12, TrayMenu::GoTo}}) {
        TrayClickMachine m;
        m.OnMouse(c.down, false);
        EXPECT_EQ(m.state(), c.waiting);
        auto fired = m.OnClickTimer();
        EXPECT_EQ(fired.resend, c.down);
        EXPECT_EQ(m.OnMouse(fired.resend, false).menu, c.menu);
        EXPECT_EQ(m.state(), 0);
    }
}

TEST(TrayClicks, LeftDoubleClickShowsTheWindowAndNoMenu) {
    TrayClickMachine m;
    m.OnMouse(TrayLeftDown, false);  // first press of the double click
    auto dbl = m.OnMouse(TrayLeftDoubleClick, false);
    EXPECT_TRUE(dbl.showMainWindow);
    EXPECT_TRUE(dbl.killClickTimer);
    EXPECT_EQ(dbl.menu, TrayMenu::None);
    EXPECT_EQ(m.state(), 0);
    // The system's second button-up/down after the double click starts a new wait only
    // for a fresh press; a late timer finds the machine idle and does nothing.
    auto late = m.OnClickTimer();
    EXPECT_EQ(late.resend, 0u);
    EXPECT_EQ(m.state(), 0);
}

TEST(TrayClicks, RightAndMiddleDoubleClicksShowNothing) {
    for (auto [down, dbl] : {std::pair<uint32_t, uint32_t>{TrayRightDown, TrayRightDoubleClick},
                             std::pair<uint32_t, uint32_t>{TrayMiddleDown, TrayMiddleDoubleClick}}) {
        TrayClickMachine m;
        m.OnMouse(down, false);
        auto a = m.OnMouse(dbl, false);
        EXPECT_TRUE(a.killClickTimer);
        EXPECT_FALSE(a.showMainWindow);
        EXPECT_EQ(a.menu, TrayMenu::None);
        EXPECT_EQ(m.state(), 0);
    }
}

TEST(TrayClicks, PressesWhileWaitingAreIgnored) {
    TrayClickMachine m;
    m.OnMouse(TrayLeftDown, false);
    auto other = m.OnMouse(TrayRightDown, false);
    EXPECT_FALSE(other.startClickTimer);
    EXPECT_EQ(m.state(), 10);
    auto fired = m.OnClickTimer();
    // A different button arriving in the "ended" state is ignored as well.
    auto wrong = m.OnMouse(TrayRightDown, false);
    EXPECT_EQ(wrong.menu, TrayMenu::None);
    EXPECT_EQ(m.state(), 3);
    EXPECT_EQ(m.OnMouse(fired.resend, false).menu, TrayMenu::NewAndUpdated);
}

TEST(TrayClicks, NoMenuWhileAContentMenuIsOnScreen) {
    TrayClickMachine m;
    m.OnMouse(TrayRightDown, false);
    auto fired = m.OnClickTimer();
    auto a = m.OnMouse(fired.resend, true);
    EXPECT_EQ(a.menu, TrayMenu::None);
    EXPECT_EQ(m.state(), 0);  // the click is spent
}

TEST(TrayClicks, BalloonClickDoesNothing) {
    TrayClickMachine m;
    auto a = m.OnMouse(TrayBalloonUserClick, false);
    EXPECT_FALSE(a.saveCursor || a.startClickTimer || a.killClickTimer || a.showMainWindow);
    EXPECT_EQ(m.state(), 0);
}

}  // namespace
