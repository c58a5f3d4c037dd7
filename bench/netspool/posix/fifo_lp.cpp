// The printer "device" behind p910nd in the print server benchmark: p910nd
// writes each connection into a FIFO; this reader prints what one opening
// of the FIFO carried as one raw job with `lp -d QUEUE -o raw`.
//
//   fifo_lp FIFO QUEUE [--whole]
//
// A FIFO has no job boundaries of its own: a job ends when the last writer
// closes it (the reader sees end of file), and when p910nd opens it again
// before the reader has seen that end, the reader cannot tell two
// connections apart (p910nd closes the socket before the FIFO, so a client
// that waits for the close is already connecting again). So each opening
// gets a FIFO of its own: as soon as p910nd has opened the FIFO for a job
// (the reader's blocking open returns), a fresh FIFO is renamed over the
// path, and p910nd's next open finds that one and blocks until the reader
// has finished this job (read to end of file, closed at once, printed
// through lp) and opens it. A connection can only meet the last one when
// p910nd has gone through a whole connection before the rename (it can when
// the reader is slow to run: see SetUrgent).
//
// By default the job streams into lp while it arrives (as p910nd would feed
// a printer); --whole reads the job to its end first and then hands it to lp.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

extern char** environ;

namespace {

struct LpProcess {
    pid_t pid = -1;
    int input = -1;
};

bool StartLp(const char* queue, LpProcess& lp) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    char* args[] = {const_cast<char*>("lp"), const_cast<char*>("-s"), const_cast<char*>("-d"), const_cast<char*>(queue),
                    const_cast<char*>("-o"), const_cast<char*>("raw"), nullptr};
    // lp runs as an ordinary process whatever the reader's own policy.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sched_param ordinary{};
    posix_spawnattr_setschedpolicy(&attributes, SCHED_OTHER);
    posix_spawnattr_setschedparam(&attributes, &ordinary);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSCHEDULER);
    const int error = posix_spawnp(&lp.pid, "lp", &actions, &attributes, args, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[0]);
    if (error != 0) {
        close(pipeFds[1]);
        std::fprintf(stderr, "fifo_lp: cannot start lp: %s\n", std::strerror(error));
        return false;
    }
    lp.input = pipeFds[1];
    return true;
}

// Writes everything unless lp has gone; false from then on.
bool WriteAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FinishLp(LpProcess& lp) {
    if (lp.input >= 0) close(lp.input);
    lp.input = -1;
    int status = 0;
    while (waitpid(lp.pid, &status, 0) < 0 && errno == EINTR) {
    }
    lp.pid = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The reader must rename the FIFO before p910nd can come round again; on a
// busy machine an ordinary process can wait a millisecond and more to run
// after its open returns, and p910nd serves a dozen small connections in
// that time. So the reader waits for the open with a real-time priority
// (when allowed) and copies the job as an ordinary process.
void SetUrgent(bool urgent) {
    sched_param priority{};
    priority.sched_priority = urgent ? 10 : 0;
    sched_setscheduler(0, urgent ? SCHED_FIFO : SCHED_OTHER, &priority);
}

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--whole") != 0)) {
        std::fprintf(stderr, "usage: %s FIFO QUEUE [--whole]\n", argv[0]);
        return 2;
    }
    const char* fifo = argv[1];
    const char* queue = argv[2];
    const bool whole = argc == 4;
    // A failed lp shows in its exit status; its pipe must not kill the reader.
    signal(SIGPIPE, SIG_IGN);
    static char buffer[1 << 16];
    std::string job;
    const std::string spare = std::string(fifo) + ".next";
    for (;;) {
        // Made before the open, so that only the rename stands between
        // p910nd's open and the moment its next open can no longer reach
        // this FIFO.
        unlink(spare.c_str());
        if (mkfifo(spare.c_str(), 0600) != 0) {
            std::fprintf(stderr, "fifo_lp: cannot make %s: %s\n", spare.c_str(), std::strerror(errno));
            return 1;
        }
        SetUrgent(true);
        const int fd = open(fifo, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "fifo_lp: cannot open %s: %s\n", fifo, std::strerror(errno));
            return 1;
        }
        if (rename(spare.c_str(), fifo) != 0) {
            std::fprintf(stderr, "fifo_lp: cannot replace %s: %s\n", fifo, std::strerror(errno));
            return 1;
        }
        SetUrgent(false);
        LpProcess lp;
        bool lpAlive = true;
        job.clear();
        for (;;) {
            const ssize_t n = ReadSome(fd, buffer, sizeof buffer);
            if (n <= 0) {
                // End of the job: nothing may come in after it.
                close(fd);
                if (n < 0) std::fprintf(stderr, "fifo_lp: reading %s: %s\n", fifo, std::strerror(errno));
                break;
            }
            if (whole) {
                job.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            // An opening without data (an empty connection) prints nothing.
            if (lp.pid < 0 && lpAlive) lpAlive = StartLp(queue, lp);
            // When lp fails the rest of the job is still read, so that
            // p910nd finishes the connection.
            if (lpAlive) lpAlive = WriteAll(lp.input, buffer, static_cast<std::size_t>(n));
        }
        if (whole && !job.empty() && StartLp(queue, lp)) lpAlive = WriteAll(lp.input, job.data(), job.size());
        if (lp.pid >= 0 && !FinishLp(lp)) lpAlive = false;
        if (!lpAlive) std::fprintf(stderr, "fifo_lp: a job was not printed whole\n");
    }
}
