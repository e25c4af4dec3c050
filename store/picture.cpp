#include "store/picture.h"

#include <mutex>

#include "net/service_calls.h"

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

PicturePtr DownloadPicture(std::u16string_view url) {
    std::optional<std::string> body = DownloadBytes(url);
    if (!body) return nullptr;
    return DecodePicture(*body);
}
