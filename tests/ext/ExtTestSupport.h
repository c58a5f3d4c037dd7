// Helpers for tests that start real programs: executable scripts in a private
// directory, that directory first on PATH, and a working directory of its own.
#pragma once

#include <string>

namespace exttest {

// A fresh directory below the tests' working directory, removed on request.
std::string MakeDirectory(const std::string& stem);

// Writes a /bin/sh script and makes it executable.
void WriteScript(const std::string& path, const std::string& body);

std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Puts binDir in front of PATH (or makes it the whole PATH), and optionally
// makes workDir the current directory, until the object goes.
class ScopedProgramEnvironment {
public:
    enum class Path { kPrepend, kOnly };
    explicit ScopedProgramEnvironment(const std::string& binDir, const std::string& workDir = "",
                                      Path path = Path::kPrepend);
    ~ScopedProgramEnvironment();
    ScopedProgramEnvironment(const ScopedProgramEnvironment&) = delete;
    ScopedProgramEnvironment& operator=(const ScopedProgramEnvironment&) = delete;

private:
    std::string savedPath, savedDirectory;
    bool hadPath = false;
};

}  // namespace exttest
