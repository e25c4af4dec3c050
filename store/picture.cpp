#include "store/picture.h"

#include <mutex>

namespace {
std::mutex decoderLock;
PictureDecoder decoder;
}  // namespace

void SetPictureDecoder(PictureDecoder d) {
    std::lock_guard<std::mutex> hold(decoderLock);
    decoder = std::move(d);
}

PicturePtr DecodePicture(const std::string& bytes) {
    PictureDecoder d;
    {
        std::lock_guard<std::mutex> hold(decoderLock);
        d = decoder;
    }
    return d && !bytes.empty() ? d(bytes) : nullptr;
}
