#include "print/PassThroughBlock.h"

#include <cstring>

void SetPassThroughCount(unsigned char* block, int count) {
    block[0] = static_cast<unsigned char>(count & 0xFF);
    block[1] = static_cast<unsigned char>((count >> 8) & 0xFF);
}

int PassThroughCount(const unsigned char* block) { return block[0] | block[1] << 8; }

int PackPassThroughBlock(unsigned char* block, const char* data, int length) {
    if (!block || length < 0 || length > kPassThroughDataMax || (length > 0 && !data)) return 0;
    SetPassThroughCount(block, length);
    if (length > 0) std::memcpy(block + 2, data, static_cast<std::size_t>(length));
    return 2 + length;
}
