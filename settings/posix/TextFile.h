// Whole-file reading and crash-safe replacement for the settings files, and
// the line model both file formats edit in.
#pragma once

#include <string>
#include <vector>

namespace settingsfiles {

enum class ReadResult { Ok, Missing, Failed };

// Missing only when the file does not exist; Failed on any other error, so
// that a file which exists but cannot be read is never written over.
ReadResult ReadWholeFile(const std::string& path, std::string* text);

// Writes text to a new file beside path and renames it over path, so a crash
// leaves either the old or the new file, never a half one. Keeps the mode of
// an existing file; new files are private to the user (0600).
bool WriteFileAtomically(const std::string& path, const std::string& text);

// mkdir -p with mode 0700 for the parts it creates.
bool MakeDirectories(const std::string& path);

// Lines without their endings. The ending of the first line (LF or CR LF) is
// used for the whole file when it is joined again; new files get CR LF, as
// on Windows.
struct TextLines {
    std::vector<std::string> lines;
    std::string eol = "\r\n";
};
TextLines SplitLines(const std::string& text);
std::string JoinLines(const TextLines& text);

// ASCII case-insensitive equality, as both formats match names.
bool EqualNoCase(const std::string& a, const std::string& b);
// Blanks (space, tab, CR, LF, VT, FF) off both ends.
std::string Trim(const std::string& text);

}  // namespace settingsfiles
