// Host printing from a real session: what the host prints reaches the
// environment's CUPS queue (Wine's default printer) with its bytes unchanged,
// both through printer pass-through (DC2 ... space, DC4) and through a
// captured print file (ESC $ ... SUB).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TerminalSession.h"

namespace {

using ovwine::Arg;

// A byte literal whole, NULs included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// Every byte as a three-digit octal escape, for a printf format on the host.
std::string OctalEscaped(const std::string& bytes) {
    std::string out;
    char code[8];
    for (unsigned char c : bytes) {
        std::snprintf(code, sizeof code, "\\%03o", c);
        out += code;
    }
    return out;
}

class HostPrinting : public ovwine::TerminalTest {
protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        jobDir = ovwine::PrintJobDir();
        ASSERT_FALSE(jobDir.empty()) << "the Wine environment has no printer (cupsd missing? see cups.log in "
                                     << ovwine::WineEnvironment::Instance().Dir() << ")";
        for (const std::string& name : ovwine::PrintJobs()) jobsBefore.insert(name);
    }

    // Runs a command line on the host with output post-processing off (no LF
    // to CR LF), and waits until it has finished.
    void RunOnHost(const std::string& command) {
        static int serial = 0;
        const std::string marker = "done-" + std::to_string(++serial);
        // The marker is computed, so its echo on the command line does not count.
        Run({"chars " + Arg("stty -opost; " + command + "; stty opost; echo done-$((" + std::to_string(serial) +
                            "+0))\r")});
        ASSERT_TRUE(WaitForScreen(marker, 30000)) << ScreenText();
    }

    // The contents of the first job that was not there when the test began,
    // waiting at most timeoutMs for it; fails the test without one.
    std::string WaitForNewJob(int timeoutMs = 60000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            for (const std::string& name : ovwine::PrintJobs())
                if (!jobsBefore.count(name)) {
                    jobsBefore.insert(name);
                    return ovwine::ReadFile(jobDir + "/" + name);
                }
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        ADD_FAILURE() << "no print job reached the queue within " << timeoutMs << " ms\n" << ScreenText();
        return std::string();
    }

    std::string jobDir;
    std::set<std::string> jobsBefore;
};

TEST_F(HostPrinting, PassThroughReachesTheQueueAsOneJobBehindCrLf) {
    StartConnected();
    if (HasFatalFailure()) return;
    // No spaces (a space ends pass-through); escape sequences, control bytes
    // the screen would act on (DC2, DC4, SUB, ESC $), NUL, IAC (0xFF, doubled
    // by telnet) and other high bytes. No CR without LF: the host's telnetd
    // sends that as CR NUL (its side is not BINARY), and the NUL is kept.
    const std::string data = Bytes("\x1b=%%HELLO\x1b[1m\x1bG4\x01\t\r\n\0\x12\x14\x1a\x1b$end\x80\xe9\xff\xff~");
    // DC2 opens the printer, the space after the data ends pass-through
    // without being printed, DC4 closes the printer and so ends the job.
    RunOnHost("printf '\\022" + OctalEscaped(data) + "\\040\\024'");
    if (HasFatalFailure()) return;
    const std::string job = WaitForNewJob();
    EXPECT_EQ(ovwine::Hex(job), ovwine::Hex("\r\n" + data)) << "every opened document starts with CR LF, then the data as sent";
}

TEST_F(HostPrinting, CapturedFileReachesTheQueueUnchanged) {
    StartConnected();
    if (HasFatalFailure()) return;
    // Anything but SUB is print data: spaces, line ends, escape sequences,
    // DC2 and DC4 included.
    const std::string data = Bytes("Line one\r\n\x1b" "E\x1b=%% \x12\x14\0\x80\xe9\xff end\x0c");
    RunOnHost("printf '\\033$" + OctalEscaped(data) + "\\032'");
    if (HasFatalFailure()) return;
    const std::string job = WaitForNewJob();
    EXPECT_EQ(ovwine::Hex(job), ovwine::Hex(data)) << "a printed file carries no CR LF of its own";
    const std::string file = WorkDir() + "/OVPRINT.1";
    ASSERT_TRUE(ovwine::FileExists(file)) << "the capture file stays in the program's working directory";
    EXPECT_EQ(ovwine::Hex(ovwine::ReadFile(file)), ovwine::Hex(data));
    EXPECT_FALSE(ovwine::FileExists(WorkDir() + "/OVPRINT.2"));
}

}  // namespace
