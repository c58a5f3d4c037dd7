// Emulator behaviour a byte-stream fixture cannot show: how text reaches the
// view, key strings, the screen-lines file, the printer, the scope log.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "emu/CWyse50Emulator.h"
#include "session/CTermController.h"
#include "support/TempDirectory.h"
#include "tools/script/Escapes.h"
#include "tools/replay/CaptureDevices.h"
#include "tools/replay/HeadlessPort.h"
#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace fs = std::filesystem;
using script::Unescape;

namespace {

// A real view that also notes the text runs and messages it is given.
class NotingView : public CWinTermView {
public:
    NotingView(CTermController* c, int* failed, CWindowPort* port) : CWinTermView(c, failed, port) {}
    void PutText(const char* text, int len) override {
        calls.push_back("PutText " + std::string(text, static_cast<size_t>(len)));
        CWinTermView::PutText(text, len);
    }
    void CarriageReturn() override {
        calls.push_back("CarriageReturn");
        CWinTermView::CarriageReturn();
    }
    int MessageBox(const char* text, const char* caption, unsigned type) override {
        messages.push_back(std::string(caption) + ": " + text + " /" + std::to_string(type));
        return 1;
    }
    std::vector<std::string> calls;
    std::vector<std::string> messages;
};

class FailingPrinter : public CTermPrinter {
public:
    int Open() override { return 0; }
    int Write(const char*, int) override { return 0; }
    void Close() override {}
    int PrintFile(const char*) override { return 0; }
};

// A controller with a noting view, a capture transport and a chosen printer.
struct Rig {
    explicit Rig(CTermPrinter* printer = new CCapturePrinter) {
        int failed = 0;
        view = new NotingView(&controller, &failed, &port);
        controller.AdoptView(view);
        controller.AdoptPrinter(printer);
        int status = 0;
        comms = new CCaptureComm(&status, view, nullptr);
        controller.AdoptComms(comms);
        controller.CreateEmulator(&status, view, nullptr, CTermController::kWyse50Emulator);
        emulator = static_cast<CWyse50Emulator*>(controller.Emulator());
    }
    void Feed(const std::string& bytes) { emulator->OnReceive(bytes.data(), static_cast<int>(bytes.size())); }

    CHeadlessPort port;
    CTermController controller;
    NotingView* view = nullptr;
    CCaptureComm* comms = nullptr;
    CWyse50Emulator* emulator = nullptr;
};

TEST(EmulatorRuns, TextIsBatchedIntoRunsEndingAtControlBytesAndBlockEnds) {
    Rig rig;
    rig.Feed("AB\rC");
    EXPECT_EQ(rig.view->calls, (std::vector<std::string>{"PutText AB", "CarriageReturn", "PutText C"}));
}

TEST(EmulatorRuns, ARunIsCutWhereItReachesColumn80) {
    Rig rig;
    rig.Feed(Unescape("\\e=\\x20\\x6b"));  // column 75
    rig.view->calls.clear();
    rig.Feed("123456");
    EXPECT_EQ(rig.view->calls, (std::vector<std::string>{"PutText 12345", "PutText 6"}));
}

// After a full row the column is 80, so the first byte of the next row is a
// run of its own (it performs the wrap); the rest of the row follows as one.
TEST(EmulatorRuns, LongTextIsWrittenInRowSizedRuns) {
    Rig rig;
    rig.Feed(std::string(200, 'x'));
    auto run = [](size_t n) { return "PutText " + std::string(n, 'x'); };
    EXPECT_EQ(rig.view->calls, (std::vector<std::string>{run(80), run(1), run(79), run(1), run(39)}));
}

TEST(EmulatorKeys, EscZProgramsFunctionKeyStrings) {
    struct Case {
        const char* bytes;
        int table, key;
        std::string expected;
    } cases[] = {
        {"\\ez@ABC\\x7f", 0, 0, "ABC"},
        {"\\ez`X\\x7f", 1, 0, "X"},
        {"\\ezJ11\\x7f", 0, 10, "11"},
        {"\\ezO\\e\\r\\x01\\x7f", 0, 15, "\x1b\r\x01"},
        {"\\ezo\\x7f", 1, 15, ""},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.Feed(Unescape(c.bytes));
        EXPECT_EQ(rig.emulator->FunctionKeyString(c.table, c.key), c.expected) << c.bytes;
        EXPECT_EQ(rig.emulator->Mode(), 0u);
    }
}

TEST(EmulatorKeys, AKeyStringKeeps79CharactersAndAnEmptyOneRestoresTheDefault) {
    Rig rig;
    rig.Feed(Unescape("\\ezA") + std::string(100, 'k') + "\x7f" + "Z");
    EXPECT_EQ(std::string(rig.emulator->FunctionKeyString(0, 1)), std::string(79, 'k'));
    EXPECT_EQ(rig.view->GetCharAt(0, 0), 'Z');
    rig.Feed(Unescape("\\ezA\\x7f"));
    EXPECT_STREQ(rig.emulator->FunctionKeyString(0, 1), "");
}

TEST(EmulatorKeys, AnUnendedKeyStringStaysAsFarAsItCame) {
    Rig rig;
    rig.Feed(Unescape("\\ezBpart"));
    EXPECT_STREQ(rig.emulator->FunctionKeyString(0, 2), "part");
    rig.Feed("ial\x7f");
    EXPECT_STREQ(rig.emulator->FunctionKeyString(0, 2), "partial");
}

TEST(EmulatorPrinter, AFailedOpenShowsOneMessageAndTheBytesAreInterpreted) {
    Rig rig(new FailingPrinter);
    rig.Feed("\x12" "AB");
    EXPECT_EQ(rig.view->messages, (std::vector<std::string>{"Printer Error: Cannot open printer. /48"}));
    EXPECT_EQ(rig.view->GetCharAt(0, 0), 'A');
    EXPECT_EQ(rig.view->GetCharAt(0, 1), 'B');
}

TEST(EmulatorPrinter, PassThroughOutlivesTheBlock) {
    Rig rig;
    rig.Feed("\x12" "AB");
    rig.Feed("CD EF");
    auto* printer = static_cast<CCapturePrinter*>(rig.controller.Printer());
    EXPECT_EQ(printer->printed, "ABCD");
    EXPECT_TRUE(printer->open) << "the space ends pass-through without closing the printer";
    rig.Feed("\x14");
    EXPECT_FALSE(printer->open);
    EXPECT_EQ(rig.view->GetCharAt(0, 0), 'E');
}

TEST(EmulatorLog, EveryReceivedByteIsLoggedInOrder) {
    Rig rig;
    ASSERT_TRUE(rig.view->OpenScopeLog("scope.log"));
    std::string bytes = Unescape("plain text\\r\\n\\e=\\x21\\x22\\eG4more\\x12pr \\x14end");
    rig.Feed(bytes);
    rig.view->CloseScopeLog();
    std::ifstream in("scope.log", std::ios::binary);
    std::string logged((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(logged, bytes);
    fs::remove("scope.log");
}

// The text fast path and the byte-at-a-time path (taken while logging) must
// leave the same screen for any input.
TEST(EmulatorRuns, FastPathMatchesByteAtATimeOnRandomStreams) {
    const std::vector<std::string> pieces = {
        "hello", "world wide text run ", "\r", "\n", "\r\n", "\t", "\x08", "\x0b", "\x1b=",
        "\x1bG4", "\x1bG0", "\x1bG8", "\x1b)", "\x1b(", "\x1b&", "\x1b'", "\x1bH\x02", "\x1bH\x03",
        "0123", "\x1bq", "\x1br", "\x1bT", "\x1b" "E", "\x1bR", "\x1bQ", "\x1bW", "\x1bj", "\x1b`6",
        "\x1b/1", "\x1b" "f", "\x1a", "\x1e", "\xc4\xb3", "\x1b,", "\x1b;", std::string(90, 'w'),
    };
    std::mt19937 random(12345);
    for (int round = 0; round < 40; ++round) {
        std::string stream;
        for (int i = 0; i < 300; ++i) {
            stream += pieces[random() % pieces.size()];
            if (random() % 4 == 0) stream += static_cast<char>(0x20 + random() % 0x60);
        }
        ReplaySession fast;
        fast.Feed(stream);
        ReplaySession slow;
        ASSERT_TRUE(slow.View().OpenScopeLog("fastpath.log"));
        slow.Feed(stream);
        slow.View().CloseScopeLog();
        ASSERT_EQ(fast.CellRows(), slow.CellRows()) << "round " << round;
        ASSERT_EQ(fast.Cursor(), slow.Cursor()) << "round " << round;
        for (int row = 0; row < screen::kShownRows; ++row)
            for (int col = 0; col < screen::kColumns; ++col)
                ASSERT_EQ(fast.View().IsMarkedAt(row, col), slow.View().IsMarkedAt(row, col))
                    << "round " << round << " mark " << row << "," << col;
    }
    fs::remove("fastpath.log");
}

class ScreenLinesFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(testsupport::WorkDirectory()) / "screenlines";
        fs::create_directories(dir);
        previous = fs::current_path();
        fs::current_path(dir);
        fs::remove("SCRLINES.SRC");
    }
    void TearDown() override {
        fs::current_path(previous);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir, previous;
};

TEST_F(ScreenLinesFile, IsCreatedWith201RecordsOfTheBlankTopRows) {
    Rig rig;
    ASSERT_TRUE(fs::exists("SCRLINES.SRC"));
    EXPECT_EQ(fs::file_size("SCRLINES.SRC"), 201u * 640u);
    std::ifstream in("SCRLINES.SRC", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Every cell word is a blank: 0x20 little-endian.
    for (size_t i = 0; i < bytes.size(); i += 4) {
        ASSERT_EQ(bytes.substr(i, 4), std::string("\x20\0\0\0", 4)) << "offset " << i;
    }
    EXPECT_EQ(rig.emulator->LineRecord(200)[0], 0x20);
}

TEST_F(ScreenLinesFile, AnExistingFileIsLoadedRecordByRecord) {
    {
        std::ofstream out("SCRLINES.SRC", std::ios::binary);
        for (int record = 0; record < 201; ++record) out << std::string(640, static_cast<char>(record));
    }
    Rig rig;
    EXPECT_EQ(rig.emulator->LineRecord(0)[0], 0);
    EXPECT_EQ(rig.emulator->LineRecord(7)[639], 7);
    EXPECT_EQ(rig.emulator->LineRecord(200)[100], 200);
    EXPECT_EQ(fs::file_size("SCRLINES.SRC"), 201u * 640u);
}

TEST_F(ScreenLinesFile, AShortFileKeepsBlankRecordsWhereItHasNone) {
    {
        std::ofstream out("SCRLINES.SRC", std::ios::binary);
        out << std::string(640 + 100, 'Q');
    }
    Rig rig;
    EXPECT_EQ(rig.emulator->LineRecord(0)[639], 'Q');
    EXPECT_EQ(rig.emulator->LineRecord(1)[99], 'Q');
    EXPECT_EQ(rig.emulator->LineRecord(1)[100], 0x20);
    EXPECT_EQ(rig.emulator->LineRecord(2)[0], 0x20);
    EXPECT_EQ(fs::file_size("SCRLINES.SRC"), 740u) << "an existing file is not rewritten";
}

TEST_F(ScreenLinesFile, AFileThatCannotBeCreatedIsReportedAndTheEmulatorStillWorks) {
    // A directory of that name can be neither opened nor created as a file,
    // whoever runs the test.
    fs::create_directory("SCRLINES.SRC");
    Rig rig;
    EXPECT_EQ(rig.view->messages,
              (std::vector<std::string>{"File Creation Error: Error Creating SCRELINES.SRC /48"}));
    rig.Feed("ok");
    EXPECT_EQ(rig.view->GetCharAt(0, 1), 'k');
}

}  // namespace
