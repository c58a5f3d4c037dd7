// NetSpool.exe under Wine: real connections from here over 127.0.0.1 to its
// four ports (10 to 13), each becoming one raw job in the environment's CUPS
// capture queue; its status lines read back from its own painting; the port
// setup dialog, the second copy and File/Exit driven through ovdrive.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "WineHarness.h"

namespace {

using ovwine::Arg;
using ovwine::DriveResult;

constexpr char kServerClass[] = "NetSpool";
constexpr char kSetupCaption[] = "Printer Port Setup";
constexpr int kListIds[4] = {1003, 1004, 1006, 1009};
// Jobs pass through Wine's spooler and CUPS: generous under load.
constexpr int kJobWaitMs = 60000;

std::string Printer() {
    const char* name = std::getenv("OV_WINE_PRINTER");
    return name ? name : "";
}

// Where the pictures of the last run go: beside the test binary.
std::string ShotDirectory() {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("/tmp/ovwinetests");
    return dir.substr(0, dir.rfind('/')) + "/netspool-shots";
}

// A client of the server on 127.0.0.1.
class Client {
public:
    Client() = default;
    ~Client() { Close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool Connect(int port) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        return fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    bool Send(const std::string& data) {
        size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n = send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// One whole connection: connect, send everything, close.
bool SendConnection(int port, const std::string& data) {
    Client client;
    return client.Connect(port) && client.Send(data);
}

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xff);
    return bytes;
}

// Every byte value, NULs, form feeds and printer escapes.
std::string AwkwardBytes() {
    std::string data;
    for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
    data += std::string(64, '\0');
    data += "\x1b" "E\x1b&l1O\x1b(s0p16.67h8.5v0s0b0T\f\r\n\f";
    data += "\x1b%-12345X@PJL\r\n\xff\xfe\x80\x00\x1a\x04";
    for (int i = 255; i >= 0; --i) data += static_cast<char>(i);
    return data;
}

bool PortFree(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool free = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return free;
}

class NetSpool : public ovwine::WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_FALSE(ovwine::PrintJobDir().empty() || Printer().empty())
            << "the Wine environment has no printer (cupsd missing? see cups.log in "
            << ovwine::WineEnvironment::Instance().Dir() << ")";
        for (const std::string& name : ovwine::PrintJobs()) seen.insert(name);
    }

    void TearDown() override {
        second.Kill();
        if (!server.Running()) return;
        // Closed as a user closes it, so that its sockets are gone before the
        // next test starts a server on the same ports.
        ovwine::DriveWindow(kServerClass, {"close", "waitgone 20000"}, 30000);
        if (server.Wait(20000) == -1) server.Kill();
    }

    // Runs `wine reg ARGS` in the prefix; its exit code.
    int Reg(const std::vector<std::string>& args) {
        ovwine::WineProcess reg;
        std::string error;
        const std::string exe = std::string(std::getenv("WINEPREFIX")) + "/drive_c/windows/system32/reg.exe";
        if (!reg.Start(exe, args, error)) {
            ADD_FAILURE() << error;
            return -1;
        }
        const int code = reg.Wait(60000);
        lastRegOutput = reg.Output();
        return code;
    }
    // Stores a port's printer (empty: the value removed).
    void SetPort(int port, const std::string& printer) {
        const std::string name = "Port" + std::to_string(port);
        if (printer.empty()) {
            Reg({"delete", "HKCU\\Software\\NetSpool\\Printers", "/v", name, "/f"});
        } else {
            ASSERT_EQ(Reg({"add", "HKCU\\Software\\NetSpool\\Printers", "/v", name, "/t", "REG_SZ", "/d", printer,
                           "/f"}),
                      0)
                << lastRegOutput;
        }
    }
    // A port's stored value as `reg query` shows it; "(missing)" without one.
    std::string StoredPort(int port) {
        const std::string name = "Port" + std::to_string(port);
        if (Reg({"query", "HKCU\\Software\\NetSpool\\Printers", "/v", name}) != 0) return "(missing)";
        const size_t at = lastRegOutput.find("REG_SZ");
        if (at == std::string::npos) return "(unreadable) " + lastRegOutput;
        std::string value = lastRegOutput.substr(at + 6);
        value.erase(0, value.find_first_not_of(" \t"));
        return value.substr(0, value.find_first_of("\r\n"));
    }

    // Starts NetSpool.exe on ports 10 to 13 and waits for its window.
    void StartServer() {
        for (int port = 10; port <= 13; ++port)
            ASSERT_TRUE(PortFree(port)) << "TCP port " << port
                                        << " is taken by another program: NetSpool.exe needs ports 10 to 13";
        std::string error;
        ASSERT_TRUE(server.Start(ovwine::ProgramPath("NetSpool.exe"), {}, error)) << error;
        const DriveResult r = ovwine::Drive({std::string("window ") + kServerClass + " 60000"});
        ASSERT_TRUE(r.ok) << r.Transcript() << server.Output();
    }

    DriveResult Run(const std::vector<std::string>& commands) {
        DriveResult r = ovwine::DriveWindow(kServerClass, commands);
        EXPECT_TRUE(r.ok) << r.Transcript() << server.Output();
        return r;
    }

    struct PaintedRow {
        int x, y;
        std::string text;  // trailing blanks cut
    };
    // Every text call of one repaint of the window, in order.
    std::vector<PaintedRow> PaintedRows() {
        const DriveResult r = Run({"painttext"});
        std::vector<PaintedRow> rows;
        for (const std::string& line : r.Lines()) {
            int x = 0, y = 0, used = 0;
            if (std::sscanf(line.c_str(), "painttext %d %d %n", &x, &y, &used) < 2) continue;
            rows.push_back({x, y,
                            used > 0 && static_cast<size_t>(used) <= line.size() ? line.substr(static_cast<size_t>(used))
                                                                                 : std::string()});
        }
        return rows;
    }
    // The log as the window paints it, empty rows at the end dropped.
    std::vector<std::string> StatusLines() {
        std::vector<std::string> rows;
        for (const PaintedRow& row : PaintedRows()) rows.push_back(row.text);
        while (!rows.empty() && rows.back().empty()) rows.pop_back();
        return rows;
    }
    // Polls the log until it holds `line`.
    bool WaitForStatusLine(const std::string& line, int timeoutMs = 30000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            const std::vector<std::string> rows = StatusLines();
            if (std::find(rows.begin(), rows.end(), line) != rows.end()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    // The next `count` jobs that reached the queue since the last call.
    std::vector<std::string> WaitForJobs(size_t count, int timeoutMs = kJobWaitMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::vector<std::string> jobs;
        for (;;) {
            for (const std::string& name : ovwine::PrintJobs())
                if (seen.insert(name).second) jobs.push_back(name);
            if (jobs.size() >= count || std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        EXPECT_EQ(jobs.size(), count) << "jobs in the queue within " << timeoutMs << " ms\n" << server.Output();
        return jobs;
    }
    // True when no new job arrives within ms.
    bool NoNewJob(int ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        for (const std::string& name : ovwine::PrintJobs())
            if (!seen.count(name)) return false;
        return true;
    }
    static std::string JobBytes(const std::string& name) { return ovwine::ReadFile(ovwine::PrintJobDir() + "/" + name); }
    static std::string JobTitle(const std::string& name) {
        std::string title = ovwine::ReadFile(ovwine::PrintJobDir() + "/" + name.substr(0, name.size() - 4) + ".title");
        while (!title.empty() && (title.back() == '\n' || title.back() == '\r')) title.pop_back();
        return title;
    }
    // Jobs the scheduler still holds for the queue (pending, held, printing).
    static std::string QueuedJobs() {
        std::string out;
        FILE* lpstat = popen(("lpstat -o " + Printer() + " 2>&1").c_str(), "r");
        if (!lpstat) return "(lpstat did not run)";
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, lpstat)) out += buffer;
        pclose(lpstat);
        return out;
    }
    void ExpectJob(const std::string& name, const std::string& data, const std::string& what) {
        const std::string job = JobBytes(name);
        EXPECT_EQ(job.size(), data.size()) << what;
        EXPECT_TRUE(job == data) << what << ": bytes differ from what was sent";
        EXPECT_EQ(JobTitle(name), "NetSpool Server") << what;
    }

    void SaveShot(const std::string& name, const std::vector<std::string>& targetCommands) {
        const std::string dir = ShotDirectory();
        ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
        const std::string bmp = dir + "/" + name + ".bmp";
        std::vector<std::string> commands = targetCommands;
        commands.push_back("screenshot " + ovwine::WinPath(bmp));
        Run(commands);
        ASSERT_TRUE(ovwine::FileExists(bmp));
        // PNG beside it when ImageMagick is there.
        if (std::system(("command -v convert >/dev/null && convert '" + bmp + "' '" + dir + "/" + name + ".png'")
                            .c_str()) == 0)
            std::cout << "[ screenshot ] " << dir << "/" << name << ".png" << std::endl;
    }

    void AllPortsTo(const std::string& printer) {
        for (int port = 10; port <= 13; ++port) {
            SetPort(port, printer);
            if (HasFatalFailure()) return;
        }
    }

    ovwine::WineProcess server;
    ovwine::WineProcess second;
    std::set<std::string> seen;
    std::string lastRegOutput;
};

TEST_F(NetSpool, EachConnectionBecomesOneByteExactJob) {
    AllPortsTo(Printer());
    StartServer();
    if (HasFatalFailure()) return;
    const std::string awkward = AwkwardBytes();
    ASSERT_TRUE(SendConnection(10, awkward));
    std::vector<std::string> jobs = WaitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    ExpectJob(jobs[0], awkward, "every byte value on port 10");

    const std::string large = RandomBytes(3 * 1024 * 1024 + 17, 7);
    ASSERT_TRUE(SendConnection(11, large));
    jobs = WaitForJobs(1, 120000);
    ASSERT_EQ(jobs.size(), 1u);
    ExpectJob(jobs[0], large, "3 MB of random bytes on port 11");
}

TEST_F(NetSpool, FourPortsAtOnceGiveFourIntactJobs) {
    AllPortsTo(Printer());
    StartServer();
    if (HasFatalFailure()) return;
    std::vector<std::string> data;
    for (unsigned i = 0; i < 4; ++i) data.push_back(RandomBytes(400 * 1024 + i, 100 + i));
    Client clients[4];
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(clients[i].Connect(10 + i)) << "port " << 10 + i;
    // Interleaved: every port has a job open while the others send.
    const size_t piece = 16 * 1024;
    for (size_t at = 0; at < data[3].size(); at += piece)
        for (int i = 0; i < 4; ++i) {
            if (at < data[i].size()) {
                ASSERT_TRUE(clients[i].Send(data[i].substr(at, piece)));
            }
        }
    for (Client& client : clients) client.Close();
    const std::vector<std::string> jobs = WaitForJobs(4);
    std::set<int> matched;
    for (const std::string& job : jobs) {
        const std::string bytes = JobBytes(job);
        const auto found = std::find(data.begin(), data.end(), bytes);
        EXPECT_NE(found, data.end()) << job << " (" << bytes.size() << " bytes) is none of the four streams";
        if (found != data.end()) matched.insert(static_cast<int>(found - data.begin()));
        EXPECT_EQ(JobTitle(job), "NetSpool Server");
    }
    EXPECT_EQ(matched.size(), 4u) << "each port's stream is one job";
}

TEST_F(NetSpool, SecondClientWaitsInTheBacklogAndGetsItsOwnJob) {
    AllPortsTo(Printer());
    StartServer();
    if (HasFatalFailure()) return;
    Client first, waiting;
    ASSERT_TRUE(first.Connect(12));
    ASSERT_TRUE(first.Send("first, part one\r\n"));
    ASSERT_TRUE(WaitForStatusLine("Connection established on Port 12"));
    // Taken by the listen backlog, not accepted while the first is served.
    ASSERT_TRUE(waiting.Connect(12));
    ASSERT_TRUE(waiting.Send("second client's job\f"));
    waiting.Close();
    EXPECT_TRUE(NoNewJob(1500)) << "nothing is printed before the first client closes";
    ASSERT_TRUE(first.Send("first, part two\f"));
    first.Close();
    const std::vector<std::string> jobs = WaitForJobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(JobBytes(jobs[0]), "first, part one\r\nfirst, part two\f");
    EXPECT_EQ(JobBytes(jobs[1]), "second client's job\f");
}

TEST_F(NetSpool, NoneAndEmptyConnectionsLeaveNoJob) {
    AllPortsTo(Printer());
    SetPort(13, "None");
    StartServer();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(SendConnection(13, "dropped: the port has no printer\f"));
    ASSERT_TRUE(WaitForStatusLine("Unable to open printer!"));
    // An empty connection on a port with a printer: accepted and closed.
    ASSERT_TRUE(SendConnection(10, ""));
    ASSERT_TRUE(WaitForStatusLine("Connection closed on Port 10...data has been spooled"));
    EXPECT_TRUE(NoNewJob(3000)) << "neither the port without printer nor the empty connection prints";
    EXPECT_EQ(QueuedJobs(), "") << "no job left pending in the scheduler";
    // The port goes on: the next connection prints, and only it.
    ASSERT_TRUE(SendConnection(10, "after the empty one\f"));
    const std::vector<std::string> jobs = WaitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    ExpectJob(jobs[0], "after the empty one\f", "port 10 after an empty connection");
}

TEST_F(NetSpool, ClientThatNeverClosesHoldsUpNothing) {
    AllPortsTo(Printer());
    StartServer();
    if (HasFatalFailure()) return;
    Client idle;
    ASSERT_TRUE(idle.Connect(10));
    ASSERT_TRUE(idle.Send("held open, "));
    ASSERT_TRUE(WaitForStatusLine("Connection established on Port 10"));
    for (int port = 11; port <= 13; ++port)
        ASSERT_TRUE(SendConnection(port, "served beside an open connection on port " + std::to_string(port)));
    const std::vector<std::string> jobs = WaitForJobs(3);
    std::set<std::string> texts;
    for (const std::string& job : jobs) texts.insert(JobBytes(job));
    EXPECT_EQ(texts, (std::set<std::string>{"served beside an open connection on port 11",
                                             "served beside an open connection on port 12",
                                             "served beside an open connection on port 13"}));
    // The window answers while the connection is open: a posted command
    // and the painting go through its one thread.
    const DriveResult r = Run({"command 0", "sync 20000", "painttext"});
    EXPECT_TRUE(r.ok);
    ASSERT_TRUE(idle.Send("closed at last\f"));
    idle.Close();
    const std::vector<std::string> last = WaitForJobs(1);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(JobBytes(last[0]), "held open, closed at last\f");
}

TEST_F(NetSpool, StatusLinesAsTheWindowShowsThem) {
    AllPortsTo(Printer());
    SetPort(13, "None");
    StartServer();
    if (HasFatalFailure()) return;
    EXPECT_EQ(StatusLines(),
              std::vector<std::string>{"Listening on Port 10, 11, 12, and 13 for incomming connections"});
    ASSERT_TRUE(SendConnection(11, "a few bytes\f"));
    ASSERT_TRUE(WaitForStatusLine("Connection closed on Port 11...data has being spooled"));
    ASSERT_EQ(WaitForJobs(1).size(), 1u);
    ASSERT_TRUE(SendConnection(13, "no printer\f"));
    ASSERT_TRUE(WaitForStatusLine("Unable to open printer!"));
    SaveShot("netspool-main", {});

    // How many data-waiting lines a connection gives depends on how its
    // bytes arrive; every other line stands exactly once, in order.
    std::vector<std::string> lines;
    size_t dataWaiting11 = 0, dataWaiting13 = 0;
    for (const std::string& line : StatusLines()) {
        if (line == "Data waiting to be read on Port 11") ++dataWaiting11;
        else if (line == "Data waiting to be read on Port 13") ++dataWaiting13;
        else lines.push_back(line);
    }
    EXPECT_GE(dataWaiting11, 1u);
    EXPECT_GE(dataWaiting13, 1u);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Listening on Port 10, 11, 12, and 13 for incomming connections",
                         "Connection Pending : Port 11",
                         "Connection established on Port 11",
                         "Connection closed on Port 11...data has being spooled",
                         "Connection Pending : Port 13",
                         "Connection established on Port 13",
                         "No printer set for port 13",
                         "Unable to open printer!",
                     }));
}

TEST_F(NetSpool, WindowMenuAndALogThatStartsAgainAtTheTop) {
    AllPortsTo("None");
    StartServer();
    if (HasFatalFailure()) return;
    DriveResult r = Run({"title", "menuitems 0", "menuitems 1"});
    EXPECT_EQ(r.Value("title"), "NetSpool Server (32-bit Version 4.2)");
    EXPECT_EQ(r.Value("item"), "40003 &Exit");
    ASSERT_EQ(r.answers.size(), 4u) << r.Transcript();
    EXPECT_EQ(r.answers[3].lines, std::vector<std::string>{"item 40004 &Printer Setup"});

    // Every change of size empties the log; the greeting is not repeated.
    ASSERT_TRUE(SendConnection(13, ""));
    ASSERT_TRUE(WaitForStatusLine("No printer set for port 13"));
    r = Run({"resize 520 220"});
    int clientWidth = 0, clientHeight = 0;
    ASSERT_EQ(std::sscanf(r.Value("client").c_str(), "%d %d", &clientWidth, &clientHeight), 2) << r.Transcript();
    const std::vector<PaintedRow> blank = PaintedRows();
    ASSERT_GE(blank.size(), 3u) << "rows drawn in a client area of " << clientWidth << "x" << clientHeight;
    const int cellHeight = blank[1].y;
    ASSERT_GT(cellHeight, 0);
    EXPECT_EQ(static_cast<int>(blank.size()), clientHeight / cellHeight) << "one row per full cell height";
    for (size_t i = 0; i < blank.size(); ++i) {
        EXPECT_EQ(blank[i].x, 0);
        EXPECT_EQ(blank[i].y, static_cast<int>(i) * cellHeight);
        EXPECT_EQ(blank[i].text, "") << "row " << i << " after the resize";
    }

    // With R rows at most R - 1 lines stand; the line that would take the
    // last row clears the log and stands at the top. Empty connections on
    // ports without a printer give three lines each.
    const size_t rows = blank.size();
    std::vector<std::string> expected(rows);
    size_t current = 0;
    for (int connection = 0; connection < static_cast<int>(rows) / 3 + 2; ++connection) {
        const std::string port = std::to_string(10 + connection % 4);
        for (const std::string& line : {"Connection Pending : Port " + port, "Connection established on Port " + port,
                                        "No printer set for port " + port}) {
            if (current >= rows - 1) {
                std::fill(expected.begin(), expected.end(), std::string());
                current = 0;
            }
            expected[current++] = line;
        }
        ASSERT_TRUE(SendConnection(10 + connection % 4, ""));
        std::vector<std::string> shown;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        do {
            shown.clear();
            for (const PaintedRow& row : PaintedRows()) shown.push_back(row.text);
            if (shown == expected) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        } while (std::chrono::steady_clock::now() < deadline);
        ASSERT_EQ(shown, expected) << "after connection " << connection + 1;
    }
}

TEST_F(NetSpool, SetupDialogListsPrintersAndStoresTheChoice) {
    const std::string printer = Printer();
    SetPort(10, printer);
    SetPort(11, "None");
    SetPort(12, "");  // nothing stored yet
    SetPort(13, "Gone Printer");
    if (HasFatalFailure()) return;
    StartServer();
    if (HasFatalFailure()) return;

    std::vector<std::string> open = {"command 40004", std::string("dialog ") + Arg(kSetupCaption) + " 20000"};
    std::vector<std::string> commands = open;
    for (int id : kListIds) commands.push_back("comboitems " + std::to_string(id));
    DriveResult r = Run(commands);
    // Each list: the stored value first and selected, then the installed
    // printers not listed yet, then "None" for a port with a printer.
    std::vector<std::vector<std::string>> lists(4);
    std::vector<std::string> selected(4);
    int list = -1;
    for (const std::string& line : r.Lines()) {
        if (line.rfind("comboitems ", 0) == 0) {
            ++list;
            selected[static_cast<size_t>(list)] = line.substr(line.rfind(' ') + 1);
        } else if (line.rfind("item ", 0) == 0 && list >= 0) {
            lists[static_cast<size_t>(list)].push_back(line.substr(5));
        }
    }
    EXPECT_EQ(lists[0], (std::vector<std::string>{printer, "None"}));
    EXPECT_EQ(lists[1], (std::vector<std::string>{"None", printer}));
    EXPECT_EQ(lists[2], (std::vector<std::string>{"None", printer})) << "a missing value counts as \"None\"";
    EXPECT_EQ(lists[3], (std::vector<std::string>{"Gone Printer", printer, "None"}));
    EXPECT_EQ(selected, (std::vector<std::string>{"0", "0", "0", "0"}));
    const std::string current = std::string("dialog ") + Arg(kSetupCaption);
    SaveShot("netspool-setup", {current, "targetbox"});

    // The dialog's own loop goes on serving the ports.
    ASSERT_TRUE(SendConnection(10, "printed while the dialog is open\f"));
    std::vector<std::string> jobs = WaitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(JobBytes(jobs[0]), "printed while the dialog is open\f");

    // Cancel stores nothing.
    Run({current, "comboselect 1003 1", "comboselect 1004 1", "press Cancel"});
    EXPECT_EQ(StoredPort(10), printer);
    EXPECT_EQ(StoredPort(11), "None");
    EXPECT_EQ(StoredPort(12), "(missing)");

    // OK stores all four: port 10 to "None", port 11 to the printer, the
    // others as they were shown.
    commands = open;
    commands.insert(commands.end(), {"comboselect 1003 1", "comboselect 1004 1", "press OK"});
    Run(commands);
    EXPECT_EQ(StoredPort(10), "None");
    EXPECT_EQ(StoredPort(11), printer);
    EXPECT_EQ(StoredPort(12), "None");
    EXPECT_EQ(StoredPort(13), "Gone Printer");

    // The next connections use the new assignment at once.
    ASSERT_TRUE(SendConnection(10, "port 10 has no printer now\f"));
    ASSERT_TRUE(WaitForStatusLine("No printer set for port 10"));
    ASSERT_TRUE(SendConnection(11, "port 11 prints now\f"));
    jobs = WaitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(JobBytes(jobs[0]), "port 11 prints now\f");
    ASSERT_TRUE(SendConnection(13, "to a printer that is not there\f"));
    ASSERT_TRUE(WaitForStatusLine("Error opening printer"));
    EXPECT_TRUE(NoNewJob(1500));
}

TEST_F(NetSpool, LongPrinterNamesAreCutAt99Characters) {
    std::string longName;
    for (int i = 0; longName.size() < 150; ++i) longName += "Printer" + std::to_string(i);
    longName.resize(150);
    AllPortsTo("None");
    SetPort(12, longName);
    if (HasFatalFailure()) return;
    StartServer();
    if (HasFatalFailure()) return;
    const DriveResult r = Run({"command 40004", std::string("dialog ") + Arg(kSetupCaption) + " 20000",
                               "comboitems 1006", "press OK"});
    std::vector<std::string> items;
    for (const std::string& line : r.Lines())
        if (line.rfind("item ", 0) == 0) items.push_back(line.substr(5));
    ASSERT_FALSE(items.empty()) << r.Transcript();
    EXPECT_EQ(items[0], longName.substr(0, 99));
    EXPECT_EQ(StoredPort(12), longName.substr(0, 99)) << "OK stores the name as the dialog holds it";
    // The cut name is a printer that does not exist: the open fails at once.
    ASSERT_TRUE(SendConnection(12, "nowhere to go\f"));
    ASSERT_TRUE(WaitForStatusLine("Error opening printer"));
}

TEST_F(NetSpool, SecondCopySaysItIsRunningAndLeavesTheFirstAlone) {
    AllPortsTo(Printer());
    StartServer();
    if (HasFatalFailure()) return;
    std::string error;
    ASSERT_TRUE(second.Start(ovwine::ProgramPath("NetSpool.exe"), {}, error)) << error;
    // The second copy's only window is its box.
    const DriveResult r = ovwine::Drive({"window #32770 60000", "box " + Arg("NetSpool Server") + " 20000", "press OK"});
    ASSERT_TRUE(r.ok) << r.Transcript() << second.Output();
    EXPECT_EQ(r.Value("box"), "NetSpool Server: NetSpool Server is already running");
    EXPECT_EQ(second.Wait(30000), 0) << second.Output();
    EXPECT_TRUE(server.Running());
    ASSERT_TRUE(SendConnection(10, "the first copy still serves\f"));
    const std::vector<std::string> jobs = WaitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(JobBytes(jobs[0]), "the first copy still serves\f");
}

TEST_F(NetSpool, ExitAsksFirst) {
    StartServer();
    if (HasFatalFailure()) return;
    const std::string box = std::string("answer ") + Arg("Close Print Server");
    DriveResult r = Run({"command 40003", box + " No 20000", "sync 20000"});
    EXPECT_EQ(r.Value("box"), "Close Print Server: Are you sure you want to shutdown the Print Server?");
    EXPECT_EQ(server.Wait(1000), -1) << "No keeps the server running";
    Run({"command 40003", box + " Yes 20000"});
    EXPECT_EQ(server.Wait(30000), 0) << server.Output();
}

}  // namespace
