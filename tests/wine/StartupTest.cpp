// A start the window system refuses: the program says nothing it cannot
// show, ends with its failure code, and does not crash on the way out.
#include <cstdlib>
#include <string>

#include "WineHarness.h"

namespace {

class Startup : public ovwine::WineTest {};

TEST_F(Startup, AWindowThatCannotBeCreatedEndsTheProgramCleanly) {
    // A display nobody serves: Wine's window driver fails every window the
    // program creates, after the window procedure has seen WM_NCCREATE.
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    setenv("DISPLAY", ":4093", 1);
    ovwine::WineProcess program;
    std::string error;
    const bool started = program.Start(ovwine::ProgramPath("WinOvTerm.exe"), {}, error);
    setenv("DISPLAY", saved.c_str(), 1);
    ASSERT_TRUE(started) << error;
    const int code = program.Wait(60000);
    EXPECT_EQ(code, 1) << program.Output();
    EXPECT_EQ(program.Output().find("Unhandled"), std::string::npos) << program.Output();
}

}  // namespace
