// ovterm: the Wyse 50 terminal inside any terminal curses knows.
//
//   ovterm [OPTIONS] HOST[:PORT]
//   ovterm [OPTIONS] -e COMMAND [ARG...]
//
//   --no-status          no status line below the screen
//   --command-key ^X     the key that opens the command prompt (Ctrl-] unless changed)
//   --wide-lines MODE    double-width lines: "escapes" (the terminal's own, as xterm
//                        has them), "spaces" (a space after each character) or
//                        "auto" (escapes in a real xterm, the default)
//   --mouse              the mouse wheel scrolls the history (the mouse is then
//                        ovterm's: Shift keeps the terminal's selection in xterm)
//
// The command prompt's "help" lists its commands.
#include <cstdio>
#include <string>

#include "tools/ovterm/TermSession.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: ovterm [--no-status] [--command-key ^X] [--wide-lines auto|escapes|spaces] [--mouse]\n"
                 "              HOST[:PORT] | -e COMMAND [ARG...]\n");
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
        } else if (arg == "--mouse") {
            options.mouseWheel = true;
        } else if (arg == "--wide-lines" && i + 1 < argc) {
            const std::string mode = argv[++i];
            using Wide = ovterm::Options::WideLines;
            if (mode == "auto") options.wideLines = Wide::kAuto;
            else if (mode == "escapes") options.wideLines = Wide::kEscapes;
            else if (mode == "spaces") options.wideLines = Wide::kSpaces;
            else return Usage();
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
