// A profile (INI) file engine that answers as the Windows private-profile
// string functions do wherever a caller can tell: section and key names match
// without regard to case and with surrounding blanks ignored, only the first
// section of a name counts, values lose surrounding blanks and one pair of
// matching quotes, and writes change the one line concerned in place.
// Comments (';'), blank lines and lines it cannot parse are kept as they are.
#pragma once

#include <cstddef>
#include <string>

#include "settings/posix/TextFile.h"

namespace profilefile {

// The value as a reader sees it; false when the section or key is missing.
bool FindValue(const settingsfiles::TextLines& text, const char* section, const char* key, std::string* value);

// WritePrivateProfileString on lines: sets section/key to value, adding the
// key or the section at need; a null value deletes the key, a null key the
// section. Returns whether the lines changed.
bool Edit(settingsfiles::TextLines& text, const char* section, const char* key, const char* value);

// The file-level calls. Read copies the value, or the default with trailing
// blanks removed, cut to outSize-1 bytes and terminated; returns the length.
std::size_t Read(const std::string& path, const char* section, const char* key, const char* defaultValue,
                 char* out, std::size_t outSize);
// Creates the file when missing; never writes over a file it could not read.
bool Write(const std::string& path, const char* section, const char* key, const char* value);

}  // namespace profilefile
