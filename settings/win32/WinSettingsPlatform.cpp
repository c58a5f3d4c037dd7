// The settings platform on Windows: the registry under HKEY_CURRENT_USER and
// the private-profile functions, which place a bare file name in the Windows
// directory.
#include <windows.h>
// The portable name, not the profile macro of <windows.h>.
#undef WriteProfileString

#include <climits>
#include <cstring>
#include <new>

#include "settings/SettingsPlatform.h"

namespace settingsplatform {

struct RegistryKey {
    HKEY handle;
};

namespace {

DWORD ClampSize(std::size_t size) { return size > ULONG_MAX ? ULONG_MAX : static_cast<DWORD>(size); }

RegistryKey* Wrap(HKEY handle) {
    RegistryKey* key = new (std::nothrow) RegistryKey{handle};
    if (!key) RegCloseKey(handle);
    return key;
}

}  // namespace

std::uint32_t VersionWord() { return static_cast<std::uint32_t>(GetVersion()); }

int CompareNoCase(const char* a, const char* b) { return lstrcmpiA(a, b); }

RegistryKey* OpenKeyForRead(const char* subKey) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &handle) != ERROR_SUCCESS) return nullptr;
    return Wrap(handle);
}

RegistryKey* CreateKey(const char* subKey) {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &handle, &disposition) != ERROR_SUCCESS)
        return nullptr;
    return Wrap(handle);
}

bool QueryString(RegistryKey* key, const char* name, char* out, std::size_t outSize) {
    if (!out || outSize == 0) return false;
    out[0] = '\0';
    if (!key) return false;
    // The size first: RegQueryValueExA refuses a value larger than the buffer,
    // and a stored string need not be terminated.
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key->handle, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    char* data = new (std::nothrow) char[static_cast<std::size_t>(size) + 1];
    if (!data) return false;
    DWORD got = size;
    const LONG result =
        RegQueryValueExA(key->handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &got);
    if (result != ERROR_SUCCESS || got > size) {
        delete[] data;
        return false;
    }
    data[got] = '\0';
    const std::size_t length = std::strlen(data);
    const std::size_t copied = length < outSize - 1 ? length : outSize - 1;
    std::memcpy(out, data, copied);
    out[copied] = '\0';
    delete[] data;
    return true;
}

bool SetString(RegistryKey* key, const char* name, const char* value) {
    if (!key || !value) return false;
    return RegSetValueExA(key->handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          ClampSize(std::strlen(value))) == ERROR_SUCCESS;
}

void CloseKey(RegistryKey* key) {
    if (!key) return;
    RegCloseKey(key->handle);
    delete key;
}

std::size_t ReadProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                              std::size_t outSize, const char* fileName) {
    if (!out || outSize == 0) return 0;
    out[0] = '\0';
    // Null section or key would list names instead of reading one value.
    if (!section || !key) {
        std::size_t length = defaultValue ? std::strlen(defaultValue) : 0;
        if (length > outSize - 1) length = outSize - 1;
        if (length) std::memcpy(out, defaultValue, length);
        out[length] = '\0';
        return length;
    }
    return GetPrivateProfileStringA(section, key, defaultValue, out, ClampSize(outSize), fileName);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* fileName) {
    return WritePrivateProfileStringA(section, key, value, fileName) != FALSE;
}

}  // namespace settingsplatform
