#include "base/whole_file.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

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

namespace {
// "<target>.tmp" + eight hex digits + "-" + a counter: the names WriteWholeFile uses.
bool IsTemporaryName(const std::string& name) {
    size_t at = name.rfind(".tmp");
    if (at == std::string::npos || at == 0) return false;
    size_t p = at + 4;
    for (size_t i = 0; i < 8; ++i, ++p)
        if (p >= name.size() || !std::isxdigit(static_cast<unsigned char>(name[p]))) return false;
    if (p >= name.size() || name[p] != '-') return false;
    if (++p >= name.size()) return false;
    for (; p < name.size(); ++p)
        if (!std::isdigit(static_cast<unsigned char>(name[p]))) return false;
    return true;
}
}  // namespace

size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder, std::chrono::seconds olderThan) {
    BusyScope busy;
    std::error_code error;
    const auto cutoff = std::filesystem::file_time_type::clock::now() - olderThan;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored) || !IsTemporaryName(it->path().filename().u8string())) continue;
        auto written = it->last_write_time(ignored);
        if (!ignored && written < cutoff) stale.push_back(it->path());
    }
    size_t removed = 0;
    for (const auto& path : stale) {
        std::error_code ignored;
        removed += std::filesystem::remove(path, ignored) ? 1 : 0;
    }
    return removed;
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
