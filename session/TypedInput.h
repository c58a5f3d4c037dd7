// What a typed character sends: the character repeated as the keyboard
// repeated it, each carriage return followed by a line feed.
#pragma once

#include <string>

namespace typed {
constexpr unsigned kMaxRepeat = 100;

// *tooMany is set when the repeat count was cut to kMaxRepeat (the caller beeps).
std::string BuildBlock(char ch, unsigned repeatCount, bool* tooMany);
}  // namespace typed
