// Load for the print server benchmark: sends COUNT connections of SIZE bytes
// each to 127.0.0.1 and waits until every one has arrived as a job file in
// the capture folder. Prints one line of figures.
//
//   netspool_client JOBDIR PORT PORTS SIZE COUNT
//
// Each sender is sequential: one connection at a time, and the next only
// after the server has closed the last one (the client half-closes after
// sending and reads until the server's end). A client that does not wait
// fills the server's small listen backlog, and what it then measures is
// TCP's SYN retry timer. PORTS senders run at once, one per port from PORT
// on, taking connections from the one count.
//
// The timer runs from the first connection until the last job file has
// arrived (the capture backend renames each file into place when it is
// whole; inotify reports the rename). Then every new job file is checked:
// as many files as connections, each exactly the bytes sent.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Gives up on a job after this long without a new job file.
constexpr auto kQuietLimit = std::chrono::seconds(20);

bool SendConnection(int port, const std::string& data) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    std::size_t sent = 0;
    while (ok && sent < data.size()) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        ok = n > 0;
        if (ok) sent += static_cast<std::size_t>(n);
    }
    // The job ends where the client stops sending; the connection ends when
    // the server closes it (a print server sends nothing back).
    if (ok) ok = shutdown(fd, SHUT_WR) == 0;
    char sink[512];
    while (ok) {
        const ssize_t n = recv(fd, sink, sizeof sink, 0);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
    }
    close(fd);
    return ok;
}

// Names of job files renamed into place, read from an inotify descriptor.
void TakeArrivals(int watch, std::set<std::string>& arrived) {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = read(watch, buffer, sizeof buffer);
        if (n <= 0) return;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0) {
                const std::string name = event->name;
                if (name.size() > 4 && name.compare(name.size() - 4, 4, ".prn") == 0) arrived.insert(name);
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

bool SameContent(const fs::path& file, const std::string& data) {
    std::ifstream in(file, std::ios::binary);
    std::string chunk(1 << 20, '\0');
    std::size_t at = 0;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        if (at + got > data.size() || std::memcmp(chunk.data(), data.data() + at, got) != 0) return false;
        at += got;
    }
    return at == data.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s JOBDIR PORT PORTS SIZE COUNT\n", argv[0]);
        return 2;
    }
    const fs::path dir = argv[1];
    const int port = std::atoi(argv[2]);
    const int ports = std::max(1, std::atoi(argv[3]));
    const std::size_t size = std::strtoull(argv[4], nullptr, 10);
    const int count = std::atoi(argv[5]);
    std::string data(size, '\0');
    std::mt19937 random(42);
    for (char& c : data) c = static_cast<char>(random());

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, dir.c_str(), IN_MOVED_TO) < 0) {
        std::fprintf(stderr, "cannot watch %s: %s\n", dir.c_str(), std::strerror(errno));
        return 2;
    }

    const auto start = Clock::now();
    std::atomic<int> next{0}, failed{0};
    std::vector<std::thread> senders;
    for (int p = 0; p < ports; ++p) {
        senders.emplace_back([&, p] {
            for (int i = next++; i < count; i = next++)
                if (!SendConnection(port + p, data)) ++failed;
        });
    }
    std::set<std::string> arrived;
    std::atomic<bool> sending{true};
    // Arrivals are taken while sending too, so that the queue of events
    // cannot overflow; the census itself only needs the names.
    double sendSeconds = 0;
    std::thread joiner([&] {
        for (std::thread& t : senders) t.join();
        sendSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        sending = false;
    });
    auto lastArrival = Clock::now();
    const auto overall = start + std::chrono::minutes(10);
    while (static_cast<int>(arrived.size()) < count && Clock::now() < overall) {
        pollfd pfd{watch, POLLIN, 0};
        poll(&pfd, 1, 100);
        const std::size_t before = arrived.size();
        TakeArrivals(watch, arrived);
        if (arrived.size() != before) lastArrival = Clock::now();
        // A connection that failed, or jobs merged, never bring the count.
        if (!sending && (failed > 0 || Clock::now() - lastArrival > kQuietLimit)) break;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    joiner.join();
    TakeArrivals(watch, arrived);
    close(watch);

    std::uintmax_t bytes = 0;
    int wrongSize = 0, wrongContent = 0;
    for (const std::string& name : arrived) {
        std::error_code ec;
        const std::uintmax_t length = fs::file_size(dir / name, ec);
        if (ec) continue;
        bytes += length;
        if (length != size)
            ++wrongSize;
        else if (!SameContent(dir / name, data))
            ++wrongContent;
    }
    const std::uintmax_t expected = static_cast<std::uintmax_t>(size) * static_cast<std::uintmax_t>(count);
    const bool exact = static_cast<int>(arrived.size()) == count && bytes == expected && wrongSize == 0 &&
                       wrongContent == 0 && failed == 0;
    // The last connection closed: how fast the server took the jobs, as
    // against how fast they came out of the scheduler.
    std::printf("%8.2f s  %7.1f MB/s  %7.1f jobs/s  (closed after %.2f s; %zu of %d jobs, %ju of %ju bytes",
                seconds, static_cast<double>(bytes) / 1e6 / seconds, static_cast<double>(arrived.size()) / seconds,
                sendSeconds, arrived.size(), count, bytes, expected);
    if (failed) std::printf(", %d connections failed", failed.load());
    if (wrongSize) std::printf(", %d jobs of another size", wrongSize);
    if (wrongContent) std::printf(", %d jobs with other bytes", wrongContent);
    std::printf("%s)\n", exact ? ", exact" : ", MISMATCH");
    return exact ? 0 : 1;
}
