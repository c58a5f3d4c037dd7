// Keys and string values under HKEY_CURRENT_USER kept in one REGEDIT4 file,
// which people can read and edit and Windows' regedit can import:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\SOFTWARE\Orvane Emulator\Colors]
//   "Fore"="WHITE"
//
// Key paths and value names match without regard to ASCII case, as in the
// registry. Within a string, backslash and double quote are escaped with a
// backslash; other bytes are written as they are (the file is in the ANSI
// code page, as REGEDIT4 files are), except that a value holding control
// characters is written in the hex(1): form, which a quoted string cannot
// hold. Lines this code does not understand (other value types, comments,
// other hives) are kept untouched. As regedit does on import, a later line
// for the same value overrides an earlier one.
#pragma once

#include <string>

#include "settings/posix/TextFile.h"

namespace registryfile {

enum class ValueState { Missing, String, OtherType };

// "Software\\X\\" -> "Software\\X"; empty when the path cannot name a key.
std::string NormalizeKeyPath(const char* subKey);

bool KeyExists(const settingsfiles::TextLines& text, const std::string& subKey);
ValueState FindValue(const settingsfiles::TextLines& text, const std::string& subKey, const std::string& name,
                     std::string* value);
// Adds an empty key section when the key does not exist; returns whether the lines changed.
bool AddKey(settingsfiles::TextLines& text, const std::string& subKey);
// False when the name cannot be written (control characters in it).
bool SetValue(settingsfiles::TextLines& text, const std::string& subKey, const std::string& name,
              const std::string& value);

// One value line, "name"="value" or "name"=hex(1):..., and its reading.
std::string FormatValueLine(const std::string& name, const std::string& value);
// False when the line is no value line at all (comment, blank, malformed).
bool ParseValueLine(const std::string& line, std::string* name, ValueState* state, std::string* value);

}  // namespace registryfile
