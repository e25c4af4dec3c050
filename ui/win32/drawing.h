// Shared GDI drawing operations of menus, side panel, banner and pop-up notice.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/colour_scheme.h"
#include "ui/menu_model.h"

// The font of the menu font table (created on first use, kept for the process). With a
// device context the font is selected into it and the previous font is returned.
HFONT GetFont(int32_t index, HDC dc = nullptr);
void CreateMenuFonts();
void DeleteMenuFonts();  // only at the very end of the process

// A new device-dependent bitmap with the gradient of MakeGradientPixels.
HBITMAP MakeGradient(COLORREF from, HDC dc, int32_t width, int32_t height, COLORREF to, bool vertical);

// Fills rect with a gradient (a solid fill when both colours are equal).
void PaintGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, bool vertical);

// Copies a bitmap to (x, y), scaled to maxWidth (and maxHeight) when wider, clipped to
// a rounded rectangle when asked. Returns the drawn height; 0 without a bitmap.
int32_t BlitBitmap(const RECT* clip, int32_t x, int32_t y, HDC dc, HBITMAP bitmap, DWORD rop,
                   int32_t maxWidth, int32_t maxHeight, bool rounded);

// A one-pixel solid line.
void DrawLine(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour);

// The text canvas over a device context.
#include "ui/text_canvas.h"
class GdiCanvas : public TextCanvas {
public:
    explicit GdiCanvas(HDC dc);
    ~GdiCanvas() override;
    int32_t selectFont(int32_t font) override;
    int32_t currentFont() const override { return font_; }
    TextExtent measureRun(std::u16string_view text, uint32_t format) override;
    void drawRun(std::u16string_view text, const MenuRect& rect, uint32_t format) override;
    TextExtent chunkExtent(std::u16string_view text) override;
    void textOut(int32_t x, int32_t baseline, std::u16string_view text) override;
    void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) override;
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ originalFont_ = nullptr;
    int32_t font_ = -1;
    int32_t leading_[MenuFontCount] = {-1, -1, -1, -1, -1};
};
