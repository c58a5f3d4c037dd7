// The program launcher: command lines split as Windows hands them to a
// program, the length limit, and real programs started and waited for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ext/CommandLine.h"
#include "ext/ProgramLauncher.h"
#include "tests/ext/ExtTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"

namespace {

using Words = std::vector<std::string>;

struct SplitCase {
    const char* line;
    Words words;
};

TEST(CommandLineSplit, WordsQuotesAndBackslashesFollowTheWindowsRules) {
    const std::vector<SplitCase> cases = {
        {"", {}},
        {"   \t ", {}},
        {"notepad", {"notepad"}},
        {"  notepad   readme.txt\tb ", {"notepad", "readme.txt", "b"}},
        {"FTP -v -i -s:SCRFTP", {"FTP", "-v", "-i", "-s:SCRFTP"}},
        {"\"C:\\Program Files\\x.exe\" a", {"C:\\Program Files\\x.exe", "a"}},
        {"C:\\dir\\\"a b\"\\ c", {"C:\\dir\\a b\\", "c"}},  // no escapes in the program name
        {"p \"two words\" three", {"p", "two words", "three"}},
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"p \"\" x", {"p", "", "x"}},
        {"p a\\\\b", {"p", "a\\\\b"}},
        {"p a\\\"b", {"p", "a\"b"}},
        {"p a\\\\\"b c\"", {"p", "a\\b c"}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p \"a\"\"b\" c", {"p", "a\"b", "c"}},
        {"p \"unclosed quote runs on", {"p", "unclosed quote runs on"}},
        {"p trailing\\", {"p", "trailing\\"}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(cmdline::Split(c.line), c.words) << c.line;
}

TEST(CommandLineJoin, TextsJoinAsTheyStandUpTo255Characters) {
    std::string out = "old";
    EXPECT_TRUE(cmdline::Join("a", nullptr, " b", "", "c", &out));
    EXPECT_EQ(out, "a bc");

    const std::string fill(100, 'x');
    EXPECT_TRUE(cmdline::Join(fill.c_str(), fill.c_str(), std::string(55, 'y').c_str(), "", "", &out));
    EXPECT_EQ(out.size(), 255u);
    EXPECT_FALSE(cmdline::Join(fill.c_str(), fill.c_str(), std::string(55, 'y').c_str(), "", "z", &out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(cmdline::Join(std::string(300, 'q').c_str(), "", "", "", "", &out));
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        bin = settingstest::MakeTempDir();
        // Lingers a little so that only a real wait finds the file written,
        // then writes each argument on a line of its own to the file named first.
        exttest::WriteScript(bin + "/argwriter", "sleep 0.3\nout=$1\nshift\nprintf '%s\\n' \"$@\" > \"$out\"\n");
        exttest::WriteScript(bin + "/failing", "exit 3\n");
    }
    std::string bin;
};

TEST_F(Launcher, WaitsForTheProgramAndHandsItTheWordsOfTheLine) {
    const std::string out = bin + "/args.txt";
    EXPECT_EQ(RunProgramAndWait((bin + "/argwriter").c_str(), " ", out.c_str(), " \"two words\" three",
                                " a\\\"q", 5),
              1);
    EXPECT_EQ(settingstest::ReadFile(out), "two words\nthree\na\"q\n");
}

TEST_F(Launcher, FindsTheProgramOnThePathWithoutAShell) {
    exttest::ScopedProgramEnvironment path(bin);
    const std::string out = bin + "/path.txt";
    // A shell would expand these; the program must get them as they are.
    EXPECT_EQ(RunProgramAndWait("argwriter ", out.c_str(), " $HOME *.txt;echo", "", "", 0), 1);
    EXPECT_EQ(settingstest::ReadFile(out), "$HOME\n*.txt;echo\n");
}

TEST_F(Launcher, AFailingProgramHasStillRun) {
    EXPECT_EQ(RunProgramAndWait((bin + "/failing").c_str(), "", "", "", "", 5), 1);
}

TEST_F(Launcher, WhatCannotStartReturnsZero) {
    exttest::ScopedProgramEnvironment path(bin);
    EXPECT_EQ(RunProgramAndWait("no-such-program-here", "", "", "", "", 5), 0);
    EXPECT_EQ(RunProgramAndWait((bin + "/missing").c_str(), " x", "", "", "", 5), 0);
    EXPECT_EQ(RunProgramAndWait("", "  ", nullptr, "", "", 5), 0);
    EXPECT_EQ(RunProgramAndWait(bin.c_str(), "", "", "", "", 5), 0);  // a directory
}

TEST_F(Launcher, ACommandLineOver255CharactersIsRefusedNotCut) {
    const std::string out = bin + "/long.txt";
    std::string head = bin + "/argwriter " + out + " ";
    ASSERT_LT(head.size(), 200u);
    std::string fits(255 - head.size(), 'a'), over(256 - head.size(), 'a');
    EXPECT_EQ(RunProgramAndWait(head.c_str(), over.c_str(), "", "", "", 5), 0);
    EXPECT_FALSE(settingstest::FileExists(out));
    EXPECT_EQ(RunProgramAndWait(head.c_str(), fits.c_str(), "", "", "", 5), 1);
    EXPECT_EQ(settingstest::ReadFile(out), fits + "\n");
}

}  // namespace
