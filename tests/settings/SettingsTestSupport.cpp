#include "SettingsTestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "support/TempDirectory.h"

namespace fs = std::filesystem;

namespace settingstest {

namespace {

void Restore(const char* name, bool had, const std::string& value) {
    if (had)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}

// Code under other tests reads settings too (the emulator loads key
// definitions on connect); none of it may see the real user's files.
class PrivateConfigEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const std::string home = testsupport::WorkDirectory() + "/config-home";
        fs::create_directories(home);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    }
};

const auto* const kPrivateConfig = ::testing::AddGlobalTestEnvironment(new PrivateConfigEnvironment);

}  // namespace

std::string MakeTempDir() {
    std::string pattern = testsupport::WorkDirectory() + "/settings-XXXXXX";
    if (!mkdtemp(&pattern[0])) throw std::runtime_error("cannot create a temporary directory");
    return pattern;
}

ScopedConfigHome::ScopedConfigHome(Layout layout) : root(MakeTempDir()) {
    if (const char* xdg = getenv("XDG_CONFIG_HOME")) hadXdg = true, savedXdg = xdg;
    if (const char* storage = getenv("OVTERM_STORAGE")) hadStorage = true, savedStorage = storage;
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    Use(layout);
}

ScopedConfigHome::~ScopedConfigHome() {
    Restore("XDG_CONFIG_HOME", hadXdg, savedXdg);
    Restore("OVTERM_STORAGE", hadStorage, savedStorage);
    std::error_code ec;
    fs::remove_all(root, ec);
}

void ScopedConfigHome::Use(Layout layout) {
    setenv("OVTERM_STORAGE", layout == Layout::Profile ? "profile" : "registry", 1);
}

bool FileExists(const std::string& path) { return fs::exists(path); }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void MenuDouble::RemoveById(std::uint32_t id) {
    auto it = std::find_if(items.begin(), items.end(), [id](const Item& item) { return item.id == id; });
    if (it != items.end()) items.erase(it);
}

void MenuDouble::InsertSeparatorBefore(std::uint32_t id, std::uint32_t beforeId) {
    InsertStringBefore(id, "-", beforeId);
}

// As InsertMenu: nothing happens when the item to insert before is missing.
void MenuDouble::InsertStringBefore(std::uint32_t id, const char* text, std::uint32_t beforeId) {
    auto it = std::find_if(items.begin(), items.end(), [beforeId](const Item& item) { return item.id == beforeId; });
    if (it != items.end()) items.insert(it, Item{id, text});
}

std::vector<std::string> MenuDouble::Texts() const {
    std::vector<std::string> texts;
    for (const Item& item : items) texts.push_back(item.text);
    return texts;
}

std::vector<std::uint32_t> MenuDouble::Ids() const {
    std::vector<std::uint32_t> ids;
    for (const Item& item : items) ids.push_back(item.id);
    return ids;
}

}  // namespace settingstest
