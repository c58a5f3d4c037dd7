// ovterm in a real terminal: tmux runs it in a detached pane, keys go in
// with send-keys, and what the pane shows is read with capture-pane. The
// screen must equal what ovreplay makes of the scope log of the same
// session, keys must reach the program as the Wyse 50 sends them, and the
// user's terminal must come back as it was on every way out.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "integration/LoopbackTelnetServer.h"
#include "print/PrivateCupsServer.h"
#include "support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The colours and attributes in force where word first appears in one of
// the lines of capture-pane -e: colours as their numbers (0..255), -1 for the
// terminal's default.
struct CellStyle {
    int fore = -1, back = -1;
    bool dim = false, reverse = false;
    bool found = false;
};

CellStyle StyleOf(const std::vector<std::string>& lines, const std::string& word) {
    for (const std::string& line : lines) {
        const size_t at = line.find(word);
        if (at == std::string::npos) continue;
        CellStyle style;
        style.found = true;
        for (size_t i = 0; i < at; ++i) {
            if (line[i] != '\x1b' || i + 1 >= at || line[i + 1] != '[') continue;
            const size_t end = line.find('m', i);
            if (end == std::string::npos || end > at) break;
            std::vector<int> params;
            std::istringstream in(line.substr(i + 2, end - i - 2));
            for (std::string p; std::getline(in, p, ';');) params.push_back(p.empty() ? 0 : std::stoi(p));
            if (params.empty()) params.push_back(0);
            for (size_t k = 0; k < params.size(); ++k) {
                const int p = params[k];
                if (p == 0) style = CellStyle{-1, -1, false, false, true};
                else if (p == 2) style.dim = true;
                else if (p == 22) style.dim = false;
                else if (p == 7) style.reverse = true;
                else if (p == 27) style.reverse = false;
                else if (p >= 30 && p <= 37) style.fore = p - 30;
                else if (p >= 90 && p <= 97) style.fore = p - 82;
                else if (p == 39) style.fore = -1;
                else if (p >= 40 && p <= 47) style.back = p - 40;
                else if (p >= 100 && p <= 107) style.back = p - 92;
                else if (p == 49) style.back = -1;
                else if ((p == 38 || p == 48) && k + 2 < params.size() && params[k + 1] == 5) {
                    (p == 38 ? style.fore : style.back) = params[k + 2];
                    k += 2;
                }
            }
            i = end;
        }
        return style;
    }
    return CellStyle{};
}

// One detached tmux server of its own with one pane running a shell command
// that starts ovterm and, once it has ended, shows its exit code and the
// terminal modes from before and after.
class Pane {
public:
    // environment: more "NAME=value" words for ovterm's environment.
    Pane(const fs::path& dir, const std::string& ovtermArgs, int width = 80, int height = 26,
         const std::string& environment = "")
        : dir(dir) {
        socket = (dir / "tmux.sock").string();
        const fs::path conf = dir / "tmux.conf";
        std::ofstream(conf) << "set -g default-terminal tmux-256color\nset -g status off\n"
                               "set -g remain-on-exit on\nset -g escape-time 10\n";
        // The pane works in the test's folder (the emulator keeps its line
        // records file in the working folder) with settings of its own.
        const std::string inner = "cd " + Quote(dir.string()) + " && export XDG_CONFIG_HOME=" +
                                  Quote((dir / "config").string()) +
                                  (environment.empty() ? "" : " " + environment) + "; stty -g > " +
                                  (dir / "before").string() +
                                  "; echo $$ > " +
                                  (dir / "pid").string() + "; (exec " + std::string(OV_OVTERM_TOOL) + " " +
                                  ovtermArgs + "); echo ovterm-exit=$?; stty -g > " + (dir / "after").string() +
                                  "; exec sleep 600";
        const std::string command = Tmux() + " -f " + conf.string() + " new-session -d -x " + std::to_string(width) +
                                    " -y " + std::to_string(height) + " " + Quote("exec sh -c " + Quote(inner));
        started = std::system(command.c_str()) == 0;
    }
    ~Pane() { std::system((Tmux() + " kill-server 2>/dev/null").c_str()); }

    bool Started() const { return started; }
    std::string Tmux() const { return "LC_ALL=C.UTF-8 tmux -u -S " + socket; }
    std::vector<std::string> Capture() const { return Lines(Output(Tmux() + " capture-pane -p -t 0")); }
    // The pane's lines with the escape sequences of their attributes and colours.
    std::vector<std::string> CaptureWithEscapes() const {
        return Lines(Output(Tmux() + " capture-pane -p -e -t 0"));
    }
    // Everything the program in the pane writes from now on, into a file.
    void PipeOutput(const fs::path& file) const {
        std::system((Tmux() + " pipe-pane -o -t 0 " + Quote("cat > " + Quote(file.string()))).c_str());
    }
    std::string CaptureText() const {
        std::string text;
        for (const std::string& l : Capture()) text += l + "\n";
        return text;
    }
    void Keys(const std::string& args) const { std::system((Tmux() + " send-keys -t 0 " + args).c_str()); }
    // Raw input bytes, as hexadecimal pairs ("1b 5b 4d").
    void Bytes(const std::string& hex) const { std::system((Tmux() + " send-keys -t 0 -H " + hex).c_str()); }
    void Resize(int width, int height) const {
        std::system((Tmux() + " resize-window -t 0 -x " + std::to_string(width) + " -y " + std::to_string(height))
                        .c_str());
    }
    // Waits (generously: the machine may be loaded) until the pane satisfies test.
    bool WaitFor(const std::function<bool(const std::string&)>& test, int seconds = 60) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (test(CaptureText())) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    bool WaitForText(const std::string& text, int seconds = 60) const {
        return WaitFor([&](const std::string& pane) { return pane.find(text) != std::string::npos; }, seconds);
    }
    // Sends a line to ovterm's command prompt.
    void Command(const std::string& line) const { Keys("C-] " + Quote(line) + " Enter"); }
    // The modes after ovterm equal those before it.
    void ExpectTerminalRestored() const {
        for (int i = 0; i < 1200 && !fs::exists(dir / "after"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string before = ReadFile(dir / "before");
        EXPECT_FALSE(before.empty()) << CaptureText();
        EXPECT_EQ(before, ReadFile(dir / "after"));
    }

    fs::path dir;

private:
    std::string socket;
    bool started = false;
};

class OvtermInTmux : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(testsupport::WorkDirectory()) / ("ovterm-" + std::string(info->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
    }
    // The pane's rows 0..24 against ovreplay's screen for the bytes logged.
    void ExpectPaneEqualsReplay(const Pane& pane, const fs::path& log) {
        const std::vector<std::string> replay =
            Lines(Output(std::string(OV_REPLAY_TOOL) + " " + log.string() + " 2>&1"));
        ASSERT_EQ(replay.size(), 25u);
        std::vector<std::string> shown = pane.Capture();
        shown.resize(25);
        EXPECT_EQ(shown, replay) << pane.CaptureText();
    }
    void ExpectPaneEqualsReplayEventually(const Pane& pane, const fs::path& log) {
        const bool equal = pane.WaitFor([&](const std::string&) {
            std::vector<std::string> shown = pane.Capture();
            shown.resize(25);
            return shown == Lines(Output(std::string(OV_REPLAY_TOOL) + " " + log.string()));
        });
        if (!equal) ExpectPaneEqualsReplay(pane, log);
    }
    fs::path dir;
};

TEST_F(OvtermInTmux, LocalProgramScreenEqualsReplayOfItsLogAndSurvivesResize) {
    // Wyse 50 output: clear, addressed text, code page 437 box and letters,
    // attributes, the message line; the second part arrives while the
    // terminal is too small to draw.
    std::ofstream(dir / "part1", std::ios::binary)
        << "\x1b*\x1b=\x22\x25\xc9\xcd\xcd\xbb caf\x82 MARK1\r\n"
           "\x1b=\x23\x25\xba\x1bG4rev\x1bG0\xba plain\r\nline three\r\n\x1b=\x37\x20message row";
    std::ofstream(dir / "part2", std::ios::binary) << "\x1b=\x2a\x30MARK2 written while small\x1b=\x2b\x20";
    const std::string child = "stty raw -echo; head -c1 >/dev/null; cat " + (dir / "part1").string() +
                              "; head -c1 >/dev/null; cat " + (dir / "part2").string() + "; exec sleep 600";
    Pane pane(dir, "-e sh -c " + Quote(child));
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("| connected")) << pane.CaptureText();
    const fs::path log = dir / "scope.log";
    pane.Command("log " + log.string());
    ASSERT_TRUE(pane.WaitForText("logging to")) << pane.CaptureText();
    pane.Keys("Enter");
    ASSERT_TRUE(pane.WaitForText("MARK1")) << pane.CaptureText();
    ASSERT_TRUE(pane.WaitForText("message row")) << pane.CaptureText();
    ExpectPaneEqualsReplay(pane, log);

    pane.Resize(60, 20);
    ASSERT_TRUE(pane.WaitForText("ovterm needs 80x26")) << pane.CaptureText();
    pane.Keys("Enter");
    for (int i = 0; i < 1200 && ReadFile(log).find("MARK2") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_NE(ReadFile(log).find("MARK2"), std::string::npos);
    pane.Resize(80, 26);
    ASSERT_TRUE(pane.WaitForText("MARK2 written while small")) << pane.CaptureText();
    ASSERT_TRUE(pane.WaitForText("MARK1")) << pane.CaptureText();
    ExpectPaneEqualsReplay(pane, log);

    pane.Command("quit");
    ASSERT_TRUE(pane.WaitForText("ovterm-exit=0")) << pane.CaptureText();
    pane.ExpectTerminalRestored();
}

// Curses programs drawing for TERM=wy50: the pane shows what a replay of the
// same bytes shows, after a key moves them on.
TEST_F(OvtermInTmux, CursesProgramsOnWy50MatchTheReplay) {
    std::ofstream text(dir / "text.txt");
    for (int i = 1; i <= 60; ++i) text << "text line " << i << " of the file\n";
    text.close();
    struct Program {
        std::string command, ready, key, moved;
    };
    const Program programs[] = {
        {"less " + (dir / "text.txt").string(), "text line 23 ", "Space", "text line 40 "},
        {"vim -u NONE -N " + (dir / "text.txt").string(), "text line 23 ", "G", "text line 60 "},
        {"dialog --msgbox 'Hello from dialog' 8 40", "Hello from dialog", "", ""},
    };
    for (const Program& program : programs) {
        SCOPED_TRACE(program.command);
        fs::remove_all(dir / "run");
        fs::create_directories(dir / "run");
        // The log starts before the program draws anything.
        const std::string child = "stty raw -echo; head -c1 >/dev/null; stty sane; exec " + program.command;
        Pane pane(dir / "run", "-e sh -c " + Quote(child));
        ASSERT_TRUE(pane.Started());
        ASSERT_TRUE(pane.WaitForText("| connected")) << pane.CaptureText();
        const fs::path log = dir / "run" / "scope.log";
        pane.Command("log " + log.string());
        ASSERT_TRUE(pane.WaitForText("logging to")) << pane.CaptureText();
        pane.Keys("Enter");
        ASSERT_TRUE(pane.WaitForText(program.ready)) << pane.CaptureText();
        // Equal once the program has finished drawing.
        ASSERT_TRUE(pane.WaitFor([&](const std::string&) {
            std::vector<std::string> shown = pane.Capture();
            shown.resize(25);
            return shown == Lines(Output(std::string(OV_REPLAY_TOOL) + " " + log.string()));
        })) << pane.CaptureText();
        if (!program.key.empty()) {
            pane.Keys(program.key);
            ASSERT_TRUE(pane.WaitForText(program.moved)) << pane.CaptureText();
            ExpectPaneEqualsReplayEventually(pane, log);
        }
    }
}

TEST_F(OvtermInTmux, KeysReachTheProgramAsWyse50Codes) {
    const fs::path out = dir / "keys.bin";
    struct Key {
        const char* name;
        const char* bytes;
    };
    // The program's built-in strings: the Wyse 50 keyboard's codes.
    const Key keys[] = {{"F1", "\x01@\r"}, {"F2", "\x01" "A\r"}, {"F12", "\x01K\r"}, {"S-F1", "\x01`\r"},
                        {"Up", "\x0b"},     {"Down", "\n"},          {"Left", "\x15"},     {"Right", "\x0c"},
                        {"Home", "\x1e"},   {"End", "\x17"},         {"IC", "\x0e"},       {"DC", "\x0f"},
                        {"PPage", "\x1c"},  {"NPage", "\x1d"},       {"Enter", "\r"},      {"BSpace", "\b"},
                        {"a", "a"}};
    std::string expected;
    for (const Key& k : keys) expected += k.bytes;
    const std::string child = "stty raw -echo; head -c " + std::to_string(expected.size()) + " > " + out.string() +
                              "; echo KEYS-DONE; exec sleep 600";
    Pane pane(dir, "-e sh -c " + Quote(child));
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("| connected")) << pane.CaptureText();
    for (const Key& k : keys) pane.Keys(k.name);
    ASSERT_TRUE(pane.WaitForText("KEYS-DONE")) << pane.CaptureText();
    EXPECT_EQ(testsupport::ToHex(ReadFile(out)), testsupport::ToHex(expected));
}

TEST_F(OvtermInTmux, ChildExitEndsTheSessionWithItsStatus) {
    Pane pane(dir, "-e sh -c 'stty raw; head -c1 >/dev/null; exit 5'");
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("| connected")) << pane.CaptureText();
    pane.Command("help");
    ASSERT_TRUE(pane.WaitForText("connect HOST[:PORT]")) << pane.CaptureText();
    pane.Command("local on");
    ASSERT_TRUE(pane.WaitForText("| LOCAL")) << pane.CaptureText();
    pane.Command("local off");
    ASSERT_TRUE(pane.WaitFor([](const std::string& t) { return t.find("| LOCAL") == std::string::npos; }));
    pane.Command("bogus");
    ASSERT_TRUE(pane.WaitForText("unknown command bogus")) << pane.CaptureText();
    pane.Keys("x");
    ASSERT_TRUE(pane.WaitForText("ovterm-exit=5")) << pane.CaptureText();
    EXPECT_NE(pane.CaptureText().find("exit status 5"), std::string::npos) << pane.CaptureText();
    pane.ExpectTerminalRestored();
}

// Shift+Page Up/Down page through the history; the store is never changed by it.
TEST_F(OvtermInTmux, ShiftPageKeysScrollThroughTheHistory) {
    Pane pane(dir, "-e sh -c 'i=1; while [ $i -le 40 ]; do echo \"line $i.\"; i=$((i+1)); done; exec sleep 600'");
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("line 40.")) << pane.CaptureText();
    EXPECT_EQ(pane.CaptureText().find("line 1.\n"), std::string::npos) << pane.CaptureText();
    pane.Keys("S-PPage");
    ASSERT_TRUE(pane.WaitForText("line 1.\n")) << pane.CaptureText();
    pane.Keys("S-NPage");
    ASSERT_TRUE(pane.WaitFor([](const std::string& t) {
        return t.find("line 40.") != std::string::npos && t.find("line 1.\n") == std::string::npos;
    })) << pane.CaptureText();
}

// With --mouse the wheel scrolls the history a line at a time (the pane's
// terminal reports the mouse as ESC [ M, button, column, row).
TEST_F(OvtermInTmux, MouseWheelScrollsTheHistoryWhenAsked) {
    Pane pane(dir, "--mouse -e sh -c 'i=1; while [ $i -le 40 ]; do echo \"line $i.\"; i=$((i+1)); done; "
                   "exec sleep 600'");
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("line 40.")) << pane.CaptureText();
    const std::string top = pane.Capture().at(0);
    ASSERT_EQ(top.rfind("line ", 0), 0u) << pane.CaptureText();
    const int first = std::stoi(top.substr(5));
    const std::string wheelUp = "1b 5b 4d 60 21 21", wheelDown = "1b 5b 4d 61 21 21";
    pane.Bytes(wheelUp);
    pane.Bytes(wheelUp);
    ASSERT_TRUE(pane.WaitFor([&](const std::string&) {
        return pane.Capture().at(0) == "line " + std::to_string(first - 2) + ".";
    })) << pane.CaptureText();
    pane.Bytes(wheelDown);
    ASSERT_TRUE(pane.WaitFor([&](const std::string&) {
        return pane.Capture().at(0) == "line " + std::to_string(first - 1) + ".";
    })) << pane.CaptureText();
}

TEST_F(OvtermInTmux, SignalRestoresTheTerminal) {
    Pane pane(dir, "-e sleep 600");
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("| connected")) << pane.CaptureText();
    // The pane's shell runs ovterm in a subshell that execs it: its child.
    const std::string shellPid = ReadFile(dir / "pid");
    ASSERT_FALSE(shellPid.empty());
    const std::string ovtermPid = Output("pgrep -P " + shellPid.substr(0, shellPid.find('\n')) + " -x ovterm");
    ASSERT_FALSE(ovtermPid.empty());
    ASSERT_EQ(kill(std::stoi(ovtermPid), SIGTERM), 0);
    ASSERT_TRUE(pane.WaitForText("ovterm-exit=143")) << pane.CaptureText();
    pane.ExpectTerminalRestored();
}

TEST_F(OvtermInTmux, TelnetSessionAgainstLoopbackServerAndConnectFailure) {
    LoopbackTelnetServer server(dir.string());
    ASSERT_TRUE(server.Running()) << server.Problem();
    // A key definition of this host in the settings store, as the Windows
    // program keeps them: F5 types "echo PER-HOST" and Enter.
    fs::create_directories(dir / "config" / "winovterm");
    std::ofstream(dir / "config" / "winovterm" / "registry.reg")
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\" << server.HostText()
        << "]\n\"keyboard\"=\"loopkeys\"\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\loopkeys]\n"
           "\"KBD_F5\"=\"65 63 68 6F 20 50 45 52 2D 48 4F 53 54 0D\"\n";
    {
        Pane pane(dir, server.HostText());
        ASSERT_TRUE(pane.Started());
        ASSERT_TRUE(pane.WaitForText("$\n")) << pane.CaptureText();
        pane.Keys(Quote("echo \"[$TERM]\"") + " Enter");
        ASSERT_TRUE(pane.WaitForText("[wy50]")) << pane.CaptureText();
        pane.Keys("F5");
        ASSERT_TRUE(pane.WaitForText("\nPER-HOST\n")) << pane.CaptureText();
        // The host closing ends the session.
        pane.Keys("exit Enter");
        ASSERT_TRUE(pane.WaitForText("ovterm-exit=0")) << pane.CaptureText();
        EXPECT_NE(pane.CaptureText().find("closed"), std::string::npos) << pane.CaptureText();
        pane.ExpectTerminalRestored();
    }
    // The host went into the recent hosts of the settings store; a later
    // session lists it and connects to it by number.
    EXPECT_NE(ReadFile(dir / "config" / "winovterm" / "registry.reg").find("\"File1\"=\"" + server.HostText()),
              std::string::npos);
    {
        fs::create_directories(dir / "again");
        fs::copy(dir / "config", dir / "again" / "config", fs::copy_options::recursive);
        Pane pane(dir / "again", "-e sleep 600");
        ASSERT_TRUE(pane.Started());
        ASSERT_TRUE(pane.WaitForText("| connected")) << pane.CaptureText();
        pane.Command("recent");
        ASSERT_TRUE(pane.WaitForText("#1  " + server.HostText())) << pane.CaptureText();
        pane.Keys("Escape");
        pane.Command("connect #2");
        ASSERT_TRUE(pane.WaitForText("no recent host #2")) << pane.CaptureText();
        pane.Command("connect #1");
        ASSERT_TRUE(pane.WaitForText("connected to " + server.HostText())) << pane.CaptureText();
        ASSERT_TRUE(pane.WaitForText("$\n")) << pane.CaptureText();
        pane.Keys(Quote("echo \"[$TERM]\"") + " Enter");
        ASSERT_TRUE(pane.WaitForText("[wy50]")) << pane.CaptureText();
        pane.Command("quit");
        ASSERT_TRUE(pane.WaitForText("ovterm-exit=0")) << pane.CaptureText();
    }
    fs::create_directories(dir / "refused");
    Pane refused(dir / "refused", "127.0.0.1:1");
    ASSERT_TRUE(refused.Started());
    ASSERT_TRUE(refused.WaitForText("ovterm-exit=1")) << refused.CaptureText();
    EXPECT_NE(refused.CaptureText().find("Unable to connect"), std::string::npos) << refused.CaptureText();
    refused.ExpectTerminalRestored();
}

// The colour pair of the settings, the Windows program's grey for protected
// text and its green for the alternate colour (the Wyse 50's dim), and text
// made invisible by ESC G 1, as a 256-colour terminal shows them.
TEST_F(OvtermInTmux, SettingsColoursProtectedGreyAndInvisibleText) {
    fs::create_directories(dir / "config" / "winovterm");
    std::ofstream(dir / "config" / "winovterm" / "registry.reg")
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\Colors]\n\"Fore\"=\"WHITE\"\n"
           "\"Back\"=\"BLUE\"\n";
    // Write-protect mode (ESC ) .. ESC () writes protected text. An embedded
    // attribute marks the cursor cell, which text written over it would
    // clear: each is followed by a cursor right (FF).
    std::ofstream(dir / "out", std::ios::binary)
        << "\x1b*plain \x1b)PROT\x1b( \x1bG1\fsecret\x1bG0\f \x1bGp\fdimmed\x1bG0\f \x1bG4\frev\x1bG0\f END";
    Pane pane(dir, "-e sh -c " + Quote("cat " + (dir / "out").string() + "; exec sleep 600"));
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("END")) << pane.CaptureText();
    const std::vector<std::string> lines = pane.CaptureWithEscapes();
    struct Expected {
        const char* word;
        int fore, back;
        bool reverse;
    } expected[] = {
        {"plain", 7, 4, false},   // WHITE on BLUE from the settings
        {"PROT", 245, 4, false},  // grey text
        {"secret", 4, 4, false},  // foreground code := background code
        {"dimmed", 2, 4, false},  // the alternate colour: green
        {"rev", 7, 4, true},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.word);
        const CellStyle style = StyleOf(lines, e.word);
        ASSERT_TRUE(style.found) << pane.CaptureText();
        EXPECT_EQ(style.fore, e.fore);
        EXPECT_EQ(style.back, e.back);
        EXPECT_EQ(style.reverse, e.reverse);
    }
}

// Keys the host programs with ESC z: F1 sends the host's string, and the
// keys command lists them with the labels the host gave them.
TEST_F(OvtermInTmux, HostProgrammedKeysAndTheirLabels) {
    const fs::path out = dir / "f1.bin";
    const std::string child =
        "printf '\\033z@hello\\r\\177\\033z`shifted\\177\\033z0Sales\\r\\033z\\061Ba\\033x\\r'; stty raw -echo; "
        "head -c 6 > " + out.string() + "; echo F1-DONE; exec sleep 600";
    Pane pane(dir, "-e sh -c " + Quote(child));
    ASSERT_TRUE(pane.Started());
    // The labels are shown on the message line.
    ASSERT_TRUE(pane.WaitForText("Sales")) << pane.CaptureText();
    pane.Keys("F1");
    ASSERT_TRUE(pane.WaitForText("F1-DONE")) << pane.CaptureText();
    EXPECT_EQ(ReadFile(out), "hello\r");

    pane.Command("keys");
    ASSERT_TRUE(pane.WaitForText("Function keys the host has programmed")) << pane.CaptureText();
    const std::string shown = pane.CaptureText();
    EXPECT_NE(shown.find("F1        [Sales]   hello^M"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Shift-F1            shifted"), std::string::npos) << shown;
    // A label with a control character in it shows it as ^X; a label alone is listed.
    EXPECT_NE(shown.find("F2        [Ba^[x]"), std::string::npos) << shown;
    // Any key closes the list.
    pane.Keys("q");
    ASSERT_TRUE(pane.WaitFor([](const std::string& t) {
        return t.find("Function keys") == std::string::npos && t.find("F1-DONE") != std::string::npos;
    })) << pane.CaptureText();
}

// Double-width lines (here recalled from a stored line record): the
// terminal's own where it has them, a space after each character otherwise.
TEST_F(OvtermInTmux, DoubleWidthLinesAsTheTerminalCanShowThem) {
    // Record 0 of the line records: "WIDE-LINE" with the double-width bit in
    // column 0, then spaces; ESC > SP SP SP writes it at row 0, column 0.
    std::string records(201 * 640, '\0');
    for (size_t i = 0; i < 160; ++i) records[i * 4] = ' ';
    const std::string text = "WIDE-LINE";
    for (size_t i = 0; i < text.size(); ++i) records[i * 4] = text[i];
    records[2] = 0x01;  // 0x10000 in the little-endian word of column 0
    const std::string child = "sleep 1; printf '\\033>   \\033=%%%%after'; exec sleep 600";
    for (const char* mode : {"spaces", "escapes"}) {
        SCOPED_TRACE(mode);
        const fs::path run = dir / mode;
        fs::create_directories(run);
        std::ofstream(run / "SCRLINES.SRC", std::ios::binary) << records;
        Pane pane(run, std::string("--wide-lines ") + mode + " -e sh -c " + Quote(child));
        ASSERT_TRUE(pane.Started());
        pane.PipeOutput(run / "output.bin");
        ASSERT_TRUE(pane.WaitForText("after")) << pane.CaptureText();
        const std::string shownText = std::string(mode) == "escapes" ? "WIDE-LINE" : "W I D E - L I N E";
        ASSERT_TRUE(pane.WaitForText(shownText)) << pane.CaptureText();
        pane.Command("quit");
        ASSERT_TRUE(pane.WaitForText("ovterm-exit=0")) << pane.CaptureText();
        const std::string output = ReadFile(run / "output.bin");
        // Without --mouse the mouse stays the terminal's (no mouse reporting asked for).
        EXPECT_EQ(output.find("\x1b[?1000h"), std::string::npos);
        EXPECT_NE(output.find(shownText.substr(0, 3)), std::string::npos);  // the output was seen
        if (std::string(mode) == "escapes") {
            // DECDWL for row 1 once its text is there, and DECSWL again on the way out.
            const size_t wide = output.find("\x1b[1;1H\x1b#6");
            EXPECT_NE(wide, std::string::npos);
            EXPECT_NE(output.find("\x1b[1;1H\x1b#5", wide), std::string::npos);
        } else {
            EXPECT_EQ(output.find("\x1b#6"), std::string::npos);
        }
    }
}

// The host's print data (DC2 .. space, then DC4) goes raw to the user's CUPS
// destination as one job; a destination CUPS does not know is reported.
TEST_F(OvtermInTmux, HostPrintDataGoesRawToTheCupsDestination) {
    PrivateCupsServer cups((dir / "cups").string(), "ovprint");
    if (!cups.Running()) GTEST_SKIP() << cups.Problem();
    // DC2, print data with control bytes, DC4 and a NUL in it, the space
    // that ends it, screen text, and the DC4 that closes the printer.
    const std::string printed = std::string("ABC\x1b" "E\x01\xff\x14", 8) + std::string(1, '\0') + "Z";
    std::ofstream(dir / "out", std::ios::binary) << "\x12" << printed << " after-print\x14";
    const std::string child = "cat " + (dir / "out").string() + "; exec sleep 600";
    {
        Pane pane(dir, "-e sh -c " + Quote(child), 80, 26, "CUPS_SERVER=" + Quote(cups.Server()) + " PRINTER=ovprint");
        ASSERT_TRUE(pane.Started());
        ASSERT_TRUE(pane.WaitForText("after-print")) << pane.CaptureText();
        const auto jobs = cups.WaitForCapturedJobs(1, 60);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(testsupport::ToHex(jobs[0].bytes), testsupport::ToHex("\r\n" + printed));
        EXPECT_EQ(jobs[0].title, "Orvane Emulator");
        // Nothing was printed on the screen from the print data.
        EXPECT_EQ(pane.CaptureText().find("ABC"), std::string::npos) << pane.CaptureText();
    }
    fs::create_directories(dir / "unknown");
    Pane pane(dir / "unknown", "-e sh -c " + Quote(child), 80, 26,
              "CUPS_SERVER=" + Quote(cups.Server()) + " PRINTER=nosuchqueue");
    ASSERT_TRUE(pane.Started());
    ASSERT_TRUE(pane.WaitForText("Cannot open printer.")) << pane.CaptureText();
    EXPECT_NE(pane.CaptureText().find("nosuchqueue"), std::string::npos) << pane.CaptureText();
}

}  // namespace
