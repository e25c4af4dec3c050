#include "ui/win32/drawing.h"

#include <algorithm>

namespace {

struct FontSpec {
    const wchar_t* face;
    int height;
    int weight;
    bool italic;
};

const FontSpec FontTable[MenuFontCount] = {
    {L"Tahoma", 13, FW_DONTCARE, false}, {L"Arial", 15, FW_DONTCARE, false}, {L"Arial", 18, 700, false},
    {L"Tahoma", 13, 700, false},         {L"Tahoma", 13, FW_DONTCARE, true},
};

HFONT fonts[MenuFontCount];

}  // namespace

HFONT GetFont(int32_t index, HDC dc) {
    if (index < 0 || index >= MenuFontCount) return nullptr;
    if (!fonts[index]) {
        const FontSpec& f = FontTable[index];
        fonts[index] = CreateFontW(f.height, 0, 0, 0, f.weight, f.italic, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH,
                                   f.face);
    }
    if (dc) return static_cast<HFONT>(SelectObject(dc, fonts[index]));
    return fonts[index];
}

void CreateMenuFonts() {
    for (int32_t i = 0; i < MenuFontCount; ++i) GetFont(i);
}

void DeleteMenuFonts() {
    for (auto& f : fonts) {
        if (f) DeleteObject(f);
        f = nullptr;
    }
}

HBITMAP MakeGradient(COLORREF from, HDC dc, int32_t width, int32_t height, COLORREF to, bool vertical) {
    GradientPixels pixels = MakeGradientPixels(from, width, height, to, vertical);
    if (pixels.bits.empty()) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = pixels.height;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC target = dc ? dc : GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(target, &info.bmiHeader, CBM_INIT, pixels.bits.data(), &info, DIB_RGB_COLORS);
    if (!dc) ReleaseDC(nullptr, target);
    return bitmap;
}

void PaintGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, bool vertical) {
    int32_t width = rect.right - rect.left;
    int32_t height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    HBITMAP gradient = MakeGradient(from, dc, width, height, to, vertical);
    if (!gradient) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, gradient);
    BitBlt(dc, rect.left, rect.top, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(gradient);
}

int32_t BlitBitmap(const RECT* clip, int32_t x, int32_t y, HDC dc, HBITMAP bitmap, DWORD rop, int32_t maxWidth,
                   int32_t maxHeight, bool rounded) {
    if (!bitmap || !dc) return 0;
    x = std::max(x, 0);
    y = std::max(y, 0);
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof(info), &info)) return 0;
    int32_t sourceWidth = info.bmWidth;
    int32_t sourceHeight = std::abs(info.bmHeight);
    if (clip) {
        sourceWidth = std::min<int32_t>(sourceWidth, clip->right - clip->left);
        sourceHeight = std::min<int32_t>(sourceHeight, clip->bottom - clip->top);
    }
    if (sourceWidth <= 0 || sourceHeight <= 0) return 0;

    int32_t width = sourceWidth;
    int32_t height = sourceHeight;
    if (maxWidth > 0 && maxWidth < sourceWidth) {
        float factor = static_cast<float>(maxWidth) / static_cast<float>(sourceWidth);
        height = static_cast<int32_t>(factor * static_cast<float>(sourceHeight));
        width = maxWidth;
        if (maxHeight > 0 && maxHeight < height) {
            width = maxWidth * maxHeight / std::max(height, 1);
            height = maxHeight;
        }
    } else if (maxHeight > 0 && maxHeight < sourceHeight) {
        // Narrow enough but too tall: fit the height, keeping the proportions.
        width = sourceWidth * maxHeight / sourceHeight;
        height = maxHeight;
    }
    width = std::max(width, 1);
    height = std::max(height, 1);

    int saved = SaveDC(dc);
    if (rounded) {
        HRGN region = CreateRoundRectRgn(x, y, x + width + 1, y + height, 6, 6);
        // The region is in device units; the menu and panel contexts have no mapping.
        ExtSelectClipRgn(dc, region, RGN_AND);
        DeleteObject(region);
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    if (width != sourceWidth || height != sourceHeight) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, x, y, width, height, source, 0, 0, sourceWidth, sourceHeight, rop);
    } else {
        BitBlt(dc, x, y, width, height, source, 0, 0, rop);
    }
    SelectObject(source, old);
    DeleteDC(source);
    RestoreDC(dc, saved);
    return height;
}

void DrawLine(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    POINT points[2] = {{x1, y1}, {x2, y2}};
    Polyline(dc, points, 2);
    SetPixel(dc, x2, y2, colour);  // Polyline leaves out the end point
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

// ---- GdiCanvas ----

GdiCanvas::GdiCanvas(HDC dc) : dc_(dc) { originalFont_ = GetCurrentObject(dc, OBJ_FONT); }

GdiCanvas::~GdiCanvas() {
    if (originalFont_) SelectObject(dc_, originalFont_);
}

int32_t GdiCanvas::selectFont(int32_t font) {
    int32_t previous = font_;
    if (font >= 0 && font < MenuFontCount) {
        SelectObject(dc_, GetFont(font));
        font_ = font;
    } else if (originalFont_) {
        SelectObject(dc_, originalFont_);
        font_ = -1;
    }
    return previous;
}

TextExtent GdiCanvas::measureRun(std::u16string_view text, uint32_t format) {
    if (text.empty()) return {};
    RECT r{0, 0, 0, 0};
    UINT flags = DT_CALCRECT | (format & (DT_EXPANDTABS | DT_NOPREFIX));
    DrawTextW(dc_, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &r, flags);
    return {r.right - r.left, r.bottom - r.top};
}

void GdiCanvas::drawRun(std::u16string_view text, const MenuRect& rect, uint32_t format) {
    if (text.empty()) return;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc_, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &r,
              format & ~static_cast<uint32_t>(DT_CALCRECT));
}

TextExtent GdiCanvas::chunkExtent(std::u16string_view text) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc_, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &size);
    int32_t leading = 0;
    if (font_ >= 0) {
        if (leading_[font_] < 0) {
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc_, &metrics);
            leading_[font_] = metrics.tmExternalLeading;
        }
        leading = leading_[font_];
    }
    return {size.cx, size.cy + leading};
}

void GdiCanvas::textOut(int32_t x, int32_t baseline, std::u16string_view text) {
    UINT oldAlign = SetTextAlign(dc_, TA_BASELINE | TA_LEFT);
    TextOutW(dc_, x, baseline, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()));
    SetTextAlign(dc_, oldAlign);
}

void GdiCanvas::line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    DrawLine(dc_, x1, y1, x2, y2, colour);
}
