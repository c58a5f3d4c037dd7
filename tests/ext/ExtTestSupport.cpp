#include "tests/ext/ExtTestSupport.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/settings/SettingsTestSupport.h"

namespace fs = std::filesystem;

namespace exttest {

void WriteScript(const std::string& path, const std::string& body) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "#!/bin/sh\n" << body;
    }
    chmod(path.c_str(), 0755);
}

ScopedProgramEnvironment::ScopedProgramEnvironment(const std::string& binDir, const std::string& workDir,
                                                   Path mode) {
    if (const char* path = getenv("PATH")) hadPath = true, savedPath = path;
    std::string path = binDir + (hadPath && mode == Path::kPrepend ? ":" + savedPath : "");
    setenv("PATH", path.c_str(), 1);
    if (!workDir.empty()) {
        savedDirectory = fs::current_path().string();
        fs::current_path(workDir);
    }
}

ScopedProgramEnvironment::~ScopedProgramEnvironment() {
    if (hadPath)
        setenv("PATH", savedPath.c_str(), 1);
    else
        unsetenv("PATH");
    if (!savedDirectory.empty()) {
        std::error_code ec;
        fs::current_path(savedDirectory, ec);
    }
}

ScopedWorkDirectory::ScopedWorkDirectory() : path(settingstest::MakeTempDir()), saved(fs::current_path().string()) {
    fs::current_path(path);
}

ScopedWorkDirectory::~ScopedWorkDirectory() {
    std::error_code ec;
    fs::current_path(saved, ec);
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
}

bool PermissionsAreIgnored() { return geteuid() == 0; }

}  // namespace exttest
