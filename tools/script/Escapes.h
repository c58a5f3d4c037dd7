// C-style escapes in script text: \r \n \t \e \xHH \\ (and \0, \s for a space).
#pragma once

#include <string>

namespace script {
// Throws std::invalid_argument for a malformed \x escape.
std::string Unescape(const std::string& text);
}  // namespace script
