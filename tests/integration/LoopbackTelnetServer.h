// A real telnet server on the loopback interface for the tests: the
// system's telnetd, started for each connection the way inetd would start
// it, serving a plain shell without a login.
#pragma once

#include <string>
#include <sys/types.h>

class LoopbackTelnetServer {
public:
    static constexpr const char* kTelnetd = "/usr/sbin/telnetd";

    // Listens on 127.0.0.1 at a free port; workDir holds the shell script.
    explicit LoopbackTelnetServer(const std::string& workDir);
    ~LoopbackTelnetServer();
    LoopbackTelnetServer(const LoopbackTelnetServer&) = delete;
    LoopbackTelnetServer& operator=(const LoopbackTelnetServer&) = delete;

    bool Running() const { return acceptor > 0; }
    int Port() const { return port; }
    std::string HostText() const { return "127.0.0.1:" + std::to_string(port); }
    const std::string& Problem() const { return problem; }

private:
    int port = 0;
    pid_t acceptor = -1;
    std::string problem;
};
