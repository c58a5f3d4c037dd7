// Print capture through the real emulator and view: ESC $ / ESC F $ ... SUB
// into the rotating "OVPRINT." files of the working directory, each handed
// whole to the printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "emu/CWyse50Emulator.h"
#include "session/CTermController.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tools/replay/CaptureDevices.h"
#include "tools/replay/HeadlessPort.h"
#include "tools/replay/ScreenText.h"
#include "tools/script/Escapes.h"
#include "view/CWinTermView.h"

namespace fs = std::filesystem;
using script::Unescape;
using settingstest::FileExists;
using settingstest::ListDirectory;
using settingstest::ReadFile;

namespace {

using PrintedFile = std::pair<std::string, std::string>;  // name, contents when printed

// Reads each file when it is handed over: later captures reuse the names.
class FileReadingPrinter : public CCapturePrinter {
public:
    int PrintFile(const char* fileName) override {
        printedFiles.emplace_back(fileName, FileExists(fileName) ? ReadFile(fileName) : "<missing>");
        return CCapturePrinter::PrintFile(fileName);
    }
    std::vector<PrintedFile> printedFiles;
};

struct Session {
    Session() {
        int failed = 0;
        view = new CWinTermView(&controller, &failed, &port);
        controller.AdoptView(view);
        printer = new FileReadingPrinter;
        controller.AdoptPrinter(printer);
        int status = 0;
        controller.AdoptComms(new CCaptureComm(&status, view, nullptr));
        controller.CreateEmulator(&status, view, nullptr, CTermController::kWyse50Emulator);
        emulator = static_cast<CWyse50Emulator*>(controller.Emulator());
    }
    void Feed(const std::string& bytes) { emulator->OnReceive(bytes.data(), static_cast<int>(bytes.size())); }
    // The bytes in blocks that end at the cut positions.
    void FeedCut(const std::string& bytes, const std::vector<size_t>& cuts) {
        size_t start = 0;
        for (size_t cut : cuts) {
            Feed(bytes.substr(start, cut - start));
            start = cut;
        }
        Feed(bytes.substr(start));
    }

    CHeadlessPort port;
    CTermController controller;
    CWinTermView* view = nullptr;
    FileReadingPrinter* printer = nullptr;
    CWyse50Emulator* emulator = nullptr;
};

// Each test in a fresh working directory of its own.
class PrintCapture : public ::testing::Test {
protected:
    void SetUp() override {
        previous = fs::current_path();
        dir = settingstest::MakeTempDir();
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(previous);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // The capture files in the directory (SCRLINES.SRC is the emulator's own).
    static std::vector<std::string> CaptureFiles() {
        std::vector<std::string> names;
        for (const std::string& name : ListDirectory("."))
            if (name != "SCRLINES.SRC") names.push_back(name);
        return names;
    }
    fs::path previous;
    std::string dir;
};

struct CaptureCase {
    const char* name;
    const char* input;                 // script escapes
    std::vector<PrintedFile> printed;  // in order, contents as escapes
    const char* row0;                  // the screen's top row afterwards
    const char* cursor;
};

const CaptureCase kCases[] = {
    {"data with ESC sequences, CR LF, NUL and high bytes is stored unchanged and not shown",
     "\\e$\\e=%%XY\\r\\n\\0\\x7f\\x80\\xff\\e)A\\x12\\x14 B\\x1a",
     {{"OVPRINT.1", "\\e=%%XY\\r\\n\\0\\x7f\\x80\\xff\\e)A\\x12\\x14 B"}}, "", "0 0"},
    {"ESC F $ captures the same way", "\\eF$data\\x1a", {{"OVPRINT.1", "data"}}, "", "0 0"},
    {"ESC $ then SUB at once prints an empty file", "\\e$\\x1a", {{"OVPRINT.1", ""}}, "", "0 0"},
    {"text before and after a capture reaches the screen; SUB ends the capture without clearing",
     "AB\\e$\\e*\\x1aCD", {{"OVPRINT.1", "\\e*"}}, "ABCD", "0 4"},
    {"a control byte between ESC and $ leaves the sequence intact", "\\e\\n$x\\x1a", {{"OVPRINT.1", "x"}}, "",
     "0 0"},
    {"successive captures take successive names", "\\e$one\\x1a\\eF$two\\x1a\\e$\\x1a",
     {{"OVPRINT.1", "one"}, {"OVPRINT.2", "two"}, {"OVPRINT.3", ""}}, "", "0 0"},
};

TEST_F(PrintCapture, FilesPrintedAndScreenWhateverTheBlocks) {
    for (const CaptureCase& c : kCases) {
        const std::string input = Unescape(c.input);
        std::vector<PrintedFile> expected;
        for (const PrintedFile& f : c.printed) expected.emplace_back(f.first, Unescape(f.second));
        // Whole, split at every position, and one byte per block.
        std::vector<std::vector<size_t>> splits = {{}};
        std::vector<size_t> everyByte;
        for (size_t cut = 1; cut < input.size(); ++cut) {
            splits.push_back({cut});
            everyByte.push_back(cut);
        }
        splits.push_back(everyByte);
        for (const auto& cuts : splits) {
            SCOPED_TRACE(std::string(c.name) + " (" + std::to_string(cuts.size()) + " cuts, first at " +
                         (cuts.empty() ? "-" : std::to_string(cuts[0])) + ")");
            Session session;
            session.FeedCut(input, cuts);
            EXPECT_EQ(session.printer->printedFiles, expected);
            EXPECT_EQ(session.printer->printed, "") << "nothing goes through the printer's Write";
            EXPECT_FALSE(session.printer->open);
            EXPECT_EQ(ScreenRows(*session.view)[0], c.row0);
            EXPECT_EQ(std::to_string(session.view->GetRow()) + " " + std::to_string(session.view->GetColumn()),
                      c.cursor);
            EXPECT_FALSE(session.emulator->PrintCapture().Capturing());
        }
    }
}

TEST_F(PrintCapture, NothingIsPrintedBeforeSubAndTheFileHoldsEveryBlock) {
    Session session;
    session.Feed("\x1b$first ");
    session.Feed(std::string("\r\n\0second", 9));
    EXPECT_TRUE(session.printer->printedFiles.empty());
    EXPECT_TRUE(session.emulator->PrintCapture().Capturing());
    EXPECT_TRUE(FileExists("OVPRINT.1")) << "the file is created when the capture starts";
    session.Feed("\x1a");
    ASSERT_EQ(session.printer->printedFiles.size(), 1u);
    EXPECT_EQ(session.printer->printedFiles[0].second, std::string("first \r\n\0second", 15));
    EXPECT_EQ(ReadFile("OVPRINT.1"), std::string("first \r\n\0second", 15)) << "the file stays after printing";
}

TEST_F(PrintCapture, ElevenNamesRotateAndTheTwelfthReplacesTheFirst) {
    Session session;
    std::vector<std::string> names;
    for (int i = 1; i <= 12; ++i) {
        // The first capture is the longest, so a file that was not emptied shows.
        session.Feed("\x1b$" + std::string(i == 1 ? 40 : 1, static_cast<char>('a' + i)) + "\x1a");
        ASSERT_EQ(session.printer->printedFiles.size(), static_cast<size_t>(i));
        names.push_back(session.printer->printedFiles.back().first);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"OVPRINT.1", "OVPRINT.2", "OVPRINT.3", "OVPRINT.4", "OVPRINT.5",
                                               "OVPRINT.6", "OVPRINT.7", "OVPRINT.8", "OVPRINT.9", "OVPRINT.10",
                                               "OVPRINT.0", "OVPRINT.1"}));
    EXPECT_EQ(session.printer->printedFiles.back().second, "m");
    EXPECT_EQ(ReadFile("OVPRINT.1"), "m");
    EXPECT_EQ(ReadFile("OVPRINT.0"), "l");
    EXPECT_EQ(CaptureFiles().size(), 11u);
}

TEST_F(PrintCapture, EveryNewEmulatorStartsAgainAtTheFirstName) {
    {
        Session session;
        session.Feed("\x1b$a\x1a\x1b$b\x1a");
    }
    Session session;
    session.Feed("\x1b$c\x1a");
    ASSERT_EQ(session.printer->printedFiles.size(), 1u);
    EXPECT_EQ(session.printer->printedFiles[0], (PrintedFile{"OVPRINT.1", "c"}));
    EXPECT_EQ(ReadFile("OVPRINT.2"), "b");
}

TEST_F(PrintCapture, AFileThatCannotBeCreatedSwallowsTheDataAndPrintsNothing) {
    // A directory in the way of the first name; the second name holds an
    // older capture that must not go out in its place.
    fs::create_directory("OVPRINT.1");
    settingstest::WriteFile(dir + "/OVPRINT.2", "older");
    Session session;
    session.Feed("\x1b$lost\x1b*\x1a" "AB" "\x1b$kept\x1a");
    ASSERT_EQ(session.printer->printedFiles.size(), 1u);
    EXPECT_EQ(session.printer->printedFiles[0], (PrintedFile{"OVPRINT.2", "kept"}));
    EXPECT_EQ(ScreenRows(*session.view)[0], "AB") << "the data stays off the screen and SUB still ends it";
}

TEST_F(PrintCapture, AnEmulatorEndedInTheMiddleLeavesTheDataInTheFileUnprinted) {
    {
        Session session;
        session.Feed("\x1b$partial");
        EXPECT_TRUE(session.printer->printedFiles.empty());
    }
    EXPECT_EQ(ReadFile("OVPRINT.1"), "partial");
}

}  // namespace
