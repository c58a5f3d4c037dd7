// Load for the print server benchmark: sends count connections of size
// bytes each to 127.0.0.1, sequentially to one port or spread over several
// ports with one sender per port, then waits until every byte has arrived as
// job files in the capture folder. Prints one line of figures.
//
//   netspool_client JOBDIR PORT PORTS SIZE COUNT
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

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
    close(fd);
    return ok;
}

// Job files complete so far (the backend renames each into place whole).
void Census(const fs::path& dir, std::uintmax_t& bytes, std::size_t& files) {
    bytes = 0;
    files = 0;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        if (entry.path().extension() != ".prn") continue;
        bytes += entry.file_size(ec);
        ++files;
    }
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

    std::uintmax_t startBytes = 0;
    std::size_t startFiles = 0;
    Census(dir, startBytes, startFiles);
    const auto start = std::chrono::steady_clock::now();
    std::atomic<int> next{0}, failed{0};
    std::vector<std::thread> senders;
    for (int p = 0; p < ports; ++p) {
        senders.emplace_back([&, p] {
            for (int i = next++; i < count; i = next++)
                if (!SendConnection(port + p, data)) ++failed;
        });
    }
    for (std::thread& t : senders) t.join();
    const auto sent = std::chrono::steady_clock::now();
    const std::uintmax_t expected = startBytes + static_cast<std::uintmax_t>(size) * static_cast<std::uintmax_t>(count);
    std::uintmax_t bytes = 0;
    std::size_t files = 0;
    const auto deadline = sent + std::chrono::minutes(2);
    // Nothing more can come when connections failed.
    do {
        if (failed) break;
        Census(dir, bytes, files);
        if (bytes >= expected) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double mb = static_cast<double>(bytes - startBytes) / 1e6;
    std::printf("%8.2f s  %9.1f MB/s  %7.1f jobs/s  (%zu job files, %zu expected%s%s)\n", seconds, mb / seconds,
                static_cast<double>(files - startFiles) / seconds, files - startFiles, static_cast<std::size_t>(count),
                failed ? ", connections failed" : "", bytes < expected ? ", DATA MISSING" : "");
    return bytes >= expected && failed == 0 ? 0 : 1;
}
