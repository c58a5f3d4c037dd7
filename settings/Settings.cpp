#include "settings/Settings.h"

#include <cctype>
#include <cstring>
#include <string>

#include "settings/SettingsPlatform.h"

namespace {

std::string RegistryPath(const char* application, const char* section) {
    return std::string("SOFTWARE\\") + application + "\\" + section;
}

std::string ProfileFileName(const char* profileBase) { return std::string(profileBase) + ".INI"; }

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool HasLineBreak(const char* text) { return text && std::strpbrk(text, "\r\n") != nullptr; }

// What a profile line can hold and still be found again by the same name.
bool IsStorableSection(const char* section) {
    if (!section) return true;
    if (HasLineBreak(section) || std::strchr(section, ']')) return false;
    for (const char* p = section; *p; ++p) {
        if (!IsBlank(*p)) return true;
    }
    return false;
}

bool IsStorableKey(const char* key) {
    if (!key) return true;
    if (HasLineBreak(key) || std::strchr(key, '=')) return false;
    const char* p = key;
    while (*p && IsBlank(*p)) ++p;
    return *p && *p != '[' && *p != ';';
}

// The profile reader trims blanks around a value and drops one pair of
// matching quotes around it; such values are stored quoted to survive that.
std::string ProfileValueText(const char* value) {
    const size_t length = std::strlen(value);
    if (length == 0) return value;
    const char first = value[0];
    const char last = value[length - 1];
    const bool quoted = length >= 2 && (first == '"' || first == '\'') && last == first;
    if (IsBlank(first) || IsBlank(last) || quoted) return std::string("\"") + value + "\"";
    return value;
}

}  // namespace

int StorageModeFromVersion(std::uint32_t versionWord) {
    if ((versionWord & 0x80000000u) == 0) return 1;
    const unsigned major = versionWord & 0xFFu;
    const unsigned minor = (versionWord >> 8) & 0xFFu;
    return major * 256 + minor < 0x35F ? 0 : 2;
}

int GetStorageMode() { return StorageModeFromVersion(settingsplatform::VersionWord()); }

void ReadSetting(const char* key, const char* defaultValue, const char* section, const char* application,
                 const char* profileBase, char* out, std::size_t outSize) {
    if (!out || outSize == 0) return;
    out[0] = '\0';
    if (GetStorageMode() == 0) {
        ReadIniSetting(key, defaultValue, section, profileBase, out, outSize);
        return;
    }
    ReadRegistrySetting(key, section, application, out, outSize);
}

int WriteSetting(const char* key, const char* section, const char* application, const char* profileBase,
                 const char* value) {
    if (GetStorageMode() == 0) return WriteIniSetting(key, section, profileBase, value);
    // Registry writes take effect at once; the flush form has nothing to do.
    if (!key && !section && !value) return 1;
    return WriteRegistrySetting(key, section, application, value);
}

void ReadRegistrySetting(const char* key, const char* section, const char* application, char* out,
                         std::size_t outSize) {
    if (!out || outSize == 0) return;
    out[0] = '\0';
    if (!key || !section || !application) return;
    settingsplatform::RegistryKey* handle = settingsplatform::OpenKeyForRead(RegistryPath(application, section).c_str());
    if (!handle) return;
    settingsplatform::QueryString(handle, key, out, outSize);
    settingsplatform::CloseKey(handle);
}

int WriteRegistrySetting(const char* key, const char* section, const char* application, const char* value) {
    if (!key || !section || !application || !value) return 0;
    settingsplatform::RegistryKey* handle = settingsplatform::CreateKey(RegistryPath(application, section).c_str());
    if (!handle) return 0;
    const bool stored = settingsplatform::SetString(handle, key, value);
    settingsplatform::CloseKey(handle);
    return stored ? 1 : 0;
}

void ReadIniSetting(const char* key, const char* defaultValue, const char* section, const char* profileBase,
                    char* out, std::size_t outSize) {
    if (!out || outSize == 0) return;
    out[0] = '\0';
    if (!profileBase) return;
    settingsplatform::ReadProfileString(section, key, defaultValue ? defaultValue : "", out, outSize,
                                        ProfileFileName(profileBase).c_str());
}

int WriteIniSetting(const char* key, const char* section, const char* profileBase, const char* value) {
    if (!profileBase) return 0;
    const std::string fileName = ProfileFileName(profileBase);
    if (!key && !section && !value)
        return settingsplatform::WriteProfileString(nullptr, nullptr, nullptr, fileName.c_str()) ? 1 : 0;
    if (!section || !IsStorableSection(section) || !IsStorableKey(key) || HasLineBreak(value)) return 0;
    const std::string text = value ? ProfileValueText(value) : std::string();
    return settingsplatform::WriteProfileString(section, key, value ? text.c_str() : nullptr, fileName.c_str()) ? 1
                                                                                                              : 0;
}
