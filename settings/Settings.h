// Named string settings, kept either in the profile file OVTERM.INI or under
// HKEY_CURRENT_USER\SOFTWARE\<application>\<section> in the registry. The
// back end is chosen from the platform's version word at every call.
//
// Reads always leave a terminated string in out (empty when nothing can be
// read); values longer than the buffer are cut to outSize-1 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr char kApplicationName[] = "Orvane Emulator";
inline constexpr char kProfileBase[] = "OVTERM";

// 0: profile file (Win32 on Windows 3.x); 1: registry (NT family);
// 2: registry (Windows 95 family).
int GetStorageMode();
// The decision behind GetStorageMode, for a GetVersion()-style word.
int StorageModeFromVersion(std::uint32_t versionWord);

// Registry mode does not apply defaultValue: a missing value reads as "".
void ReadSetting(const char* key, const char* defaultValue, const char* section, const char* application,
                 const char* profileBase, char* out, std::size_t outSize);
// 1 when stored. The all-null form (key, section and value null) flushes the
// profile file; in registry mode there is nothing to flush.
int WriteSetting(const char* key, const char* section, const char* application, const char* profileBase,
                 const char* value);

// The registry layout directly, whatever the storage mode (for programs that
// keep their settings only there).
void ReadRegistrySetting(const char* key, const char* section, const char* application, char* out,
                         std::size_t outSize);
int WriteRegistrySetting(const char* key, const char* section, const char* application, const char* value);

// The profile file "<profileBase>.INI" directly, whatever the storage mode.
void ReadIniSetting(const char* key, const char* defaultValue, const char* section, const char* profileBase,
                    char* out, std::size_t outSize);
// Refuses (answers 0) what the file format cannot hold: line breaks anywhere,
// '=' in a key, ']' in a section. Values with surrounding blanks or quotes
// are written quoted so that they read back unchanged.
int WriteIniSetting(const char* key, const char* section, const char* profileBase, const char* value);
