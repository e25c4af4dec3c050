#include "ui/text_canvas.h"

#include <atomic>

constexpr int32_t FixedPitchCanvas::Widths[MenuFontCount];
constexpr int32_t FixedPitchCanvas::Heights[MenuFontCount];

namespace {
int32_t ValidFont(int32_t font) { return font >= 0 && font < MenuFontCount ? font : 0; }
}  // namespace

int32_t FixedPitchCanvas::selectFont(int32_t font) {
    int32_t previous = font_;
    if (font >= 0) font_ = ValidFont(font);
    return previous;
}

TextExtent FixedPitchCanvas::measureRun(std::u16string_view text, uint32_t format) {
    int32_t w = Widths[ValidFont(font_)];
    int32_t width = 0;
    for (char16_t c : text) {
        if (c == u'\t' && (format & TextExpandTabs)) {
            int32_t stop = TabStop * w;
            width = (width / stop + 1) * stop;
        } else {
            width += w;
        }
    }
    return {width, text.empty() ? 0 : Heights[ValidFont(font_)]};
}

TextExtent FixedPitchCanvas::chunkExtent(std::u16string_view text) {
    return {static_cast<int32_t>(text.size()) * Widths[ValidFont(font_)], Heights[ValidFont(font_)]};
}

namespace {
FixedPitchCanvas defaultCanvas;
std::atomic<TextCanvas*> measuringCanvas{nullptr};
}  // namespace

void SetMeasuringCanvas(TextCanvas* canvas) { measuringCanvas = canvas; }

TextCanvas& MeasuringCanvas() {
    TextCanvas* c = measuringCanvas.load();
    return c ? *c : defaultCanvas;
}
