// ovscript: a headless, scriptable terminal session. Commands come one per
// line on standard input and are answered on standard output; see
// tools/script/ScriptCommands.h for the language.
//
//   ovscript [--workdir DIR]
//
// The emulator keeps its files in a private temporary directory unless
// --workdir names one.
#include <cstdio>
#include <iostream>
#include <string>

#include "tools/replay/PrivateDirectory.h"
#include "tools/script/ScriptCommands.h"
#include "tools/script/ScriptSession.h"

int main(int argc, char** argv) {
    std::string workdirName;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--workdir" && i + 1 < argc) {
            workdirName = argv[++i];
        } else {
            std::fprintf(stderr, "usage: ovscript [--workdir DIR] < commands\n");
            return 2;
        }
    }
    PrivateDirectory workdir(workdirName);
    if (!workdir.Ok()) {
        std::fprintf(stderr, "ovscript: cannot work in %s\n", workdir.Describe().c_str());
        return 2;
    }
    ScriptSession session(stdout);
    if (!session.Ready()) {
        std::fprintf(stderr, "ovscript: the terminal could not be set up\n");
        return 1;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (script::RunCommand(session, line, stdout) == script::Outcome::kQuit) break;
    }
    return 0;
}
