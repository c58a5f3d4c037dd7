#include "repaint/HostStreams.h"

#include <cstring>

#include "view/CTermView.h"

namespace repaint {

namespace {

int Pick(std::mt19937& random, int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); }

// A parameter byte for a value; now and then one outside the screen.
char Param(std::mt19937& random, int below) {
    if (Pick(random, 20) == 0) return static_cast<char>(Pick(random, 256));
    return static_cast<char>(0x20 + Pick(random, below));
}

std::string Text(std::mt19937& random) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,-=+*#";
    std::string text;
    const int length = 1 + Pick(random, Pick(random, 4) == 0 ? 90 : 12);
    for (int i = 0; i < length; ++i)
        text += Pick(random, 25) == 0 ? static_cast<char>(0x80 + Pick(random, 0x80))
                                      : kLetters[Pick(random, sizeof kLetters - 1)];
    return text;
}

// One piece of a stream: a run of text, a control character or a command.
std::string Piece(std::mt19937& random) {
    static const char kControls[] = {0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x10, 0x15, 0x16, 0x1E, 0x1F};
    static const char kAttributes[] = "0124458:<@DHptx";
    static const char kWriteAttributes[] = "67ABCDEF";
    static const char kSimple[] = "TtYy*+,:;QWERqr&')(VjI{i0125JK]}NOf";
    const char attribute = kAttributes[Pick(random, sizeof kAttributes - 1)];
    switch (Pick(random, 34)) {
    case 0: case 1: case 2: case 3: case 4: case 5:
        return Text(random);
    case 6: case 7:
        return std::string(1, kControls[Pick(random, sizeof kControls)]);
    case 8:
        return std::string(static_cast<size_t>(1 + Pick(random, 30)), '\n');
    case 9: case 10:
        return std::string("\033=") + Param(random, 25) + Param(random, 80);
    case 11: case 12: case 13:
        return std::string("\033") + kSimple[Pick(random, sizeof kSimple - 1)];
    case 14: case 15:
        return std::string("\033G") + attribute;
    case 16:
        return std::string("\033!") + attribute;
    case 17:
        return std::string("\033A") + static_cast<char>('0' + Pick(random, 2)) + attribute;
    case 18:
        return std::string("\033`") + kWriteAttributes[Pick(random, sizeof kWriteAttributes - 1)];
    case 19:
        // Batched scrolling on or off.
        return std::string("\033`c") + (Pick(random, 2) ? '@' : '<');
    case 20:
        return std::string("\033^") + static_cast<char>('0' + Pick(random, 2));
    case 21:
    case 31:
        // A recalled line, which may carry a line size: a size in column 0
        // sizes the row, so that is where most go.
        return std::string("\033>") + Param(random, 24) + (Pick(random, 4) ? ' ' : Param(random, 80)) +
               static_cast<char>(0x20 + Pick(random, kSizedRecords));
    case 22:
        // Saved screens: save or restore slots 0 and 1.
        return std::string("\033s") + static_cast<char>('0' + Pick(random, 4));
    case 23:
        return std::string("\033u") + static_cast<char>(0x20 + Pick(random, 20)) + (Pick(random, 2) ? '0' : '1');
    case 24:
        // A box, with its left, top, width and height.
        return std::string("\033Z") + Param(random, 70) + Param(random, 20) + Param(random, 12) +
               Param(random, 6) + "+-+|+-+|";
    case 25: {
        // Block attributes: colours, flag, intensity, operation, width, height.
        std::string text = "\033c";
        for (int i = 0; i < 5; ++i) text += static_cast<char>('0' + Pick(random, 8));
        return text + Param(random, 20) + Param(random, 6);
    }
    case 26:
        // A rectangle moved up or down, or cleared.
        return std::string("\033g") + Param(random, 70) + Param(random, 20) + Param(random, 12) +
               Param(random, 6) + static_cast<char>('0' + Pick(random, 3)) + static_cast<char>('0' + Pick(random, 3));
    case 27:
        // A rectangle moved left or right.
        return std::string("\033h") + Param(random, 70) + Param(random, 20) + Param(random, 12) +
               Param(random, 6) + static_cast<char>('0' + Pick(random, 2)) + Param(random, 4) +
               static_cast<char>('0' + Pick(random, 3));
    case 28:
        return std::string("\033.") + static_cast<char>(0x21 + Pick(random, 0x5E));
    case 29:
        return std::string(Pick(random, 2) ? "\033C" : "\033v") + Param(random, 20);
    case 30:
        // The message line or a function-key label.
        return std::string(Pick(random, 2) ? "\033z(" : "\033z0") + Text(random) + "\r";
    case 32:
        return std::string("\033H") + static_cast<char>(0x30 + Pick(random, 16));
    default:
        // Text over a whole row, which wraps or fills the rest of it.
        return std::string(static_cast<size_t>(40 + Pick(random, 60)), static_cast<char>('a' + Pick(random, 26)));
    }
}

}  // namespace

std::string RandomHostStream(std::mt19937& random, size_t length) {
    std::string stream;
    while (stream.size() < length) stream += Piece(random);
    return stream;
}

std::vector<size_t> RandomChunks(std::mt19937& random, size_t size) {
    std::vector<size_t> chunks;
    for (size_t fed = 0; fed < size;) {
        const int kind = Pick(random, 10);
        size_t chunk = kind < 6 ? 1 + Pick(random, 8) : kind < 9 ? 1 + Pick(random, 64) : 1 + Pick(random, 500);
        if (chunk > size - fed) chunk = size - fed;
        chunks.push_back(chunk);
        fed += chunk;
    }
    return chunks;
}

std::string LineRecordsWithSizes() {
    constexpr size_t kRecordBytes = 640;
    std::string file(201 * kRecordBytes, '\0');
    static const unsigned kSizes[kSizedRecords] = {
        0, cell::kDoubleWidth, cell::kDoubleWidth | cell::kDoubleHeight,
        cell::kDoubleWidth | cell::kDoubleHeight | cell::kLowerHalf, cell::kDoubleHeight,
        cell::kDoubleHeight | cell::kLowerHalf};
    static const char* const kTexts[kSizedRecords] = {"plain line", "wide line", "tall top", "tall bottom",
                                                      "narrow top", "narrow bottom"};
    for (int record = 0; record < kSizedRecords; ++record) {
        unsigned words[160];
        for (unsigned& word : words) word = 0x20;
        const size_t length = std::strlen(kTexts[record]);
        for (size_t i = 0; i < length; ++i) {
            words[i] = static_cast<unsigned char>(kTexts[record][i]);
            // Every other word of a line reversed, so attribute runs split.
            if (i % 3 == 1) words[i] |= cell::kReverse;
        }
        words[0] |= kSizes[record];
        for (int i = 0; i < 160; ++i)
            for (int b = 0; b < 4; ++b)
                file[record * kRecordBytes + static_cast<size_t>(i) * 4 + static_cast<size_t>(b)] =
                    static_cast<char>((words[i] >> (8 * b)) & 0xFF);
    }
    return file;
}

}  // namespace repaint
