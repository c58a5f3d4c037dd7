// ovreplay: feeds captured host output through a fresh emulator and screen
// and prints the screen it produced.
//
//   ovreplay [--cursor] [--cells] [--sent] [--workdir DIR] FILE...
//
// FILE "-" is standard input. Without --workdir the emulator works in a
// private temporary directory that is removed afterwards, so no file is left
// behind. No program the stream names is ever started; --sent lists each one
// as "run COMMAND LINE" after the bytes sent.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/replay/PrivateDirectory.h"
#include "tools/replay/ReplaySession.h"

namespace {

struct Options {
    bool cursor = false;
    bool cells = false;
    bool sent = false;
    std::string workdir;
    std::vector<std::string> files;
};

int Usage() {
    std::fprintf(stderr, "usage: ovreplay [--cursor] [--cells] [--sent] [--workdir DIR] FILE...\n");
    return 2;
}

bool ReadInput(const std::string& name, std::string* out) {
    if (name == "-") {
        out->assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--cursor") options.cursor = true;
        else if (arg == "--cells") options.cells = true;
        else if (arg == "--sent") options.sent = true;
        else if (arg == "--workdir" && i + 1 < argc) options.workdir = argv[++i];
        else if (arg.size() > 1 && arg[0] == '-' && arg != "-") return Usage();
        else options.files.push_back(arg);
    }
    if (options.files.empty()) return Usage();

    // Everything is read before the working directory changes, so relative
    // names mean what the user typed.
    std::vector<std::string> inputs;
    for (const std::string& name : options.files) {
        std::string bytes;
        if (!ReadInput(name, &bytes)) {
            std::fprintf(stderr, "ovreplay: cannot read %s: %s\n", name.c_str(), std::strerror(errno));
            return 2;
        }
        inputs.push_back(std::move(bytes));
    }

    std::vector<std::string> rows, cells, runs;
    std::string cursor, sent;
    {
        PrivateDirectory workdir(options.workdir);
        if (!workdir.Ok()) {
            std::fprintf(stderr, "ovreplay: cannot work in %s\n", workdir.Describe().c_str());
            return 2;
        }
        ReplaySession session(stderr);
        for (const std::string& bytes : inputs) session.Feed(bytes);
        rows = session.Rows();
        cursor = session.Cursor();
        cells = session.CellRows();
        sent = session.Sent();
        runs = session.Runs();
    }

    for (const std::string& row : rows) std::printf("%s\n", row.c_str());
    if (options.cursor) std::printf("cursor %s\n", cursor.c_str());
    if (options.cells)
        for (const std::string& row : cells) std::printf("%s\n", row.c_str());
    if (options.sent) {
        std::printf("sent");
        for (unsigned char c : sent) std::printf(" %02x", c);
        std::printf("\n");
        for (const std::string& run : runs) std::printf("run %s\n", run.c_str());
    }
    return 0;
}
