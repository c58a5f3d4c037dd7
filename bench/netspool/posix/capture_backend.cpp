// A compiled twin of the tests' shell capture backend, for the print server
// benchmark: the same files (job-NNNNNN.title, then job-NNNNNN.prn by a
// rename once whole) without starting sh, cat and mv for every job. With
// four ports printing at once on two processors, those three process starts
// cost the far end more than the print server under test.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CopyAll(int from, int to) {
    static char buffer[256 * 1024];
    for (;;) {
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!WriteAll(to, buffer, static_cast<std::size_t>(n))) return false;
    }
}

int Fail(const char* what) {
    std::fprintf(stderr, "ERROR: %s: %s\n", what, std::strerror(errno));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return 0;  // device discovery: nothing to offer
    if (argc < 6) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return 1;
    }
    const char* uri = std::getenv("DEVICE_URI");
    const char* prefix = "ovcapture:";
    if (uri == nullptr || std::strncmp(uri, prefix, std::strlen(prefix)) != 0 ||
        uri[std::strlen(prefix)] != '/') {
        std::fprintf(stderr, "ERROR: bad device URI %s\n", uri ? uri : "(none)");
        return 1;
    }
    umask(022);
    const std::string dir = uri + std::strlen(prefix);
    char name[32];
    std::snprintf(name, sizeof name, "job-%06ld", std::strtol(argv[1], nullptr, 10));
    const std::string base = dir + "/" + name;

    const int title = open((base + ".title").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (title < 0) return Fail("title file");
    const bool titled = WriteAll(title, argv[3], std::strlen(argv[3]));
    if (close(title) != 0 || !titled) return Fail("title file");

    int input = 0;
    if (argc >= 7 && (input = open(argv[6], O_RDONLY)) < 0) return Fail(argv[6]);
    const std::string part = dir + "/." + name + ".part";
    const int out = open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return Fail("job file");
    const bool copied = CopyAll(input, out);
    if (close(out) != 0 || !copied) return Fail("job file");
    if (rename(part.c_str(), (base + ".prn").c_str()) != 0) return Fail("rename");
    return 0;
}
