// Every front end that draws from the store shows exactly what the store
// holds after every block of host data: the fixtures, the bundled capture
// and random streams rich in commands that change cells away from the
// cursor, fed in many block sizes. fuzz_repaint runs the same check on
// streams of its own for longer.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "repaint/HostStreams.h"
#include "repaint/RepaintCheck.h"
#include "support/FixtureFile.h"
#include "tools/replay/PrivateDirectory.h"

using repaint::CheckStream;
using repaint::FrontEnd;

namespace {

class Repaint : public ::testing::TestWithParam<FrontEnd> {
protected:
    // Each stream starts in an empty working directory of its own.
    std::string Check(const std::string& stream, const std::vector<size_t>& blocks) {
        PrivateDirectory directory("");
        if (!directory.Ok()) return "cannot make a working directory";
        return CheckStream(GetParam(), stream, blocks);
    }
};

// The host clears the last rows with ESC Y after they were drawn: mutt's
// "Search wrapped to top." stayed on screen in ovterm.
TEST_P(Repaint, EraseToEndOfPageAfterThePageWasDrawnClearsItOnScreen) {
    const std::string drawn = "\033+\033=* row ten\033=+ row eleven\033=7 hello on the last row";
    for (const char* erase : {"\033=* \033Y", "\033=* \033y", "\033=  \033&\033Y"}) {
        const std::string stream = drawn + erase;
        const std::string failure = Check(stream, {drawn.size(), stream.size() - drawn.size()});
        EXPECT_TRUE(failure.empty()) << failure;
    }
}

TEST_P(Repaint, FixturesInEveryBlockSize) {
    for (const testsupport::Fixture& fixture : testsupport::LoadFixtures(OV_FIXTURE_DIR)) {
        SCOPED_TRACE(fixture.file + ":" + std::to_string(fixture.line) + " " + fixture.name);
        const std::string& input = fixture.input;
        std::mt19937 random(static_cast<unsigned>(fixture.line));
        for (const std::vector<size_t>& blocks :
             {repaint::WholeBlock(input.size()), repaint::EvenBlocks(input.size(), 1),
              repaint::EvenBlocks(input.size(), 5), repaint::RandomChunks(random, input.size())}) {
            const std::string failure = Check(input, blocks);
            ASSERT_TRUE(failure.empty()) << failure;
        }
    }
}

TEST_P(Repaint, BundledCaptureInEveryBlockSize) {
    std::ifstream in(std::string(OV_FIXTURE_DIR) + "/samples/sample.cap", std::ios::binary);
    const std::string capture((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(capture.empty());
    std::mt19937 random(1);
    for (size_t size : {size_t(1), size_t(3), size_t(64), capture.size()}) {
        const std::string failure = Check(capture, repaint::EvenBlocks(capture.size(), size));
        ASSERT_TRUE(failure.empty()) << failure;
    }
    const std::string failure = Check(capture, repaint::RandomChunks(random, capture.size()));
    EXPECT_TRUE(failure.empty()) << failure;
}

TEST_P(Repaint, RandomStreamsInRandomBlocks) {
    // Fixed seeds: a failure names its stream and blocks, and comes back.
    constexpr unsigned kStreams = 300;
    for (unsigned seed = 1; seed <= kStreams; ++seed) {
        std::mt19937 random(seed);
        const std::string stream = repaint::RandomHostStream(random, 1500);
        const std::string failure = Check(stream, repaint::RandomChunks(random, stream.size()));
        ASSERT_TRUE(failure.empty()) << "seed " << seed << ": " << failure;
    }
}

// The checks themselves: a front end that misses a change is caught.
TEST_P(Repaint, AStaleCellIsReported) {
    PrivateDirectory directory("");
    ASSERT_TRUE(directory.Ok());
    // Nothing but the store changes here: the cell is written behind the
    // view's back, as a missing invalidation would leave it.
    EXPECT_NE(repaint::CheckStaleCellIsFound(GetParam()).find("line 3 column 5"), std::string::npos);
}

std::string FrontEndName(const ::testing::TestParamInfo<FrontEnd>& info) {
    std::string name = repaint::NameOf(info.param);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(FrontEnds, Repaint, ::testing::ValuesIn(repaint::kAllFrontEnds), FrontEndName);

}  // namespace
