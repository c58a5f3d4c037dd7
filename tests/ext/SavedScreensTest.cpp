// Stored lines in "SCRLINES.SRC": the record layout on disk (201 records of
// 640 bytes, little-endian cell words), records kept across emulators, and a
// file that cannot be opened.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ext/ExtTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace fs = std::filesystem;
using settingstest::ReadFile;

namespace {

constexpr size_t kRecord = 640;
constexpr size_t kFileSize = 201 * kRecord;

// Rows 0 and 1 of the screen as a record: 160 cell words, little-endian.
std::string RecordOfScreen(ReplaySession& session) {
    std::string record;
    for (int i = 0; i < 160; ++i) {
        unsigned word = session.View().GetCellAt(i / 80, i % 80);
        for (int b = 0; b < 4; ++b) record += static_cast<char>((word >> (8 * b)) & 0xFF);
    }
    return record;
}

TEST(StoredLines, EachRecordLandsAtItsOffsetAndNothingElseChanges) {
    struct Case {
        unsigned char recordByte;
        size_t offset;
    };
    for (const Case c : {Case{0x20, 0}, Case{0x21, 640}, Case{0xE7, 127360}}) {
        exttest::ScopedWorkDirectory dir;
        ReplaySession session;
        const std::string blank = ReadFile("SCRLINES.SRC");
        ASSERT_EQ(blank.size(), kFileSize);
        // Attributes and a character above 0x7F, on both rows, show the byte order.
        session.Feed("\x1bG4Top\xb3row\r\nsecond\x1bG0 row");
        const std::string expected = RecordOfScreen(session);
        ASSERT_EQ(expected.substr(0, 4), std::string("\x54\x01\x00\x00", 4));
        session.Feed(std::string("\x1b<") + static_cast<char>(c.recordByte));
        const std::string file = ReadFile("SCRLINES.SRC");
        ASSERT_EQ(file.size(), kFileSize);
        EXPECT_EQ(file.substr(c.offset, kRecord), expected) << std::hex << int(c.recordByte);
        EXPECT_EQ(file.substr(0, c.offset), blank.substr(0, c.offset));
        EXPECT_EQ(file.substr(c.offset + kRecord), blank.substr(c.offset + kRecord));
        EXPECT_TRUE(session.Messages().empty());
    }
}

TEST(StoredLines, RecordTwoHundredIsWrittenBackFromMemoryAndOthersNotAtAll) {
    exttest::ScopedWorkDirectory dir;
    ReplaySession session;
    const std::string blank = ReadFile("SCRLINES.SRC");
    session.Feed(std::string("text\x1b<\xe8\x1b<\x1f\x1b<\xff\x1b<\x10", 14));
    EXPECT_EQ(ReadFile("SCRLINES.SRC"), blank);
    EXPECT_EQ(session.Rows()[0], "text");
}

TEST(StoredLines, ARecordStoredNowIsRecalledByTheNextEmulator) {
    exttest::ScopedWorkDirectory dir;
    {
        ReplaySession first;
        first.Feed("kept line\x1b<\x2a");
    }
    ReplaySession second;
    second.Feed("\x1b>\x27\x23\x2a");
    EXPECT_EQ(second.Rows()[7], "   kept line");
}

TEST(StoredLines, AFileThatCannotBeOpenedShowsTheMessageAndTheStreamGoesOn) {
    exttest::ScopedWorkDirectory dir;
    ReplaySession session;
    fs::remove("SCRLINES.SRC");
    fs::create_directory("SCRLINES.SRC");  // a directory in its place
    session.Feed("AB\x1b<\x20" "CD\x1b" "F<\x21" "EF");
    EXPECT_EQ(session.Messages(), (std::vector<std::string>{"File Open Error: SCRLINES.SRC Open file failure",
                                                            "File Open Error: SCRLINES.SRC Open file failure"}));
    EXPECT_EQ(session.Rows()[0], "ABCDEF");
    // The memory copy is untouched too: recall gives the blank record.
    session.Feed("\x1b>\x22\x20\x20");
    EXPECT_EQ(session.Rows()[2], "");
}

TEST(StoredLines, ADirectoryInTheWayAtStartIsReportedAndRecallStaysInsideTheScreen) {
    exttest::ScopedWorkDirectory dir;
    fs::create_directory("SCRLINES.SRC");
    ReplaySession session;
    session.Feed("AB\x1b<\x20\x1b>\x20\x20\x20X");
    EXPECT_EQ(session.Messages(), (std::vector<std::string>{"File Creation Error: Error Creating SCRELINES.SRC",
                                                            "File Open Error: SCRLINES.SRC Open file failure"}));
    // Record 0 was never loaded: its NUL cells blank row 0 up to column 78.
    EXPECT_EQ(session.Rows()[0], "  X");
    EXPECT_EQ(session.View().GetCellAt(0, 78), 0u);
    EXPECT_EQ(session.View().GetCellAt(0, 79), 0x20u);
}

TEST(StoredLines, AReadOnlyDirectoryKeepsTheRecordsInMemoryOnly) {
    if (exttest::PermissionsAreIgnored()) GTEST_SKIP() << "permissions do not bind this user";
    exttest::ScopedWorkDirectory dir;
    chmod(dir.Path().c_str(), 0555);
    ReplaySession session;
    session.Feed("AB\x1b<\x20Z");
    EXPECT_EQ(session.Messages().size(), 2u);
    EXPECT_EQ(session.Rows()[0], "ABZ");
    EXPECT_FALSE(fs::exists("SCRLINES.SRC"));
}

}  // namespace
