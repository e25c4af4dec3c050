// Pictures of profiles and attachments, decoded from the service's image bytes. The
// shell supplies the decoder (GDI+). Records share their pictures: one picture per
// address, released with the last record that shows it; everything else only points at
// them.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class Picture {
public:
    virtual ~Picture() = default;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
};

using PicturePtr = std::unique_ptr<Picture>;
using SharedPicture = std::shared_ptr<Picture>;

// Decodes PNG, JPEG or GIF bytes; nullptr when they are not a picture or no decoder is
// installed (unit tests install a fake).
using PictureDecoder = std::function<PicturePtr(const std::string& bytes)>;
void SetPictureDecoder(PictureDecoder decoder);
PicturePtr DecodePicture(const std::string& bytes);

// GET of a picture URL (following redirects), decoded; nullptr on any failure.
PicturePtr DownloadPicture(std::u16string_view url);
