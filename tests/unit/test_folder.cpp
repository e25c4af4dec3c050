// Every test process works in a folder of its own: CTest runs tests in parallel, and
// the file tests would otherwise overwrite each other's files in the build folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

class OwnFolder : public ::testing::Environment {
public:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "orv-test-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            folder_ = pattern;
            std::filesystem::current_path(folder_);
        }
    }
    void TearDown() override {
        if (folder_.empty()) return;
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

[[maybe_unused]] ::testing::Environment* const ownFolder = ::testing::AddGlobalTestEnvironment(new OwnFolder);

}  // namespace
