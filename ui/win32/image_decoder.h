// Image decoding with GDI+ and the program's MENUICONS images.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "store/picture.h"

// A decoded picture: a GDI bitmap owned by the picture.
class BitmapPicture : public Picture {
public:
    explicit BitmapPicture(HBITMAP bitmap);
    ~BitmapPicture() override;
    BitmapPicture(const BitmapPicture&) = delete;
    BitmapPicture& operator=(const BitmapPicture&) = delete;
    int32_t width() const override { return width_; }
    int32_t height() const override { return height_; }
    HBITMAP bitmap() const { return bitmap_; }

private:
    HBITMAP bitmap_;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// Decodes PNG, JPEG or GIF bytes into a white-backed bitmap (transparent areas come
// out white); nullptr when GDI+ cannot read them. Needs GdiplusStartup.
HBITMAP DecodeImage(const void* bytes, size_t size);

// Registers DecodeImage (limited to 128 x 128) as the program's picture decoder.
void InstallImageDecoder();

// The bitmap of a picture made by the installed decoder, or nullptr.
HBITMAP PictureBitmap(const Picture* picture);

// A new bitmap of the MENUICONS resource `id`, or nullptr.
HBITMAP LoadMenuIcon(int32_t id);

// A bitmap no larger than 128 x 128: the same one when it fits, else a scaled copy
// (the old one is deleted).
HBITMAP LimitPicture(HBITMAP bitmap);

// Width and height of a bitmap (0, 0 for none).
SIZE BitmapSize(HBITMAP bitmap);
