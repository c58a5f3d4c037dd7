// Byte-stream fixtures: bytes in, screen, cursor, cells and replies out.
//
// A fixture file (tests/fixtures/*.fix) holds cases:
//   === case name
//   in <bytes with escapes \e \r \n \t \s \0 \xHH \\>    (lines are concatenated)
//   row N <text>        expected screen row (code page 437 shown as UTF-8);
//                       "row N @C <text>" means the text starts at column C
//   cursor R C
//   sent <hex bytes>    what went to the host (nothing when absent)
//   printed <escaped>   what went to the printer (nothing when absent)
//   cell R C <hex>      an expected cell word
//   anyrows             rows not named may hold anything (otherwise blank)
//   run <escaped>       a program's command line the stream asked to run, in
//                       order (none when absent)
//   message <escaped>   a message box shown, "CAPTION: TEXT", in order (none when absent)
//   file NAME <escaped> a file the case leaves in its working directory
//
// Each replay runs in a fresh working directory of its own. Every case is
// also replayed with its input split at every byte position and one byte per
// block; the outcome must not change.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/FixtureFile.h"
#include "support/TempDirectory.h"
#include "tools/script/Escapes.h"
#include "tools/replay/PrivateDirectory.h"
#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace fs = std::filesystem;
using testsupport::Fixture;
using testsupport::FromHex;
using testsupport::LoadFixtures;
using testsupport::ToHex;
using script::Unescape;

namespace {

struct Outcome {
    std::vector<std::string> rows;
    std::vector<std::string> cells;
    std::string cursor;
    std::string sent;
    std::string printed;
    std::vector<std::string> runs;
    std::vector<std::string> messages;
    std::map<std::string, std::string> files;  // every file but SCRLINES.SRC
    bool operator==(const Outcome& o) const {
        return rows == o.rows && cells == o.cells && cursor == o.cursor && sent == o.sent &&
               printed == o.printed && runs == o.runs && messages == o.messages && files == o.files;
    }
};

std::map<std::string, std::string> FilesHere() {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (name == "SCRLINES.SRC") continue;
        if (!entry.is_regular_file()) {
            files[name] = "<not a file>";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        files[name].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

// Feeds the input in blocks that end at the given positions.
Outcome Replay(const std::string& input, const std::vector<size_t>& cuts) {
    PrivateDirectory directory("");
    if (!directory.Ok()) throw std::runtime_error("cannot make a working directory");
    ReplaySession session;
    size_t start = 0;
    for (size_t cut : cuts) {
        session.Feed(input.data() + start, cut - start);
        start = cut;
    }
    session.Feed(input.data() + start, input.size() - start);
    return {session.Rows(), session.CellRows(), session.Cursor(), session.Sent(), session.Printed(),
            session.Runs(), session.Messages(), FilesHere()};
}

std::string Describe(const Outcome& o) {
    std::string text;
    for (size_t i = 0; i < o.rows.size(); ++i)
        if (!o.rows[i].empty()) text += "  row " + std::to_string(i) + " |" + o.rows[i] + "|\n";
    text += "  cursor " + o.cursor + "\n  sent " + ToHex(o.sent) + "\n";
    for (const std::string& run : o.runs) text += "  run " + run + "\n";
    for (const std::string& message : o.messages) text += "  message " + message + "\n";
    for (const auto& file : o.files) text += "  file " + file.first + " (" + std::to_string(file.second.size()) + " bytes)\n";
    return text;
}

class FixtureTest : public ::testing::TestWithParam<Fixture> {};

TEST_P(FixtureTest, ScreenCursorAndReplies) {
    const Fixture& f = GetParam();
    SCOPED_TRACE(f.file + ":" + std::to_string(f.line) + " " + f.name);
    Outcome whole = Replay(f.input, {});
    for (int row = 0; row < screen::kShownRows; ++row) {
        auto expected = f.rows.find(row);
        if (expected != f.rows.end()) {
            EXPECT_EQ(whole.rows[row], expected->second) << "row " << row << "\n" << Describe(whole);
        } else if (!f.anyRows) {
            EXPECT_EQ(whole.rows[row], "") << "row " << row << " should be blank\n" << Describe(whole);
        }
    }
    if (f.hasCursor) {
        EXPECT_EQ(whole.cursor, f.cursor);
    }
    EXPECT_EQ(ToHex(whole.sent), ToHex(f.sent));
    EXPECT_EQ(whole.printed, f.printed);
    EXPECT_EQ(whole.runs, f.runs);
    EXPECT_EQ(whole.messages, f.messages);
    // Files the case names must be there as given; print captures may
    // leave others unnamed.
    for (const auto& expected : f.files) {
        auto found = whole.files.find(expected.first);
        ASSERT_NE(found, whole.files.end()) << "file " << expected.first << " missing\n" << Describe(whole);
        EXPECT_EQ(ToHex(found->second), ToHex(expected.second)) << "file " << expected.first;
    }
    for (const auto& expected : f.cells) {
        int r = expected.first.first, c = expected.first.second;
        std::istringstream words(whole.cells[r]);
        std::string word;
        for (int i = 0; i <= c; ++i) words >> word;
        char want[16];
        std::snprintf(want, sizeof want, "%08x", expected.second);
        EXPECT_EQ(word, want) << "cell " << r << "," << c;
    }
}

TEST_P(FixtureTest, SplitAnywhereBehavesAsOneBlock) {
    const Fixture& f = GetParam();
    SCOPED_TRACE(f.file + ":" + std::to_string(f.line) + " " + f.name);
    Outcome whole = Replay(f.input, {});
    for (size_t cut = 1; cut < f.input.size(); ++cut) {
        Outcome split = Replay(f.input, {cut});
        ASSERT_TRUE(split == whole) << "split at byte " << cut << "\nwhole:\n"
                                    << Describe(whole) << "split:\n" << Describe(split);
    }
    std::vector<size_t> everyByte;
    for (size_t cut = 1; cut < f.input.size(); ++cut) everyByte.push_back(cut);
    Outcome single = Replay(f.input, everyByte);
    EXPECT_TRUE(single == whole) << "one byte per block\nwhole:\n" << Describe(whole) << "split:\n"
                                 << Describe(single);
}

std::string CaseName(const ::testing::TestParamInfo<Fixture>& info) {
    std::string name = fs::path(info.param.file).stem().string() + "_" + std::to_string(info.param.line);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureTest, ::testing::ValuesIn(LoadFixtures(OV_FIXTURE_DIR)), CaseName);

}  // namespace
