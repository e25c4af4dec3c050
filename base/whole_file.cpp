#include "base/whole_file.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include "base/format_text.h"

std::atomic<int> FileBusy{0};

namespace {
std::atomic<unsigned> tempCounter{0};

// Temporary names differ between threads by the counter and between processes (two
// copies of the program in one folder) by a number drawn once per process.
const std::string& ProcessTag() {
    static const std::string tag = [] {
        std::random_device random;
        char text[16];
        std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(random()));
        return std::string(text);
    }();
    return tag;
}

struct BusyScope {
    BusyScope() { FileBusy = 1; }
    ~BusyScope() { FileBusy = 0; }
};
}  // namespace

std::filesystem::path FilePath(const std::u16string& name) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(name.begin(), name.end()));
#else
    return std::filesystem::u8path(Utf16ToUtf8(name));
#endif
}

bool ReadWholeFile(const std::u16string& name, std::string& bytes) {
    bytes.clear();
    BusyScope busy;
    std::ifstream in(FilePath(name), std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    in.read(bytes.data(), size);
    bytes.resize(static_cast<size_t>(in.gcount()));
    return true;
}

size_t WriteWholeFile(const std::u16string& name, const void* data, size_t length) {
    BusyScope busy;
    std::filesystem::path target = FilePath(name);
    std::filesystem::path temp = target;
    temp += ".tmp" + ProcessTag() + "-" + std::to_string(tempCounter++);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return 0;
        if (length) out.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return 0;
        }
    }
    std::error_code error;
    std::filesystem::rename(temp, target, error);
    if (error) {
        std::filesystem::remove(temp, error);
        return 0;
    }
    return length;
}
