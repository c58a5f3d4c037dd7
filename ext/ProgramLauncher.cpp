#include "ext/ProgramLauncher.h"

namespace {
class CSystemLauncher : public CProgramLauncher {
public:
    int Run(const char* commandLine, int showState) override {
        return RunProgramAndWait(commandLine, "", "", "", "", showState);
    }
};
}  // namespace

CProgramLauncher& SystemLauncher() {
    static CSystemLauncher launcher;
    return launcher;
}
