// End to end: ovscript drives a real telnet session against the system's
// telnetd on loopback. The shell must see the terminal type, curses programs
// must draw what the terminal database for wy50 describes, and keys defined
// for the host must reach it as their bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "integration/LoopbackTelnetServer.h"
#include "support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

class TelnetSession : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new fs::path(fs::path(testsupport::WorkDirectory()) / "telnet");
        fs::create_directories(*dir);
        server = new LoopbackTelnetServer(dir->string());
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
        delete dir;
        dir = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server->Running()) << server->Problem(); }

    // Runs ovscript on the commands; answers are the lines it printed.
    std::vector<std::string> Run(const std::vector<std::string>& commands, const std::string& environment = "") {
        fs::path in = *dir / "commands.txt", out = *dir / "answers.txt";
        {
            std::ofstream file(in);
            for (const std::string& c : commands) file << c << "\n";
        }
        std::string command = environment + " timeout 120 " + OV_SCRIPT_TOOL + " < " + in.string() + " > " +
                              out.string() + " 2>&1";
        int status = std::system(command.c_str());
        EXPECT_EQ(status, 0) << command;
        std::ifstream file(out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }

    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& l : lines) text += l + "\n";
        return text;
    }

    // Answers must be "ok" for every command; returns the screen dumps in between.
    static void ExpectAllOk(const std::vector<std::string>& lines) {
        for (const std::string& l : lines) EXPECT_EQ(l.rfind("error", 0), std::string::npos) << Joined(lines);
    }

    static fs::path* dir;
    static LoopbackTelnetServer* server;
};

fs::path* TelnetSession::dir = nullptr;
LoopbackTelnetServer* TelnetSession::server = nullptr;

// The shell reads LF as end of line; Enter's CR LF would give it two.
TEST_F(TelnetSession, TheShellSeesTheTerminalTypeWy50) {
    auto lines = Run({"connect " + server->HostText(), "wait $", "type echo \"[$TERM]\"\\n", "wait [wy50]",
                      "disconnect", "quit"});
    ExpectAllOk(lines);
    EXPECT_NE(Joined(lines).find("ok"), std::string::npos);
}

// telnetd asks for BINARY and we agree, so the host's terminal gets our
// bytes raw: Enter must then send CR alone, or the shell sees two line ends.
TEST_F(TelnetSession, EnterUnderBinaryGivesTheShellOneLineEnd) {
    auto lines = Run({"connect " + server->HostText(), "wait $", "type echo h''i\\r", "wait hi", "settle 700",
                      "type echo do''ne\\r", "wait done", "settle 700", "screen", "quit"});
    ExpectAllOk(lines);
    std::string text = Joined(lines);
    // One prompt after each output line, then the next command on it.
    EXPECT_NE(text.find("\nhi\n$ echo do''ne\ndone\n$\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("$ $"), std::string::npos) << text;
}

TEST_F(TelnetSession, TputDrawsWithTheWy50Capabilities) {
    auto lines = Run({
        "connect " + server->HostText(), "wait $",
        "type clear; tput cup 10 20; printf HERE; tput cup 12 0; printf 'abcdef'; tput cup 12 3; tput el; "
        "tput cup 15 5; tput smacs; printf '2::3'; tput rmacs; tput cup 20 0; printf DO''NE; sleep 5\\n",
        "wait DONE", "screen", "cursor", "quit"});
    ExpectAllOk(lines);
    std::string text = Joined(lines);
    EXPECT_NE(text.find("\n" + std::string(20, ' ') + "HERE\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nabc\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n     ┌──┐\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nDONE\n"), std::string::npos) << text;
}

TEST_F(TelnetSession, DialogDrawsABoxedMessage) {
    auto lines = Run({"connect " + server->HostText(), "wait $",
                      "type dialog --msgbox 'Hello from the ''host' 7 40\\n", "wait Hello from the host",
                      "settle 500", "screen", "type \\n", "quit"});
    ExpectAllOk(lines);
    std::string text = Joined(lines);
    EXPECT_NE(text.find("Hello from the host"), std::string::npos) << text;
    EXPECT_NE(text.find("┌"), std::string::npos) << text;
    EXPECT_NE(text.find("┘"), std::string::npos) << text;
    EXPECT_NE(text.find("<  OK  >"), std::string::npos) << text;
}

TEST_F(TelnetSession, KeysDefinedForTheHostArriveAsTheirBytes) {
    fs::path config = *dir / "config";
    fs::remove_all(config);
    fs::create_directories(config / "winovterm");
    {
        std::ofstream ini(config / "winovterm" / "OVTERM.INI");
        ini << "[" << server->HostText() << "]\nkeyboard=WYSEKEYS\n\n"
            << "[WYSEKEYS]\nKBD_F1=\\x1b\\x5b\\x41\nKBD_CTL_HOME=1e\n";
    }
    std::string environment = "XDG_CONFIG_HOME=" + config.string() + " OVTERM_STORAGE=profile";
    // The host reads raw bytes and prints them in hex, followed by END.
    const std::string reader =
        "type stty raw -echo; dd bs=1 count=8 2>/dev/null | od -An -tx1; stty sane; echo E''ND\\n";
    auto lines = Run({"connect " + server->HostText(), "wait $", reader, "settle 300", "key F1",
                      "key Ctrl+Home", "key Shift+F2", "key Ctrl+Break", "wait END", "screen", "quit"},
                     environment);
    ExpectAllOk(lines);
    EXPECT_NE(Joined(lines).find("1b 5b 41 1e 01 61 0d 7f"), std::string::npos) << Joined(lines);
}

TEST_F(TelnetSession, ALostHostIsAnErrorNotAHang) {
    auto lines = Run({"connect " + server->HostText(), "wait $", "type exit\\n", "wait never-printed 20000",
                      "quit"});
    std::string text = Joined(lines);
    EXPECT_NE(text.find("message OvTerm: Connection lost"), std::string::npos) << text;
    EXPECT_NE(text.find("error connection lost waiting for never-printed"), std::string::npos) << text;

    lines = Run({"connect " + server->HostText(), "wait $", "type exit\\n", "settle 20000", "quit"});
    text = Joined(lines);
    EXPECT_NE(text.find("message OvTerm: Connection lost\nerror connection lost\n"), std::string::npos) << text;
}

TEST_F(TelnetSession, ARefusedConnectionIsAnError) {
    // A port nobody listens on: take the server's and add one thousand.
    std::string host = "127.0.0.1:" + std::to_string(server->Port() > 60000 ? 1 : server->Port() + 1000);
    auto lines = Run({"connect " + host, "type x", "quit"});
    std::string text = Joined(lines);
    EXPECT_NE(text.find("message Connection Failed!: Unable to connect - (" + host + ")"), std::string::npos)
        << text;
    EXPECT_NE(text.find("error cannot connect to " + host), std::string::npos) << text;
    EXPECT_NE(text.find("error not connected"), std::string::npos) << text;
}

}  // namespace
