// DrawItemText: the first-line format of item texts (control codes), with the body
// handed to DrawRichText.
#include <algorithm>

#include "ui/rich_text.h"

std::u16string FontCode(int32_t font) {
    return std::u16string{CodeFont, static_cast<char16_t>(font + 1)};
}

namespace {

bool IsItemCode(char16_t c) {
    switch (c) {
    case CodeFont:
    case CodeColumn:
    case CodeLine:
    case CodeIndent:
    case CodeRightStart:
    case CodeRightEnd:
    case CodeBody:
    case CodeNewLine:
        return true;
    default:
        return false;
    }
}

constexpr int32_t RightPartGap = 4;

enum class Placement { AtLeft, CutAtColumn, RightAligned };

struct ItemTextState {
    TextCanvas& canvas;
    const MenuRect& rect;
    uint32_t format;
    bool calc;
    int32_t left;
    int32_t top;
    int32_t lineWidth = 0;
    int32_t widest = 0;
    int32_t lineHeight = 0;
    int32_t lastResult = 0;

    // Measures (and unless measuring, draws) one run; returns its width.
    int32_t flush(std::u16string_view run, Placement placement, int32_t columnRight) {
        if (run.empty()) return 0;
        // Measured as drawn: with the prefix handling the format asks for.
        TextExtent size = canvas.measureRun(run, TextCalcRect | TextExpandTabs | (format & TextNoPrefix));
        const int32_t lineEnd = rect.left + lineWidth;
        lineWidth += size.width;
        lineHeight = std::max(lineHeight, size.height);
        lastResult = size.height;
        if (!calc) {
            MenuRect target{left, top, rect.right, rect.bottom};
            if (placement == Placement::CutAtColumn) target.right = std::min(target.right, columnRight);
            // Too narrow a rectangle cuts the right part at its edge rather than drawing
            // it over the line's start (the banner has a fixed width).
            if (placement == Placement::RightAligned)
                target.left = std::max(rect.right - size.width - 4, lineEnd + RightPartGap);
            canvas.drawRun(run, target, format);
        }
        return size.width;
    }

    void newLine(int32_t gap) {
        widest = std::max(widest, lineWidth);
        lineWidth = 0;
        left = rect.left;
        top += lineHeight + gap;
        lineHeight = 0;
    }
};

}  // namespace

int32_t DrawItemText(std::u16string_view text, TextCanvas& canvas, MenuRect& rect, uint32_t format,
                     bool stopAtBody, bool measureBodyAtRectRight) {
    ItemTextState s{canvas, rect, format, (format & TextCalcRect) != 0, rect.left, rect.top};
    int32_t bodyHeight = 0;
    size_t segment = 0;
    const size_t n = text.size();
    size_t i = 0;
    for (; i < n; ++i) {
        char16_t c = text[i];
        if (!IsItemCode(c)) continue;
        std::u16string_view run = text.substr(segment, i - segment);
        segment = i + 1;
        if (c == CodeFont) {
            int32_t width = s.flush(run, Placement::AtLeft, 0);
            if (i + 1 < n) {
                int32_t font = static_cast<int32_t>(text[++i]) - 1;
                if (font >= 0 && font < MenuFontCount) canvas.selectFont(font);
                segment = i + 1;
            }
            s.left += width;
        } else if (c == CodeColumn) {
            int32_t column = i + 1 < n ? (text[i + 1] & 0xFF) : 0;
            s.flush(run, Placement::CutAtColumn, rect.left + column - 1);
            if (i + 1 < n) segment = ++i + 1;
            s.left = rect.left + column;
            s.lineWidth += column;
        } else if (c == CodeLine) {
            s.flush(run, Placement::AtLeft, 0);
            if (!s.calc) {
                int32_t y = s.top + s.lineHeight;
                canvas.line(0, y, rect.right, y, 0);
            }
        } else if (c == CodeIndent) {
            s.flush(run, Placement::AtLeft, 0);
            int32_t indent = 0;
            size_t digits = 0;
            while (i + 1 < n && text[i + 1] >= u'0' && text[i + 1] <= u'9') {
                if (digits++ < 6) indent = indent * 10 + (text[i + 1] - u'0');
                ++i;
            }
            segment = i + 1;
            s.left = rect.left + indent;
        } else if (c == CodeRightStart) {
            s.flush(run, Placement::AtLeft, 0);
        } else if (c == CodeRightEnd) {
            s.flush(run, Placement::RightAligned, 0);
            s.left = rect.left;
        } else if (c == CodeNewLine) {
            s.flush(run, Placement::AtLeft, 0);
            s.newLine(2);
        } else if (c == CodeBody) {
            s.flush(run, Placement::AtLeft, 0);
            std::u16string_view body = text.substr(i + 1);
            segment = n;
            if (!s.calc) {
                MenuRect area{rect.left, s.top + s.lineHeight, rect.right, rect.bottom};
                DrawRichText(canvas, body, area, false);
            } else if (!stopAtBody) {
                int32_t right = measureBodyAtRectRight ? rect.right
                                                       : std::max(rect.right, rect.left + std::max(s.widest, s.lineWidth));
                MenuRect area{rect.left, 0, right, 0};
                bodyHeight = DrawRichText(canvas, body, area, true) + 4;
            }
            break;
        }
    }
    if (segment < n) s.flush(text.substr(segment), Placement::AtLeft, 0);
    if (s.calc) {
        int32_t width = std::max(s.widest, s.lineWidth);
        int32_t height = (s.top - rect.top) + s.lineHeight + bodyHeight;
        rect = MenuRect{0, 0, std::max(width, rect.right), height};
    }
    return s.lastResult;
}

void MeasureItemText(TextCanvas& canvas, std::u16string_view text, int32_t font, MenuRect& rect,
                     uint32_t format, bool stopAtBody) {
    int32_t previous = canvas.selectFont(font);
    DrawItemText(text, canvas, rect, format | TextCalcRect, stopAtBody, true);
    canvas.selectFont(previous);
}

void MeasureItemText(std::u16string_view text, int32_t font, MenuRect& rect, uint32_t format,
                     bool stopAtBody) {
    MeasureItemText(MeasuringCanvas(), text, font, rect, format, stopAtBody);
}
