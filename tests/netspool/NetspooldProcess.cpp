#include "netspool/NetspooldProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

namespace netspooltest {

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int ExitStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Waits at most seconds for the child; its exit status, or -1 while running.
int WaitFor(pid_t child, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) return ExitStatus(status);
        if (done < 0) return -1;
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int KillAndReap(pid_t child) {
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return ExitStatus(status);
}

// Lines start with "YYYY-MM-DD HH:MM:SS ".
constexpr std::size_t kStampLength = 20;

}  // namespace

NetspooldProcess::NetspooldProcess(std::string configHome, std::string cupsServer)
    : configHome(std::move(configHome)), cupsServer(std::move(cupsServer)) {
    outFile = this->configHome + "/netspoold.out";
    errFile = this->configHome + "/netspoold.err";
}

NetspooldProcess::~NetspooldProcess() {
    if (pid > 0) Stop();
}

pid_t NetspooldProcess::Spawn(const std::vector<std::string>& args, const std::string& out,
                              const std::string& err) const {
    std::vector<std::string> all{OV_NETSPOOLD_TOOL};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child != 0) return child;
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int nullFd = open("/dev/null", O_RDONLY);
    if (outFd < 0 || errFd < 0 || nullFd < 0) _exit(126);
    dup2(nullFd, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    setenv("CUPS_SERVER", cupsServer.c_str(), 1);
    unsetenv("OVTERM_STORAGE");
    execv(argv[0], argv.data());
    _exit(127);
}

CommandResult NetspooldProcess::Run(const std::vector<std::string>& args) const {
    const std::string out = configHome + "/run.out", err = configHome + "/run.err";
    CommandResult result;
    const pid_t child = Spawn(args, out, err);
    if (child < 0) return result;
    result.status = WaitFor(child, 30);
    if (result.status < 0) result.status = KillAndReap(child);
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

int NetspooldProcess::StartExpectingExit(const std::vector<std::string>& args, int seconds) {
    pid = Spawn(args, outFile, errFile);
    if (pid < 0) return -1;
    const int status = WaitFor(pid, seconds);
    if (status >= 0) pid = -1;
    return status;
}

bool NetspooldProcess::Start() {
    // A port found free may be taken before the server binds it: try again
    // elsewhere.
    for (int attempt = 0; attempt < 5; ++attempt) {
        basePort = FindFreePorts(4);
        if (basePort == 0) continue;
        pid = Spawn({"--base-port", std::to_string(basePort), "--address", "127.0.0.1"}, outFile, errFile);
        if (pid < 0) break;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Output().find("for incomming connections") != std::string::npos) return true;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                problem = "netspoold ended with status " + std::to_string(ExitStatus(status)) + ": " + Errors();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (pid > 0) {
            KillAndReap(pid);
            pid = -1;
            problem = "netspoold did not greet within 20 s: " + Errors();
            return false;
        }
    }
    return false;
}

int NetspooldProcess::Stop() {
    if (pid <= 0) return -1;
    kill(pid, SIGTERM);
    int status = WaitFor(pid, 20);
    if (status < 0) status = KillAndReap(pid);
    pid = -1;
    return status;
}

std::string NetspooldProcess::Output() const { return ReadFile(outFile); }
std::string NetspooldProcess::Errors() const { return ReadFile(errFile); }

std::vector<std::string> NetspooldProcess::LinesSince(std::size_t mark) const {
    const std::string out = Output();
    std::vector<std::string> lines;
    std::istringstream in(mark < out.size() ? out.substr(mark) : std::string());
    std::string line;
    while (std::getline(in, line)) lines.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
    return lines;
}

bool NetspooldProcess::WaitForLine(const std::string& text, std::size_t mark, int seconds, int count) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        int seen = 0;
        for (const std::string& line : LinesSince(mark))
            if (line == text) ++seen;
        if (seen >= count) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int FindFreePorts(int count) {
    std::mt19937 random(static_cast<unsigned>(getpid()) ^
                        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int base = 20000 + static_cast<int>(random() % 30000);
        bool free = true;
        for (int i = 0; i < count && free; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<std::uint16_t>(base + i));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            free = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            if (fd >= 0) close(fd);
        }
        if (free) return base;
    }
    return 0;
}

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void CloseWithReset(int fd) {
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(fd);
}

bool SendJob(int port, const std::string& bytes) {
    const int fd = Connect(port);
    if (fd < 0) return false;
    const bool sent = SendAll(fd, bytes);
    close(fd);
    return sent;
}

std::string RandomBytes(std::size_t length, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

}  // namespace netspooltest
