#include "integration/LoopbackTelnetServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {
// The "login program": a quiet POSIX shell with a fixed prompt.
const char kShellScript[] =
    "#!/bin/sh\n"
    "PS1='$ '\n"
    "export PS1\n"
    "exec /bin/sh -i\n";

[[noreturn]] void ServeForever(int listener, const std::string& script) {
    signal(SIGCHLD, SIG_IGN);  // sessions are reaped by the system
    for (;;) {
        int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) {
            if (errno == EINTR) continue;
            _exit(1);
        }
        if (fork() == 0) {
            dup2(connection, 0);
            dup2(connection, 1);
            dup2(connection, 2);
            close(connection);
            close(listener);
            execl(LoopbackTelnetServer::kTelnetd, "telnetd", "-h", "-E", script.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(connection);
    }
}
}  // namespace

LoopbackTelnetServer::LoopbackTelnetServer(const std::string& workDir) {
    if (access(kTelnetd, X_OK) != 0) {
        problem = std::string(kTelnetd) + " is not installed (Debian package inetutils-telnetd)";
        return;
    }
    std::string script = workDir + "/telnet-shell.sh";
    {
        std::ofstream out(script);
        out << kShellScript;
    }
    chmod(script.c_str(), 0755);

    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        problem = std::string("cannot listen on loopback: ") + std::strerror(errno);
        if (listener >= 0) close(listener);
        return;
    }
    port = ntohs(address.sin_port);
    acceptor = fork();
    if (acceptor == 0) {
        setpgid(0, 0);  // one group, so that teardown ends every session too
        ServeForever(listener, script);
    }
    close(listener);
    if (acceptor < 0) problem = std::string("cannot fork: ") + std::strerror(errno);
}

LoopbackTelnetServer::~LoopbackTelnetServer() {
    if (acceptor <= 0) return;
    kill(-acceptor, SIGTERM);
    kill(acceptor, SIGTERM);
    waitpid(acceptor, nullptr, 0);
}
