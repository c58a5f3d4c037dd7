// Fuzzes the way host data reaches the screen a user sees: every input is a
// host byte stream fed in blocks to a fresh session whose view draws on one
// front end (the window's painting through a painted double, or ovterm's
// curses drawing), which draws after every block; after each block what it
// shows must be what the store holds, cell by cell. The same check as the
// Repaint tests, on streams the fuzzer finds.
//
// Input layout: byte 0 picks the front end, byte 1 seeds the block sizes;
// the rest is the host byte stream.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "FuzzWorkDirectory.h"
#include "repaint/HostStreams.h"
#include "repaint/RepaintCheck.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzwork::Initialize(argc, argv, "fuzz_repaint");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    constexpr size_t kFrontEnds = sizeof repaint::kAllFrontEnds / sizeof repaint::kAllFrontEnds[0];
    const repaint::FrontEnd frontEnd = repaint::kAllFrontEnds[data[0] % kFrontEnds];
    std::mt19937 random(data[1]);
    const std::string stream(reinterpret_cast<const char*>(data + 2), size - 2);

    fuzzwork::EnterEmptyDirectory();
    const std::string failure = repaint::CheckStream(frontEnd, stream, repaint::RandomChunks(random, stream.size()));
    if (!failure.empty()) {
        std::fprintf(stderr, "fuzz_repaint: the screen shown differs from the store: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
