// What the settings store needs from the system under it: the version word
// that picks the storage mode, string values under HKEY_CURRENT_USER, and the
// private-profile string functions. settings/win32 maps these onto the Win32
// calls; settings/posix keeps both layouts in files of its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace settingsplatform {

// As GetVersion(): top bit clear on the NT family; low byte major version,
// next byte minor version.
std::uint32_t VersionWord();

// The platform's case-insensitive comparison (lstrcmpiA): <0, 0 or >0.
int CompareNoCase(const char* a, const char* b);

// An open key under HKEY_CURRENT_USER.
struct RegistryKey;

// Null when the key does not exist or cannot be read.
RegistryKey* OpenKeyForRead(const char* subKey);
// Creates the key (and its parents) when missing; null on failure.
RegistryKey* CreateKey(const char* subKey);
// The string value name into out, cut to outSize-1 bytes and terminated.
// False, with out empty, when the value is missing or not a string.
bool QueryString(RegistryKey* key, const char* name, char* out, std::size_t outSize);
// Stores value as a string value (REG_SZ).
bool SetString(RegistryKey* key, const char* name, const char* value);
void CloseKey(RegistryKey* key);  // null is accepted

// As GetPrivateProfileStringA for one key: the value, or defaultValue when the
// file, section or key is missing, cut to outSize-1 bytes and terminated.
// Returns the bytes copied. Null section or key reads as the default.
std::size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                              std::size_t outSize, const char* fileName);
// As WritePrivateProfileStringA: a null value deletes the key, a null key the
// section; section, key and value all null flush the file.
bool WriteProfileString(const char* section, const char* key, const char* value, const char* fileName);

}  // namespace settingsplatform
