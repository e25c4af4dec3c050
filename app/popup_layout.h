// The pop-up notices' bookkeeping: life, fade, and the stacking above the lower right
// corner of the work area. The windows themselves are the shell's.
#pragma once
#include <cstdint>
#include <list>
#include <string>
#include <string_view>

constexpr int32_t PopupWidth = 250;
constexpr int32_t PopupCreateHeight = 320;
constexpr int32_t PopupMargin = 8;
constexpr int32_t PopupGap = 16;
constexpr int32_t PopupRightInset = 266;  // x = SM_CXFULLSCREEN - 266
constexpr int32_t PopupTicksPerMinute = 120;
constexpr int32_t PopupFadeLimit = 230;
constexpr int32_t PopupFadeStep = 2;
constexpr size_t PopupTitleLimit = 100;

struct PopupNotice {
    uintptr_t window = 0;  // the shell's window handle
    int32_t height = 0;
    int32_t offset = 0;    // bottom of the work area to the window's top edge
    int32_t alpha = 0;
    int32_t life = 0;      // remaining one-second ticks
    std::u16string title;
};

// The caption "Orv - h:mm - title" (the title cut at 100 units).
std::u16string PopupCaption(std::u16string_view timeText, std::u16string_view title);

// Window height for the composed content: the lower of the picture and text bottoms,
// plus what the frame, the caption and the bottom margin take (320 minus the bottom
// of the content rectangle at the creation size).
int32_t PopupWindowHeight(int32_t pictureBottom, int32_t textBottom, int32_t contentRectBottom);

class PopupStack {
public:
    // Puts a notice above those still shown. Opaque at once without translucency.
    PopupNotice& Open(uintptr_t window, int32_t height, int32_t minutes, bool translucent,
                      std::u16string_view title);
    // Forgets the notice of `window`; false when it is none of ours.
    bool Close(uintptr_t window);
    // Places all notices from the bottom up with 16-pixel gaps.
    void Restack();
    // One second passes. Returns the window whose life ended (to be closed and the
    // rest restacked), 0 when none did.
    uintptr_t Tick();
    // One fade step. Returns whether any notice changed (false: stop the fade timer).
    bool FadeStep();

    PopupNotice* Find(uintptr_t window);
    bool empty() const { return notices_.empty(); }
    const std::list<PopupNotice>& notices() const { return notices_; }
    // The newest notice: only it reacts to clicks.
    uintptr_t Current() const { return notices_.empty() ? 0 : notices_.back().window; }

private:
    std::list<PopupNotice> notices_;  // bottom first
};

// Screen position of a notice.
inline int32_t PopupLeft(int32_t fullScreenWidth) { return fullScreenWidth - PopupRightInset; }
inline int32_t PopupTop(int32_t fullScreenHeight, const PopupNotice& n) { return fullScreenHeight - n.offset; }
