// Cell words as the stored-lines file and the saved screens keep them:
// 32 bits, least significant byte first, whatever the machine.
#pragma once

inline unsigned LoadCellWord(const unsigned char* p) {
    return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8 | static_cast<unsigned>(p[2]) << 16 |
           static_cast<unsigned>(p[3]) << 24;
}

inline void StoreCellWord(unsigned char* p, unsigned word) {
    p[0] = static_cast<unsigned char>(word);
    p[1] = static_cast<unsigned char>(word >> 8);
    p[2] = static_cast<unsigned char>(word >> 16);
    p[3] = static_cast<unsigned char>(word >> 24);
}
