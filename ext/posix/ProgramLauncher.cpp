// The launcher without a shell: the command line is split as Windows would
// hand it to the program, the first word is looked up on PATH, and the call
// blocks until the program has ended. The show state has no meaning here.
#include "ext/ProgramLauncher.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

#include "ext/CommandLine.h"

extern char** environ;

int RunProgramAndWait(const char* text1, const char* text2, const char* text3, const char* text4,
                      const char* text5, int /*showState*/) {
    std::string line;
    if (!cmdline::Join(text1, text2, text3, text4, text5, &line)) return 0;
    std::vector<std::string> words = cmdline::Split(line);
    if (words.empty() || words[0].empty()) return 0;

    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);

    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, 0) == child) return 1;
        if (errno == EINTR) continue;
        // With SIGCHLD ignored the system reaps the child itself, and the
        // wait ends only once it has gone.
        return errno == ECHILD ? 1 : 0;
    }
}
