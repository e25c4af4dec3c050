// The self-update's decisions: the version file and its cache, what counts as new, the
// checks a download must pass, and a swap that keeps a runnable program in the folder
// whichever step fails.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/format_text.h"
#include "base/log.h"
#include "base/text_table.h"
#include "net/update.h"
#include "net_fakes.h"

namespace {

std::string FromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string VersionBytes(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    return std::string{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                       static_cast<char>((u >> 16) & 0xFF), static_cast<char>(u >> 24)};
}

// Two signatures that openssl made: r and s both with a sign byte, and neither.
const std::string PaddedDer = FromHex(
    "3046022100dedcf1cb65482a6b02b1b1e66c4da99e97dba89dbf706cfaad0f22c857fab30b022100ebe945a86d2f30c0df0bb0bd2771"
    "2d554a3cf24fe14cc55f5ca06f751e1357ca");
const std::string PlainDer = FromHex(
    "30440220623b1185279adb3757327f9c3c74742acc633f333bb7fc1fac4d56a7bc8981420220171a2eb06d943dae56fa7ab2750ea3d8"
    "ae060a57867f6aface60f6066fae6922");

const std::string OldProgram = "MZ old program";
const std::string NewProgram = std::string("MZ") + std::string(3000, 'n') + "new program";

// The program's folder as a map, with one operation made to fail on request. After every
// operation it checks that the executable's name never holds anything but a whole program.
class FakeFolder : public UpdatePlatform {
public:
    std::map<std::u16string, std::string> files;
    std::u16string self = u"Orv.exe";
    std::vector<std::string> ops;
    int failAt = -1;            // index into ops of the operation that fails
    bool readBackDiffers = false;
    bool signatureGood = true;
    std::string verifiedData;
    UpdateSignature verifiedSignature{};
    std::vector<std::u16string> started;
    int exitPosts = 0;
    bool neverBroken = true;

    FakeFolder() { SetUpdatePlatform(this); }
    ~FakeFolder() override { SetUpdatePlatform(nullptr); }

    bool VerifySignature(std::string_view data, const UpdateSignature& signature) override {
        verifiedData.assign(data);
        verifiedSignature = signature;
        return signatureGood;
    }
    std::u16string ExecutableName() override { return self; }
    bool WriteWhole(const std::u16string& name, std::string_view bytes) override {
        return Step("write", [&] { files[name] = std::string(bytes); });
    }
    bool ReadWhole(const std::u16string& name, std::string& bytes) override {
        return Step("read", [&] {
            bytes = files.count(name) ? files[name] : std::string();
            if (readBackDiffers) bytes.back() ^= 1;
        });
    }
    bool Rename(const std::u16string& from, const std::u16string& to) override {
        if (!files.count(from)) {
            Step("rename", nullptr);
            return false;
        }
        return Step("rename", [&] {
            files[to] = files[from];
            files.erase(from);
        });
    }
    bool Remove(const std::u16string& name) override {
        return Step("remove", [&] { files.erase(name); });
    }
    bool StartHidden(const std::u16string& name) override {
        return Step("start", [&] { started.push_back(name); });
    }
    void PostExitCommand() override { ++exitPosts; }

private:
    bool Step(const char* name, const std::function<void()>& effect) {
        const bool fail = static_cast<int>(ops.size()) == failAt;
        ops.push_back(name);
        if (!fail && effect) effect();
        auto program = files.find(self);
        if (program != files.end() && program->second != OldProgram && program->second != NewProgram)
            neverBroken = false;
        return !fail;
    }
};

class AnsweringShell : public RecordingShell {
public:
    int32_t answer = 7;  // No
    struct Box {
        std::u16string text, caption;
        uint32_t flags;
    };
    std::vector<Box> boxes;
    std::vector<std::u16string> tooltips;
    int32_t ShowMessageBox(std::u16string_view text, std::u16string_view caption, uint32_t flags) override {
        boxes.push_back({std::u16string(text), std::u16string(caption), flags});
        return answer;
    }
    void SetTrayTooltip(std::u16string_view text) override { tooltips.emplace_back(text); }
};

class Update : public ::testing::Test {
public:  // the bad-download cases reach in through a reference
    RecordingTransport net;
    AnsweringShell shell;
    FakeFolder folder;

    void SetUp() override {
        ResetUpdateStateForTesting();
        ClearLogForTesting();
        folder.files[u"Orv.exe"] = OldProgram;
        folder.files[u"orv.cfg"] = "settings";
    }

    // Version file, executable (announcing its own length) and signature.
    void Publish(int32_t version, const std::string& program = NewProgram, const std::string& der = PaddedDer) {
        net.Answer(VersionBytes(version));
        AnswerProgram(program);
        net.Answer(der);
    }
    void AnswerProgram(const std::string& program, int64_t announced = -2, bool cut = false) {
        HttpResponse r{true, 200, program};
        r.contentLength = announced == -2 ? static_cast<int64_t>(program.size()) : announced;
        r.cut = cut;
        net.answers.push_back(r);
    }

    std::vector<std::u16string> Log() {
        std::vector<std::u16string> lines;
        for (const LogEntry& e : LogEntries(LogNewAndUpdated)) lines.push_back(e.text.substr(e.text.find(u" - ") + 3));
        return lines;
    }
    bool Logged(const char* key) {
        const std::u16string text = LookupText(key);
        for (const std::u16string& line : Log())
            if (line.compare(0, text.find(u'%'), text, 0, text.find(u'%')) == 0) return true;
        return false;
    }
};

TEST_F(Update, VersionFileIsFourLittleEndianBytesCachedOnlyWhenGood) {
    net.Answer(VersionBytes(ProgramVersion) + "x");  // five bytes: no version, not cached
    net.Fail();
    net.Answer(VersionBytes(0x01020304));
    EXPECT_EQ(PublishedVersion(), 0);
    EXPECT_EQ(PublishedVersion(), 0);
    EXPECT_EQ(PublishedVersion(), 0x01020304);
    EXPECT_EQ(PublishedVersion(), 0x01020304);
    ASSERT_EQ(net.requests.size(), 3u);  // the good value is not fetched again
    EXPECT_EQ(net.requests[0].path, u"/download/orv.ver");
    EXPECT_EQ(net.requests[0].flags, HTTP_RELOAD);
    EXPECT_EQ(net.requests[0].verb, u"GET");
}

TEST_F(Update, OnlyTheOwnBuildOrNoVersionOffersNothing) {
    net.Answer(VersionBytes(ProgramVersion));
    EXPECT_EQ(OfferUpdate(), 0);
    EXPECT_TRUE(shell.boxes.empty());

    // Lower builds and odd values count as new; "No" logs that the update is needed.
    for (int32_t version : {ProgramVersion - 1, -1}) {
        ResetUpdateStateForTesting();
        shell.boxes.clear();
        net.Answer(VersionBytes(version));
        EXPECT_EQ(OfferUpdate(), 0);
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_EQ(shell.boxes[0].text, FormatText(LookupText("ISNEWVERSION"), {version}));
        EXPECT_EQ(shell.boxes[0].caption, u"Orv - Facebook interface - 1.0." + AsciiToUtf16(std::to_string(ProgramVersion)));
        EXPECT_EQ(shell.boxes[0].flags, 0x4u | 0x20u | 0x40000u);
    }
    EXPECT_EQ(net.requests.size(), 3u);  // no download after "No"
    EXPECT_TRUE(Logged("LOG_UPDATENEEDED"));
    EXPECT_EQ(folder.ops.size(), 0u);
}

TEST_F(Update, AcceptedSignedBuildReplacesTheProgramAndStartsItHidden) {
    Publish(ProgramVersion + 1);
    shell.answer = 6;
    EXPECT_EQ(OfferUpdate(), 1);

    ASSERT_EQ(net.requests.size(), 3u);
    EXPECT_EQ(net.requests[1].path, u"/download/Orv.exe");
    EXPECT_EQ(net.requests[1].limit, UpdateDownloadLimit);
    EXPECT_EQ(net.requests[2].path, u"/download/Orv.exe.sig");
    EXPECT_EQ(folder.verifiedData, NewProgram);
    UpdateSignature expected;
    ASSERT_TRUE(ParseUpdateSignature(PaddedDer, expected));
    EXPECT_EQ(folder.verifiedSignature, expected);

    EXPECT_EQ(folder.ops, (std::vector<std::string>{"write", "read", "rename", "rename", "start"}));
    EXPECT_EQ(folder.files, (std::map<std::u16string, std::string>{
                                {u"Orv.exe", NewProgram}, {u"Orv.bak", OldProgram}, {u"orv.cfg", "settings"}}));
    EXPECT_EQ(folder.started, std::vector<std::u16string>{u"Orv.exe"});
    EXPECT_TRUE(folder.neverBroken);
    EXPECT_EQ(folder.exitPosts, 1);
    EXPECT_TRUE(ExitingForUpdate());
    EXPECT_EQ(shell.tooltips, std::vector<std::u16string>{LookupText("DOWNLOADINGUPDATE")});
    EXPECT_TRUE(Logged("CHECKINGUPDATE"));
    EXPECT_TRUE(Logged("UPDATING"));
    EXPECT_FALSE(Logged("LOG_UPDATENEEDED"));
}

TEST_F(Update, RenamedProgramIsReplacedUnderItsOwnName) {
    folder.files.erase(u"Orv.exe");
    folder.self = u"Orv (2).exe";
    folder.files[folder.self] = OldProgram;
    Publish(ProgramVersion + 1);
    EXPECT_EQ(InstallUpdate(), UpdateResult::Started);
    EXPECT_EQ(folder.files[u"Orv (2).exe"], NewProgram);
    EXPECT_EQ(folder.started, std::vector<std::u16string>{u"Orv (2).exe"});
    EXPECT_FALSE(folder.files.count(u"Orv.exe"));
}

TEST_F(Update, BadDownloadsTouchNothingAndSayWhy) {
    struct Case {
        const char* name;
        std::function<void(Update&)> serve;
        UpdateResult result;
        const char* logKey;
    };
    const std::string html = "<html><body>Not found</body></html>";
    const std::vector<Case> cases = {
        {"download failed", [](Update& t) { t.net.Fail(); }, UpdateResult::NoNewVersion, "NONEWVERSION"},
        {"connection dropped", [](Update& t) { t.AnswerProgram(NewProgram.substr(0, 1000), NewProgram.size()); },
         UpdateResult::Incomplete, "UPDATEINCOMPLETE"},
        {"longer than announced", [](Update& t) { t.AnswerProgram(NewProgram, 10); }, UpdateResult::Incomplete,
         "UPDATEINCOMPLETE"},
        {"beyond the ceiling", [](Update& t) { t.AnswerProgram(NewProgram, -1, true); }, UpdateResult::TooLarge,
         "UPDATETOOLARGE"},
        {"error page", [html](Update& t) { t.AnswerProgram(html); }, UpdateResult::NotProgram, "UPDATENOTPROGRAM"},
        {"unsigned",
         [](Update& t) {
             t.AnswerProgram(NewProgram);
             t.net.Fail();
         },
         UpdateResult::NoSignature, "UPDATENOSIGNATURE"},
        {"signature file is a page",
         [html](Update& t) {
             t.AnswerProgram(NewProgram);
             t.net.Answer(html);
         },
         UpdateResult::NoSignature, "UPDATENOSIGNATURE"},
        {"wrongly signed",
         [](Update& t) {
             t.AnswerProgram(NewProgram);
             t.net.Answer(PlainDer);
             t.folder.signatureGood = false;
         },
         UpdateResult::BadSignature, "UPDATEBADSIGNATURE"},
        // Without a length, a cut program is caught by its signature.
        {"cut without a length",
         [](Update& t) {
             t.AnswerProgram(NewProgram.substr(0, 100), -1);
             t.net.Answer(PaddedDer);
             t.folder.signatureGood = false;
         },
         UpdateResult::BadSignature, "UPDATEBADSIGNATURE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetUpdateStateForTesting();
        ClearLogForTesting();
        folder.signatureGood = true;
        net.answers.clear();
        const auto before = folder.files;
        net.Answer(VersionBytes(ProgramVersion + 1));
        c.serve(*this);
        shell.answer = 6;
        EXPECT_EQ(InstallUpdate(), c.result);
        EXPECT_EQ(folder.files, before);
        EXPECT_TRUE(folder.ops.empty());
        EXPECT_TRUE(Logged(c.logKey));
        EXPECT_FALSE(ExitingForUpdate());
    }
    // The user's command then gets a plain "no": the caller shows its balloon.
    net.answers.clear();
    AnswerProgram(NewProgram);
    net.Fail();
    EXPECT_EQ(OfferUpdate(), 0);
    EXPECT_EQ(folder.exitPosts, 0);
}

TEST_F(Update, EachFailingStepLeavesTheFolderAsItWas) {
    const auto before = folder.files;
    // write, read, rename away, rename into place, start.
    for (int step = 0; step < 5; ++step) {
        SCOPED_TRACE(step);
        ResetUpdateStateForTesting();
        folder.ops.clear();
        folder.started.clear();
        folder.failAt = step;
        Publish(ProgramVersion + 1);
        EXPECT_NE(InstallUpdate(), UpdateResult::Started);
        EXPECT_EQ(folder.files, before);
        EXPECT_TRUE(folder.neverBroken);
        EXPECT_FALSE(ExitingForUpdate());
        EXPECT_TRUE(folder.started.empty() || step == 4);
    }
    EXPECT_TRUE(Logged("UPDATEWRITEFAILED"));
    EXPECT_TRUE(Logged("UPDATESWAPFAILED"));
    EXPECT_TRUE(Logged("UPDATESTARTFAILED"));

    // A file that reads back otherwise than written is not installed either.
    ResetUpdateStateForTesting();
    folder.failAt = -1;
    folder.readBackDiffers = true;
    Publish(ProgramVersion + 1);
    EXPECT_EQ(InstallUpdate(), UpdateResult::WriteFailed);
    EXPECT_EQ(folder.files, before);
}

TEST_F(Update, StartMadeByTheUpdate) {
    // A normal start asks nothing here.
    EXPECT_TRUE(UpdateStartIsNormal(false));
    EXPECT_TRUE(net.requests.empty());

    // The published build is ours (or unreadable): a good update start, no message.
    net.Answer(VersionBytes(ProgramVersion));
    EXPECT_FALSE(UpdateStartIsNormal(true));
    ResetUpdateStateForTesting();
    net.Fail();
    EXPECT_FALSE(UpdateStartIsNormal(true));
    EXPECT_TRUE(shell.boxes.empty());

    folder.files[u"Orv.bak"] = OldProgram;
    FinishStartMadeByUpdate();
    EXPECT_FALSE(folder.files.count(u"Orv.bak"));
    EXPECT_TRUE(Logged("UPDATEDONE"));

    // Still a newer build out there: the update did not take; treat it as a normal start.
    ResetUpdateStateForTesting();
    net.Answer(VersionBytes(ProgramVersion + 1));
    EXPECT_TRUE(UpdateStartIsNormal(true));
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, LookupText("MB_BADUPDATE"));
    EXPECT_EQ(shell.boxes[0].caption, u"Orv - Facebook interface");
    EXPECT_EQ(shell.boxes[0].flags, 0x10u);
    EXPECT_TRUE(Logged("LOG_BADUPDATE"));
}

TEST(UpdateSignatureFile, ReadsTheDerThatOpensslWrites) {
    for (const std::string& der : {PaddedDer, PlainDer}) {
        UpdateSignature sig{};
        ASSERT_TRUE(ParseUpdateSignature(der, sig));
        EXPECT_EQ(EncodeUpdateSignature(sig), der);
    }
    UpdateSignature sig{};
    ASSERT_TRUE(ParseUpdateSignature(PlainDer, sig));
    EXPECT_EQ(sig[0], 0x62);
    EXPECT_EQ(sig[31], 0x42);
    EXPECT_EQ(sig[32], 0x17);
    EXPECT_EQ(sig[63], 0x22);

    // Short integers are right-aligned.
    UpdateSignature small{};
    small[31] = 5;
    small[63] = 0x80;
    const std::string der = EncodeUpdateSignature(small);
    EXPECT_EQ(der, FromHex("3007020105020200" "80"));
    UpdateSignature back{};
    ASSERT_TRUE(ParseUpdateSignature(der, back));
    EXPECT_EQ(back, small);
}

TEST(UpdateSignatureFile, RefusesEverythingButStrictDer) {
    const std::vector<std::string> bad = {
        "",
        PaddedDer + "\n",                          // trailing byte
        PaddedDer.substr(0, PaddedDer.size() - 1),  // cut
        FromHex("3081") + PaddedDer.substr(1),      // long-form length
        FromHex("3007020105020200"),                // s's length runs past the end
        FromHex("3006020105020180"),                // negative s
        FromHex("300702020005020105"),              // r with a needless zero byte
        FromHex("3006020100020105"),                // r is zero
        FromHex("3006020005020105") ,               // zero-length r
        FromHex("3106020105020105"),                // not a sequence
        FromHex("3006030105020105"),                // not an integer
        FromHex("30080201050201050000"),            // bytes after s inside the sequence
        "3025" + std::string(0x25, '\2'),           // nonsense that looks like tags
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        UpdateSignature sig{};
        sig[0] = 0xAA;
        EXPECT_FALSE(ParseUpdateSignature(bad[i], sig)) << i;
        EXPECT_EQ(sig[0], 0xAA) << i;  // untouched
    }
    // 33 bytes without a sign bit behind the zero, and 33 value bytes.
    std::string r33 = FromHex("0221") + std::string(1, '\0') + std::string(32, '\x7f');
    UpdateSignature sig{};
    EXPECT_FALSE(ParseUpdateSignature(FromHex("3026") + r33 + FromHex("020105"), sig));
}

TEST(DownloadWholeFile, CutsAtTheLimitAndPassesTheAnnouncedLength) {
    RecordingTransport net;
    HttpResponse r{true, 200, std::string(100, 'x')};
    r.contentLength = 100;
    net.answers.push_back(r);
    net.answers.push_back(r);
    HttpResponse whole = DownloadWholeFile(u"/f", u"h", 80, HTTP_RELOAD, 100);
    EXPECT_TRUE(whole.ok);
    EXPECT_FALSE(whole.cut);
    EXPECT_EQ(whole.contentLength, 100);
    HttpResponse cut = DownloadWholeFile(u"/f", u"h", 80, HTTP_RELOAD, 99);
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.body.size(), 99u);
    EXPECT_EQ(net.requests[1].limit, 99u);
    EXPECT_FALSE(DownloadWholeFile(u"/f", u"h", 80, HTTP_RELOAD, 99).ok);  // no answer
}

}  // namespace
