#include "store/picture_limit.h"

#include <mutex>

namespace {
std::mutex scalerLock;
PictureScaler scaler;

int32_t Proportional(int64_t side, int64_t other, int64_t limit) {
    int64_t value = side * limit / (other > 0 ? other : 1);
    return static_cast<int32_t>(value < 1 ? 1 : value);
}
}  // namespace

void SetPictureScaler(PictureScaler s) {
    std::lock_guard<std::mutex> hold(scalerLock);
    scaler = std::move(s);
}

PictureDimensions LimitedSize(int32_t width, int32_t height, int32_t limit) {
    if (width > limit) return {limit, Proportional(height, width, limit)};
    if (height > limit) return {Proportional(width, height, limit), limit};
    return {width, height};
}

namespace {
// A scaled copy, or nullptr when the picture fits or cannot be scaled.
PicturePtr ScaledCopy(const Picture& picture, int32_t limit) {
    PictureDimensions size = LimitedSize(picture.width(), picture.height(), limit);
    if (size.width == picture.width() && size.height == picture.height()) return nullptr;
    PictureScaler s;
    {
        std::lock_guard<std::mutex> hold(scalerLock);
        s = scaler;
    }
    return s ? s(picture, size.width, size.height) : nullptr;
}
}  // namespace

PicturePtr LimitPicture(PicturePtr picture, int32_t limit) {
    if (!picture) return picture;
    PicturePtr scaled = ScaledCopy(*picture, limit);
    return scaled ? std::move(scaled) : std::move(picture);
}

SharedPicture LimitPicture(const SharedPicture& picture, int32_t limit) {
    if (!picture) return picture;
    PicturePtr scaled = ScaledCopy(*picture, limit);
    return scaled ? SharedPicture(std::move(scaled)) : picture;
}
