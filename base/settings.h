// The settings record: 23 signed 32-bit integers stored byte for byte, little-endian,
// in "orv.cfg".
#pragma once
#include <array>
#include <cstdint>
#include <string>

struct Settings {
    int32_t reserved0 = 0;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    int32_t ColourScheme = 1;            // 0..3; 4 or more acts as 3
    int32_t windowLeft = 0;              // restored rectangle of the main window
    int32_t windowTop = 0;
    int32_t windowRight = 0;
    int32_t windowBottom = 0;
    int32_t translucency = 1;
    int32_t startTime = 0;
    int32_t openMainWindowAtStart = 1;
    int32_t notifyNewAndUpdated = 1;
    int32_t refreshInterval = 10;        // minutes
    int32_t widthMayChange = 1;
    int32_t commentsNewestFirst = 0;
    int32_t hideReadPostsAfter = 12;     // hours
    int32_t likesOnlyFromFriends = 1;
    int32_t hideNoticeAfter = 5;         // minutes
    int32_t language = 0;                // row of the text table
    int32_t notifyOnlyWithHiddenWindow = 0;
    int32_t commentsOnlyFromFriendsCopy = 0;
    int32_t counterDay = 0;              // local midnight of the last counter hit
    int32_t commentsOnlyFromFriends = 0;
};

constexpr size_t SettingsFileSize = 92;
constexpr const char16_t* SettingsFileName = u"orv.cfg";
static_assert(sizeof(Settings) == SettingsFileSize, "the record is the file image");

// The process-wide record.
extern Settings AppSettings;

// What the defaults depend on, passed in so tests can give them.
struct SettingsEnvironment {
    int32_t fullScreenWidth = 0;   // SM_CXFULLSCREEN
    int32_t fullScreenHeight = 0;  // SM_CYFULLSCREEN
    uint32_t userLcid = 0;         // GetUserDefaultLCID
};

Settings DefaultSettings(const SettingsEnvironment& env);

std::array<uint8_t, SettingsFileSize> SettingsToBytes(const Settings& settings);
// Copies the first min(size, 92) bytes over `settings`; the rest keeps its values.
void ApplySettingsBytes(Settings& settings, const uint8_t* data, size_t size);

// Durations a damaged file could make absurd (a refresh every second, never, or a
// "since" that overflows): negative or beyond a week of minutes or a year of hours,
// they take the default. 0 stays.
void CheckSettingsRanges(Settings& settings, const Settings& defaults);
// What the user typed is kept within the same ranges, so the next start reads it back.
void LimitSettingsRanges(Settings& settings);

// Fills AppSettings with the defaults, reads the file over them (durations checked) and
// marks the settings loaded. Returns false when the file could not be opened (first start: the caller
// opens the preferences dialog).
bool LoadSettings(const SettingsEnvironment& env, const std::u16string& fileName = SettingsFileName);

// Writes all 92 bytes; does nothing before LoadSettings. Returns whether it wrote.
bool SaveSettings(const std::u16string& fileName = SettingsFileName);
bool SettingsLoaded();
void ResetSettingsForTesting();

// Table indexes that a damaged file cannot push out of range.
int32_t EffectiveColourScheme(const Settings& settings);
int32_t EffectiveLanguage(const Settings& settings);
