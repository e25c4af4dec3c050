// The tray icon's click machine: a single click acts when the double-click wait is
// over, so that a left double click can open the main window without a menu first.
#pragma once
#include <cstdint>

// Mouse messages carried in the tray callback's lParam (the system's values).
enum TrayMouseMessage : uint32_t {
    TrayLeftDown = 0x0201,
    TrayLeftDoubleClick = 0x0203,
    TrayRightDown = 0x0204,
    TrayRightDoubleClick = 0x0206,
    TrayMiddleDown = 0x0207,
    TrayMiddleDoubleClick = 0x0209,
    TrayBalloonUserClick = 0x0405,
};

// Timer id and period of the click separation.
constexpr uint32_t ClickTimerId = 3;
constexpr uint32_t ClickTimerPeriod = 500;

enum class TrayMenu { None, NewAndUpdated, Main, GoTo };

struct TrayClickAction {
    bool saveCursor = false;      // keep the cursor position of the press
    bool startClickTimer = false;
    bool killClickTimer = false;
    bool showMainWindow = false;  // redraw the banner (forced) and show the window (forced)
    TrayMenu menu = TrayMenu::None;
    uint32_t resend = 0;          // send the window this tray message now, then Reset()
};

class TrayClickMachine {
public:
    // States: 0 idle; 10, 11, 12 a left, right or middle press waits for the timer;
    // 3, 4, 5 the wait ended for left, right or middle.
    int16_t state() const { return state_; }

    TrayClickAction OnMouse(uint32_t mouseMessage, bool menuOnScreen);
    TrayClickAction OnClickTimer();
    void Reset() { state_ = 0; }

private:
    int16_t state_ = 0;
};
