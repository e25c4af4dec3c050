// Run at logon: the per-user Run value "Orv" holding the executable's path.
// The rules are here; the registry behind them is the shell's (net/win32).
#pragma once
#include <cstdint>
#include <string>

// 1 when the program is registered; bound to the preferences' check box. Not part
// of the settings file. UI thread only.
extern int32_t RunAtLogonState;

constexpr const char16_t* RunKeyPath = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char16_t* RunValueName = u"Orv";

// What the Run key holds under our value name.
struct RunValue {
    bool exists = false;
    bool isString = false;  // REG_SZ
};

// The Run key of the current user, opened for query and set.
class RunKey {
public:
    virtual ~RunKey() = default;
    // `create`: make the key when it is missing (only when a value is to be written).
    virtual bool Open(bool create) = 0;
    virtual RunValue Read() = 0;
    virtual void Delete() = 0;
    virtual void WriteString(const std::u16string& data) = 0;
    virtual void Close() = 0;
};

// query != 0: 1 when the value exists as a string, else 0.
// query == 0: makes the key match `enable` (the value is removed and, when enabled,
// written again with `executablePath`, so a moved program keeps a correct path);
// returns 1, or 0 when the key cannot be opened.
int32_t RunAtLogon(RunKey& key, int32_t enable, int32_t query, const std::u16string& executablePath);
