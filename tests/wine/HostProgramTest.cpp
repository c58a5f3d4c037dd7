// Programs the host starts (ESC F k, ESC F n, ESC F E): found by Windows' own
// search rules in the terminal's working directory, run while the terminal
// waits, and the host's output that came meanwhile shown afterwards, in order.
// The programs are copies of ovhostprog.exe, which records its command line
// and the files it finds in "hostprog.rec".
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TerminalSession.h"

namespace {

using ovwine::Arg;
using ovwine::Hex;

constexpr char kSecurityKey[] = "HKCU\\Software\\Orvane Emulator\\Security";

// Splits the record into its lines.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class HostProgram : public ovwine::TerminalTest {
protected:
    void TearDown() override {
        if (program) program->Kill();
        // Later tests share the prefix's registry: they start with the default.
        if (switchedOff) Reg({"delete", kSecurityKey, "/v", "HostCommands", "/f"});
        ovwine::TerminalTest::TearDown();
    }

    // The stand-in under `name` in the terminal's working directory, where
    // CreateProcess looks after the terminal's own directory.
    void InstallStandIn(const std::string& name) {
        const std::string from = ovwine::ProgramPath("ovhostprog.exe");
        ASSERT_TRUE(ovwine::FileExists(from)) << "no ovhostprog.exe in " << ovwine::ProgramDir();
        const std::string to = WorkDir() + "/" + name;
        ASSERT_EQ(std::system(("cp '" + from + "' '" + to + "'").c_str()), 0) << to;
    }
    void SetStandInWait(int ms) { WriteFile(WorkDir() + "/hostprog.sleep", std::to_string(ms)); }
    std::string Record() const { return ovwine::ReadFile(WorkDir() + "/hostprog.rec"); }
    std::string RecordPath() const { return WorkDir() + "/hostprog.rec"; }

    static void WriteFile(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary);
        out << text;
        ASSERT_TRUE(out.good()) << path;
    }

    // reg.exe of the prefix; its exit code.
    int Reg(const std::vector<std::string>& args) {
        ovwine::WineProcess reg;
        std::string error;
        const std::string exe = ovwine::WineEnvironment::Instance().Dir() + "/prefix/drive_c/windows/system32/reg.exe";
        if (!reg.Start(exe, args, error)) {
            ADD_FAILURE() << error;
            return -1;
        }
        const int code = reg.Wait(60000);
        EXPECT_EQ(code, 0) << "reg.exe " << reg.Output();
        return code;
    }

    // Writes a shell script beside the host and starts it there with the
    // tty raw (line ends go out as the script writes them, answers come in
    // unchanged and unechoed).
    // The screen is not read meanwhile: while a program runs the window
    // answers no messages.
    void StartScript(const std::string& body) {
        const std::string script = HostPath("host.sh");
        WriteFile(script, "stty raw -echo\n" + body + "stty sane\n");
        Run({"chars " + Arg("sh '" + script + "'\r")});
    }

    // Waits until `runs` programs have ended (their "done" lines); the record then.
    std::string WaitForRuns(int runs, int timeoutMs = 60000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const std::string record = Record();
            int done = 0;
            for (const std::string& line : Lines(record)) done += line == "done";
            if (done >= runs || std::chrono::steady_clock::now() >= deadline) return record;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    bool switchedOff = false;
};

std::string HexPlain(const std::string& bytes) {
    std::string hex = Hex(bytes);
    hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
    return hex;
}

// The "file NAME ..." line of the record for name, or empty.
std::string FileLine(const std::string& record, const std::string& name) {
    for (const std::string& line : Lines(record))
        if (line.rfind("file " + name + " ", 0) == 0) return line;
    return "";
}

TEST_F(HostProgram, HostOutputDuringTheProgramIsShownAfterItInOrder) {
    StartConnected();
    if (HasFatalFailure()) return;
    InstallStandIn("HOSTPROG.EXE");
    if (HasFatalFailure()) return;
    SetStandInWait(4000);

    // The program and its arguments, then at once more text in the same
    // write; then, once the program runs, lines the terminal cannot read
    // until it has ended.
    std::string lines;
    for (int n = 1; n <= 15; ++n) {
        char line[96];
        std::snprintf(line, sizeof line, "while running %02d %s\\r\\n", n, std::string(50, 'a' + n).c_str());
        lines += line;
    }
    const std::string state = HostPath("state");
    const std::string answer = HostPath("answer");
    StartScript("printf '\\033+before 1\\r\\nbefore 2\\r\\n\\033FkHOSTPROG ARG1 ARG2\\rright after 1\\r\\nright after 2\\r\\n'\n"
                "i=0; while [ $i -lt 600 ] && ! grep -q '^run' '" + RecordPath() + "' 2>/dev/null; do sleep 0.1; i=$((i+1)); done\n"
                "printf '" + lines + "'\n"
                "if grep -q '^done' '" + RecordPath() + "'; then echo ended; else echo running; fi > '" + state + "'\n"
                // The cursor's address, asked for last, can come back only
                // once the terminal has waited for the program and taken
                // everything before the question.
                "printf '\\033?'; timeout --foreground 60 dd bs=1 count=3 of='" + answer + "' status=none\n"
                "if grep -q '^done' '" + RecordPath() + "'; then echo ended; else echo running; fi >> '" + state + "'\n"
                "printf 'host-''finished\\r\\n'\n");

    const std::vector<std::string> record = Lines(WaitForRuns(1));
    ASSERT_GE(record.size(), 2u) << Record();
    EXPECT_EQ(record.front(), "run HOSTPROG ARG1 ARG2");
    EXPECT_EQ(record.back(), "done");
    // The host had written everything while the program still ran, and had
    // its answer only after the program had ended.
    EXPECT_EQ(ovwine::WaitForBytes(state, 14, 30000), "running\nended\n");
    EXPECT_EQ(Hex(ovwine::ReadFile(answer)), Hex(std::string(1, 0x20 + 19) + " \r")) << "row 19, column 0";

    ASSERT_TRUE(WaitForScreen("host-finished", 20000)) << ScreenText();
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
    const std::vector<std::string> screen = Screen();
    ASSERT_GE(screen.size(), 21u);
    EXPECT_EQ(screen[0].substr(0, 8), "before 1");
    EXPECT_EQ(screen[1].substr(0, 8), "before 2");
    EXPECT_EQ(screen[2].substr(0, 13), "right after 1");
    EXPECT_EQ(screen[3].substr(0, 13), "right after 2");
    for (int n = 1; n <= 15; ++n) {
        char start[24];
        std::snprintf(start, sizeof start, "while running %02d ", n);
        EXPECT_EQ(screen[3 + n].substr(0, 17), start) << ScreenText();
        EXPECT_EQ(screen[3 + n].substr(17, 50), std::string(50, 'a' + n)) << ScreenText();
    }
    EXPECT_EQ(screen[19].substr(0, 13), "host-finished");
    EXPECT_EQ(screen[20].substr(0, 2), "$ ");

    // The same bytes replayed give the same screen, to the cell.
    if (ReplayToolProblem().empty()) {
        std::string bytes = "\x1b+before 1\r\nbefore 2\r\n\x1b" "FkHOSTPROG ARG1 ARG2\rright after 1\r\nright after 2\r\n";
        for (int n = 1; n <= 15; ++n) {
            char line[96];
            std::snprintf(line, sizeof line, "while running %02d %s\r\n", n, std::string(50, 'a' + n).c_str());
            bytes += line;
        }
        bytes += "\x1b?host-finished\r\n$ ";
        const std::string replayed = HostPath("replay.bin");
        WriteFile(replayed, bytes);
        EXPECT_EQ(ScreenAsReplayRows(), ReplayRows(replayed));
    }

    // The window takes typing again and the session goes on.
    RunOnHost("echo after-$((6*7))", "after-42");
}

// ESC F n and ESC F E: the data files are complete, with CR LF line ends,
// when the program that reads them starts; the screen goes on after each.
TEST_F(HostProgram, ChartAndSpreadsheetFilesAreThereWhenTheirProgramsRun) {
    StartConnected();
    if (HasFatalFailure()) return;
    InstallStandIn("CHARTS.EXE");
    InstallStandIn("emexcel.exe");
    if (HasFatalFailure()) return;

    StartScript("printf '\\033+x\\033Fn10,20\\n30,40\\n\\032y\\033FEA;B\\n\\0321;2\\n3;4\\n\\032z\\r\\nhost-''finished\\r\\n'\n");
    const std::string text = WaitForRuns(2);
    const std::vector<std::string> record = Lines(text);
    ASSERT_EQ(std::count(record.begin(), record.end(), "done"), 2) << text;
    ASSERT_EQ(record.front(), "run CHARTS.EXE") << text;
    const auto second = std::find(record.begin(), record.end(), "run emexcel.exe");
    ASSERT_NE(second, record.end()) << text;

    const std::string charts(text, 0, text.find("run emexcel.exe"));
    EXPECT_EQ(FileLine(charts, "CHARTS.DAT"), "file CHARTS.DAT 14 " + HexPlain("10,20\r\n30,40\r\n")) << text;
    const std::string excel(text, text.find("run emexcel.exe"));
    EXPECT_EQ(FileLine(excel, "fmtexcel.txt"), "file fmtexcel.txt 5 " + HexPlain("A;B\r\n")) << text;
    EXPECT_EQ(FileLine(excel, "emexcel.txt"), "file emexcel.txt 10 " + HexPlain("1;2\r\n3;4\r\n")) << text;

    ASSERT_TRUE(WaitForScreen("host-finished", 20000)) << ScreenText();
    const std::vector<std::string> screen = Screen();
    ASSERT_GE(screen.size(), 3u);
    EXPECT_EQ(screen[0].substr(0, 3), "xyz") << ScreenText();
    EXPECT_EQ(screen[1].substr(0, 13), "host-finished") << ScreenText();
}

// HostCommands = "0": nothing is written and nothing starts; the commands'
// bytes are still taken, so the text around them lands where it should.
TEST_F(HostProgram, SwitchedOffNothingRunsAndTheScreenStaysRight) {
    switchedOff = true;
    ASSERT_EQ(Reg({"add", kSecurityKey, "/v", "HostCommands", "/t", "REG_SZ", "/d", "0", "/f"}), 0);
    StartConnected();
    if (HasFatalFailure()) return;
    InstallStandIn("HOSTPROG.EXE");
    InstallStandIn("CHARTS.EXE");
    InstallStandIn("emexcel.exe");
    if (HasFatalFailure()) return;

    // Had anything started, the terminal would have waited for it to end
    // before it showed the text that follows.
    StartScript("printf '\\033+a\\033FkHOSTPROG ARG1\\rb\\033Fn1,2\\n\\032c\\033FEA\\n\\0321\\n\\032d\\r\\nhost-''finished\\r\\n'\n");
    ASSERT_TRUE(WaitForScreen("host-finished", 30000)) << ScreenText();
    const std::vector<std::string> screen = Screen();
    ASSERT_GE(screen.size(), 2u);
    EXPECT_EQ(screen[0].substr(0, 4), "abcd") << ScreenText();
    EXPECT_FALSE(ovwine::FileExists(RecordPath())) << Record();
    for (const char* name : {"CHARTS.DAT", "emexcel.txt", "fmtexcel.txt"})
        EXPECT_FALSE(ovwine::FileExists(WorkDir() + "/" + name)) << name;
}

}  // namespace
