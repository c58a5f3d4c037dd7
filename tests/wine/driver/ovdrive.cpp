// ovdrive COMMANDS_FILE ANSWERS_FILE: drives a window of another program under
// the same Wine prefix (or Windows) with window messages, one command per line;
// each is answered in ANSWERS_FILE by zero or more lines, then "ok" or
// "error MESSAGE". Stops at the first error. Blank lines and lines starting
// with '#' are skipped. See tests/wine/README.md for the commands.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "Driver.h"

namespace {
// Pixels and DPIs as the programs see them: the driver is as DPI-aware as
// they are, so Windows scales nothing between the two.
void BecomeDpiAware() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto setContext = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (setContext && setContext(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)))) return;
    SetProcessDPIAware();
}
}  // namespace

int main(int argc, char** argv) {
    BecomeDpiAware();
    if (argc != 3) {
        fprintf(stderr, "usage: ovdrive COMMANDS_FILE ANSWERS_FILE\n");
        return 2;
    }
    FILE* commands = fopen(argv[1], "rb");
    if (!commands) {
        fprintf(stderr, "ovdrive: cannot open %s\n", argv[1]);
        return 2;
    }
    FILE* answers = fopen(argv[2], "wb");
    if (!answers) {
        fprintf(stderr, "ovdrive: cannot create %s\n", argv[2]);
        fclose(commands);
        return 2;
    }
    ovdrive::Driver driver(answers);
    std::string line;
    bool ok = true;
    for (int ch = fgetc(commands); ok && ch != EOF; ch = fgetc(commands)) {
        if (ch != '\n') {
            line += static_cast<char>(ch);
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos && line[line.find_first_not_of(" \t")] != '#')
            ok = driver.Run(line);
        line.clear();
    }
    if (ok && !line.empty() && line.find_first_not_of(" \t") != std::string::npos &&
        line[line.find_first_not_of(" \t")] != '#')
        ok = driver.Run(line);
    fclose(commands);
    fclose(answers);
    return ok ? 0 : 1;
}
