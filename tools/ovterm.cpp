// ovterm: the Wyse 50 terminal inside any terminal curses knows.
//
//   ovterm [--no-status] [--command-key ^X] HOST[:PORT]
//   ovterm [--no-status] [--command-key ^X] -e COMMAND [ARG...]
//
// The command key (Ctrl-] unless changed) opens a prompt; "help" lists its commands.
#include <cstdio>
#include <string>

#include "tools/ovterm/TermSession.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: ovterm [--no-status] [--command-key ^X] HOST[:PORT]\n"
                 "       ovterm [--no-status] [--command-key ^X] -e COMMAND [ARG...]\n");
    return 2;
}

// "^]" or "^A": the control character of that key.
int ParseCommandKey(const std::string& text) {
    if (text.size() == 2 && text[0] == '^' && text[1] >= '@' && text[1] <= '_') return text[1] - '@';
    return -1;
}
}  // namespace

int main(int argc, char** argv) {
    ovterm::Options options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-status") {
            options.statusLine = false;
        } else if (arg == "--command-key" && i + 1 < argc) {
            options.commandKey = ParseCommandKey(argv[++i]);
            if (options.commandKey < 0) return Usage();
        } else if (arg == "-e") {
            for (++i; i < argc; ++i) options.command.push_back(argv[i]);
            if (options.command.empty()) return Usage();
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (options.host.empty()) {
            options.host = arg;
        } else {
            return Usage();
        }
    }
    if (options.host.empty() == options.command.empty()) return Usage();
    ovterm::TermSession session(options);
    std::string report;
    const int code = session.Run(&report);
    if (!report.empty()) std::fprintf(stderr, "%s\n", report.c_str());
    return code;
}
