// A private CUPS scheduler for tests, run through scripts/lib/cups-env.sh:
// its own configuration, socket, spool and logs under a directory, and one
// raw queue, made the default, whose backend stores each job's bytes
// unchanged as a file of its own. Clients reach it with CUPS_SERVER=Server().
#pragma once

#include <string>
#include <vector>

class PrivateCupsServer {
public:
    // Starts the scheduler under dir (created) and adds the queue; waits at
    // most 30 s for the scheduler to answer.
    PrivateCupsServer(const std::string& dir, const std::string& queue);
    ~PrivateCupsServer();
    PrivateCupsServer(const PrivateCupsServer&) = delete;
    PrivateCupsServer& operator=(const PrivateCupsServer&) = delete;

    bool Running() const { return running; }
    // Why it is not running (the setup's output).
    const std::string& Problem() const { return problem; }
    const std::string& Queue() const { return queue; }
    // The value for CUPS_SERVER (the scheduler's local socket).
    std::string Server() const;
    std::string JobDirectory() const { return dir + "/jobs"; }

    // Runs a shell command line with CUPS_SERVER set to this scheduler (at
    // most 30 s); its exit status.
    int RunClient(const std::string& commandLine) const;
    // The contents of the job files in the order the jobs were queued, once
    // at least count have arrived or after at most seconds.
    std::vector<std::string> WaitForJobs(std::size_t count, int seconds) const;

    // Another enabled, accepting raw queue whose jobs land in outDir.
    bool AddRawQueue(const std::string& name, const std::string& outDir) const;

    struct CapturedJob {
        std::string file;   // "job-000012": queue order sorts by name
        std::string bytes;
        std::string title;  // the job's title as the scheduler passed it
    };
    // The jobs captured in outDir (default: the first queue's), in the
    // order they were queued, once at least count have arrived or after at
    // most seconds.
    std::vector<CapturedJob> WaitForCapturedJobs(std::size_t count, int seconds,
                                                 const std::string& outDir = std::string()) const;

private:
    // Runs "source cups-env.sh; script" in bash; 0 when it succeeded.
    int RunLibrary(const std::string& script, const std::string& logName) const;

    std::string dir;
    std::string queue;
    bool running = false;
    std::string problem;
};
