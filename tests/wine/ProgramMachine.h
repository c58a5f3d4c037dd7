// Which processor a Windows program (a PE image) is built for: each runs
// under the Wine loader of its own width, and a run for the i686 build must
// be sure it is not driving x86-64 programs instead.
#pragma once

#include <string>

namespace ovwine {

enum class Machine { Unknown, I686, X8664 };

// From the file's PE header; Unknown when it cannot be read, is no PE image
// or is built for another processor.
Machine ProgramMachine(const std::string& path);

// "i686", "x86-64" or "unknown": the names OV_WINE_ARCH takes.
const char* MachineName(Machine machine);
// The machine of such a name; Unknown for any other text.
Machine MachineFromName(const std::string& name);

}  // namespace ovwine
