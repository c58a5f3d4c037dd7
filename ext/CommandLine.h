// Command lines for the program launcher: joining the caller's texts within
// the launcher's fixed limit, and splitting a line into program arguments
// the way the Windows C runtime does, for platforms that start programs
// from an argument vector.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cmdline {

// The launcher's command-line buffer holds 255 characters and a NUL.
constexpr std::size_t kMaxLength = 255;

// Joins the texts in order, nothing between them (null counts as empty).
// False, and out left empty, when the result would pass kMaxLength: a cut
// line could name another file or program, so it is refused, not run.
bool Join(const char* text1, const char* text2, const char* text3, const char* text4, const char* text5,
          std::string* out);

// Words separated by blanks and tabs. Double quotes group words and are
// removed. In the first word (the program) that is all; in the others,
// backslashes before a quote escape as the C runtime has it: 2n of them and
// a quote give n backslashes and a grouping quote, 2n+1 give n and a literal
// quote, and "" inside a quoted stretch is one literal quote. Other
// backslashes are kept as they stand. An empty quoted pair is an empty word.
std::vector<std::string> Split(const std::string& line);

}  // namespace cmdline
