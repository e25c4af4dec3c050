#include "base/settings.h"

#include <cstring>

#include "base/text_table.h"
#include "base/whole_file.h"

Settings AppSettings;

namespace {
bool loaded = false;
}

Settings DefaultSettings(const SettingsEnvironment& env) {
    Settings s;
    s.windowLeft = env.fullScreenWidth / 2 - 520;
    s.windowTop = env.fullScreenHeight / 2 - 300;
    s.windowRight = s.windowLeft + 1040;
    s.windowBottom = s.windowTop + 600;
    s.language = LanguageFromLcid(env.userLcid, 0);
    return s;
}

std::array<uint8_t, SettingsFileSize> SettingsToBytes(const Settings& settings) {
    std::array<uint8_t, SettingsFileSize> bytes{};
    const int32_t* fields = &settings.reserved0;
    for (size_t i = 0; i < SettingsFileSize / 4; ++i) {
        uint32_t v = static_cast<uint32_t>(fields[i]);
        for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
    }
    return bytes;
}

void ApplySettingsBytes(Settings& settings, const uint8_t* data, size_t size) {
    auto bytes = SettingsToBytes(settings);
    if (size > SettingsFileSize) size = SettingsFileSize;
    if (size > 0) std::memcpy(bytes.data(), data, size);
    int32_t* fields = &settings.reserved0;
    for (size_t i = 0; i < SettingsFileSize / 4; ++i) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
        fields[i] = static_cast<int32_t>(v);
    }
}

namespace {
constexpr int32_t WeekOfMinutes = 7 * 24 * 60;
constexpr int32_t YearOfHours = 366 * 24;

// Calls visit(field, most, default) for each duration the file holds.
template <typename Visit>
void ForEachDuration(Settings& settings, const Settings& defaults, Visit visit) {
    visit(settings.refreshInterval, WeekOfMinutes, defaults.refreshInterval);
    visit(settings.hideNoticeAfter, WeekOfMinutes, defaults.hideNoticeAfter);
    visit(settings.hideReadPostsAfter, YearOfHours, defaults.hideReadPostsAfter);
}
}  // namespace

void CheckSettingsRanges(Settings& settings, const Settings& defaults) {
    ForEachDuration(settings, defaults, [](int32_t& value, int32_t most, int32_t fallback) {
        if (value < 0 || value > most) value = fallback;
    });
}

void LimitSettingsRanges(Settings& settings) {
    ForEachDuration(settings, settings, [](int32_t& value, int32_t most, int32_t) {
        if (value < 0) value = 0;
        if (value > most) value = most;
    });
}

bool LoadSettings(const SettingsEnvironment& env, const std::u16string& fileName) {
    const Settings defaults = DefaultSettings(env);
    AppSettings = defaults;
    std::string bytes;
    bool read = ReadWholeFile(fileName, bytes);
    loaded = true;
    if (read) ApplySettingsBytes(AppSettings, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    CheckSettingsRanges(AppSettings, defaults);
    return read;
}

bool SaveSettings(const std::u16string& fileName) {
    if (!loaded) return false;
    auto bytes = SettingsToBytes(AppSettings);
    return WriteWholeFile(fileName, bytes.data(), bytes.size()) == SettingsFileSize;
}

bool SettingsLoaded() { return loaded; }

void ResetSettingsForTesting() {
    loaded = false;
    AppSettings = Settings();
}

int32_t EffectiveColourScheme(const Settings& settings) {
    if (settings.ColourScheme < 0) return 0;
    return settings.ColourScheme > 3 ? 3 : settings.ColourScheme;
}

int32_t EffectiveLanguage(const Settings& settings) {
    return settings.language >= 0 && settings.language < LanguageCount ? settings.language : 0;
}
