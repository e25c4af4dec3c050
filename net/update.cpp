#include "net/update.h"

#include <atomic>
#include <optional>

#include "base/format_text.h"
#include "base/log.h"
#include "base/shell_port.h"
#include "base/text_table.h"
#include "net/http_transport.h"
#include "net/service_address.h"

namespace {

std::atomic<int32_t> cachedVersion{0};
std::atomic<bool> exiting{false};
std::atomic<UpdatePlatform*> installed{nullptr};

// Message box flags and answer, as the platform defines them.
constexpr uint32_t BoxYesNo = 0x4;
constexpr uint32_t BoxIconError = 0x10;
constexpr uint32_t BoxIconQuestion = 0x20;
constexpr uint32_t BoxTopMost = 0x40000;
constexpr int32_t AnswerYes = 6;

void Log(const char* key) { AppendLog(LookupText(key), LogNewAndUpdated); }

void Log(const char* key, std::initializer_list<FormatArg> args) {
    AppendLog(FormatText(LookupText(key), args), LogNewAndUpdated);
}

int32_t DownloadFlags(const ServiceEndpoint& at) { return HTTP_RELOAD | (at.secure ? HTTP_SECURE : 0); }

std::optional<std::string> FetchSmall(std::u16string_view path) {
    const ServiceEndpoint at = DownloadEndpoint();
    return SendHttpRequest(path, at.host, at.port, nullptr, u"GET", {}, DownloadFlags(at));
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// Puts the checked bytes in place of the running executable. Every step is checked;
// a failure undoes the steps before it, so the folder keeps a runnable program.
UpdateResult Swap(UpdatePlatform& platform, const std::string& program) {
    const std::u16string update = UpdateFileName;
    const std::u16string backup = BackupFileName;
    const std::u16string self = platform.ExecutableName();
    if (self.empty() || SameName(self, update) || SameName(self, backup)) {
        Log("UPDATESWAPFAILED");
        return UpdateResult::SwapFailed;
    }

    // Written and read back whole before the running program is touched.
    std::string written;
    if (!platform.WriteWhole(update, program)) {
        Log("UPDATEWRITEFAILED");
        return UpdateResult::WriteFailed;
    }
    if (!platform.ReadWhole(update, written) || written != program) {
        platform.Remove(update);
        Log("UPDATEWRITEFAILED");
        return UpdateResult::WriteFailed;
    }

    if (!platform.Rename(self, backup)) {
        platform.Remove(update);
        Log("UPDATESWAPFAILED");
        return UpdateResult::SwapFailed;
    }
    if (!platform.Rename(update, self)) {
        platform.Rename(backup, self);
        platform.Remove(update);
        Log("UPDATESWAPFAILED");
        return UpdateResult::SwapFailed;
    }
    if (!platform.StartHidden(self)) {
        // The previous program goes back over the new one, which never ran.
        platform.Rename(backup, self);
        Log("UPDATESTARTFAILED");
        return UpdateResult::StartFailed;
    }
    return UpdateResult::Started;
}

}  // namespace

void SetUpdatePlatform(UpdatePlatform* platform) { installed = platform; }

int32_t PublishedVersion() {
    const int32_t known = cachedVersion.load();
    if (known != 0) return known;
    std::optional<std::string> body = FetchSmall(VersionFilePath);
    if (!body || body->size() != 4) return 0;
    const auto* b = reinterpret_cast<const uint8_t*>(body->data());
    const uint32_t value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    cachedVersion = static_cast<int32_t>(value);
    return static_cast<int32_t>(value);
}

UpdateResult InstallUpdate() {
    Log("CHECKINGUPDATE");
    const int32_t version = PublishedVersion();
    if (version == ProgramVersion || version == 0) {
        Log("NONEWVERSION");
        return UpdateResult::NoNewVersion;
    }
    Shell().SetTrayTooltip(LookupText("DOWNLOADINGUPDATE"));
    const ServiceEndpoint at = DownloadEndpoint();
    HttpResponse download = DownloadWholeFile(ExecutablePath, at.host, at.port, DownloadFlags(at), UpdateDownloadLimit);
    Log("UPDATING");
    if (!download.ok) {
        Log("NONEWVERSION");
        return UpdateResult::NoNewVersion;
    }
    const std::string& program = download.body;
    if (download.cut) {
        Log("UPDATETOOLARGE", {static_cast<int64_t>(UpdateDownloadLimit)});
        return UpdateResult::TooLarge;
    }
    if (download.contentLength >= 0 && static_cast<uint64_t>(download.contentLength) != program.size()) {
        Log("UPDATEINCOMPLETE", {static_cast<int64_t>(program.size()), download.contentLength});
        return UpdateResult::Incomplete;
    }
    if (program.size() < 2 || program[0] != 'M' || program[1] != 'Z') {
        Log("UPDATENOTPROGRAM");
        return UpdateResult::NotProgram;
    }

    UpdateSignature signature;
    std::optional<std::string> der = FetchSmall(SignaturePath);
    if (!der || !ParseUpdateSignature(*der, signature)) {
        Log("UPDATENOSIGNATURE");
        return UpdateResult::NoSignature;
    }
    UpdatePlatform* platform = installed.load();
    if (platform == nullptr || !platform->VerifySignature(program, signature)) {
        Log("UPDATEBADSIGNATURE");
        return UpdateResult::BadSignature;
    }

    const UpdateResult result = Swap(*platform, program);
    if (result == UpdateResult::Started) exiting = true;
    return result;
}

int32_t DownloadUpdate() { return InstallUpdate() == UpdateResult::Started ? 1 : 0; }

int32_t OfferUpdate() {
    const int32_t version = PublishedVersion();
    if (version == ProgramVersion || version == 0) return 0;
    const std::u16string question = FormatText(LookupText("ISNEWVERSION"), {version}, 1023);
    const std::u16string caption = FormatText(u"Orv - Facebook interface - 1.0.%d", {ProgramVersion});
    const int32_t answer = Shell().ShowMessageBox(question, caption, BoxYesNo | BoxIconQuestion | BoxTopMost);
    if (answer == AnswerYes && DownloadUpdate() == 1) {
        if (UpdatePlatform* platform = installed.load()) platform->PostExitCommand();
        return 1;
    }
    Log("LOG_UPDATENEEDED");
    return 0;
}

bool UpdateStartIsNormal(bool startedByUpdate) {
    if (!startedByUpdate) return true;
    if (PublishedVersion() <= ProgramVersion) return false;
    Shell().ShowMessageBox(LookupText("MB_BADUPDATE"), u"Orv - Facebook interface", BoxIconError);
    Log("LOG_BADUPDATE");
    return true;
}

void FinishStartMadeByUpdate() {
    UpdatePlatform* platform = installed.load();
    if (platform == nullptr) return;
    // The previous program may still be ending; it is removed at a later update then.
    platform->Remove(BackupFileName);
    Log("UPDATEDONE", {ProgramVersion});
}

bool ExitingForUpdate() { return exiting.load(); }

void ResetUpdateStateForTesting() {
    cachedVersion = 0;
    exiting = false;
}
