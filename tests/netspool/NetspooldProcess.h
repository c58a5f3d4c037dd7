// netspoold as the tests run it: a real child process with its own settings
// directory and the private CUPS scheduler, listening on free loopback ports;
// and plain TCP clients to print through it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace netspooltest {

struct CommandResult {
    int status = -1;  // exit code; 128 + signal when killed
    std::string out;
    std::string err;
};

class NetspooldProcess {
public:
    // configHome becomes XDG_CONFIG_HOME, cupsServer CUPS_SERVER.
    NetspooldProcess(std::string configHome, std::string cupsServer);
    ~NetspooldProcess();
    NetspooldProcess(const NetspooldProcess&) = delete;
    NetspooldProcess& operator=(const NetspooldProcess&) = delete;

    // Runs netspoold with these arguments to its end (killed after 30 s).
    CommandResult Run(const std::vector<std::string>& args) const;

    // Starts the server on four free consecutive loopback ports; true once
    // it has greeted. Why not otherwise: Problem().
    bool Start();
    // Starts it with these arguments; the exit status when it ends within
    // seconds, -1 when it is still running then.
    int StartExpectingExit(const std::vector<std::string>& args, int seconds);
    // SIGTERM, then waits at most 20 s (then SIGKILL); the exit status.
    int Stop();
    bool Running() const { return pid > 0; }
    int BasePort() const { return basePort; }
    const std::string& Problem() const { return problem; }

    // Everything written to standard output / error so far.
    std::string Output() const;
    std::string Errors() const;
    // Where the output ends now: lines are looked for after such a mark.
    std::size_t Mark() const { return Output().size(); }
    // Waits at most seconds until count lines after mark end with text.
    bool WaitForLine(const std::string& text, std::size_t mark, int seconds, int count = 1) const;
    // The lines written after mark, timestamps removed.
    std::vector<std::string> LinesSince(std::size_t mark) const;

private:
    pid_t Spawn(const std::vector<std::string>& args, const std::string& outFile, const std::string& errFile) const;

    std::string configHome;
    std::string cupsServer;
    std::string outFile;
    std::string errFile;
    pid_t pid = -1;
    int basePort = 0;
    std::string problem;
};

// Four consecutive TCP ports free on 127.0.0.1 just now (0 when none found).
int FindFreePorts(int count);

// Connects to 127.0.0.1:port; -1 on failure.
int Connect(int port);
bool SendAll(int fd, const std::string& bytes);
// Closes so that the peer sees a reset instead of an orderly end.
void CloseWithReset(int fd);
// One connection: sends bytes and closes.
bool SendJob(int port, const std::string& bytes);

std::string RandomBytes(std::size_t length, unsigned seed);

}  // namespace netspooltest
