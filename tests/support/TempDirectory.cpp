#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

namespace {
class WorkDirectoryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { fs::current_path(WorkDirectory()); }
    void TearDown() override {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(WorkDirectory(), ec);
    }
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new WorkDirectoryEnvironment);
}  // namespace

const std::string& WorkDirectory() {
    static const std::string dir = [] {
        std::string pattern = (fs::temp_directory_path() / "ovtests-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
        return pattern;
    }();
    return dir;
}

std::string FromHex(const std::string& hex) {
    std::istringstream in(hex);
    std::string out, byte;
    while (in >> byte) out += static_cast<char>(std::stoi(byte, nullptr, 16));
    return out;
}

std::string ToHex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02x" : " %02x", c);
        out += buf;
    }
    return out;
}

}  // namespace testsupport
