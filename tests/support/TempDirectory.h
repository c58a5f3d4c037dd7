// Runs the whole test binary in a private temporary directory, so the files
// the emulator keeps in the working directory never land in the source tree.
#pragma once

#include <string>

namespace testsupport {
// The directory the tests run in (created on first use).
const std::string& WorkDirectory();
// "01 0d 60" -> bytes; empty text -> empty.
std::string FromHex(const std::string& hex);
std::string ToHex(const std::string& bytes);
}  // namespace testsupport
