// The interpreter takes printable text in bulk and merges steps whose
// combined effect is known, except while the received bytes are being
// logged: then every byte goes through its handler one at a time. Both ways
// must leave the same store, marks, cursor and output for any stream, in any
// blocks. Streams here are random but weighted towards the sequences the fast
// path treats specially (text, embedded attributes, addressing, marks).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "session/CTermController.h"
#include "tests/support/SessionState.h"
#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace {

class Rng {
public:
    explicit Rng(uint64_t seed) : engine(seed) {}
    int Range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine); }
    char Byte(int lo, int hi) { return static_cast<char>(Range(lo, hi)); }

private:
    std::mt19937_64 engine;
};

const char ESC = 0x1b;

void AppendToken(std::string& s, Rng& rng) {
    static const char kAttrCodes[] = {'0', '1', '2', '4', '8', 'p', 't', 'x', '<', ' '};
    static const char* const kModes[] = {"\033&", "\033'", "\033)", "\033(", "\033q", "\033r",
                                         "\033H\x02", "\033H\x03", "\033O", "\033N"};
    static const char* const kEdits[] = {"\033T", "\033Y", "\033E", "\033R", "\033Q", "\033W", "\033j",
                                         "\033*", "\033;", "\033:", "\033{", "\033I", "\033i", "\0331",
                                         "\0332", "\0330", "\0334", "\0335", "\033?", "\033b",
                                         "\033M", "\033]", "\033}", "\0336", "\0337"};
    static const char* const kMotions[] = {"\b", "\x0b", "\x0c", "\t", "\x10", "\x15", "\033I", "\033i",
                                           "\033j", "\n", "\r", "\r\n", "\n\r", "\n\x0c"};
    switch (rng.Range(0, 16)) {
    case 0:
    case 1: {  // a word and a space, the commonest text
        for (int n = rng.Range(1, 8); n > 0; --n) s += rng.Byte('a', 'z');
        s += ' ';
        break;
    }
    case 2: {  // a long run, any printable byte, often reaching the line end
        for (int n = rng.Range(1, 120); n > 0; --n) s += rng.Byte(0x20, 0xFF);
        break;
    }
    case 3:
    case 4:
    case 5:  // embedded attribute
        s += ESC;
        s += 'G';
        s += rng.Range(0, 4) ? kAttrCodes[rng.Range(0, 9)] : rng.Byte(0x00, 0xFF);
        break;
    case 6:
    case 7:  // addressing, sometimes outside the screen or split by a control byte
        s += ESC;
        s += '=';
        if (rng.Range(0, 15) == 0) s += rng.Byte(0x00, 0x1F);
        s += rng.Byte(0x1E, 0x3A);
        s += rng.Byte(0x1E, 0x72);
        break;
    case 8:  // decimal addressing
        s += ESC;
        s += 'a';
        s += std::to_string(rng.Range(0, 30));
        s += 'R';
        s += std::to_string(rng.Range(0, 90));
        s += 'C';
        break;
    case 9:
        s += "\r\n";
        break;
    case 10: {  // any control byte but the printer's (tested elsewhere)
        char c = rng.Byte(0x00, 0x1F);
        if (c != 0x12 && c != 0x18) s += c;
        break;
    }
    case 11:
        s += kModes[rng.Range(0, 9)];
        break;
    case 12:
        s += kEdits[rng.Range(0, static_cast<int>(sizeof kEdits / sizeof kEdits[0]) - 1)];
        break;
    case 13:  // area and screen attributes, write attribute
        s += ESC;
        s += rng.Range(0, 1) ? 'A' : '!';
        if (s.back() == 'A') s += rng.Byte('0', '2');
        s += kAttrCodes[rng.Range(0, 9)];
        break;
    case 14:  // any escape with a parameter byte or two
        s += ESC;
        s += rng.Byte(0x20, 0x7F);
        for (int n = rng.Range(0, 2); n > 0; --n) s += rng.Byte(0x20, 0x7E);
        break;
    case 15: {  // a row written out to column 79, then a relative motion (full-screen editors)
        s += ESC;
        s += '=';
        s += rng.Range(0, 3) == 0 ? '7' : rng.Byte(0x20, 0x37);
        const int col = rng.Range(0, 79);
        s += static_cast<char>(0x20 + col);
        for (int n = 80 - col; n > 0; --n) s += rng.Byte('a', 'z');
        s += kMotions[rng.Range(0, static_cast<int>(sizeof kMotions / sizeof kMotions[0]) - 1)];
        break;
    }
    default:  // text followed at once by an attribute (the common screen shape)
        for (int n = rng.Range(1, 6); n > 0; --n) s += rng.Byte('A', 'Z');
        s += ESC;
        s += 'G';
        s += kAttrCodes[rng.Range(0, 4)];
        break;
    }
}

TEST(FastPathEquivalence, RandomStreamsLeaveTheSameState) {
    for (uint64_t seed = 1; seed <= 120; ++seed) {
        Rng rng(seed);
        ReplaySession fast;
        ReplaySession literal;
        ASSERT_TRUE(literal.View().OpenScopeLog("equivalence.log"));
        ASSERT_TRUE(literal.View().IsLogging());
        ASSERT_FALSE(fast.View().IsLogging());

        for (int chunk = 0; chunk < 24; ++chunk) {
            std::string bytes;
            for (int tokens = rng.Range(1, 40); tokens > 0; --tokens) AppendToken(bytes, rng);
            const size_t block = rng.Range(0, 3) == 0 ? rng.Range(1, 9) : ReplaySession::kBlockSize;
            fast.Feed(bytes, block);
            literal.Feed(bytes, block);
            const std::string difference = testsupport::FirstStateDifference(fast, literal);
            ASSERT_TRUE(difference.empty()) << "seed " << seed << " chunk " << chunk << " block " << block
                                            << " bytes " << testing::PrintToString(bytes) << "\n"
                                            << difference;
        }
        literal.View().CloseScopeLog();
    }
}

// The merged steps must also hold at the edges: column 0 (where the attribute
// before the mark is the cell's own), column 79 and 80, row 24, and the last
// byte of a block.
TEST(FastPathEquivalence, AttributeThenTextAtTheEdges) {
    const std::string cases[] = {
        "\033=  \033G4abc",                      // column 0
        "\033= !\033G4abc",                      // column 1
        "\033= o\033G4ab",                       // column 79
        "\033= o\033G4a\033G8b",                 // attribute at 79, text wraps
        "\033= o" "x\033G4abc",                  // column 80 after text (pending wrap)
        "\033=7 \033G4 \033G0z\033=7*\033G8q",  // row 24, marks left and right
        "\033= 0\033G4\033= (\033G2xyz",         // an earlier mark to the right
        "\033G4\033G8abc",                       // two attributes at one place
        "\033&\033)abc\033(\033= !\033G4xyz",    // protect mode moves the cursor on
        "\033qab\033= !\033G4xy\033r",           // insert mode
        "\033= !\033G4\r\nq",                    // control byte between
        "\033= !\033G4\033G",                    // block ends inside the next sequence
    };
    for (const std::string& bytes : cases) {
        for (size_t block : {size_t(1), size_t(2), size_t(3), size_t(5), ReplaySession::kBlockSize}) {
            ReplaySession fast;
            ReplaySession literal;
            ASSERT_TRUE(literal.View().OpenScopeLog("equivalence.log"));
            fast.Feed(bytes, block);
            literal.Feed(bytes, block);
            const std::string difference = testsupport::FirstStateDifference(fast, literal);
            EXPECT_TRUE(difference.empty()) << testing::PrintToString(bytes) << " block " << block << "\n"
                                            << difference;
            literal.View().CloseScopeLog();
        }
    }
}

// In local mode what the terminal transmits comes straight back as received
// bytes, while the sequence that asked for it is still being handled: it is
// text, not the rest of that sequence, whichever way the bytes go.
TEST(FastPathEquivalence, LocalModeTransmissionsComeBackAsText) {
    const struct {
        const char* bytes;
        const char* row0;
        const char* cursor;
    } cases[] = {
        {"\033= !\033?", "  !", "0 0"},        // cursor address: row, column, CR
        {"\033= !\005", " `", "0 2"},          // ENQ answers a back-quote
        {"ab\033= $\0336", "ab  ab", "1 4"},  // the whole row: 80 cells, so it wraps
    };
    for (const auto& c : cases) {
        for (bool logging : {false, true}) {
            ReplaySession session;
            session.Controller().SetLocalMode(1);
            if (logging) {
                ASSERT_TRUE(session.View().OpenScopeLog("equivalence.log"));
            }
            session.Feed(std::string(c.bytes));
            SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)) + (logging ? " byte by byte" : " in bulk"));
            EXPECT_EQ(session.Rows()[0], c.row0);
            EXPECT_EQ(session.Cursor(), c.cursor);
            EXPECT_EQ(session.View().GetAttrAt(0, 0), session.View().GetDefaultAttr());
            session.View().CloseScopeLog();
        }
    }
}

}  // namespace
