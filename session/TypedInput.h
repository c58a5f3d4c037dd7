// What a typed character sends: the character repeated as the keyboard
// repeated it, each carriage return followed by a line feed unless crAlone.
// crAlone is for a host that takes our bytes raw (telnet BINARY): there CR LF
// would reach its terminal as two line ends, and CR alone is what the
// terminal's own Return key sends.
#pragma once

#include <string>

namespace typed {
constexpr unsigned kMaxRepeat = 100;

// *tooMany is set when the repeat count was cut to kMaxRepeat (the caller beeps).
std::string BuildBlock(char ch, unsigned repeatCount, bool* tooMany, bool crAlone);
}  // namespace typed
