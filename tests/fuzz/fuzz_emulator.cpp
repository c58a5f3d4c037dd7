// Fuzzes the Wyse 50 byte interpreter together with the screen store: every
// input goes through a fresh ReplaySession, split into blocks as the
// transport would deliver them, and the resulting screen is read back.
//
// Input layout: byte 0 picks the block size (1..500) so that escape
// sequences get split at varying places; the rest is the host byte stream.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzWorkDirectory.h"
#include "tests/support/SessionState.h"
#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace {

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_emulator: %s: %s\n", what, detail.c_str());
    std::abort();
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzwork::Initialize(argc, argv, "fuzz_emulator");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t blockSize = 1 + static_cast<size_t>(data[0]) * (ReplaySession::kBlockSize - 1) / 255;

    fuzzwork::EnterEmptyDirectory();
    ReplaySession session;
    session.Feed(data + 1, size - 1, blockSize);
    CheckScreen(session);
    if (size <= kCompareLimit) CompareWithByteByByte(session, data + 1, size - 1, blockSize);
    return 0;
}
