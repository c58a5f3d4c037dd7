// ovreplay: feeds captured host output through a fresh emulator and screen
// and prints the screen it produced.
//
//   ovreplay [--cursor] [--cells] [--sent] [--workdir DIR] FILE...
//
// FILE "-" is standard input. Without --workdir the emulator works in a
// private temporary directory that is removed afterwards, so no file is left
// behind.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "tools/replay/ReplaySession.h"

namespace fs = std::filesystem;

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

// A fresh directory under the system's temporary directory.
fs::path MakePrivateDirectory() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("ovreplay-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) return candidate;
    }
    return {};
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

    std::error_code ec;
    fs::path original = fs::current_path(ec);
    fs::path workdir = options.workdir.empty() ? MakePrivateDirectory() : fs::path(options.workdir);
    if (workdir.empty() || (fs::current_path(workdir, ec), ec)) {
        std::fprintf(stderr, "ovreplay: cannot work in %s\n",
                     workdir.empty() ? "a temporary directory" : workdir.string().c_str());
        return 2;
    }

    std::vector<std::string> rows, cells;
    std::string cursor, sent;
    {
        ReplaySession session(stderr);
        for (const std::string& bytes : inputs) session.Feed(bytes);
        rows = session.Rows();
        cursor = session.Cursor();
        cells = session.CellRows();
        sent = session.Sent();
    }

    fs::current_path(original, ec);
    if (options.workdir.empty()) fs::remove_all(workdir, ec);

    for (const std::string& row : rows) std::printf("%s\n", row.c_str());
    if (options.cursor) std::printf("cursor %s\n", cursor.c_str());
    if (options.cells)
        for (const std::string& row : cells) std::printf("%s\n", row.c_str());
    if (options.sent) {
        std::printf("sent");
        for (unsigned char c : sent) std::printf(" %02x", c);
        std::printf("\n");
    }
    return 0;
}
