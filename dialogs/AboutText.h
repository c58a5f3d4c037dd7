// Texts of the About box that do not need a window: the Windows version line
// and the version-resource lookups.
#pragma once

#include <cstdint>
#include <string>

// The line shown under "Running on:", from a GetVersion()-style word: low
// byte major, next byte minor, high word build, top bit set outside the NT
// family.
std::string WindowsVersionLine(std::uint32_t versionWord);

// The VerQueryValue path of a string in the program's version resource
// (US English, Windows Latin-1 code page).
std::string VersionValuePath(const std::string& key);

// What a static shows when its value cannot be read from the resource.
std::string VersionLookupErrorText(unsigned long errorCode);
