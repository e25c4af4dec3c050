// The pop-up notice: a small layered window at the lower right of the work area that
// fades in, shows the summary of new items and closes itself after its life time.
// Notices are windows of their owner's class (the main window's); UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class Picture;

// Timer of the fade (on the owner window).
constexpr UINT_PTR FadeTimerId = 20;

// The window that owns the notices: they are windows of its class, and its timer runs
// the fade. Set before the first notice opens.
void SetPopupNoticeOwner(HWND owner);

// Opens a notice above those still shown and returns its window. Without a picture
// the built-in image is drawn.
HWND OpenPopupNotice(const std::u16string& title, const std::u16string& text, const std::u16string& hint,
                     const Picture* picture, int32_t minutes, COLORREF colour);
// Closes a notice; false when the window is no notice.
bool ClosePopupNotice(HWND window);
void RestackPopupNotices();

bool IsPopupNotice(HWND window);
// The newest notice, the only one that reacts to clicks; nullptr when none is shown.
HWND CurrentPopupNotice();

// Timer 1 (every second) and timer 20 (every 10 ms while a fade runs).
void PopupNoticeTick();
void PopupNoticeFadeStep();
// WM_PAINT of a notice.
void PaintPopupNotice(HWND window);

// Closes every notice (shutdown).
void CloseAllPopupNotices();
