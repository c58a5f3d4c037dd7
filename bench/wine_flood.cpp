// ovwinebench: a host floods WinOvTerm.exe under Wine with `cat` of a large
// file through telnetd on 127.0.0.1. Measures the time until the flood's last
// line is on the screen, against the headless ovscript on the same flood,
// and how long the window keeps a menu command waiting meanwhile.
// See bench/README.md.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TerminalSession.h"

namespace {

struct Options {
    double megabytes = 100;     // 10^6 bytes
    int timeoutSeconds = 1200;  // per flood
    std::string ovscript = OV_SCRIPT_TOOL_DEFAULT;
};
Options options;

// Targets: at least half the headless throughput; every answer within 100 ms.
constexpr double kRatioTarget = 0.5;
constexpr double kResponseTargetMs = 100;
constexpr int kCheckedLines = 12;  // the file's last lines, checked on the screen

// Host output of the kind a character-mode application prints: words on
// lines of 8 to 79 columns (never 80, which would wrap), LF endings that
// the tty turns into CR LF. Deterministic. Returns the last lines written.
std::deque<std::string> WriteFloodFile(const std::string& path, long long bytes, long long& written) {
    static const char* const kWords[] = {
        "invoice", "ledger",  "account", "posted", "balance", "total",  "customer", "order",  "qty",
        "price",   "0.00",    "1,250.75", "A/R",   "dept",    "12",     "branch",   "status", "OPEN",
        "closed",  "ref:",    "2024-03-01", "#",   "item",    "desc",   "due",      "net30",  "|",
        "--------", "page",   "report",  "stock",  "level",   "reorder", "0042",    "x",      "ok"};
    const int kWordCount = static_cast<int>(sizeof kWords / sizeof kWords[0]);
    std::mt19937 random(20240301u);
    std::ofstream out(path, std::ios::binary);
    std::deque<std::string> last;
    std::string line, block;
    written = 0;
    long number = 0;
    while (written < bytes) {
        const size_t target = 8 + random() % 72;  // 8..79
        char head[16];
        std::snprintf(head, sizeof head, "%06ld ", ++number % 1000000);
        line = head;
        while (line.size() < target) {
            const std::string word = kWords[random() % kWordCount];
            if (line.size() + word.size() + 1 > target) break;
            line += word;
            line += ' ';
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        block += line;
        block += '\n';
        written += static_cast<long long>(line.size()) + 1;
        last.push_back(line);
        if (last.size() > kCheckedLines) last.pop_front();
        if (block.size() > (1u << 20)) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return last;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.pop_back();
    return text;
}

// Empty when the rows end the flood as they should: the file's last lines,
// then the marker line; else what is wrong.
std::string CheckEnding(const std::vector<std::string>& rows, const std::deque<std::string>& lastLines,
                        const std::string& marker) {
    int markerRow = -1;
    for (size_t r = 0; r < rows.size(); ++r)
        if (TrimRight(rows[r]) == marker) markerRow = static_cast<int>(r);
    if (markerRow < 0) return "no row holds just " + marker;
    const int checked = std::min<int>(markerRow, static_cast<int>(lastLines.size()));
    for (int i = 1; i <= checked; ++i) {
        const std::string& want = lastLines[lastLines.size() - static_cast<size_t>(i)];
        const std::string got = TrimRight(rows[static_cast<size_t>(markerRow - i)]);
        if (got != want) return "row " + std::to_string(markerRow - i) + " is \"" + got + "\", not \"" + want + "\"";
    }
    return "";
}

std::string Joined(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// ovscript as a child on pipes: one command at a time, its lines to "ok".
class ScriptProcess {
public:
    bool Start(const std::string& tool, const std::string& workDir, std::string& error) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return (error = "pipe failed", false);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[0]);
            close(in[1]);
            close(out[0]);
            close(out[1]);
            execl(tool.c_str(), tool.c_str(), "--workdir", workDir.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
        if (pid_ < 0) return (error = "fork failed", false);
        return true;
    }
    ~ScriptProcess() {
        if (toChild_ >= 0) close(toChild_);
        if (fromChild_ >= 0) close(fromChild_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Send(const std::string& line) {
        const std::string text = line + "\n";
        return write(toChild_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    // The answer lines of one command, up to and with its "ok" or "error".
    bool Answer(std::vector<std::string>& lines, int timeoutMs) {
        lines.clear();
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            size_t end;
            while ((end = buffer_.find('\n')) != std::string::npos) {
                lines.push_back(buffer_.substr(0, end));
                buffer_.erase(0, end + 1);
                if (lines.back() == "ok" || lines.back().rfind("error", 0) == 0) return lines.back() == "ok";
            }
            const int left = timeoutMs - static_cast<int>(Seconds(start) * 1000);
            if (left <= 0) return (lines.push_back("(no answer in time)"), false);
            pollfd watch{fromChild_, POLLIN, 0};
            if (poll(&watch, 1, left) <= 0) continue;
            char chunk[4096];
            const ssize_t n = read(fromChild_, chunk, sizeof chunk);
            if (n <= 0) return (lines.push_back("(ovscript ended)"), false);
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

private:
    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1;
    std::string buffer_;
};

// "key=value" fields of an answer line.
std::map<std::string, double> Fields(const std::string& line) {
    std::map<std::string, double> fields;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        const size_t eq = word.find('=');
        if (eq != std::string::npos) fields[word.substr(0, eq)] = std::atof(word.c_str() + eq + 1);
    }
    return fields;
}

class Flood : public ovwine::TerminalTest {
protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        floodPath = serverDir + "/flood.txt";
        const auto start = std::chrono::steady_clock::now();
        lastLines = WriteFloodFile(floodPath, static_cast<long long>(options.megabytes * 1e6), floodBytes);
        std::printf("flood file: %lld bytes, %.1f s to write\n", floodBytes, Seconds(start));
    }
    // The host command and the marker its last line prints; the command
    // line itself shows "$((N))" where the output shows the number.
    std::string HostCommand(std::string& marker) {
        const unsigned n = 100000 + std::random_device()() % 900000;
        marker = "FLOOD-END-" + std::to_string(n);
        return "cat " + floodPath + "; echo FLOOD-END-$((" + std::to_string(n) + "))";
    }
    double MegabytesPerSecond(double seconds) const { return static_cast<double>(floodBytes) / 1e6 / seconds; }

    std::string floodPath;
    long long floodBytes = 0;
    std::deque<std::string> lastLines;
};

TEST_F(Flood, WindowAgainstHeadless) {
    const int timeoutMs = options.timeoutSeconds * 1000;

    // Headless: the same controller, emulator and screen without a window.
    ScriptProcess script;
    std::string error, marker;
    const std::string scriptDir = serverDir + "/ovscript";
    mkdir(scriptDir.c_str(), 0700);
    ASSERT_TRUE(script.Start(options.ovscript, scriptDir, error)) << error;
    std::vector<std::string> lines;
    script.Send("connect " + HostText());
    ASSERT_TRUE(script.Answer(lines, 30000)) << Joined(lines);
    script.Send("wait $ 20000");
    ASSERT_TRUE(script.Answer(lines, 30000)) << Joined(lines);
    const std::string headlessCommand = HostCommand(marker);
    const auto headlessStart = std::chrono::steady_clock::now();
    script.Send("type " + headlessCommand + "\\r");
    script.Send("wait " + marker + " " + std::to_string(timeoutMs));
    ASSERT_TRUE(script.Answer(lines, 30000)) << Joined(lines);
    ASSERT_TRUE(script.Answer(lines, timeoutMs + 30000)) << Joined(lines);
    const double headlessSeconds = Seconds(headlessStart);
    std::printf("headless ovscript: %.2f s, %.3g MB/s\n", headlessSeconds, MegabytesPerSecond(headlessSeconds));
    script.Send("screen");
    ASSERT_TRUE(script.Answer(lines, 30000)) << Joined(lines);
    lines.pop_back();  // "ok"
    EXPECT_EQ(CheckEnding(lines, lastLines, marker), "") << Joined(lines);
    script.Send("quit");

    // The window under Wine.
    StartConnected();
    if (HasFatalFailure()) return;
    const std::string command = HostCommand(marker);
    ovwine::DriveResult watched =
        Run({"chars " + ovwine::Arg(command + "\r"), "floodwatch " + ovwine::Arg(marker) + " " + std::to_string(timeoutMs)},
            timeoutMs + 120000);
    for (const std::string& line : watched.Lines()) std::printf("  %s\n", line.c_str());
    ASSERT_TRUE(watched.ok);
    const std::vector<std::string> rows = Screen();
    EXPECT_EQ(CheckEnding(rows, lastLines, marker), "") << Joined(rows);

    const auto flood = Fields(watched.Value("floodwatch"));
    const auto respond = Fields(watched.Value("respond"));
    const double windowSeconds = flood.at("marker_ms") / 1000;
    const double headlessRate = MegabytesPerSecond(headlessSeconds);
    const double windowRate = MegabytesPerSecond(windowSeconds);
    const double ratio = windowRate / headlessRate;
    const bool slow = respond.at("max_ms") > kResponseTargetMs;
    std::printf("\n| run | seconds | MB/s |\n|---|---|---|\n");
    std::printf("| headless ovscript | %.2f | %.3g |\n", headlessSeconds, headlessRate);
    std::printf("| WinOvTerm.exe under Wine | %.2f | %.3g |\n", windowSeconds, windowRate);
    std::printf("\nratio window/headless: %.3g%s\n", ratio, ratio < kRatioTarget ? "  BELOW RATIO TARGET 0.5" : "");
    std::printf("answers during the flood (%.0f probes): max %.1f ms, avg %.2f ms, p99 %.1f ms, over 100 ms %.0f%s\n",
                respond.at("count"), respond.at("max_ms"), respond.at("avg_ms"), respond.at("p99_ms"),
                respond.at("over_100ms"), slow ? "  ABOVE 100 MS TARGET" : "");
    const auto traffic = Fields(watched.Value("traffic"));
    std::printf("socket notifications %.0f (%.0f bytes each), paints %.0f (%.1f per second)\n",
                traffic.at("socket_messages"),
                traffic.at("socket_messages") > 0 ? static_cast<double>(floodBytes) / traffic.at("socket_messages") : 0.0,
                traffic.at("called_paints"), traffic.at("called_paints") / windowSeconds);
}

void Usage() {
    std::fprintf(stderr,
                 "usage: ovwinebench [--mb N] [--timeout-s N] [--ovscript PATH] [gtest options]\n"
                 "  --mb N         flood size in 10^6 bytes (default 100)\n"
                 "  --timeout-s N  longest wait for each flood's end (default 1200)\n"
                 "  --ovscript P   the headless tool (default: this build's)\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--mb" && hasValue) {
            options.megabytes = std::atof(argv[++i]);
        } else if (arg == "--timeout-s" && hasValue) {
            options.timeoutSeconds = std::atoi(argv[++i]);
        } else if (arg == "--ovscript" && hasValue) {
            options.ovscript = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (arg.rfind("--gtest", 0) == 0) {
            rest.push_back(argv[i]);
        } else {
            Usage();
            return 2;
        }
    }
    if (options.megabytes <= 0 || options.timeoutSeconds <= 0 || access(options.ovscript.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "ovwinebench: bad size or time-out, or no ovscript at \"%s\"\n", options.ovscript.c_str());
        return 2;
    }
    int count = static_cast<int>(rest.size());
    testing::InitGoogleTest(&count, rest.data());
    return RUN_ALL_TESTS();
}
