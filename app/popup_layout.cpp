#include "app/popup_layout.h"

#include <algorithm>

std::u16string PopupCaption(std::u16string_view timeText, std::u16string_view title) {
    std::u16string caption = u"Orv - ";
    caption.append(timeText);
    caption.append(u" - ");
    caption.append(title.substr(0, PopupTitleLimit));
    return caption;
}

int32_t PopupWindowHeight(int32_t pictureBottom, int32_t textBottom, int32_t contentRectBottom) {
    return std::max(pictureBottom, textBottom) + (PopupCreateHeight - contentRectBottom);
}

PopupNotice& PopupStack::Open(uintptr_t window, int32_t height, int32_t minutes, bool translucent,
                              std::u16string_view title) {
    const int32_t below = notices_.empty() ? 0 : notices_.back().offset;
    PopupNotice n;
    n.window = window;
    n.height = height;
    n.title = std::u16string(title.substr(0, PopupTitleLimit));
    n.life = minutes * PopupTicksPerMinute;
    n.alpha = translucent ? 0 : 255;
    n.offset = height + below + (below > 0 ? PopupGap : 0);
    notices_.push_back(n);
    return notices_.back();
}

bool PopupStack::Close(uintptr_t window) {
    for (auto it = notices_.begin(); it != notices_.end(); ++it) {
        if (it->window == window) {
            notices_.erase(it);
            return true;
        }
    }
    return false;
}

void PopupStack::Restack() {
    int32_t sum = 0;
    for (auto& n : notices_) {
        n.offset = n.height + sum;
        sum += n.height + PopupGap;
    }
}

uintptr_t PopupStack::Tick() {
    // Counted down first, so a life of 600 ticks ends on the 600th second.
    for (auto& n : notices_) {
        if (--n.life <= 0) return n.window;
    }
    return 0;
}

bool PopupStack::FadeStep() {
    bool changed = false;
    for (auto& n : notices_) {
        if (n.alpha < PopupFadeLimit) {
            n.alpha += PopupFadeStep;
            changed = true;
        } else if (n.alpha != 255) {
            n.alpha = 255;
            changed = true;
        }
    }
    return changed;
}

PopupNotice* PopupStack::Find(uintptr_t window) {
    for (auto& n : notices_)
        if (n.window == window) return &n;
    return nullptr;
}
