// Where the settings live on Linux and other POSIX systems.
//
// Both layouts are kept in the user's configuration directory,
// $XDG_CONFIG_HOME/winovterm (~/.config/winovterm when XDG_CONFIG_HOME is
// unset or not absolute), created with mode 0700 on the first write:
//   OVTERM.INI    the profile layout ("%s.INI" of the profile base name;
//                 Windows puts it in the Windows directory, we put it here)
//   registry.reg  the registry layout: HKEY_CURRENT_USER as a REGEDIT4 file
//
// The storage mode follows the version word reported here: that of the NT
// family (registry layout) unless OVTERM_STORAGE is "profile", which reports
// Windows 3.x running Win32 programs (profile layout).
#pragma once

#include <cstdint>
#include <string>

namespace settingsconfig {

inline constexpr char kRegistryFileName[] = "registry.reg";
inline constexpr char kStorageVariable[] = "OVTERM_STORAGE";

// GetVersion() words: Windows NT 6.2 build 9200, and Windows 3.10 with Win32s.
inline constexpr std::uint32_t kNtVersionWord = 0x23F00206u;
inline constexpr std::uint32_t kWin3VersionWord = 0x80000A03u;

// The directory above, or empty when neither XDG_CONFIG_HOME nor a home
// directory is known.
std::string ConfigDirectory();

// A profile file name without a directory lives in ConfigDirectory(); a name
// with one is used as it stands.
std::string ProfilePath(const char* fileName);
std::string RegistryPath();

}  // namespace settingsconfig
