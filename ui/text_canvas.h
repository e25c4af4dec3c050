// The seam between the rich-text layout and a device: text metrics of the menu fonts
// and the few drawing calls the layout makes. The shell implements it over a GDI device
// context; tests and the benchmark use FixedPitchCanvas, a font of known widths.
#pragma once
#include <cstdint>
#include <string_view>

#include "ui/menu_model.h"

struct TextExtent {
    int32_t width = 0;
    int32_t height = 0;
};

class TextCanvas {
public:
    virtual ~TextCanvas() = default;
    // Selects a font of the menu font table (-1: none); returns the previous index.
    virtual int32_t selectFont(int32_t font) = 0;
    virtual int32_t currentFont() const = 0;
    // Size of one run in the current font, as DrawTextW with DT_CALCRECT and `format`.
    virtual TextExtent measureRun(std::u16string_view text, uint32_t format) = 0;
    // DrawTextW of one run into rect with `format`.
    virtual void drawRun(std::u16string_view text, const MenuRect& rect, uint32_t format) = 0;
    // GetTextExtentPoint32W in the current font, height plus the font's external leading.
    virtual TextExtent chunkExtent(std::u16string_view text) = 0;
    // TextOutW with the baseline at y.
    virtual void textOut(int32_t x, int32_t baseline, std::u16string_view text) = 0;
    // A one-pixel line (DrawLine) in a COLORREF.
    virtual void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) = 0;
};

// Every character of a font has the same width; text is one line high. Drawing calls
// do nothing. Widths and heights per font index are known, so layouts can be checked
// by hand.
class FixedPitchCanvas : public TextCanvas {
public:
    static constexpr int32_t Widths[MenuFontCount] = {6, 7, 9, 7, 6};
    static constexpr int32_t Heights[MenuFontCount] = {13, 15, 18, 13, 13};
    static constexpr int32_t TabStop = 8;  // characters

    int32_t selectFont(int32_t font) override;
    int32_t currentFont() const override { return font_; }
    TextExtent measureRun(std::u16string_view text, uint32_t format) override;
    void drawRun(std::u16string_view, const MenuRect&, uint32_t) override {}
    TextExtent chunkExtent(std::u16string_view text) override;
    void textOut(int32_t, int32_t, std::u16string_view) override {}
    void line(int32_t, int32_t, int32_t, int32_t, uint32_t) override {}

protected:
    int32_t font_ = 0;
};

// The canvas AddMenuItem measures with. The shell installs one over a memory device
// context compatible with the main window's; until then FixedPitchCanvas metrics apply.
void SetMeasuringCanvas(TextCanvas* canvas);  // nullptr restores the default
TextCanvas& MeasuringCanvas();
