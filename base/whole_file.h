// Every file of the program is read and written whole through these two operations.
#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>

// 1 while either operation has a file open; shutdown waits for it before it stops
// the worker.
extern std::atomic<int> FileBusy;

// Reads the whole file into `bytes`; false (and `bytes` empty) when it cannot be opened.
bool ReadWholeFile(const std::u16string& name, std::string& bytes);

// Replaces the file with `length` bytes: written to a temporary file in the same folder,
// then renamed over the old one, so a crash never leaves half a file. Returns the bytes
// written, 0 on any failure (the old file then stays as it was).
size_t WriteWholeFile(const std::u16string& name, const void* data, size_t length);

// Removes from `folder` the temporary files of writes that a crash or a kill cut off
// (older than `olderThan`, so a write of another copy of the program still running is
// left alone). Returns how many went. Run once at start.
size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder,
                                 std::chrono::seconds olderThan = std::chrono::seconds(120));

std::filesystem::path FilePath(const std::u16string& name);
