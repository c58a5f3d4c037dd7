#include "print/PrivateCupsServer.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The shell library sits at scripts/lib/ of the source tree this file is in.
std::string LibraryPath() {
    return (fs::path(__FILE__).parent_path() / ".." / ".." / "scripts" / "lib" / "cups-env.sh")
        .lexically_normal()
        .string();
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

int ExitStatus(int status) {
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

PrivateCupsServer::PrivateCupsServer(const std::string& directory, const std::string& queueName)
    : dir(directory), queue(queueName) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    dir = fs::absolute(dir, ec).string();
    if (access("/usr/sbin/cupsd", X_OK) != 0) {
        problem = "/usr/sbin/cupsd is not installed (Debian packages cups-daemon and cups-client)";
        return;
    }
    std::string d = Quoted(dir), q = Quoted(queue);
    int status = RunLibrary("ov_cups_start " + d + " && ov_cups_wait_ready " + d + " 30 && ov_cups_add_raw_queue " +
                                d + " " + q + " " + Quoted(JobDirectory()) + " && ov_cups_set_default " + d + " " + q,
                            "setup.log");
    running = status == 0;
    if (!running) problem = "the private scheduler did not start:\n" + ReadAll(fs::path(dir) / "setup.log");
}

PrivateCupsServer::~PrivateCupsServer() { RunLibrary("ov_cups_stop " + Quoted(dir), "stop.log"); }

std::string PrivateCupsServer::Server() const { return dir + "/cupsd.sock"; }

int PrivateCupsServer::RunLibrary(const std::string& script, const std::string& logName) const {
    std::string command = "bash -c " + Quoted("source " + Quoted(LibraryPath()) + " && " + script) + " > " +
                          Quoted(dir + "/" + logName) + " 2>&1";
    return ExitStatus(std::system(command.c_str()));
}

int PrivateCupsServer::RunClient(const std::string& commandLine) const {
    std::string command = "CUPS_SERVER=" + Quoted(Server()) + " timeout 30 sh -c " + Quoted(commandLine);
    return ExitStatus(std::system(command.c_str()));
}

std::vector<std::string> PrivateCupsServer::WaitForJobs(std::size_t count, int seconds) const {
    std::vector<std::string> jobs;
    for (CapturedJob& job : WaitForCapturedJobs(count, seconds)) jobs.push_back(std::move(job.bytes));
    return jobs;
}

bool PrivateCupsServer::AddRawQueue(const std::string& name, const std::string& outDir) const {
    return RunLibrary("ov_cups_add_raw_queue " + Quoted(dir) + " " + Quoted(name) + " " + Quoted(outDir),
                      "queue.log") == 0;
}

std::vector<PrivateCupsServer::CapturedJob> PrivateCupsServer::WaitForCapturedJobs(std::size_t count, int seconds,
                                                                                   const std::string& outDir) const {
    const std::string jobDir = outDir.empty() ? JobDirectory() : outDir;
    RunLibrary("ov_cups_wait_jobs " + Quoted(jobDir) + " " + std::to_string(count) + " " + std::to_string(seconds),
               "wait.log");
    // Job files are named after the zero-padded job id: name order is queue order.
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(jobDir, ec)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("job-", 0) == 0 && entry.path().extension() == ".prn") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<CapturedJob> jobs;
    for (const fs::path& file : files) {
        fs::path title = file;
        title.replace_extension(".title");
        jobs.push_back(CapturedJob{file.stem().string(), ReadAll(file), ReadAll(title)});
    }
    return jobs;
}
