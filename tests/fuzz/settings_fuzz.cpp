// Any bytes as a settings file image: the record takes at most 92 of them, and the
// table indexes it feeds stay in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/settings.h"
#include "base/text_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings s = DefaultSettings({1280, 1000, 0x0409});
    ApplySettingsBytes(s, data, size);
    if (EffectiveColourScheme(s) < 0 || EffectiveColourScheme(s) > 3) std::abort();
    if (!LookupTextIn(s.language, "MAINTITLE")) std::abort();
    auto bytes = SettingsToBytes(s);
    Settings back;
    ApplySettingsBytes(back, bytes.data(), bytes.size());
    if (SettingsToBytes(back) != bytes) std::abort();
    return 0;
}
