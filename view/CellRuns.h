// Writing runs of cells: the two loops the interpreter's hot path spends its
// time in. Runs are short (a word, a field, the rest of a row), so they go
// four cells at a time, and the last four cells of a run are done as one
// more group that may overlap the one before: both operations give the same
// cell whether applied to the old or the already written value, so the
// overlap is harmless and saves a tail loop. That last group is read before
// anything is stored: reading it back after an overlapping store would stall
// the processor's store forwarding on every run.
#pragma once

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "view/CTermView.h"

namespace cellruns {

// cells[i] := the character byte of cells[i] with the attribute bits of attr.
inline void SetAttr(unsigned* cells, int count, unsigned attr) {
    const unsigned charBits = cell::kCharMask;
    attr &= ~charBits;
#if defined(__SSE2__)
    if (count >= 4) {
        const __m128i keep = _mm_set1_epi32(static_cast<int>(charBits));
        const __m128i add = _mm_set1_epi32(static_cast<int>(attr));
        auto set = [&](__m128i old) { return _mm_or_si128(_mm_and_si128(old, keep), add); };
        auto at = [&](int i) { return reinterpret_cast<__m128i*>(cells + i); };
        auto four = [&](int i) { _mm_storeu_si128(at(i), set(_mm_loadu_si128(at(i)))); };
        const __m128i last = _mm_loadu_si128(at(count - 4));
        // Attribute runs often reach the end of the row: sixteen at a time first.
        int i = 0;
        for (; i + 16 < count; i += 16) {
            four(i);
            four(i + 4);
            four(i + 8);
            four(i + 12);
        }
        for (; i + 4 < count; i += 4) four(i);
        _mm_storeu_si128(at(count - 4), set(last));
        return;
    }
#endif
    for (int i = 0; i < count; ++i) cells[i] = (cells[i] & charBits) | attr;
}

// out[i] := character text[i], with the bits of out[i] that keep selects
// (never character bits) and the bits of add.
inline void WriteChars(unsigned* __restrict out, const char* __restrict text, int count, unsigned keep, unsigned add) {
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    keep &= ~cell::kCharMask;
    add &= ~cell::kCharMask;
#if defined(__SSE2__)
    if (count >= 4) {
        const __m128i keepBits = _mm_set1_epi32(static_cast<int>(keep));
        const __m128i addBits = _mm_set1_epi32(static_cast<int>(add));
        const __m128i zero = _mm_setzero_si128();
        auto write = [&](int i, __m128i old) {
            std::uint32_t bytes;
            std::memcpy(&bytes, in + i, sizeof bytes);
            const __m128i chars =
                _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), zero), zero);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_or_si128(chars, _mm_or_si128(_mm_and_si128(old, keepBits), addBits)));
        };
        auto at = [&](int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i)); };
        const __m128i last = at(count - 4);
        for (int i = 0; i + 4 < count; i += 4) write(i, at(i));
        write(count - 4, last);
        return;
    }
#endif
    for (int i = 0; i < count; ++i) out[i] = in[i] | (out[i] & keep) | add;
}

}  // namespace cellruns
