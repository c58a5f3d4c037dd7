// netspoold end to end: a real server process, real TCP clients on loopback
// and a private CUPS scheduler whose raw queues capture every job's bytes
// and title. Each connection must become exactly one job, byte for byte.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "netspool/NetspooldProcess.h"
#include "print/PrivateCupsServer.h"
#include "support/TempDirectory.h"

namespace fs = std::filesystem;
using namespace netspooltest;

namespace {

constexpr char kTitle[] = "NetSpool Server";

class Netspoold : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const fs::path root = fs::path(testsupport::WorkDirectory()) / "netspoold";
        fs::create_directories(root / "config");
        cups = new PrivateCupsServer((root / "cups").string(), "nsq");
        if (!cups->Running()) return;
        secondJobs = (root / "cups" / "jobs2").string();
        if (!cups->AddRawQueue("nsq2", secondJobs)) return;
        daemon = new NetspooldProcess((root / "config").string(), cups->Server());
        daemon->Start();
    }
    static void TearDownTestSuite() {
        delete daemon;
        daemon = nullptr;
        delete cups;
        cups = nullptr;
    }
    void SetUp() override {
        if (!cups->Running()) GTEST_SKIP() << cups->Problem();
        ASSERT_NE(daemon, nullptr) << "the second queue could not be added";
        ASSERT_TRUE(daemon->Running()) << daemon->Problem();
        for (const std::string& dir : {cups->JobDirectory(), secondJobs}) {
            std::error_code ec;
            for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) fs::remove(entry.path(), ec);
        }
        mark = daemon->Mark();
    }

    static void Assign(int port, const std::string& printer) {
        const CommandResult result = daemon->Run({"--set", std::to_string(port), printer});
        ASSERT_EQ(result.status, 0) << result.err;
    }
    static int TcpPort(int port) { return daemon->BasePort() + port - 10; }
    static std::vector<PrivateCupsServer::CapturedJob> Jobs(std::size_t count, const std::string& dir = "") {
        return cups->WaitForCapturedJobs(count, 60, dir);
    }
    // Until the scheduler holds no job any more (at most 30 s): a job left
    // pending would stay there for ever.
    static bool NoJobPending() {
        for (int i = 0; i < 150; ++i) {
            if (cups->RunClient("test -z \"$(lpstat -o)\"") == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }
    bool WaitForLine(const std::string& text, int count = 1) const {
        return daemon->WaitForLine(text, mark, 30, count);
    }
    int CountLines(const std::string& text) const {
        const std::vector<std::string> lines = daemon->LinesSince(mark);
        return static_cast<int>(std::count(lines.begin(), lines.end(), text));
    }

    static PrivateCupsServer* cups;
    static NetspooldProcess* daemon;
    static std::string secondJobs;
    std::size_t mark = 0;
};

PrivateCupsServer* Netspoold::cups = nullptr;
NetspooldProcess* Netspoold::daemon = nullptr;
std::string Netspoold::secondJobs;

// Mismatches of many megabytes are reported by size and first difference,
// not printed whole.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    const auto diff = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got " << actual.size()
                                         << ", first difference at " << (diff.first - expected.begin());
}

std::string AllByteValues() {
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
    return bytes;
}

TEST_F(Netspoold, EachConnectionBecomesOneRawJobWithTheBytesSent) {
    Assign(10, "nsq");
    const std::vector<std::string> payloads = {
        AllByteValues() + AllByteValues(),
        std::string(5000, '\0'),
        "page one\r\n\fpage two\r\n\f\f",
        // PJL and PCL, ESC/P, and a PostScript header that CUPS must not act on.
        "\x1b%-12345X@PJL ENTER LANGUAGE=PCL\r\n\x1b" "E\x1b(s0p12h10v0s0b3T\x1b&l1O text\x1b" "E\x1b%-12345X",
        std::string("\x1b@\x1b" "E\x1b-\x01underlined\x1b-\x00\x0c", 24) + "%!PS-Adobe-3.0\n%%EOF\n",
        "x",
        RandomBytes(20 * 1024 * 1024, 8),
    };
    for (const std::string& payload : payloads) ASSERT_TRUE(SendJob(TcpPort(10), payload));
    const auto jobs = Jobs(payloads.size());
    ASSERT_EQ(jobs.size(), payloads.size());
    for (std::size_t i = 0; i < payloads.size(); ++i) {
        EXPECT_TRUE(SameBytes(payloads[i], jobs[i].bytes)) << "job " << i;
        EXPECT_EQ(jobs[i].title, kTitle) << "job " << i;
    }
    EXPECT_TRUE(WaitForLine("Connection closed on Port 10...data has been spooled", static_cast<int>(payloads.size())));
    EXPECT_TRUE(NoJobPending());
    EXPECT_EQ(Jobs(0).size(), payloads.size());
}

TEST_F(Netspoold, EmptyConnectionLeavesNoJobBehind) {
    Assign(11, "nsq");
    const int fd = Connect(TcpPort(11));
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(WaitForLine("Connection closed on Port 11...data has being spooled"));
    // The port's next connection is served after the empty one was handled.
    ASSERT_TRUE(SendJob(TcpPort(11), "after the empty one\f"));
    const auto jobs = Jobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].bytes, "after the empty one\f");
    EXPECT_TRUE(NoJobPending()) << "an empty job stays pending";
    EXPECT_EQ(Jobs(0).size(), 1u);
}

TEST_F(Netspoold, ResetMidStreamPrintsWhatArrivedAndThePortGoesOn) {
    Assign(10, "nsq");
    const std::string data = RandomBytes(256 * 1024, 3);
    const int fd = Connect(TcpPort(10));
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendAll(fd, data));
    ASSERT_TRUE(WaitForLine("Data waiting to be read on Port 10"));
    CloseWithReset(fd);
    ASSERT_TRUE(WaitForLine("Connection closed on Port 10...data has been spooled"));
    ASSERT_TRUE(SendJob(TcpPort(10), "next"));
    const auto jobs = Jobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    // What was read before the reset is printed; nothing else is in that job.
    EXPECT_FALSE(jobs[0].bytes.empty());
    EXPECT_TRUE(SameBytes(data.substr(0, jobs[0].bytes.size()), jobs[0].bytes));
    EXPECT_EQ(jobs[1].bytes, "next");
    EXPECT_TRUE(NoJobPending());
}

TEST_F(Netspoold, FourPortsAtOnceGiveFourIntactJobs) {
    Assign(10, "nsq");
    Assign(11, "nsq");
    Assign(12, "nsq2");
    Assign(13, "nsq2");
    std::vector<std::string> payloads;
    for (unsigned i = 0; i < 4; ++i) payloads.push_back(RandomBytes(3 * 1024 * 1024 + i * 7, 100 + i));
    // All four connected before any sends, then all sending at once.
    std::vector<int> fds;
    for (int i = 0; i < 4; ++i) fds.push_back(Connect(TcpPort(10 + i)));
    for (int fd : fds) ASSERT_GE(fd, 0);
    std::vector<std::thread> senders;
    std::vector<char> sent(4, 0);
    for (std::size_t i = 0; i < 4; ++i)
        senders.emplace_back([&, i] { sent[i] = SendAll(fds[i], payloads[i]); close(fds[i]); });
    for (std::thread& t : senders) t.join();
    for (char ok : sent) ASSERT_TRUE(ok);
    auto first = Jobs(2);
    auto second = Jobs(2, secondJobs);
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(second.size(), 2u);
    auto matches = [](const std::vector<PrivateCupsServer::CapturedJob>& jobs, const std::string& a,
                      const std::string& b) {
        return (jobs[0].bytes == a && jobs[1].bytes == b) || (jobs[0].bytes == b && jobs[1].bytes == a);
    };
    EXPECT_TRUE(matches(first, payloads[0], payloads[1])) << "ports 10 and 11 mixed or lost data";
    EXPECT_TRUE(matches(second, payloads[2], payloads[3])) << "ports 12 and 13 mixed or lost data";
    for (const auto& job : first) EXPECT_EQ(job.title, kTitle);
    for (const auto& job : second) EXPECT_EQ(job.title, kTitle);
    EXPECT_TRUE(NoJobPending());
}

TEST_F(Netspoold, SecondClientWaitsInTheBacklogUntilTheFirstCloses) {
    Assign(12, "nsq");
    const int first = Connect(TcpPort(12));
    ASSERT_GE(first, 0);
    ASSERT_TRUE(SendAll(first, "first, part one;"));
    ASSERT_TRUE(WaitForLine("Data waiting to be read on Port 12"));
    // Taken by the kernel's backlog, not by the server.
    ASSERT_TRUE(SendJob(TcpPort(12), "second client"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CountLines("Connection established on Port 12"), 1);
    ASSERT_TRUE(SendAll(first, " part two"));
    close(first);
    ASSERT_TRUE(WaitForLine("Connection established on Port 12", 2));
    const auto jobs = Jobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].bytes, "first, part one; part two");
    EXPECT_EQ(jobs[1].bytes, "second client");
    EXPECT_TRUE(NoJobPending());
}

TEST_F(Netspoold, PortSetToNoneAcceptsAndPrintsNothing) {
    Assign(13, "None");
    ASSERT_TRUE(SendJob(TcpPort(13), "nowhere to go"));
    ASSERT_TRUE(WaitForLine("No printer set for port 13"));
    // The data that came is still read (and refused chunk by chunk).
    ASSERT_TRUE(WaitForLine("Unable to open printer!"));
    // The port serves the next client: its connection was closed.
    ASSERT_TRUE(SendJob(TcpPort(13), "again"));
    ASSERT_TRUE(WaitForLine("Connection established on Port 13", 2));
    ASSERT_TRUE(WaitForLine("No printer set for port 13", 2));
    EXPECT_EQ(CountLines("Connection closed on Port 13...data has being spooled"), 0);
    EXPECT_TRUE(NoJobPending());
    EXPECT_TRUE(Jobs(0).empty());
    EXPECT_TRUE(Jobs(0, secondJobs).empty());
}

TEST_F(Netspoold, QueueRejectingJobsReportsErrorsThenPrintsOnceAccepting) {
    Assign(12, "nsq2");
    ASSERT_EQ(cups->RunClient("cupsreject nsq2"), 0);
    ASSERT_TRUE(SendJob(TcpPort(12), "refused"));
    EXPECT_TRUE(WaitForLine("Error opening printer"));
    EXPECT_TRUE(WaitForLine("Unable to open printer!"));
    EXPECT_TRUE(WaitForLine("Connection closed on Port 12...data has being spooled"));
    ASSERT_EQ(cups->RunClient("cupsaccept nsq2"), 0);
    ASSERT_TRUE(SendJob(TcpPort(12), "accepted again"));
    const auto jobs = Jobs(1, secondJobs);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].bytes, "accepted again");
    EXPECT_TRUE(NoJobPending());
}

TEST_F(Netspoold, AQueueRemovedAfterItWasAssignedCannotBeOpened) {
    ASSERT_TRUE(cups->AddRawQueue("nsgone", secondJobs));
    Assign(11, "NSGONE");  // stored as the scheduler spells it
    ASSERT_EQ(cups->RunClient("lpadmin -x nsgone"), 0);
    ASSERT_TRUE(SendJob(TcpPort(11), "nowhere to go"));
    EXPECT_TRUE(WaitForLine("Error opening printer"));
    EXPECT_TRUE(WaitForLine("Unable to open printer!"));
    EXPECT_TRUE(NoJobPending());
    EXPECT_TRUE(Jobs(0, secondJobs).empty());
}

TEST_F(Netspoold, ClientThatNeverClosesDoesNotHoldUpTheOtherPorts) {
    for (int port = 10; port <= 13; ++port) Assign(port, "nsq");
    const int silent = Connect(TcpPort(10));
    ASSERT_GE(silent, 0);
    ASSERT_TRUE(SendAll(silent, "held open;"));
    ASSERT_TRUE(WaitForLine("Data waiting to be read on Port 10"));
    for (int port = 11; port <= 13; ++port) ASSERT_TRUE(SendJob(TcpPort(port), "port " + std::to_string(port)));
    auto jobs = Jobs(3);
    ASSERT_EQ(jobs.size(), 3u);
    std::vector<std::string> bytes;
    for (const auto& job : jobs) bytes.push_back(job.bytes);
    std::sort(bytes.begin(), bytes.end());
    EXPECT_EQ(bytes, (std::vector<std::string>{"port 11", "port 12", "port 13"}));
    ASSERT_TRUE(SendAll(silent, " now closed"));
    close(silent);
    // Its job was queued first (at its first bytes) and printed last.
    jobs = Jobs(4);
    ASSERT_EQ(jobs.size(), 4u);
    EXPECT_EQ(jobs[0].bytes, "held open; now closed");
    EXPECT_TRUE(NoJobPending());
}

TEST_F(Netspoold, StatusLinesCarryALocalTimestamp) {
    Assign(10, "nsq");
    ASSERT_TRUE(SendJob(TcpPort(10), "stamped"));
    ASSERT_TRUE(WaitForLine("Connection closed on Port 10...data has been spooled"));
    const std::string out = daemon->Output().substr(mark);
    const std::regex stamped(
        R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} (Connection Pending : Port 10|Connection established on Port 10|Data waiting to be read on Port 10|Connection closed on Port 10\.\.\.data has been spooled)$)");
    std::size_t start = 0;
    int lines = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "unterminated line";
        const std::string line = out.substr(start, end - start);
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
        ++lines;
        start = end + 1;
    }
    EXPECT_GE(lines, 4);
    Jobs(1);
    EXPECT_TRUE(NoJobPending());
}

// Command-line runs and separate servers, each with settings of its own.
class NetspooldCommands : public Netspoold {
protected:
    void SetUp() override {
        Netspoold::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const fs::path home = fs::path(testsupport::WorkDirectory()) / "netspoold" /
                              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(home);
        tool = std::make_unique<NetspooldProcess>(home.string(), cups->Server());
        registry = home / "winovterm" / "registry.reg";
    }
    std::string Registry() const {
        std::ifstream in(registry, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::unique_ptr<NetspooldProcess> tool;
    fs::path registry;
};

TEST_F(NetspooldCommands, ListAndSetFollowTheSetupDialogRules) {
    // Nothing stored yet: every port has no printer.
    CommandResult list = tool->Run({"--list"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out.substr(0, list.out.find("Printers available:")),
              "Port 10: None\nPort 11: None\nPort 12: None\nPort 13: None\n");
    EXPECT_NE(list.out.find("\n  nsq\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("\n  nsq2\n"), std::string::npos) << list.out;

    // Matched as the drop-down list matches, stored as CUPS spells it; the
    // dialog's OK stores all four ports.
    CommandResult set = tool->Run({"--set", "11", "NSQ2"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "Port 11: nsq2\n");
    EXPECT_NE(Registry().find("\"Port11\"=\"nsq2\""), std::string::npos) << Registry();
    EXPECT_NE(Registry().find("\"Port10\"=\"None\""), std::string::npos) << Registry();

    struct Refused {
        std::vector<std::string> args;
        const char* why;
    };
    const Refused refused[] = {
        {{"--set", "11", "nosuchqueue"}, "unknown printer"},
        {{"--set", "11", "nsq2x"}, "unknown printer"},
        {{"--set", "11", ""}, "unknown printer"},
        {{"--set", "14", "nsq"}, "no such port"},
        {{"--set", "9", "None"}, "no such port"},
        {{"--set", "11"}, "needs a port and a printer"},
    };
    const std::string before = Registry();
    for (const Refused& r : refused) {
        const CommandResult result = tool->Run(r.args);
        EXPECT_NE(result.status, 0) << r.why;
        EXPECT_NE(result.err.find(r.why), std::string::npos) << result.err;
        EXPECT_EQ(Registry(), before) << r.why;
    }

    set = tool->Run({"--set", "11", "None"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_NE(Registry().find("\"Port11\"=\"None\""), std::string::npos) << Registry();
    list = tool->Run({"--list"});
    EXPECT_EQ(list.out.substr(0, list.out.find("Printers available:")),
              "Port 10: None\nPort 11: None\nPort 12: None\nPort 13: None\n");
}

TEST_F(NetspooldCommands, PrinterNamesAreCutAt99Characters) {
    // CUPS takes queue names of up to 127 characters.
    const std::string longName(120, 'q');
    const std::string jobs = (fs::path(testsupport::WorkDirectory()) / "netspoold" / "longjobs").string();
    ASSERT_TRUE(cups->AddRawQueue(longName, jobs));
    const CommandResult list = tool->Run({"--list"});
    EXPECT_NE(list.out.find("\n  " + longName.substr(0, 99) + "\n"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find(longName.substr(0, 100)), std::string::npos);
    const CommandResult set = tool->Run({"--set", "13", longName});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "Port 13: " + longName.substr(0, 99) + "\n");
    EXPECT_NE(Registry().find("\"Port13\"=\"" + longName.substr(0, 99) + "\""), std::string::npos) << Registry();
    cups->RunClient("lpadmin -x " + longName);
}

TEST_F(NetspooldCommands, ListenerThatCannotStartEndsWithStatusOne) {
    const int base = FindFreePorts(4);
    ASSERT_NE(base, 0);
    // Port 12's TCP port is taken by someone else.
    const int taken = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(base + 2));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(taken, 1), 0);
    const int status =
        tool->StartExpectingExit({"--base-port", std::to_string(base), "--address", "127.0.0.1"}, 20);
    close(taken);
    EXPECT_EQ(status, 1);
    EXPECT_NE(tool->Errors().find("Could not bind socket to address"), std::string::npos) << tool->Errors();
    EXPECT_NE(tool->Errors().find("TCP port " + std::to_string(base + 2)), std::string::npos) << tool->Errors();
}

TEST_F(NetspooldCommands, StopOnSigtermIsCleanAndPrintsWhatArrived) {
    ASSERT_EQ(tool->Run({"--set", "10", "nsq"}).status, 0);
    ASSERT_TRUE(tool->Start()) << tool->Problem();
    const std::size_t start = tool->Mark();
    const int fd = Connect(tool->BasePort());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendAll(fd, "cut by the stop"));
    ASSERT_TRUE(tool->WaitForLine("Data waiting to be read on Port 10", start, 30));
    EXPECT_EQ(tool->Stop(), 0);
    close(fd);
    const std::vector<std::string> lines = tool->LinesSince(start);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "NetSpool Server Shutdown");
    const auto jobs = Jobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].bytes, "cut by the stop");
    EXPECT_TRUE(NoJobPending());
}

}  // namespace
