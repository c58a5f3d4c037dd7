// The parts of a Windows shortcut (.lnk, the Shell Link Binary File Format)
// that say what it starts: the target's local path, the working directory,
// the arguments and the icon. Read from the file's bytes, so that the tests
// see what the installer wrote without running anything in Wine.
#pragma once

#include <string>

namespace ovwine {

struct ShellLink {
    bool ok = false;
    std::string error;          // why the bytes are no shortcut (when !ok)
    std::string targetPath;     // LinkInfo's local base path, e.g. C:\Program Files\X\x.exe
    std::string workingDir;     // as stored, environment variables unexpanded
    std::string arguments;
    std::string iconLocation;
};

// Strings come back as UTF-8.
ShellLink ReadShellLink(const std::string& bytes);

}  // namespace ovwine
