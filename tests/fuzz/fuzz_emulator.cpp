// Fuzzes the Wyse 50 byte interpreter together with the screen store: every
// input goes through a fresh ReplaySession, split into blocks as the
// transport would deliver them, and the resulting screen is read back.
//
// Input layout: byte 0 picks the block size (1..500) so that escape
// sequences get split at varying places; the rest is the host byte stream.

#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/SessionState.h"
#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace {

std::string workDir;

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_emulator: %s: %s\n", what, detail.c_str());
    std::abort();
}

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

void CheckScreen(const ReplaySession& session) {
    const std::vector<std::string> rows = session.Rows();
    if (rows.size() != 25) Fail("Rows() count", std::to_string(rows.size()));

    const std::vector<std::string> cells = session.CellRows();
    if (cells.size() != 26) Fail("CellRows() count", std::to_string(cells.size()));
    for (const std::string& row : cells) {
        if (row.empty()) Fail("CellRows()", "empty row");
    }

    const std::string cursor = session.Cursor();
    int row = -1;
    int col = -1;
    char extra = 0;
    if (std::sscanf(cursor.c_str(), "%d %d %c", &row, &col, &extra) != 2)
        Fail("Cursor() format", cursor);
    // The store holds rows 0..25; column 80 is a cursor position only. A
    // cursor row of 25 is legal while a decimal address is being collected.
    if (row < 0 || row > 25 || col < 0 || col > 80) Fail("Cursor() outside the store", cursor);

    (void)session.Sent();
    (void)session.Printed();
}

// While the received bytes are logged the interpreter handles them one at a
// time, without its bulk shortcuts; both ways must end in the same state.
// Logging writes through to its file at every byte, so only shorter inputs
// are compared.
constexpr size_t kCompareLimit = 1024;

void CompareWithByteByByte(const ReplaySession& fast, const uint8_t* bytes, size_t len, size_t blockSize) {
    ReplaySession literal;
    if (!literal.View().OpenScopeLog("compare.log")) Fail("scope log", "cannot open compare.log");
    literal.Feed(bytes, len, blockSize);
    literal.View().CloseScopeLog();
    const std::string difference = testsupport::FirstStateDifference(fast, literal);
    if (!difference.empty()) Fail("bulk (first) and byte-by-byte (second) differ", difference);
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
            // libFuzzer insists on argv[0] unchanged; see the lazy chdir below.
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

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) {
        std::perror("fuzz_emulator: getcwd");
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
        std::perror("fuzz_emulator: cannot make a working directory");
        std::exit(1);
    }
    workDir = buffer.data();
    std::atexit(RemoveWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t blockSize = 1 + static_cast<size_t>(data[0]) * (ReplaySession::kBlockSize - 1) / 255;

    // Entered with the first input, not at start-up: modes that only start
    // child processes (-minimize_crash, -fork) keep the caller's directory,
    // where a relative program path still means what it did.
    static bool inWorkDir = false;
    if (!inWorkDir) {
        if (chdir(workDir.c_str()) != 0) {
            std::perror("fuzz_emulator: cannot enter the working directory");
            std::exit(1);
        }
        inWorkDir = true;
    }

    EmptyWorkDir();
    ReplaySession session;
    session.Feed(data + 1, size - 1, blockSize);
    CheckScreen(session);
    if (size <= kCompareLimit) CompareWithByteByByte(session, data + 1, size - 1, blockSize);
    return 0;
}
