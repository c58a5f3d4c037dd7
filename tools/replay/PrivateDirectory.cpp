#include "tools/replay/PrivateDirectory.h"

#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {
fs::path MakeTemporaryDirectory() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) return {};
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("winovterm-" + std::to_string(random()));
        if (fs::create_directory(candidate, ec)) return candidate;
    }
    return {};
}
}  // namespace

PrivateDirectory::PrivateDirectory(const std::string& requested) {
    std::error_code ec;
    original = fs::current_path(ec);
    temporary = requested.empty();
    directory = temporary ? MakeTemporaryDirectory() : fs::path(requested);
    if (directory.empty()) return;
    fs::current_path(directory, ec);
    ok = !ec;
}

PrivateDirectory::~PrivateDirectory() {
    std::error_code ec;
    if (!original.empty()) fs::current_path(original, ec);
    if (temporary && !directory.empty()) fs::remove_all(directory, ec);
}

std::string PrivateDirectory::Describe() const {
    return directory.empty() ? std::string("a temporary directory") : directory.string();
}
