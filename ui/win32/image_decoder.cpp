#include "ui/win32/image_decoder.h"

#include <objidl.h>

#include <algorithm>
#include <cstring>
#include <memory>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "store/picture_limit.h"

constexpr int32_t PictureLimit = 128;

BitmapPicture::BitmapPicture(HBITMAP bitmap) : bitmap_(bitmap) {
    SIZE size = BitmapSize(bitmap);
    width_ = size.cx;
    height_ = size.cy;
}

BitmapPicture::~BitmapPicture() {
    if (bitmap_) DeleteObject(bitmap_);
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, std::abs(info.bmHeight)};
}

namespace {

// Draws the image over white, so transparent and partly transparent pixels come out
// as they would on a white page.
HBITMAP OnWhite(Gdiplus::Bitmap& image) {
    int32_t width = static_cast<int32_t>(image.GetWidth());
    int32_t height = static_cast<int32_t>(image.GetHeight());
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP result = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!result) {
        DeleteDC(target);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(target, result);
    RECT all{0, 0, width, height};
    FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    {
        Gdiplus::Graphics graphics(target);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.DrawImage(&image, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel);
    }
    SelectObject(target, old);
    DeleteDC(target);
    return result;
}

}  // namespace

HBITMAP DecodeImage(const void* bytes, size_t size) {
    if (!bytes || size == 0 || size > 0x7FFFFFFF) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
    if (!block) return nullptr;
    std::memcpy(reinterpret_cast<void*>(block), bytes, size);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        return nullptr;
    }
    HBITMAP result = nullptr;
    {
        std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromStream(stream));
        if (image && image->GetLastStatus() == Gdiplus::Ok) result = OnWhite(*image);
    }
    stream->Release();  // frees the block as well
    return result;
}

HBITMAP PictureBitmap(const Picture* picture) {
    auto* p = dynamic_cast<const BitmapPicture*>(picture);
    return p ? p->bitmap() : nullptr;
}

namespace {

HBITMAP ScaledCopy(HBITMAP source, int32_t width, int32_t height) {
    SIZE size = BitmapSize(source);
    if (!source || size.cx <= 0 || size.cy <= 0 || width <= 0 || height <= 0) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!copy) {
        DeleteDC(target);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(target, copy);
    HDC from = CreateCompatibleDC(target);
    HGDIOBJ oldFrom = SelectObject(from, source);
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, 0, 0, width, height, from, 0, 0, size.cx, size.cy, SRCCOPY);
    SelectObject(from, oldFrom);
    DeleteDC(from);
    SelectObject(target, old);
    DeleteDC(target);
    return copy;
}

}  // namespace

HBITMAP LimitPicture(HBITMAP bitmap) {
    SIZE size = BitmapSize(bitmap);
    if (size.cx <= PictureLimit && size.cy <= PictureLimit) return bitmap;
    PictureDimensions target = LimitedSize(size.cx, size.cy, PictureLimit);
    HBITMAP copy = ScaledCopy(bitmap, std::max(target.width, 1), std::max(target.height, 1));
    if (!copy) return bitmap;
    DeleteObject(bitmap);
    return copy;
}

void InstallImageDecoder() {
    SetPictureDecoder([](const std::string& bytes) -> PicturePtr {
        HBITMAP bitmap = DecodeImage(bytes.data(), bytes.size());
        if (!bitmap) return nullptr;
        return std::make_unique<BitmapPicture>(bitmap);
    });
    SetPictureScaler([](const Picture& source, int32_t width, int32_t height) -> PicturePtr {
        HBITMAP copy = ScaledCopy(PictureBitmap(&source), width, height);
        if (!copy) return nullptr;
        return std::make_unique<BitmapPicture>(copy);
    });
}

HBITMAP LoadMenuIcon(int32_t id) {
    if (id <= 0) return nullptr;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"MENUICONS");
    if (!resource) return nullptr;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;
    return DecodeImage(bytes, size);
}
