// Starts another program and waits until it has ended. The command line is
// the five texts joined as they stand (callers supply any blanks); the first
// word names the program, found by the platform's search rules. No shell is
// involved on any platform.
#pragma once

// showState: 0 hidden, 5 shown (the Windows show states). Returns 0 when the
// program cannot be started or the joined command line passes 255
// characters (refused whole, never cut); 1 once the program has run and ended.
// Its exit code is not looked at.
int RunProgramAndWait(const char* text1, const char* text2, const char* text3, const char* text4,
                      const char* text5, int showState);

// What the emulator starts programs through. The terminal uses the system's
// launcher; a replay uses one that only notes the command lines, so a
// recorded stream can never start anything.
class CProgramLauncher {
public:
    virtual ~CProgramLauncher() = default;
    // Answers as RunProgramAndWait does.
    virtual int Run(const char* commandLine, int showState) = 0;
};

// RunProgramAndWait behind the interface; one shared, stateless instance.
CProgramLauncher& SystemLauncher();
