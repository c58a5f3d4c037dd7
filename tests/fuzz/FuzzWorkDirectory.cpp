#include "FuzzWorkDirectory.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzzwork {

namespace {

std::string workDir;
std::string targetName = "fuzz";

// The emulator and its extension commands create files in the current
// directory; each input starts from an empty one so runs are reproducible.
void EmptyWorkDir() {
    DIR* dir = opendir(".");
    if (!dir) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) unlink(name.c_str());
}

void RemoveWorkDir() {
    if (workDir.empty() || chdir(workDir.c_str()) != 0) return;
    EmptyWorkDir();
    if (chdir("/") == 0) rmdir(workDir.c_str());
}

// libFuzzer reads its arguments after LLVMFuzzerInitialize returns, and the
// inputs run in a directory of their own: every path argument but the
// program's own is made absolute, and crash inputs go to the directory the
// fuzzer was started in unless -artifact_prefix says otherwise.
std::vector<std::string> AbsoluteArguments(int argc, char** argv, const std::string& cwd) {
    static const char* const kPathFlags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict=",
                                             "-merge_control_file=", "-features_dir=", "-mutation_graph_file=",
                                             "-stop_file="};
    auto absolute = [&](const std::string& path) { return path.empty() || path[0] == '/' ? path : cwd + "/" + path; };
    std::vector<std::string> args;
    bool artifactPrefix = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (i == 0) {
            // libFuzzer insists on argv[0] unchanged; see EnterEmptyDirectory.
        } else if (arg.empty() || arg[0] != '-') {
            arg = absolute(arg);
        } else {
            for (const char* flag : kPathFlags) {
                const std::string name = flag;
                if (arg.compare(0, name.size(), name) == 0) arg = name + absolute(arg.substr(name.size()));
            }
            if (arg.compare(0, 17, "-artifact_prefix=") == 0) artifactPrefix = true;
        }
        args.push_back(arg);
    }
    if (!artifactPrefix) args.push_back("-artifact_prefix=" + cwd + "/");
    return args;
}

}  // namespace

void Initialize(int* argc, char*** argv, const char* target) {
    targetName = target;

    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) {
        std::perror((targetName + ": getcwd").c_str());
        std::exit(1);
    }
    static std::vector<std::string> args = AbsoluteArguments(*argc, *argv, cwd);
    static std::vector<char*> pointers;
    pointers.push_back((*argv)[0]);
    for (size_t i = 1; i < args.size(); ++i) pointers.push_back(&args[i][0]);
    pointers.push_back(nullptr);
    *argc = static_cast<int>(args.size());
    *argv = pointers.data();

    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ovfuzz.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        std::perror((targetName + ": cannot make a working directory").c_str());
        std::exit(1);
    }
    workDir = buffer.data();
    std::atexit(RemoveWorkDir);
}

void EnterEmptyDirectory() {
    // Entered with the first input, not at start-up: modes that only start
    // child processes (-minimize_crash, -fork) keep the caller's directory,
    // where a relative program path still means what it did.
    static bool inWorkDir = false;
    if (!inWorkDir) {
        if (chdir(workDir.c_str()) != 0) {
            std::perror((targetName + ": cannot enter the working directory").c_str());
            std::exit(1);
        }
        inWorkDir = true;
    }
    EmptyWorkDir();
}

}  // namespace fuzzwork
