#include "WineHarness.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "driver/TextEscape.h"

#ifndef OV_WINE_ENV_SCRIPT
#error "OV_WINE_ENV_SCRIPT must name scripts/lib/wine-env.sh"
#endif
#ifndef OV_WINE_PROGRAM_DIR_DEFAULT
#define OV_WINE_PROGRAM_DIR_DEFAULT ""
#endif
#ifndef OV_WINE_PROGRAM_DIR32_DEFAULT
#define OV_WINE_PROGRAM_DIR32_DEFAULT ""
#endif

namespace ovwine {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

namespace {

using Clock = std::chrono::steady_clock;

// Starts argv[0] (found on the path) in `cwd` with standard output and error
// into `output` (appended) and standard input from /dev/null. With
// `newSession` the child leaves our session and process group, so that
// whatever ends us leaves it running.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& cwd, const std::string& output,
            bool newSession) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid != 0) return pid;
    // Child: only async-signal-safe calls from here on.
    if (newSession) setsid();
    int in = open("/dev/null", O_RDONLY);
    int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (in < 0 || out < 0 || (!cwd.empty() && chdir(cwd.c_str()) != 0)) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execvp(args[0], args.data());
    _exit(127);
}

// Waits for `pid` up to `ms` (forever when negative). True when it ended,
// with its exit code in `code` (-1 for a signal).
bool WaitPid(pid_t pid, int ms, int& code) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, ms < 0 ? 0 : WNOHANG);
        if (r == pid) {
            code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        }
        if (r < 0 && errno != EINTR) {
            code = -1;
            return true;  // not our child any more
        }
        if (ms >= 0 && Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Runs a function of wine-env.sh in bash and waits for it.
int RunScript(const std::string& call, const std::vector<std::string>& args, const std::string& log,
              int timeoutMs) {
    std::vector<std::string> argv = {"bash", "-c", "source \"$0\" && " + call, OV_WINE_ENV_SCRIPT};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_t pid = Spawn(argv, "", log, false);
    if (pid < 0) return -1;
    int code = -1;
    if (!WaitPid(pid, timeoutMs, code)) {
        kill(pid, SIGKILL);
        WaitPid(pid, -1, code);
        return -1;
    }
    return code;
}

// Takes the KEY=VALUE lines that ov_wine_start wrote into our environment,
// so that every program started later runs in the same prefix and display.
bool AdoptEnvironment(const std::string& dir, std::string& error) {
    const std::string text = ReadFile(dir + "/env");
    int count = 0;
    for (const std::string& line : SplitLines(text)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
        ++count;
    }
    if (count == 0 || !getenv("WINEPREFIX") || !getenv("OV_WINE_LOADER")) {
        error = "no Wine environment described in " + dir + "/env";
        return false;
    }
    return true;
}

// What a function of wine-env.sh prints on standard output, its last line
// break cut; empty when it fails.
std::string ScriptOutput(const std::string& call) {
    const char* tmp = getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/ovwine-script.XXXXXX";
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) return std::string();
    close(fd);
    path = buffer.data();
    std::string output = RunScript(call + " 2>/dev/null", {}, path, 30000) == 0 ? ReadFile(path) : std::string();
    unlink(path.c_str());
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

void StopAtExit() { WineEnvironment::Instance().Stop(); }

constexpr char kNoWine32[] =
    "no 32-bit Wine: the i686 programs run under Debian's wine32:i386 (dpkg --add-architecture i386,"
    " apt-get update, apt-get install wine32:i386; scripts/test installs it)";

int g_runCounter = 0;

}  // namespace

// --- environment -------------------------------------------------------------

WineEnvironment& WineEnvironment::Instance() {
    static WineEnvironment* environment = new WineEnvironment();  // outlives the atexit call
    return *environment;
}

bool WineEnvironment::Start(std::string& error) {
    if (started_) {
        // A failed start is not tried again: each try would cost a prefix.
        if (!ready_) error = "the Wine environment did not start (see " + dir_ + "/start.log)";
        return ready_;
    }
    if (const char* given = getenv("OV_WINE_ENV")) {
        if (!AdoptEnvironment(given, error)) return false;
        dir_ = given;
        started_ = ready_ = true;
        owned_ = false;
        return true;
    }
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ovwine.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        error = "cannot create a directory from " + pattern;
        return false;
    }
    dir_ = buffer.data();
    owned_ = true;
    // The watcher stops the environment when this process is gone, however
    // it ended; it waits in a session of its own.
    const std::string pid = std::to_string(getpid());
    Spawn({"bash", "-c", "source \"$0\" && ov_wine_stop_after \"$1\" \"$2\"", OV_WINE_ENV_SCRIPT, pid, dir_}, "",
          "/dev/null", true);
    std::atexit(StopAtExit);

    const auto begin = Clock::now();
    const std::string log = dir_ + "/start.log";
    const int code = RunScript("ov_wine_start \"$1\"", {dir_}, log, 300000);
    startSeconds_ = std::chrono::duration<double>(Clock::now() - begin).count();
    started_ = true;  // so that Stop cleans up what did start
    if (code != 0) {
        error = "ov_wine_start failed (" + std::to_string(code) + "): " + ReadFile(log);
        return false;
    }
    if (!AdoptEnvironment(dir_, error)) return false;
    ready_ = true;
    fprintf(stderr, "[wine] environment in %s ready after %.1f s\n", dir_.c_str(), startSeconds_);
    return true;
}

void WineEnvironment::Stop() {
    if (!started_ || !owned_) return;
    started_ = ready_ = false;
    RunScript("ov_wine_stop \"$1\"", {dir_}, "/dev/null", 60000);
}

Machine ProgramArch() {
    const char* arch = getenv("OV_WINE_ARCH");
    return arch && *arch ? MachineFromName(arch) : Machine::X8664;
}

std::string ProgramDir() {
    if (const char* dir = getenv("OV_WINE_PROGRAM_DIR")) return dir;
    return ProgramArch() == Machine::I686 ? OV_WINE_PROGRAM_DIR32_DEFAULT : OV_WINE_PROGRAM_DIR_DEFAULT;
}

bool LoaderFor(const std::string& exe, std::string& loader, std::string& error) {
    const bool i686 = ProgramMachine(exe) == Machine::I686;
    const char* value = getenv(i686 ? "OV_WINE_LOADER32" : "OV_WINE_LOADER");
    if (!value || !*value) {
        error = i686 ? std::string(kNoWine32) + " (" + exe + " is an i686 program)"
                     : std::string("no Wine loader in the environment (OV_WINE_LOADER)");
        return false;
    }
    loader = value;
    return true;
}

std::string Wine32Problem() {
    // Before the environment starts, ask the script that will choose the
    // loader: skipping must not cost a prefix.
    std::string loader;
    if (WineEnvironment::Instance().Ready()) {
        const char* value = getenv("OV_WINE_LOADER32");
        loader = value ? value : "";
    } else {
        loader = ScriptOutput("ov_wine_loader32");
    }
    return loader.empty() ? kNoWine32 : std::string();
}

std::string ProgramPath(const std::string& name) {
    // Several directories may be given (WinOvTerm.exe and ovdrive.exe build
    // into different ones): the first that holds the file.
    std::vector<std::string> dirs;
    std::istringstream list(ProgramDir());
    for (std::string dir; std::getline(list, dir, ':');)
        if (!dir.empty()) dirs.push_back(dir);
    for (const std::string& dir : dirs)
        if (FileExists(dir + "/" + name)) return dir + "/" + name;
    return (dirs.empty() ? std::string(".") : dirs[0]) + "/" + name;
}

// --- printer -----------------------------------------------------------------

std::string PrintJobDir() {
    const char* dir = getenv("OV_WINE_PRINT_JOBS");
    return dir ? dir : "";
}

std::vector<std::string> PrintJobs() {
    std::vector<std::string> names;
    const std::string dir = PrintJobDir();
    DIR* d = dir.empty() ? nullptr : opendir(dir.c_str());
    if (!d) return names;
    // The backend writes a hidden part file and renames it when the job is whole.
    while (dirent* entry = readdir(d)) {
        const std::string name = entry->d_name;
        if (name.size() > 8 && name.compare(0, 4, "job-") == 0 && name.compare(name.size() - 4, 4, ".prn") == 0)
            names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());  // zero-padded ids: name order is job order
    return names;
}

// --- programs ----------------------------------------------------------------

WineProcess::~WineProcess() { Kill(); }

bool WineProcess::Start(const std::string& exe, const std::vector<std::string>& args, std::string& error) {
    if (pid_ > 0) {
        error = "WineProcess: already started";
        return false;
    }
    if (!WineEnvironment::Instance().Start(error)) return false;
    if (!FileExists(exe)) {
        error = "no program " + exe;
        return false;
    }
    // An environment given with OV_WINE_ENV keeps the directories of earlier
    // runs of the binary: the next free number.
    std::string run;
    do {
        run = WineEnvironment::Instance().Dir() + "/run-" + std::to_string(++g_runCounter);
    } while (mkdir(run.c_str(), 0755) != 0 && errno == EEXIST);
    workDir_ = run + "/work";
    logBase_ = run + "/output.txt";
    if (mkdir(workDir_.c_str(), 0755) != 0) {
        error = "cannot create " + workDir_;
        return false;
    }
    std::string loader;
    if (!LoaderFor(exe, loader, error)) return false;
    std::vector<std::string> argv = {loader, exe};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = Spawn(argv, workDir_, logBase_, false);
    exitCode_ = -1;
    if (pid_ < 0) {
        error = "cannot start " + exe;
        return false;
    }
    return true;
}

bool WineProcess::Running() {
    if (pid_ <= 0) return false;
    int code;
    if (WaitPid(pid_, 0, code)) {
        exitCode_ = code;
        pid_ = -1;
        return false;
    }
    return true;
}

int WineProcess::Wait(int ms) {
    if (pid_ <= 0) return exitCode_;
    int code;
    if (!WaitPid(pid_, ms, code)) return -1;
    exitCode_ = code;
    pid_ = -1;
    return code;
}

void WineProcess::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int code;
    WaitPid(pid_, -1, code);
    pid_ = -1;
    exitCode_ = -1;
}

std::string WineProcess::Output() const { return logBase_.empty() ? std::string() : ReadFile(logBase_); }

// --- ovdrive -----------------------------------------------------------------

std::string DriveResult::Value(const std::string& key) const {
    const std::string prefix = key + " ";
    for (const DriveAnswer& answer : answers)
        for (const std::string& line : answer.lines)
            if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
    return std::string();
}

std::vector<std::string> DriveResult::Lines() const {
    std::vector<std::string> lines;
    for (const DriveAnswer& answer : answers) lines.insert(lines.end(), answer.lines.begin(), answer.lines.end());
    return lines;
}

std::string DriveResult::Transcript() const {
    std::string text;
    for (const DriveAnswer& answer : answers) {
        text += "> " + answer.command + "\n";
        for (const std::string& line : answer.lines) text += "  " + line + "\n";
        text += answer.ok ? "  ok\n" : "  error " + answer.error + "\n";
    }
    if (!ok) text += "failed: " + error + "\n";
    return text;
}

DriveResult Drive(const std::vector<std::string>& commands, int timeoutMs) {
    DriveResult result;
    std::string error;
    WineEnvironment& environment = WineEnvironment::Instance();
    if (!environment.Start(error)) {
        result.error = error;
        return result;
    }
    const std::string driver = ProgramPath("ovdrive.exe");
    if (!FileExists(driver)) {
        result.error = "no " + driver + " (set OV_WINE_PROGRAM_DIR to the Windows build)";
        return result;
    }
    std::string loader;
    if (!LoaderFor(driver, loader, result.error)) return result;
    std::vector<std::string> sent;
    for (const std::string& command : commands) {
        size_t first = command.find_first_not_of(" \t");
        if (first != std::string::npos && command[first] != '#') sent.push_back(command);
    }
    const std::string base = environment.Dir() + "/drive-" + std::to_string(++g_runCounter);
    {
        std::ofstream out(base + ".cmd", std::ios::binary);
        for (const std::string& command : sent) out << command << '\n';
    }
    // The answers come through a file: Wine's own background processes keep a
    // pipe open long after the driver has ended.
    pid_t pid = Spawn({loader, driver, base + ".cmd", base + ".ans"}, environment.Dir(), base + ".out", false);
    int code = -1;
    bool ended = pid > 0 && WaitPid(pid, timeoutMs, code);
    if (pid > 0 && !ended) {
        kill(pid, SIGKILL);
        WaitPid(pid, -1, code);
    }

    size_t next = 0;
    DriveAnswer current;
    for (const std::string& line : SplitLines(ReadFile(base + ".ans"))) {
        if (next >= sent.size()) break;
        current.command = sent[next];
        if (line == "ok" || line.compare(0, 6, "error ") == 0 || line == "error") {
            current.ok = line == "ok";
            if (!current.ok) current.error = line.size() > 6 ? line.substr(6) : std::string();
            result.answers.push_back(current);
            current = DriveAnswer();
            ++next;
        } else {
            current.lines.push_back(line);
        }
    }
    if (!current.lines.empty() && next < sent.size()) {
        current.command = sent[next];
        current.error = "(no answer)";
        result.answers.push_back(current);
    }
    for (const DriveAnswer& answer : result.answers) {
        if (!answer.ok) {
            result.error = answer.command + ": " + answer.error;
            return result;
        }
    }
    if (next < sent.size()) {
        result.error = !ended ? "ovdrive did not finish within " + std::to_string(timeoutMs) + " ms"
                              : "ovdrive ended (exit " + std::to_string(code) + ") before answering \"" +
                                    sent[next] + "\": " + ReadFile(base + ".out");
        return result;
    }
    result.ok = true;
    return result;
}

DriveResult DriveWindow(const std::string& windowClass, const std::vector<std::string>& commands,
                        int timeoutMs) {
    std::vector<std::string> all = {"window " + Arg(windowClass)};
    all.insert(all.end(), commands.begin(), commands.end());
    return Drive(all, timeoutMs);
}

std::string Arg(std::string_view text) { return ovdrive::EscapeText(text, true); }

std::string WinPath(const std::string& path) {
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return Arg(windows);
}

// --- fixture -----------------------------------------------------------------

void WineTest::SetUp() {
    const Machine arch = ProgramArch();
    ASSERT_TRUE(arch != Machine::Unknown) << "OV_WINE_ARCH=" << getenv("OV_WINE_ARCH") << ": expected i686 or x86-64";
    if (ProgramDir().empty()) {
        if (arch == Machine::I686)
            GTEST_SKIP() << "no i686 Windows build configured (OV_WINE_PROGRAM_DIR32, or OV_WINE_PROGRAM_DIR with"
                            " OV_WINE_ARCH=i686)";
        GTEST_SKIP() << "no Windows build configured (OV_WINE_PROGRAM_DIR)";
    }
    if (arch == Machine::I686) {
        const std::string problem = Wine32Problem();
        if (!problem.empty()) GTEST_SKIP() << problem;
    }
    ASSERT_TRUE(FileExists(ProgramPath("ovdrive.exe"))) << "no ovdrive.exe in " << ProgramDir();
    // A program of the other build would run just as well, and the run
    // would pass without having tested the build it names.
    for (const char* name : {"ovdrive.exe", "ovdrivehook.dll", "ovprobe.exe", "ovhostprog.exe", "WinOvTerm.exe",
                             "NetSpool.exe"}) {
        const std::string path = ProgramPath(name);
        if (!FileExists(path)) continue;
        ASSERT_EQ(MachineName(ProgramMachine(path)), std::string(MachineName(arch)))
            << path << " is not of the build this run tests (OV_WINE_ARCH=" << MachineName(arch) << ")";
    }
    std::string error;
    ASSERT_TRUE(WineEnvironment::Instance().Start(error)) << error;
}

}  // namespace ovwine
