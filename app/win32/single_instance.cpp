#include "app/win32/single_instance.h"

#include <cstdint>
#include <string>

namespace {
HANDLE folderMutex = nullptr;
UINT showRequest = 0;

struct Search {
    const wchar_t* windowClass;
    UINT message;
};

// A name for the folder: the mutex namespace takes no backslashes, and case does not
// tell two Windows paths apart.
std::wstring FolderTag() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    while (n > 0 && path[n - 1] != L'\\' && path[n - 1] != L'/') --n;
    uint64_t hash = 1469598103934665603ULL;
    for (DWORD i = 0; i < n; ++i) {
        wchar_t c = path[i] == L'/' ? L'\\' : path[i];
        CharLowerBuffW(&c, 1);
        hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ULL;
    }
    wchar_t tag[17] = {};
    for (int i = 15; i >= 0; --i, hash >>= 4) tag[i] = L"0123456789abcdef"[hash & 15];
    return tag;
}

// Every copy answers only its own folder's message, so a broadcast to the class is safe.
BOOL CALLBACK AskWindow(HWND window, LPARAM param) {
    const auto* search = reinterpret_cast<const Search*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (lstrcmpW(cls, search->windowClass) == 0 && !GetWindow(window, GW_OWNER))
        PostMessageW(window, search->message, 0, 0);
    return TRUE;
}
}  // namespace

bool ClaimProgramFolder(const wchar_t* windowClass, int showCommand, DWORD updateWait) {
    const std::wstring tag = FolderTag();
    showRequest = RegisterWindowMessageW((L"Orv.ShowMain." + tag).c_str());
    folderMutex = CreateMutexW(nullptr, TRUE, (L"Local\\Orv." + tag).c_str());
    if (!folderMutex) return true;  // no way to tell; better two copies than none
    if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
    if (showCommand == SW_HIDE) {
        // The update started us while the old copy is still ending.
        const DWORD got = WaitForSingleObject(folderMutex, updateWait);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) return true;
    }
    AllowSetForegroundWindow(ASFW_ANY);
    Search search{windowClass, showRequest};
    EnumWindows(AskWindow, reinterpret_cast<LPARAM>(&search));
    CloseHandle(folderMutex);
    folderMutex = nullptr;
    return false;
}

UINT ShowMainRequestMessage() { return showRequest; }
