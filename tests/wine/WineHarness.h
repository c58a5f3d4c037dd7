// Runs the Windows programs under Wine for the native GoogleTest binary
// ovwinetests: one private Xvfb display and Wine prefix for the whole test run
// (scripts/lib/wine-env.sh sets them up), programs started in the background
// with their output in files, and ovdrive command lists run against their
// windows. See tests/wine/README.md.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "ProgramMachine.h"

namespace ovwine {

// The environment of this test run. Started on first use; stopped when the
// test binary ends, and by a watcher process if it is killed. With
// OV_WINE_ENV=DIR set (a directory that ov_wine_start set up) that
// environment is used and left running.
class WineEnvironment {
public:
    static WineEnvironment& Instance();

    // Starts the environment unless it runs already. False with `error`.
    bool Start(std::string& error);
    // Ends the wineserver of the prefix (and every Wine process in it) and
    // Xvfb, unless the environment was given from outside.
    void Stop();

    const std::string& Dir() const { return dir_; }
    // Started, and its variables (WINEPREFIX, the loaders) are ours.
    bool Ready() const { return ready_; }
    // Seconds ov_wine_start took (0 for an environment given from outside).
    double StartSeconds() const { return startSeconds_; }

private:
    WineEnvironment() = default;
    std::string dir_;
    bool started_ = false;
    bool ready_ = false;
    bool owned_ = false;
    double startSeconds_ = 0;
};

// The build this run tests: $OV_WINE_ARCH, "i686" or "x86-64" (the
// default). Unknown for any other value.
Machine ProgramArch();

// The directories of the Windows build (WinOvTerm.exe, ovdrive.exe with
// ovdrivehook.dll beside it, ovprobe.exe), separated by ':':
// $OV_WINE_PROGRAM_DIR, else what CMake was given for the build of
// ProgramArch() (OV_WINE_PROGRAM_DIR, OV_WINE_PROGRAM_DIR32). Empty when
// neither is set.
std::string ProgramDir();
// The first of those directories that holds `name`, joined with it.
std::string ProgramPath(const std::string& name);

// The environment's printer: a raw queue of a private CUPS scheduler, Wine's
// default printer. Each job lands unchanged in PrintJobDir() as
// job-NNNNNN.prn, complete when it appears. Empty when the environment has
// no printer (no cupsd).
std::string PrintJobDir();
// The names of the job files there, in job order.
std::vector<std::string> PrintJobs();

// A Windows program running under the environment's Wine. Killed when the
// object goes away, so a failed test leaves nothing behind.
class WineProcess {
public:
    WineProcess() = default;
    ~WineProcess();
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;

    // Starts `LOADER exe args...` in a new working directory of its own
    // (WorkDir()), LOADER being Wine's for the program's machine (wine64, or
    // the 32-bit loader for an i686 program); standard output and error go
    // to files beside it.
    bool Start(const std::string& exe, const std::vector<std::string>& args, std::string& error);

    bool Running();
    // Waits up to `ms` for the program to end: its exit code, or -1 when it
    // is still running (or ended by a signal).
    int Wait(int ms);
    // Ends the program at once (SIGKILL) and reaps it.
    void Kill();

    pid_t Pid() const { return pid_; }
    const std::string& WorkDir() const { return workDir_; }
    // What the program (and Wine) wrote on standard output and error.
    std::string Output() const;

private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string workDir_;
    std::string logBase_;
};

// The answer to one command of an ovdrive command list.
struct DriveAnswer {
    std::string command;
    std::vector<std::string> lines;  // without the closing ok or error
    bool ok = false;
    std::string error;  // the text after "error "
};

struct DriveResult {
    bool ok = false;    // every command answered ok
    std::string error;  // the first error: ovdrive's, or why ovdrive failed to run
    std::vector<DriveAnswer> answers;

    // The rest of the first answer line that starts with "key " (for
    // Value("title") the title); empty when there is none.
    std::string Value(const std::string& key) const;
    // Every answer line of every command, in order.
    std::vector<std::string> Lines() const;
    // The commands with their answers, for failure messages.
    std::string Transcript() const;
};

// Runs ovdrive.exe with the commands (one per element) and collects its
// answers. Blank and '#' lines are dropped. Each run is a new ovdrive process,
// so a list that talks to a window starts with "window CLASS".
DriveResult Drive(const std::vector<std::string>& commands, int timeoutMs = 60000);
// Drive with "window windowClass" put first.
DriveResult DriveWindow(const std::string& windowClass, const std::vector<std::string>& commands,
                        int timeoutMs = 60000);

// One argument of a command line: escaped so that spaces and control
// characters survive (\s, \r, \xHH, ...).
std::string Arg(std::string_view text);
// The Windows name (Z:\...) of an absolute Linux path, as an argument.
std::string WinPath(const std::string& path);

// A file's bytes (empty when it cannot be read), and whether it exists.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The Wine loader for a Windows program: the environment's x86-64 loader, or
// its 32-bit one for an i686 program. False with `error` when the program's
// machine has none.
bool LoaderFor(const std::string& exe, std::string& loader, std::string& error);

// Why the i686 programs cannot run here (no 32-bit Wine); empty when they can.
std::string Wine32Problem();

// Base fixture of the tests that need Wine: starts the environment (once per
// run) and skips the test when no Windows build is configured, or for an
// i686 run when there is no 32-bit Wine. Fails when the build's programs are
// not of the machine the run is for.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
};

}  // namespace ovwine
