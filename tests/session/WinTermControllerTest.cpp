// The program's controller: what it builds, how key-down messages become
// key strings, and what socket notifications do to the title.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emu/CWyse50Emulator.h"
#include "net/CTelnetComm.h"
#include "session/CWinTermController.h"
#include "session/ControllerPlatform.h"
#include "support/TempDirectory.h"
#include "tools/replay/CaptureDevices.h"
#include "tools/replay/HeadlessPort.h"
#include "view/CWinTermView.h"

namespace {

class NotingPort : public CHeadlessPort {
public:
    int MessageBox(const char* text, const char* caption, unsigned type) override {
        boxes.push_back(std::string(caption) + ": " + text + " /" + std::to_string(type));
        return 1;
    }
    void SetCaption(const char* text) override {
        caption = text;
        captions.push_back(text);
    }
    std::vector<std::string> boxes;
    std::string caption;
    std::vector<std::string> captions;
};

class FakePlatform : public CControllerPlatform {
public:
    CWindowPort* WindowPort() override { return &port; }
    void* SocketEventTarget() override { return nullptr; }
    bool IsKeyDown(unsigned vk) override {
        for (unsigned k : down)
            if (k == vk) return true;
        return false;
    }
    CTermPrinter* CreatePrinter() override { return printerAvailable ? new CCapturePrinter : nullptr; }
    int ShowMessage(const char* text, const char* caption, unsigned type) override {
        return port.MessageBox(text, caption, type);
    }
    void RequestQuit(int code) override { quits.push_back(code); }

    NotingPort port;
    std::vector<unsigned> down;
    bool printerAvailable = true;
    std::vector<int> quits;
};

// Replaces the telnet transport with one that is connected and keeps what it is sent.
CCaptureComm* CaptureSends(CWinTermController& controller, CWinTermView* view) {
    int status = 0;
    auto* capture = new CCaptureComm(&status, view, controller.Emulator());
    delete controller.Comms();
    controller.AdoptComms(capture);
    controller.Emulator()->SetTransport(capture);
    return capture;
}

TEST(WinTermController, BuildsViewPrinterWyse50EmulatorAndTelnet) {
    FakePlatform platform;
    int status = -1;
    CWinTermView* view = nullptr;
    CWinTermController controller(&status, &platform, CTermController::kWyse50Emulator, &view);
    EXPECT_EQ(status, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(controller.View(), view);
    EXPECT_NE(controller.Printer(), nullptr);
    EXPECT_NE(dynamic_cast<CWyse50Emulator*>(controller.Emulator()), nullptr);
    auto* telnet = dynamic_cast<CTelnetComm*>(controller.Comms());
    ASSERT_NE(telnet, nullptr);
    EXPECT_STREQ(telnet->TerminalType(), "wy50");
    EXPECT_TRUE(platform.quits.empty());
    EXPECT_EQ(platform.port.caption, "Orvane Terminal Emulator - (None)");
}

TEST(WinTermController, AMissingPrinterIsReportedAndTheRestIsStillBuilt) {
    FakePlatform platform;
    platform.printerAvailable = false;
    int status = -1;
    CWinTermView* view = nullptr;
    CWinTermController controller(&status, &platform, CTermController::kWyse50Emulator, &view);
    EXPECT_EQ(platform.port.boxes, (std::vector<std::string>{"WinOvTerm: Cannot allocate enough memory. /48"}));
    EXPECT_EQ(platform.quits, (std::vector<int>{0}));
    EXPECT_NE(controller.Emulator(), nullptr);
    EXPECT_NE(controller.Comms(), nullptr);
}

TEST(WinTermController, KeyDownAddsModifiersAndSendsEveryMatchingPair) {
    const struct {
        unsigned vk;
        std::vector<unsigned> down;
        std::string sent;
    } cases[] = {
        {0x70, {}, "\x01@\r"},                       // F1
        {0x2F, {}, "\x01@\r"},                       // Help shares F1's code
        {0x70, {0x10, 0x11}, "\x01`\r"},             // Shift+Ctrl+F1: Shift wins
        {0x70, {0x11, 0x12}, "\x01j\r"},             // Ctrl+Alt+F1: Alt before Ctrl
        {0x26, {0x11}, "\x1b{"},                     // Ctrl+Up
        {0x25, {0x10}, ""},                          // Shift+Left sends nothing
        {0x03, {0x11}, "\x7f"},                      // Ctrl+Break
        {0x41, {}, ""},                              // 'A' is a character, not a key
    };
    for (const auto& c : cases) {
        FakePlatform platform;
        int status = 0;
        CWinTermView* view = nullptr;
        CWinTermController controller(&status, &platform, CTermController::kWyse50Emulator, &view);
        CCaptureComm* capture = CaptureSends(controller, view);
        platform.down = c.down;
        controller.KeyDown(c.vk);
        EXPECT_EQ(capture->sent, c.sent) << std::hex << c.vk;
    }
}

TEST(WinTermController, AClosedConnectionResetsTheTitle) {
    FakePlatform platform;
    int status = 0;
    CWinTermView* view = nullptr;
    CWinTermController controller(&status, &platform, CTermController::kWyse50Emulator, &view);
    view->SetHostName("pickhost");
    EXPECT_EQ(platform.port.caption, "Orvane Terminal Emulator - pickhost");
    controller.OnSocketEvent(0);  // nothing to read: the title stays
    EXPECT_EQ(platform.port.caption, "Orvane Terminal Emulator - pickhost");
    controller.OnSocketEvent(1);
    EXPECT_EQ(platform.port.caption, "Orvane Terminal Emulator - (None)");
}

TEST(WinTermController, TitleSaysWhomItIsTryingWhileConnecting) {
    FakePlatform platform;
    int status = -1;
    CWinTermView* view = nullptr;
    CWinTermController controller(&status, &platform, CTermController::kWyse50Emulator, &view);
    ASSERT_EQ(status, 0);
    CaptureSends(controller, view);
    char host[64] = "orders.example";
    platform.port.captions.clear();
    ASSERT_EQ(controller.Connect(host), 1);
    const std::vector<std::string> expected = {"Orvane Terminal Emulator - Trying to connect to (orders.example)",
                                               "Orvane Terminal Emulator - orders.example"};
    EXPECT_EQ(platform.port.captions, expected);
}

}  // namespace
