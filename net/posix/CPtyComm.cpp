#include "net/posix/CPtyComm.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "emu/CRxHandler.h"

CPtyComm::CPtyComm(int* status, CTermView* sinkView, CRxHandler* handler, std::vector<std::string> args)
    : CTermComm(status, sinkView, handler), argv(std::move(args)) {
    if (status && argv.empty()) *status = 1;
}

CPtyComm::~CPtyComm() { Disconnect(); }

int CPtyComm::CheckError(const char*) { return 0; }

int CPtyComm::Connect(char*) {
    if (masterFd >= 0 || argv.empty()) return 0;
    problem.clear();
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || !ptsname(master)) {
        problem = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) close(master);
        return 0;
    }
    const std::string slaveName = ptsname(master);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(&a[0]);
    args.push_back(nullptr);

    // A pipe closed on exec tells the parent whether the exec worked.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        problem = std::string("cannot start: ") + std::strerror(errno);
        close(master);
        return 0;
    }
    pid_t pid = fork();
    if (pid < 0) {
        problem = std::string("cannot start: ") + std::strerror(errno);
        close(master);
        close(report[0]);
        close(report[1]);
        return 0;
    }
    if (pid == 0) {
        close(report[0]);
        setsid();
        int slave = open(slaveName.c_str(), O_RDWR);
        if (slave < 0) _exit(127);
        ioctl(slave, TIOCSCTTY, 0);
        struct winsize size = {};
        size.ws_row = 24;
        size.ws_col = 80;
        ioctl(slave, TIOCSWINSZ, &size);
        dup2(slave, 0);
        dup2(slave, 1);
        dup2(slave, 2);
        if (slave > 2) close(slave);
        setenv("TERM", "wy50", 1);
        setenv("LINES", "24", 1);
        setenv("COLUMNS", "80", 1);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        execvp(args[0], args.data());
        int err = errno;
        (void)!write(report[1], &err, sizeof err);
        _exit(127);
    }
    close(report[1]);
    int err = 0;
    ssize_t got;
    do got = read(report[0], &err, sizeof err);
    while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof err)) {
        problem = "cannot run " + argv[0] + ": " + std::strerror(err);
        close(master);
        child = pid;
        Reap(true);
        return 0;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    masterFd = master;
    child = pid;
    reaped = false;
    return 1;
}

void CPtyComm::Reap(bool block) {
    if (child <= 0 || reaped) return;
    int status = 0;
    pid_t got;
    do got = waitpid(child, &status, block ? 0 : WNOHANG);
    while (got < 0 && errno == EINTR);
    if (got == child) {
        reaped = true;
        waitStatus = status;
    }
}

int CPtyComm::Disconnect() {
    if (masterFd < 0) return 0;
    close(masterFd);
    masterFd = -1;
    Reap(false);
    // Closing the master hangs the child up; one that ignores it is ended.
    if (!reaped && child > 0) {
        kill(child, SIGHUP);
        for (int i = 0; i < 50 && !reaped; ++i) {
            usleep(10000);
            Reap(false);
        }
        if (!reaped) {
            kill(child, SIGKILL);
            Reap(true);
        }
    }
    return 1;
}

int CPtyComm::Receive(char* buffer, int* length) {
    if (masterFd < 0) {
        *length = 0;
        return 0;
    }
    ssize_t got;
    do got = read(masterFd, buffer, static_cast<size_t>(*length));
    while (got < 0 && errno == EINTR);
    if (got > 0) {
        *length = static_cast<int>(got);
        return 1;
    }
    *length = 0;
    if (got < 0 && errno == EAGAIN) return 1;
    // EIO (Linux) or end of file: the child and everything it started have
    // closed the terminal.
    Reap(true);
    return 0;
}

int CPtyComm::Send(const char* data, int length) {
    if (masterFd < 0 || length <= 0) return 0;
    int sent = 0, waits = 0;
    while (sent < length) {
        ssize_t n = write(masterFd, data + sent, static_cast<size_t>(length - sent));
        if (n > 0) {
            sent += static_cast<int>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN && ++waits < 5000) {
            usleep(1000);  // the child is not reading yet: wait for room, not for ever
        } else {
            return 0;
        }
    }
    return 1;
}

void CPtyComm::OnSocketEvent(int closed) {
    // The child's exit is the normal end of this "connection": no message
    // box, the front end reports the exit status.
    char buffer[kReceiveBlock];
    int length = kReceiveBlock;
    const bool open = !closed && Receive(buffer, &length);
    if (length > 0 && rxHandler) rxHandler->OnReceive(buffer, length);
    if (!open) Disconnect();
}

std::string CPtyComm::ExitDescription() const {
    if (!reaped) return "still running";
    if (WIFEXITED(waitStatus)) return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
    if (WIFSIGNALED(waitStatus)) return "killed by signal " + std::to_string(WTERMSIG(waitStatus));
    return "ended";
}
