// Self-update: the build published on the maker's download host, the question to the
// user, and an install that takes only a complete executable signed with our key and
// never leaves the program's folder without a runnable program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/update_signature.h"
#include "program_version.h"

constexpr int32_t ProgramVersion = ORV_PROGRAM_VERSION;

constexpr const char16_t* VersionFilePath = u"/download/orv.ver";
constexpr const char16_t* ExecutablePath = u"/download/Orv.exe";
constexpr const char16_t* SignaturePath = u"/download/Orv.exe.sig";
constexpr const char16_t* UpdateFileName = u"Orv.update";
constexpr const char16_t* BackupFileName = u"Orv.bak";
// Far above any build we ship, so that only a runaway answer is refused for its size.
constexpr size_t UpdateDownloadLimit = 64u * 1024 * 1024;

// What the update needs from the platform. File names are bare names in the program's
// folder (the current directory).
class UpdatePlatform {
public:
    virtual ~UpdatePlatform() = default;
    // SHA-256 of `data` checked against the public key built into the program.
    virtual bool VerifySignature(std::string_view data, const UpdateSignature& signature) = 0;
    // The running executable's file name ("Orv.exe").
    virtual std::u16string ExecutableName() = 0;
    // Creates or replaces the file with exactly `bytes`; on failure leaves no file of its
    // own making behind.
    virtual bool WriteWhole(const std::u16string& name, std::string_view bytes) = 0;
    virtual bool ReadWhole(const std::u16string& name, std::string& bytes) = 0;
    // Renames, replacing an existing `to`; the running executable can be renamed.
    virtual bool Rename(const std::u16string& from, const std::u16string& to) = 0;
    virtual bool Remove(const std::u16string& name) = 0;
    // Starts the program file with show command 0, the sign of a start made by the update.
    virtual bool StartHidden(const std::u16string& name) = 0;
    // Asks the main window to end the program (command 105).
    virtual void PostExitCommand() = 0;
};

// nullptr: no update can be installed (every attempt fails quietly).
void SetUpdatePlatform(UpdatePlatform* platform);

// The published build number, 0 when it cannot be read or the version file is not
// exactly 4 bytes long. A good value is kept for the life of the process; a bad one is
// read again next time.
int32_t PublishedVersion();

enum class UpdateResult {
    Started,       // installed and started: the caller ends the program
    NoNewVersion,  // nothing newer published, or the download failed
    TooLarge, Incomplete, NotProgram, NoSignature, BadSignature,  // nothing touched
    WriteFailed, SwapFailed, StartFailed,  // the folder is as it was
};

// Downloads, checks and installs the published build; the log says what happened.
UpdateResult InstallUpdate();
// 1 when the new executable was installed and started, else 0.
int32_t DownloadUpdate();
// Asks the user about a published build other than ours; 1 when the update was started
// and the exit command posted, else 0.
int32_t OfferUpdate();

// Start-up: true when this start counts as a normal one. A start made by the update
// while a newer build than ours is still published reports the failed update first.
bool UpdateStartIsNormal(bool startedByUpdate);
// A start made by the update, after its pause: the previous executable goes.
void FinishStartMadeByUpdate();

// Set once the new executable runs; the message loop stops routing keys to the browser.
bool ExitingForUpdate();

// Tests only: forget the cached version and the exit flag.
void ResetUpdateStateForTesting();
