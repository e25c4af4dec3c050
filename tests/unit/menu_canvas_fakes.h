// A text canvas of known widths that records what the layout draws.
#pragma once
#include <string>
#include <vector>

#include "ui/text_canvas.h"

struct DrawnText {
    int32_t x;
    int32_t y;
    std::u16string text;
    int32_t font;
};

class RecordingCanvas : public FixedPitchCanvas {
public:
    std::vector<DrawnText> outs;      // textOut: y is the baseline
    std::vector<DrawnText> runs;      // drawRun: x, y are the rectangle's left and top
    std::vector<uint32_t> formats;    // format of every measured run
    std::vector<MenuRect> lines;

    TextExtent measureRun(std::u16string_view text, uint32_t format) override {
        formats.push_back(format);
        return FixedPitchCanvas::measureRun(text, format);
    }
    void drawRun(std::u16string_view text, const MenuRect& rect, uint32_t) override {
        runs.push_back({rect.left, rect.top, std::u16string(text), font_});
    }
    void textOut(int32_t x, int32_t baseline, std::u16string_view text) override {
        outs.push_back({x, baseline, std::u16string(text), font_});
    }
    void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t) override {
        lines.push_back({x1, y1, x2, y2});
    }
};
