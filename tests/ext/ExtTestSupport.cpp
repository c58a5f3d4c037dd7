#include "tests/ext/ExtTestSupport.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

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

}  // namespace exttest
