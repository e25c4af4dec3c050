// Any bytes as the signature file beside a published program: no overrun, a signature
// is taken only in its one DER form, and a download is installed only when the
// verifier accepted exactly what was parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/log.h"
#include "net/http_transport.h"
#include "net/update.h"
#include "net/update_signature.h"

namespace {

const std::string Program = "MZ published program";

class Host : public HttpTransport {
public:
    std::string signatureFile;
    HttpResponse Send(const HttpRequest& request) override {
        if (request.path == u"/download/orv.ver") return HttpResponse{true, 200, std::string("\x1f\0\0\0", 4)};
        if (request.path == u"/download/Orv.exe") return HttpResponse{true, 200, Program};
        return HttpResponse{true, 200, signatureFile};
    }
};

// Accepts one signature only: r = 1, s = 2.
class Folder : public UpdatePlatform {
public:
    bool touched = false;
    bool VerifySignature(std::string_view data, const UpdateSignature& signature) override {
        if (data != Program) std::abort();
        UpdateSignature accepted{};
        accepted[31] = 1;
        accepted[63] = 2;
        return signature == accepted;
    }
    std::u16string ExecutableName() override { return u"Orv.exe"; }
    bool WriteWhole(const std::u16string&, std::string_view) override { return Touch(); }
    bool ReadWhole(const std::u16string&, std::string& bytes) override {
        bytes = Program;
        return Touch();
    }
    bool Rename(const std::u16string&, const std::u16string&) override { return Touch(); }
    bool Remove(const std::u16string&) override { return Touch(); }
    bool StartHidden(const std::u16string&) override { return Touch(); }
    void PostExitCommand() override {}

private:
    bool Touch() {
        touched = true;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    UpdateSignature signature{};
    if (ParseUpdateSignature(bytes, signature)) {
        if (EncodeUpdateSignature(signature) != bytes) std::abort();
    }

    static Host host;
    static Folder folder;
    SetHttpTransport(&host);
    SetUpdatePlatform(&folder);
    ResetUpdateStateForTesting();
    ClearLogForTesting();  // the log is never trimmed while a process runs
    host.signatureFile = bytes;
    folder.touched = false;
    const UpdateResult result = InstallUpdate();
    const bool accepted = bytes == std::string("\x30\x06\x02\x01\x01\x02\x01\x02", 8);
    if ((result == UpdateResult::Started) != accepted || folder.touched != accepted) std::abort();
    return 0;
}
