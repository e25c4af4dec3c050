#include "ui/colour_scheme.h"

#include <algorithm>
#include <cmath>

#include "base/settings.h"

const ColourScheme ColourSchemeTable[ColourSchemeCount] = {
    {2, 0xFFFFFF, 0xFFFFFF, 0xFFDFC6, 0xFFDFC6, 0, 0xFFFFFF, 0xFFDFC6, 0x9B7B62, 0xFFFFFF, 0xD6D1CF},
    {1, 0xFFFFFF, 0xE0DBD9, 0xF4E0CE, 0xB4846D, 0, 0xFFFFFF, 0xF7D5C0, 0xFFE9E6, 0xF0FFF0, 0xC4EAD6},
    {1, 0xFFFFFF, 0x78F7FF, 0xD7DCF8, 0x617AF8, 0, 0xFFFFFF, 0xFFDFC6, 0xFFDFC6, 0xFFFFFF, 0xF4EFED},
    {0, 0xFFFFFF, 0x78F7FF, 0xD7DCF8, 0x617AF8, 0, 0xFFFFFF, 0xFFDFC6, 0xFFDFC6, 0xFFFFFF, 0xF4EFED},
};

const ColourScheme& SchemeFor(int32_t setting) {
    return ColourSchemeTable[std::clamp(setting, 0, ColourSchemeCount - 1)];
}

const ColourScheme& CurrentColourScheme() { return SchemeFor(EffectiveColourScheme(AppSettings)); }

GradientPixels MakeGradientPixels(uint32_t from, int32_t width, int32_t height, uint32_t to, bool vertical) {
    GradientPixels image;
    if (width <= 0 || height <= 0) return image;
    image.width = static_cast<int32_t>((static_cast<int64_t>(width) + 31) / 32 * 32);
    image.height = height;
    image.bits.resize(static_cast<size_t>(image.width) * 3 * static_cast<size_t>(height));

    const float steps = static_cast<float>(vertical ? image.height : image.width);
    float value[3] = {static_cast<float>(ColourBlue(from)), static_cast<float>(ColourGreen(from)),
                      static_cast<float>(ColourRed(from))};
    const float step[3] = {
        (static_cast<float>(ColourBlue(to)) - value[0]) / steps,
        (static_cast<float>(ColourGreen(to)) - value[1]) / steps,
        (static_cast<float>(ColourRed(to)) - value[2]) / steps,
    };
    auto component = [](float v) {
        return static_cast<uint8_t>(std::clamp(static_cast<int32_t>(std::floor(v)), 0, 255));
    };
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    if (vertical) {
        for (int32_t row = 0; row < image.height; ++row) {
            uint8_t bgr[3] = {component(value[0]), component(value[1]), component(value[2])};
            uint8_t* out = &image.bits[rowBytes * static_cast<size_t>(row)];
            for (int32_t x = 0; x < image.width; ++x, out += 3) std::copy(bgr, bgr + 3, out);
            for (int k = 0; k < 3; ++k) value[k] += step[k];
        }
    } else {
        for (int32_t x = 0; x < image.width; ++x) {
            uint8_t bgr[3] = {component(value[0]), component(value[1]), component(value[2])};
            std::copy(bgr, bgr + 3, &image.bits[static_cast<size_t>(x) * 3]);
            for (int k = 0; k < 3; ++k) value[k] += step[k];
        }
        for (int32_t row = 1; row < image.height; ++row)
            std::copy(image.bits.begin(), image.bits.begin() + static_cast<std::ptrdiff_t>(rowBytes),
                      image.bits.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<size_t>(row)));
    }
    return image;
}

namespace {
double Luminance(uint32_t colour) {
    auto channel = [](uint32_t c) {
        double v = static_cast<double>(c) / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(ColourRed(colour)) + 0.7152 * channel(ColourGreen(colour)) +
           0.0722 * channel(ColourBlue(colour));
}
}  // namespace

double ContrastRatio(uint32_t a, uint32_t b) {
    double la = Luminance(a);
    double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t ReadableTextColour(uint32_t preferred, uint32_t fallback, uint32_t from, uint32_t to) {
    constexpr double Readable = 3.0;
    return ContrastRatio(preferred, from) >= Readable && ContrastRatio(preferred, to) >= Readable ? preferred : fallback;
}
