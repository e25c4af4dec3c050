#include "app/tray_clicks.h"

namespace {
TrayClickAction Press() {
    TrayClickAction a;
    a.saveCursor = true;
    a.startClickTimer = true;
    return a;
}
}  // namespace

TrayClickAction TrayClickMachine::OnMouse(uint32_t mouseMessage, bool menuOnScreen) {
    TrayClickAction a;
    switch (mouseMessage) {
    case TrayLeftDoubleClick:
        a.showMainWindow = true;
        a.killClickTimer = true;
        state_ = 0;
        return a;
    case TrayRightDoubleClick:
    case TrayMiddleDoubleClick:
        a.killClickTimer = true;
        state_ = 0;
        return a;
    case TrayLeftDown:
    case TrayRightDown:
    case TrayMiddleDown: {
        const int16_t waiting = mouseMessage == TrayLeftDown ? 10 : mouseMessage == TrayRightDown ? 11 : 12;
        const int16_t ended = static_cast<int16_t>(waiting - 7);
        if (state_ == 0) {
            state_ = waiting;
            return Press();
        }
        if (state_ == ended) {
            state_ = 0;
            if (!menuOnScreen)
                a.menu = mouseMessage == TrayLeftDown    ? TrayMenu::NewAndUpdated
                         : mouseMessage == TrayRightDown ? TrayMenu::Main
                                                         : TrayMenu::GoTo;
            return a;
        }
        return a;  // a press while another is pending is ignored
    }
    default:
        return a;  // balloon clicks and mouse moves do nothing
    }
}

TrayClickAction TrayClickMachine::OnClickTimer() {
    TrayClickAction a;
    a.killClickTimer = true;
    switch (state_) {
    case 10: state_ = 3; a.resend = TrayLeftDown; break;
    case 11: state_ = 4; a.resend = TrayRightDown; break;
    case 12: state_ = 5; a.resend = TrayMiddleDown; break;
    default: break;
    }
    return a;
}
