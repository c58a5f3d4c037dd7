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

#include "tools/replay/ReplaySession.h"

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
    if (row < 0 || row > 25 || col < 0 || col > 80) Fail("Cursor() out of the store", cursor);

    (void)session.Sent();
    (void)session.Printed();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ovfuzz.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()) || chdir(buffer.data()) != 0) {
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

    EmptyWorkDir();
    ReplaySession session;
    session.Feed(data + 1, size - 1, blockSize);
    CheckScreen(session);
    return 0;
}
