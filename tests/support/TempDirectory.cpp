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

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        char e = text[++i];
        switch (e) {
        case 'e': out += '\x1b'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 's': out += ' '; break;
        case 'x':
            if (i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                throw std::invalid_argument("bad \\x escape in: " + text);
            }
            break;
        default: out += e; break;
        }
    }
    return out;
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
