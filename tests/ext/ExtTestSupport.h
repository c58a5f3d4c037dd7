// Helpers for tests that start real programs: executable scripts, their
// directory on PATH, and a working directory of their own. Temporary
// directories and file reads come from tests/settings/SettingsTestSupport.h.
#pragma once

#include <string>

namespace exttest {

// Writes a /bin/sh script and makes it executable.
void WriteScript(const std::string& path, const std::string& body);

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

// A fresh directory (below the tests' own) as the current directory until
// the object goes; removed afterwards.
class ScopedWorkDirectory {
public:
    ScopedWorkDirectory();
    ~ScopedWorkDirectory();
    ScopedWorkDirectory(const ScopedWorkDirectory&) = delete;
    ScopedWorkDirectory& operator=(const ScopedWorkDirectory&) = delete;
    const std::string& Path() const { return path; }

private:
    std::string path, saved;
};

// True when a file can still be created in a directory without write
// permission (the tests run as root): read-only cases are then skipped.
bool PermissionsAreIgnored();

}  // namespace exttest
