// ovreplay and ovscript as users run them: arguments, output format, exit
// status, and no files left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

class Tools : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(testsupport::WorkDirectory()) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // Runs a command line in dir; standard input from stdinFile when given.
    Result Run(const std::string& command, const std::string& stdinFile = "/dev/null") {
        std::string line = "cd '" + dir.string() + "' && " + command + " < " + stdinFile + " > out.txt 2> err.txt";
        int raw = std::system(line.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Read(dir / "out.txt");
        r.err = Read(dir / "err.txt");
        fs::remove(dir / "out.txt");
        fs::remove(dir / "err.txt");
        return r;
    }
    std::vector<std::string> Listing() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir;
};

const std::string kReplay = OV_REPLAY_TOOL;
const std::string kScript = OV_SCRIPT_TOOL;

TEST_F(Tools, OvreplayPrintsTwentyFiveRowsAndLeavesNoFiles) {
    WriteFile("a.cap", "\x1b=\x22\x25Hello");
    Result r = Run(kReplay + " a.cap");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expected = "\n\n     Hello\n" + std::string(22, '\n');
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(Listing(), std::vector<std::string>{"a.cap"});
}

TEST_F(Tools, OvreplayFeedsFilesInOrderAndReadsStandardInput) {
    WriteFile("first.cap", "\x1b=");  // a sequence split across the two inputs
    WriteFile("second.cap", "\x20\x20X");
    WriteFile("third.cap", "Y");
    Result r = Run(kReplay + " --cursor first.cap - third.cap", "second.cap");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "XY");
    EXPECT_NE(r.out.find("\ncursor 0 2\n"), std::string::npos) << r.out;
}

TEST_F(Tools, OvreplayCellsAndSentLines) {
    WriteFile("q.cap", "\x05" "A\x1b?");
    Result r = Run(kReplay + " --cells --sent q.cap");
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = r.out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(r.out.substr(start, end - start));
    ASSERT_EQ(lines.size(), 25u + 26u + 1u);
    EXPECT_EQ(lines[25].substr(0, 18), "00000041 00000020 ");
    EXPECT_EQ(lines[25].size(), 80u * 9u - 1u);
    EXPECT_EQ(lines[51], "sent 60 20 21 0d");
}

TEST_F(Tools, OvreplayStartsNothingAndListsWhatTheStreamAskedToRun) {
    // Programs of the names the capture asks for, first on PATH: none may run.
    fs::create_directories(dir / "bin");
    for (const char* name : {"CHARTS.EXE", "emexcel.exe", "FTP", "evil"}) {
        const fs::path program = dir / "bin" / name;
        std::ofstream(program) << "#!/bin/sh\ntouch '" << (dir / "ran").string() << "'\n";
        fs::permissions(program, fs::perms::owner_all);
    }
    WriteFile("hostile.cap", "\x1b" "Fkevil --wipe ~\r" "\x1b" "Fn1,2\x1a" "\x1b" "FEf\x1a" "d\x1a" "A");
    Result r = Run("PATH='" + (dir / "bin").string() + "':\"$PATH\" " + kReplay + " --sent hostile.cap");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nsent\nrun evil --wipe ~\nrun CHARTS.EXE\nrun emexcel.exe\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(0, 2), "A\n");
    EXPECT_FALSE(fs::exists(dir / "ran"));
    // The files the commands wrote stayed in the private directory.
    EXPECT_EQ(Listing(), (std::vector<std::string>{"bin", "hostile.cap"}));
}

TEST_F(Tools, OvreplayWorkdirKeepsTheScreenLinesFile) {
    fs::create_directories(dir / "keep");
    WriteFile("a.cap", "x");
    Result r = Run(kReplay + " --workdir keep a.cap");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::file_size(dir / "keep" / "SCRLINES.SRC"), 201u * 640u);
}

TEST_F(Tools, OvreplayMissingFileIsOneLineOnStandardErrorAndStatus2) {
    WriteFile("a.cap", "x");
    Result r = Run(kReplay + " a.cap missing.cap");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("missing.cap"), std::string::npos);
    EXPECT_EQ(Run(kReplay).status, 2) << "no file at all";
    EXPECT_EQ(Run(kReplay + " --bogus a.cap").status, 2);
}

TEST_F(Tools, OvscriptLocalModeScreenCursorAndErrors) {
    WriteFile("commands.txt",
              "# comments and blank lines get no answer\n\n"
              "local on\n"
              "type \\e=\\x22\\x25hi\\r\n"
              "key F1\n"
              "cursor\n"
              "wait hi 100\n"
              "wait nothing-like-this 100\n"
              "key Hyper+F1\n"
              "type \\xZZ\n"
              "frobnicate\n"
              "local maybe\n"
              "local off\n"
              "type x\n"
              "screen\n"
              "quit\n"
              "cursor\n");
    Result r = Run(kScript, "commands.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expected =
        "ok\n"          // local on
        "ok\n"          // type: in local mode the text is interpreted as host output
        "ok\n"          // key F1: SOH @ CR comes back through the emulator
        "3 0\nok\n"     // cursor: CR LF after "hi", then F1's CR
        "ok\n"
        "error timeout waiting for nothing-like-this\n"
        "error unknown key Hyper+F1\n"
        "error bad \\x escape in: \\xZZ\n"
        "error unknown command frobnicate\n"
        "error local takes on or off\n"
        "ok\n"
        "error not connected\n";
    ASSERT_GE(r.out.size(), expected.size());
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
    EXPECT_NE(r.out.find("\n     hi\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - 3), "ok\n") << "quit answers and ends the script";
    EXPECT_EQ(Listing(), std::vector<std::string>{"commands.txt"});
}

}  // namespace
