// The escapes of ovdrive's command and answer files, shared by the driver
// (MinGW) and the native harness: \r \n \t \e \s (space) \\ and \xHH.
#pragma once

#include <string>
#include <string_view>

namespace ovdrive {

// Decodes the escapes of `in` into `out`. False, with `error` saying why, for a
// backslash at the end, an unknown escape or \x without two hex digits.
bool UnescapeText(std::string_view in, std::string& out, std::string& error);

// Encodes `in` so that UnescapeText gives it back and the result is one line:
// control bytes, DEL, bytes above 0x7F and the backslash are escaped. With
// `spaceAsEscape` spaces become \s too, so that the result is one word of a
// command line.
std::string EscapeText(std::string_view in, bool spaceAsEscape);

}  // namespace ovdrive
