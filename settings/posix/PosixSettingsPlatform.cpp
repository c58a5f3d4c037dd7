// The settings platform on POSIX systems: both layouts live in files of the
// user's (see ConfigLocation.h for where and how the layout is chosen).
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "settings/SettingsPlatform.h"
#include "settings/posix/ConfigLocation.h"
#include "settings/posix/ProfileFile.h"
#include "settings/posix/RegistryFile.h"
#include "settings/posix/TextFile.h"

namespace settingsconfig {

std::string ConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/winovterm";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        home = entry ? entry->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return std::string();
    return std::string(home) + "/.config/winovterm";
}

std::string ProfilePath(const char* fileName) {
    if (!fileName || !fileName[0]) return std::string();
    if (std::strchr(fileName, '/')) return fileName;
    const std::string directory = ConfigDirectory();
    return directory.empty() ? std::string() : directory + "/" + fileName;
}

std::string RegistryPath() {
    const std::string directory = ConfigDirectory();
    return directory.empty() ? std::string() : directory + "/" + kRegistryFileName;
}

}  // namespace settingsconfig

namespace settingsplatform {

struct RegistryKey {
    std::string path;
};

namespace {

bool LoadRegistry(settingsfiles::TextLines* text) {
    const std::string path = settingsconfig::RegistryPath();
    if (path.empty()) return false;
    std::string contents;
    const settingsfiles::ReadResult result = settingsfiles::ReadWholeFile(path, &contents);
    if (result == settingsfiles::ReadResult::Failed) return false;
    *text = settingsfiles::SplitLines(contents);
    return true;
}

bool SaveRegistry(const settingsfiles::TextLines& text) {
    const std::string directory = settingsconfig::ConfigDirectory();
    return !directory.empty() && settingsfiles::MakeDirectories(directory) &&
           settingsfiles::WriteFileAtomically(settingsconfig::RegistryPath(), settingsfiles::JoinLines(text));
}

}  // namespace

std::uint32_t VersionWord() {
    const char* storage = std::getenv(settingsconfig::kStorageVariable);
    if (storage && std::strcmp(storage, "profile") == 0) return settingsconfig::kWin3VersionWord;
    return settingsconfig::kNtVersionWord;
}

int CompareNoCase(const char* a, const char* b) { return strcasecmp(a, b); }

RegistryKey* OpenKeyForRead(const char* subKey) {
    const std::string path = registryfile::NormalizeKeyPath(subKey);
    settingsfiles::TextLines text;
    if (path.empty() || !LoadRegistry(&text) || !registryfile::KeyExists(text, path)) return nullptr;
    return new (std::nothrow) RegistryKey{path};
}

RegistryKey* CreateKey(const char* subKey) {
    const std::string path = registryfile::NormalizeKeyPath(subKey);
    settingsfiles::TextLines text;
    if (path.empty() || !LoadRegistry(&text)) return nullptr;
    if (registryfile::AddKey(text, path) && !SaveRegistry(text)) return nullptr;
    return new (std::nothrow) RegistryKey{path};
}

bool QueryString(RegistryKey* key, const char* name, char* out, std::size_t outSize) {
    if (!out || outSize == 0) return false;
    out[0] = '\0';
    settingsfiles::TextLines text;
    std::string value;
    if (!key || !LoadRegistry(&text) ||
        registryfile::FindValue(text, key->path, name ? name : "", &value) != registryfile::ValueState::String)
        return false;
    const size_t length = value.size() < outSize - 1 ? value.size() : outSize - 1;
    std::memcpy(out, value.data(), length);
    out[length] = '\0';
    return true;
}

bool SetString(RegistryKey* key, const char* name, const char* value) {
    settingsfiles::TextLines text;
    if (!key || !value || !LoadRegistry(&text)) return false;
    if (!registryfile::SetValue(text, key->path, name ? name : "", value)) return false;
    return SaveRegistry(text);
}

void CloseKey(RegistryKey* key) { delete key; }

std::size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                              std::size_t outSize, const char* fileName) {
    return profilefile::Read(settingsconfig::ProfilePath(fileName), section, key, defaultValue, out, outSize);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* fileName) {
    if (!section && !key && !value) return true;  // every write is on disk already
    const std::string path = settingsconfig::ProfilePath(fileName);
    if (path.empty()) return false;
    if (!std::strchr(fileName, '/') && !settingsfiles::MakeDirectories(settingsconfig::ConfigDirectory())) return false;
    return profilefile::Write(path, section, key, value);
}

}  // namespace settingsplatform
