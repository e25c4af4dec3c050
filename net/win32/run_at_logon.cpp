#include "net/win32/run_at_logon.h"

#include <windows.h>

#include <string>

#include "net/run_at_logon.h"

namespace {
const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

class RegistryRunKey final : public RunKey {
public:
    bool Open(bool create) override {
        const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, W(RunKeyPath), 0, access, &key_) == ERROR_SUCCESS) return true;
        key_ = nullptr;
        return create && RegCreateKeyExW(HKEY_CURRENT_USER, W(RunKeyPath), 0, nullptr, 0, access, nullptr, &key_,
                                         nullptr) == ERROR_SUCCESS;
    }
    RunValue Read() override {
        DWORD type = 0, size = 0;
        const LONG r = RegQueryValueExW(key_, W(RunValueName), nullptr, &type, nullptr, &size);
        RunValue v;
        v.exists = r == ERROR_SUCCESS || r == ERROR_MORE_DATA;
        v.isString = v.exists && type == REG_SZ;
        return v;
    }
    void Delete() override { RegDeleteValueW(key_, W(RunValueName)); }
    void WriteString(const std::u16string& data) override {
        RegSetValueExW(key_, W(RunValueName), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
    }
    void Close() override {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

std::u16string ExecutablePath() {
    wchar_t path[1025] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, 1024);
    return std::u16string(reinterpret_cast<const char16_t*>(path), n);
}
}  // namespace

int32_t RunAtLogon(int32_t enable, int32_t query) {
    RegistryRunKey key;
    return RunAtLogon(key, enable, query, ExecutablePath());
}
