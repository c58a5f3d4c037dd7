// The block a printer pass-through takes: an unsigned 16-bit byte count (low
// byte first, as the x86 word the escape reads) followed by the bytes.
#pragma once

inline constexpr int kPassThroughDataMax = 2048;
inline constexpr int kPassThroughBlockSize = 2 + kPassThroughDataMax;

// Fills block (kPassThroughBlockSize bytes) with length and the data; the
// size of the filled block, or 0 when length is outside 0..2048.
int PackPassThroughBlock(unsigned char* block, const char* data, int length);
// The byte count at the head of a block.
int PassThroughCount(const unsigned char* block);
// Sets the count of a block whose data is already in place (0..2048).
void SetPassThroughCount(unsigned char* block, int count);
