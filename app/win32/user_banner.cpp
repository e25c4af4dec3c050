#include "app/win32/user_banner.h"

#include <mutex>

#include "app/toolbar_layout.h"
#include "app/win32/main_window.h"
#include "store/data_store.h"
#include "ui/colour_scheme.h"
#include "ui/command_table.h"
#include "ui/content_menus.h"
#include "ui/record_lookup.h"
#include "ui/rich_text.h"
#include "ui/win32/drawing.h"
#include "ui/win32/image_decoder.h"

namespace {
constexpr int32_t PictureFrame = 40;
constexpr int32_t TextLeft = 48;

HBITMAP cached = nullptr;
int32_t cachedWidth = 0;
bool haveText = false;
UserBanner banner;

void BuildBitmap(HDC dc, int32_t width) {
    if (!haveText) {
        {
            std::lock_guard<std::mutex> hold(ProgramStore().mutex());
            banner = BuildUserBanner(ProgramStore());
        }
        haveText = banner.known;
        // Signed out nothing is counted, so the button goes too.
        SetToolbarButtonVisible(ActionNewPosts, banner.known && banner.showNewPosts);
    }
    cached = MakeGradient(GetSysColor(COLOR_BTNFACE), dc, width, BannerHeight, CurrentColourScheme().header1, true);
    if (!cached) return;
    cachedWidth = width;
    if (!banner.known) return;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = SelectObject(mem, cached);
    WithPicture(ProgramStore(), banner.picture, [&](const Picture* picture) {
        if (HBITMAP bitmap = PictureBitmap(picture))
            BlitBitmap(nullptr, 0, 4, mem, bitmap, SRCCOPY, PictureFrame, PictureFrame, true);
    });
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, GetSysColor(COLOR_BTNTEXT));
    {
        GdiCanvas canvas(mem);
        canvas.selectFont(FontHeading);
        MenuRect area{TextLeft, 0, width, BannerHeight};
        DrawItemText(banner.text, canvas, area, TextNoPrefix, false, false);
    }
    SelectObject(mem, oldBitmap);
    DeleteDC(mem);
}
}  // namespace

void PaintUserBanner(HDC dc, const RECT& bannerRect) {
    const int32_t width = bannerRect.right - bannerRect.left;
    if (width <= 0) return;
    if (cached && cachedWidth != width) DropUserBanner(false);
    if (!cached) BuildBitmap(dc, width);
    if (!cached) return;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, cached);
    BitBlt(dc, bannerRect.left, bannerRect.top, width, BannerHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void DropUserBanner(bool withText) {
    if (cached) DeleteObject(cached);
    cached = nullptr;
    cachedWidth = 0;
    if (withText) haveText = false;
}
