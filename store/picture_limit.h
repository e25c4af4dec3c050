// Fitting a decoded picture into a square, through a scaler the shell installs (GDI+
// on Windows; tests install a fake).
#pragma once
#include <cstdint>
#include <functional>

#include "store/picture.h"

// Makes a new picture of exactly width x height from `source`; nullptr on failure.
using PictureScaler = std::function<PicturePtr(const Picture& source, int32_t width, int32_t height)>;
void SetPictureScaler(PictureScaler scaler);

struct PictureDimensions {
    int32_t width = 0;
    int32_t height = 0;
};

// A wider-than-limit picture is brought to the limit's width and a proportional
// height; otherwise a taller one to the limit's height and a proportional width.
PictureDimensions LimitedSize(int32_t width, int32_t height, int32_t limit);

// The same picture when it already fits (or no scaler is installed or scaling fails),
// else the scaled copy.
PicturePtr LimitPicture(PicturePtr picture, int32_t limit);
// The same for a picture others share: it stays as it is, a scaled copy is new.
SharedPicture LimitPicture(const SharedPicture& picture, int32_t limit);
