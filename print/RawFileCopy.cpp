#include <cstdio>

#include "print/PassThroughBlock.h"
#include "print/RawPrintSink.h"

int CopyFileInBlocks(const char* fileName, unsigned char* block, CRawPrintSink* sink) {
    if (!fileName || !block || !sink) return 0;
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return 0;
    bool ok = sink->StartDocument();
    if (ok) {
        for (;;) {
            std::size_t got = std::fread(block + 2, 1, kPassThroughDataMax, file);
            // A read error passes nothing of the failed read.
            if (std::ferror(file)) {
                ok = false;
                break;
            }
            SetPassThroughCount(block, static_cast<int>(got));
            if (sink->SendBlock(block) == 0 && got > 0) {
                ok = false;
                break;
            }
            if (got < static_cast<std::size_t>(kPassThroughDataMax)) break;
        }
        if (ok) {
            ok = sink->EndDocument();
        } else {
            sink->AbortDocument();
        }
    }
    std::fclose(file);
    return ok ? 1 : 0;
}
