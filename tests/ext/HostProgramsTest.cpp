// Host commands with real programs: stand-ins for CHARTS.EXE, emexcel.exe,
// FTP and a host-named program, found on PATH by the system launcher, each
// recording its arguments and the files it finds. Also the user's switch
// that refuses these commands, FTP logins from the settings store, and files
// that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "emu/CWyse50Emulator.h"
#include "ext/FtpScript.h"
#include "ext/HostCommands.h"
#include "settings/Settings.h"
#include "tests/ext/ExtTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tools/replay/ReplaySession.h"

namespace fs = std::filesystem;
using settingstest::FileExists;
using settingstest::Layout;
using settingstest::ReadFile;

namespace {

class HostPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        bin = settingstest::MakeTempDir();
        captured = settingstest::MakeTempDir();
        // Each stand-in keeps its arguments, one a line (a lone line end for
        // none), and a copy of the files it was written for, as they were
        // while it ran.
        for (const char* name : {"CHARTS.EXE", "emexcel.exe", "FTP", "hostprog"})
            exttest::WriteScript(bin + "/" + name, "n=$(basename \"$0\"); printf '%s\\n' \"$@\" >> " + captured +
                                                       "/$n.args\n" + "for f in CHARTS.DAT emexcel.txt "
                                                       "fmtexcel.txt SCRFTP; do [ -f \"$f\" ] && cp \"$f\" " +
                                                       captured + "/\"$n.$f\"; done; true\n");
    }

    // A session that starts programs for real and asks the settings.
    struct Live {
        explicit Live(const std::string& bin) : environment(bin, dir.Path()) {
            session.reset(new ReplaySession);
            session->Emulator().SetLauncher(nullptr);
            session->Emulator().SetHostCommands(CWyse50Emulator::HostCommands::kFromSettings);
        }
        void Feed(const std::string& bytes, size_t block = ReplaySession::kBlockSize) { session->Feed(bytes, block); }
        exttest::ScopedWorkDirectory dir;
        exttest::ScopedProgramEnvironment environment;
        std::unique_ptr<ReplaySession> session;
    };

    bool Ran(const std::string& name) const { return FileExists(captured + "/" + name + ".args"); }
    std::string Args(const std::string& name) const { return ReadFile(captured + "/" + name + ".args"); }
    std::string Seen(const std::string& program, const std::string& file) const {
        return ReadFile(captured + "/" + program + "." + file);
    }

    std::string bin, captured;
};

TEST_F(HostPrograms, ChartsAndSpreadsheetProgramsFindTheirFilesWrittenFirst) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    Live live(bin);
    // One byte per block: the sequences span many received blocks.
    live.Feed("\x1b" "Fn1,2,3\n4\x1a" "\x1b" "FEfmt\n\x1a" "a\tb\n\x1a" "AB", 1);
    EXPECT_EQ(Args("CHARTS.EXE"), "\n");
    EXPECT_EQ(Seen("CHARTS.EXE", "CHARTS.DAT"), "1,2,3\r\n4");
    EXPECT_EQ(Args("emexcel.exe"), "\n");
    EXPECT_EQ(Seen("emexcel.exe", "fmtexcel.txt"), "fmt\r\n");
    EXPECT_EQ(Seen("emexcel.exe", "emexcel.txt"), "a\tb\r\n");
    EXPECT_EQ(live.session->Rows()[0], "AB");
    EXPECT_TRUE(live.session->Messages().empty());
}

TEST_F(HostPrograms, ChartDataPast1999BytesIsCut) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    Live live(bin);
    live.Feed("\x1b" "Fn" + std::string(2500, 'x') + "\x1aZ");
    EXPECT_EQ(ReadFile("CHARTS.DAT"), std::string(1999, 'x'));
    EXPECT_TRUE(Ran("CHARTS.EXE"));
    EXPECT_EQ(live.session->Rows()[0], "Z");
}

TEST_F(HostPrograms, TheProgramOfEscFkGetsItsArgumentsAndALongLineIsCutTo255) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    Live live(bin);
    live.Feed("\x1b" "Fkhostprog readme.txt $HOME;x\r");
    EXPECT_EQ(Args("hostprog"), "readme.txt\n$HOME;x\n");
    fs::remove(captured + "/hostprog.args");
    live.Feed("\x1b" "Fkhostprog\r");
    EXPECT_EQ(Args("hostprog"), "\n");
    fs::remove(captured + "/hostprog.args");
    // Only the program text can take the line past 255 (a tab is no
    // separator for the collector, but is one for the command line).
    live.Feed("\x1b" "Fk" "hostprog\tA" + std::string(250, 'b') + "\r");
    EXPECT_EQ(Args("hostprog"), "A" + std::string(255 - 10, 'b') + "\n");
}

TEST_F(HostPrograms, AProgramThatCannotBeFoundChangesNothing) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    Live live(bin);
    live.Feed("\x1b" "Fkno-such-program x\rAB");
    EXPECT_EQ(live.session->Rows()[0], "AB");
    EXPECT_TRUE(live.session->Messages().empty());
}

TEST_F(HostPrograms, HostCommandsZeroRefusesAllFourButTheirBytesAreStillTaken) {
    for (Layout layout : {Layout::Registry, Layout::Profile}) {
        settingstest::ScopedConfigHome config(layout);
        ASSERT_EQ(ftp::WriteLogin("h", "u", "pw"), 1);
        ASSERT_EQ(WriteSetting(hostcmd::kKey, hostcmd::kSection, kApplicationName, kProfileBase, "0"), 1);
        Live live(bin);
        live.Feed("\x1b" "Fkhostprog a\r" "\x1b" "Fn1\x1a" "\x1b" "FEf\x1a" "d\x1a" "\x1b" "FCf\x1a" "1h\x1a" "1" "AB");
        for (const char* name : {"hostprog", "CHARTS.EXE", "emexcel.exe", "FTP"}) EXPECT_FALSE(Ran(name)) << name;
        EXPECT_EQ(settingstest::ListDirectory("."), std::vector<std::string>{"SCRLINES.SRC"});
        EXPECT_EQ(live.session->Rows()[0], "AB");
        EXPECT_TRUE(live.session->Messages().empty());

        // Any other value allows them again, at once.
        ASSERT_EQ(WriteSetting(hostcmd::kKey, hostcmd::kSection, kApplicationName, kProfileBase, "1"), 1);
        live.Feed("\x1b" "Fkhostprog b\r");
        EXPECT_EQ(Args("hostprog"), "b\n");
        fs::remove(captured + "/hostprog.args");
    }
}

TEST_F(HostPrograms, HostFtpWritesTheScriptHidesTheClientAndDeletesTheScript) {
    struct Case {
        const char* name;
        std::string input;
        std::string script;
    };
    const std::vector<Case> cases = {
        {"send", "\x1b" "FC*.txt\x1a" "1hostA\x1a" "0/tmp\x1a",
         "open hostA\nu\nabc\nbinary\nprompt\ncd /tmp\nmput *.txt\nclose\nbye"},
        {"fetch from the connected host as ascii", "\x1b" "FCa.dat\x1a" "0\x1a" "1",
         "open conn\nc\n\nascii\nprompt\nmget a.dat\nclose\nbye"},
        {"a type byte other than 0 and 1 is binary", "\x1b" "FCx y\x1a" "7hostA\x1a" "9",
         "open hostA\nu\nabc\nbinary\nprompt\nmget x y\nclose\nbye"},
    };
    settingstest::ScopedConfigHome config(Layout::Registry);
    ASSERT_EQ(ftp::WriteLogin("hostA", "u", "abc"), 1);
    // Stored scrambled: every code 5 above the clear one.
    char stored[16];
    ReadSetting("Password", "", "hostA", kApplicationName, kProfileBase, stored, sizeof stored);
    ASSERT_EQ(std::string(stored), "fgh");
    ASSERT_EQ(ftp::WriteLogin("conn", "c", ""), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Live live(bin);
        live.session->Emulator().OnConnect("conn");
        live.Feed(c.input + "Z", 1);
        EXPECT_EQ(Args("FTP"), "-s:SCRFTP\n");
        std::string script = Seen("FTP", "SCRFTP");
        // Text mode: CR LF on Windows, LF here.
        for (size_t p; (p = script.find("\r\n")) != std::string::npos;) script.erase(p, 1);
        EXPECT_EQ(script, c.script);
        EXPECT_FALSE(FileExists("SCRFTP")) << "the script holds the password: gone once the client ended";
        EXPECT_EQ(live.session->Rows()[0], "Z");
        fs::remove(captured + "/FTP.args");
        fs::remove(captured + "/FTP.SCRFTP");
    }
}

TEST_F(HostPrograms, HostFtpWithoutAUserOrWithoutAScriptFileRunsNothing) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    {
        Live live(bin);
        live.Feed("\x1b" "FCa\x1a" "1nobody\x1a" "1Z");
        EXPECT_EQ(live.session->Messages(), std::vector<std::string>{"FTP Error: FTP - Invalid User"});
        EXPECT_FALSE(Ran("FTP"));
        EXPECT_FALSE(FileExists("SCRFTP"));
        EXPECT_EQ(live.session->Rows()[0], "Z");
    }
    ASSERT_EQ(ftp::WriteLogin("h", "u", "p"), 1);
    {
        Live live(bin);
        fs::create_directory("SCRFTP");
        live.Feed("\x1b" "FCa\x1a" "1h\x1a" "1Z");
        EXPECT_EQ(live.session->Messages(), std::vector<std::string>{"FTP Error: FTP - Unable to Create Script File"});
        EXPECT_FALSE(Ran("FTP"));
        EXPECT_EQ(live.session->Rows()[0], "Z");
    }
    // The profile layout hands back "NULL" for a user never stored.
    settingstest::ScopedConfigHome profile(Layout::Profile);
    Live live(bin);
    live.Feed("\x1b" "FCa\x1a" "1other\x1a" "1");
    EXPECT_EQ(Seen("FTP", "SCRFTP").substr(0, 16), "open other\nNULL\n");
}

TEST_F(HostPrograms, FilesThatCannotBeOpenedAreReportedAndNothingStarts) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    Live live(bin);
    for (const char* name : {"CHARTS.DAT", "emexcel.txt", "fmtexcel.txt"}) fs::create_directory(name);
    live.Feed("\x1b" "Fn1,2\x1a" "A" "\x1b" "FEfmt\x1a" "data\x1a" "B");
    EXPECT_EQ(live.session->Messages(),
              (std::vector<std::string>{"File Open Error: Charts.Dat - Open file failure",
                                        "Emul to Excel Error: Error Opening emexcel.txt for Write. If Excel is open; Close it.",
                                        "Emul to Excel Error: Error Opening fmtexcel.txt for Write. If Excel is open; Close it."}));
    EXPECT_FALSE(Ran("CHARTS.EXE"));
    EXPECT_FALSE(Ran("emexcel.exe"));
    EXPECT_EQ(live.session->Rows()[0], "AB");

    // Only the format file in the way: the data is written and the converter runs.
    fs::remove("emexcel.txt");
    live.Feed("\x1b" "FEfmt\x1a" "data\x1a" "C");
    EXPECT_EQ(Seen("emexcel.exe", "emexcel.txt"), "data");
    EXPECT_EQ(live.session->Rows()[0], "ABC");
}

TEST_F(HostPrograms, AReadOnlyDirectoryGetsTheSameMessages) {
    if (exttest::PermissionsAreIgnored()) GTEST_SKIP() << "permissions do not bind this user";
    settingstest::ScopedConfigHome config(Layout::Registry);
    Live live(bin);
    fs::permissions(".", fs::perms::owner_read | fs::perms::owner_exec);
    live.Feed("\x1b" "Fn1\x1a" "\x1b" "FE\x1a\x1a" "Z");
    EXPECT_EQ(live.session->Messages().size(), 3u);
    EXPECT_FALSE(Ran("CHARTS.EXE"));
    EXPECT_FALSE(Ran("emexcel.exe"));
    EXPECT_EQ(live.session->Rows()[0], "Z");
}

}  // namespace
