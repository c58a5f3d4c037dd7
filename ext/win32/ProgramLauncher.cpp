// The launcher on Windows: CreateProcessA searches for the first word of the
// command line itself (no shell), and the call blocks until the program ends.
#include "ext/ProgramLauncher.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "ext/CommandLine.h"

int RunProgramAndWait(const char* text1, const char* text2, const char* text3, const char* text4,
                      const char* text5, int showState) {
    std::string line;
    if (!cmdline::Join(text1, text2, text3, text4, text5, &line)) return 0;
    // CreateProcessA may write into the command line, so it gets its own buffer.
    char commandLine[cmdline::kMaxLength + 1];
    std::memcpy(commandLine, line.c_str(), line.size() + 1);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showState);
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);

    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr,
                        &startup, &process))
        return 0;
    DWORD waited = WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return waited == WAIT_OBJECT_0 ? 1 : 0;
}
