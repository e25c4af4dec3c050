#include "net/win32/update_platform.h"

#include <bcrypt.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "net/update.h"

namespace {

// X and Y of the P-256 key that published builds are signed with.
constexpr unsigned char PublicKeyPoint[64] = {
#include "update_public_key.inc"
};

const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

bool Succeeded(NTSTATUS status) { return status >= 0; }

// SHA-256 with the calls every CNG version has (BCryptHash is Windows 10 only).
bool Sha256(std::string_view data, unsigned char (&digest)[32]) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return false;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = Succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    // BCryptHashData takes at most 4 GB per call; the download is far below that.
    ok = ok && Succeeded(BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data())),
                                        static_cast<ULONG>(data.size()), 0));
    ok = ok && Succeeded(BCryptFinishHash(hash, digest, sizeof digest, 0));
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}

bool VerifyP256(std::string_view data, const UpdateSignature& signature) {
    unsigned char digest[32];
    if (!Sha256(data, digest)) return false;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) return false;
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + sizeof PublicKeyPoint];
    BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob, &header, sizeof header);
    std::memcpy(blob + sizeof header, PublicKeyPoint, sizeof PublicKeyPoint);
    BCRYPT_KEY_HANDLE key = nullptr;
    bool ok = Succeeded(BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob, sizeof blob, 0));
    ok = ok && BCryptVerifySignature(key, nullptr, digest, sizeof digest,
                                     const_cast<PUCHAR>(signature.data()), static_cast<ULONG>(signature.size()),
                                     0) == 0;
    if (key) BCryptDestroyKey(key);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}

std::wstring ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) return std::wstring(path.data(), n);
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

class WindowsUpdatePlatform final : public UpdatePlatform {
public:
    HWND mainWindow = nullptr;

    bool VerifySignature(std::string_view data, const UpdateSignature& signature) override {
        return VerifyP256(data, signature);
    }

    std::u16string ExecutableName() override {
        std::wstring path = ModulePath();
        size_t slash = path.find_last_of(L"\\/");
        std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
        return std::u16string(name.begin(), name.end());
    }

    bool WriteWhole(const std::u16string& name, std::string_view bytes) override {
        HANDLE file = CreateFileW(W(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;  // nothing of ours to remove
        bool ok = true;
        size_t done = 0;
        while (ok && done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD wrote = 0;
            ok = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
            done += wrote;
        }
        ok = ok && FlushFileBuffers(file);
        ok = CloseHandle(file) && ok;
        if (!ok) DeleteFileW(W(name));
        return ok;
    }

    bool ReadWhole(const std::u16string& name, std::string& bytes) override {
        bytes.clear();
        HANDLE file = CreateFileW(W(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        LARGE_INTEGER size = {};
        bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
                  static_cast<unsigned long long>(size.QuadPart) <= UpdateDownloadLimit;
        if (ok) bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            DWORD got = 0;
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            ok = ReadFile(file, &bytes[done], chunk, &got, nullptr) && got > 0;
            done += got;
        }
        CloseHandle(file);
        return ok;
    }

    bool Rename(const std::u16string& from, const std::u16string& to) override {
        return MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING) != 0;
    }

    bool Remove(const std::u16string& name) override { return DeleteFileW(W(name)) != 0; }

    bool StartHidden(const std::u16string& name) override {
        // The full path beside this program: the folder is the current directory.
        wchar_t full[MAX_PATH * 4] = {};
        DWORD n = GetFullPathNameW(W(name), MAX_PATH * 4, full, nullptr);
        if (n == 0 || n >= MAX_PATH * 4) return false;
        HINSTANCE started = ShellExecuteW(nullptr, nullptr, full, nullptr, nullptr, SW_HIDE);
        return reinterpret_cast<INT_PTR>(started) > 32;
    }

    void PostExitCommand() override { PostMessageW(mainWindow, WM_COMMAND, 105, 0); }
};

WindowsUpdatePlatform platform;

}  // namespace

void InstallUpdatePlatform(HWND mainWindow) {
    platform.mainWindow = mainWindow;
    SetUpdatePlatform(&platform);
}
