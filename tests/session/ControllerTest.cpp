// The controller's send path, connect failures and emulator creation, and
// the transport base's handling of socket notifications.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emu/CWyse50Emulator.h"
#include "session/CTermController.h"
#include "tools/replay/CaptureDevices.h"
#include "tools/replay/HeadlessPort.h"
#include "view/CWinTermView.h"

namespace {

// A port that keeps beeps, captions and message boxes.
class NotingPort : public CHeadlessPort {
public:
    void Beep() override { ++beeps; }
    void SetCaption(const char* text) override { caption = text; }
    int MessageBox(const char* text, const char* caption, unsigned type) override {
        boxes.push_back(std::string(caption) + ": " + text + " /" + std::to_string(type));
        return 1;
    }
    int beeps = 0;
    std::string caption;
    std::vector<std::string> boxes;
};

// A transport whose connection state, reads and errors a test sets.
class ScriptedComm : public CTermComm {
public:
    ScriptedComm(int* status, CTermView* sink, CRxHandler* handler) : CTermComm(status, sink, handler) {}
    int CheckError(const char*) override { return pendingError; }
    int Connect(char*) override { return connected = acceptConnect; }
    int Disconnect() override {
        ++disconnects;
        connected = 0;
        return 1;
    }
    int IsConnected() override { return connected; }
    int Receive(char* buffer, int* length) override {
        if (failRead) {
            *length = 0;
            return 0;
        }
        int n = static_cast<int>(incoming.size()) < *length ? static_cast<int>(incoming.size()) : *length;
        incoming.copy(buffer, static_cast<size_t>(n));
        incoming.erase(0, static_cast<size_t>(n));
        *length = n;
        return 1;
    }
    int Send(const char* data, int length) override {
        sent.append(data, static_cast<size_t>(length));
        return length;
    }

    int connected = 0, acceptConnect = 0, pendingError = 0, disconnects = 0;
    bool failRead = false;
    std::string incoming, sent;
};

struct Session {
    Session() {
        int failed = 0;
        view = new CWinTermView(&controller, &failed, &port);
        controller.AdoptView(view);
        controller.AdoptPrinter(new CCapturePrinter);
        int status = 0;
        comms = new ScriptedComm(&status, view, nullptr);
        controller.AdoptComms(comms);
        controller.CreateEmulator(&status, view, nullptr, CTermController::kWyse50Emulator);
    }
    NotingPort port;
    CTermController controller;
    CWinTermView* view = nullptr;
    ScriptedComm* comms = nullptr;
};

TEST(ControllerSend, TypingWhileDisconnectedBeepsOncePerCallAndSendsNothing) {
    Session s;
    s.controller.SendToHost("a", 1);
    s.controller.SendToHost("b", 1);
    EXPECT_EQ(s.port.beeps, 2);
    EXPECT_EQ(s.comms->sent, "");
}

TEST(ControllerSend, ConnectedDataGoesToTheTransport) {
    Session s;
    s.comms->connected = 1;
    s.controller.SendToHost("ls\r\n", 4);
    EXPECT_EQ(s.comms->sent, "ls\r\n");
    EXPECT_EQ(s.port.beeps, 0);
}

TEST(ControllerSend, LocalModeLoopsTypedBytesIntoTheEmulator) {
    Session s;
    s.comms->connected = 1;
    s.controller.SetLocalMode(1);
    s.controller.SendToHost("hi\x1bG4", 5);
    EXPECT_EQ(s.comms->sent, "");
    EXPECT_EQ(s.view->GetCharAt(0, 0), 'h');
    EXPECT_EQ(s.view->GetAttrAt(0, 2) & cell::kReverse, cell::kReverse);
}

TEST(ControllerSend, HostRepliesFollowTheSamePath) {
    Session s;
    s.comms->connected = 1;
    const char enq = 0x05;
    s.controller.Emulator()->OnReceive(&enq, 1);
    s.controller.Emulator()->OnReceive("\x1b ", 2);
    EXPECT_EQ(s.comms->sent, "`W");
}

TEST(ControllerConnect, AFailedConnectShowsOneBoxAndResetsTheTitle) {
    Session s;
    char host[] = "nowhere.invalid";
    EXPECT_EQ(s.controller.Connect(host), 0);
    EXPECT_EQ(s.port.boxes,
              (std::vector<std::string>{"Connection Failed!: Unable to connect - (nowhere.invalid) /0"}));
    EXPECT_EQ(s.port.caption, "Orvane Terminal Emulator - (None)");
}

TEST(ControllerConnect, TheFailureTextIsCutTo99Characters) {
    Session s;
    std::string longHost(300, 'h');
    EXPECT_EQ(s.controller.Connect(longHost.data()), 0);
    ASSERT_EQ(s.port.boxes.size(), 1u);
    std::string text = s.port.boxes[0].substr(std::string("Connection Failed!: ").size());
    text = text.substr(0, text.rfind(" /"));
    EXPECT_EQ(text.size(), 99u);
    EXPECT_EQ(text.substr(0, 22), "Unable to connect - (h");
}

TEST(ControllerConnect, ASuccessfulConnectNamesTheHostInTheTitle) {
    Session s;
    s.comms->acceptConnect = 1;
    char host[] = "pickhost";
    EXPECT_EQ(s.controller.Connect(host), 1);
    EXPECT_TRUE(s.port.boxes.empty());
    EXPECT_EQ(s.port.caption, "Orvane Terminal Emulator - pickhost");
    EXPECT_EQ(s.controller.IsConnected(), 1);
}

TEST(ControllerEmulator, CreateEmulatorByTypeAndRewiresTheTransport) {
    Session s;
    int status = -1;
    s.controller.CreateEmulator(&status, s.view, s.comms, CTermController::kPlainEmulator);
    EXPECT_EQ(status, 0);
    ASSERT_NE(s.controller.Emulator(), nullptr);
    EXPECT_EQ(dynamic_cast<CWyse50Emulator*>(s.controller.Emulator()), nullptr);
    // The plain emulator shows every byte as text, escape included.
    s.comms->incoming = "\x1b=";
    s.comms->OnSocketEvent(0);
    EXPECT_EQ(s.view->GetCharAt(0, 0), 0x1b);
    EXPECT_EQ(s.view->GetCharAt(0, 1), '=');

    s.controller.CreateEmulator(&status, s.view, s.comms, 7);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(s.controller.Emulator(), nullptr) << "an unknown type creates nothing";
}

TEST(CommEvents, DataIsReadAndHandedToTheEmulator) {
    Session s;
    s.comms->SetRxHandler(s.controller.Emulator());
    s.comms->connected = 1;
    s.comms->incoming = "login: ";
    s.comms->OnSocketEvent(0);
    EXPECT_EQ(s.view->GetCharAt(0, 0), 'l');
    EXPECT_EQ(s.view->GetColumn(), 7);
    EXPECT_EQ(s.comms->disconnects, 0);
}

TEST(CommEvents, AReadOfNothingShowsNothingAndPassesNothingOn) {
    Session s;
    s.comms->SetRxHandler(s.controller.Emulator());
    s.comms->OnSocketEvent(0);
    EXPECT_TRUE(s.port.boxes.empty());
    EXPECT_EQ(s.view->GetColumn(), 0);
}

TEST(CommEvents, AReadErrorReportsTheBrokenConnectionAndCloses) {
    Session s;
    s.comms->failRead = true;
    s.comms->connected = 1;
    s.comms->OnSocketEvent(0);
    EXPECT_EQ(s.port.boxes, (std::vector<std::string>{"Error: Connection broken /0"}));
    EXPECT_EQ(s.comms->disconnects, 1);
}

TEST(CommEvents, APeerCloseIsReportedOnlyWithoutAPendingError) {
    Session quiet;
    quiet.comms->OnSocketEvent(1);
    EXPECT_EQ(quiet.port.boxes, (std::vector<std::string>{"OvTerm: Connection lost /0"}));
    EXPECT_EQ(quiet.comms->disconnects, 1);

    Session failing;
    failing.comms->pendingError = 10054;
    failing.comms->OnSocketEvent(1);
    EXPECT_TRUE(failing.port.boxes.empty());
    EXPECT_EQ(failing.comms->disconnects, 1);
}

TEST(CommEvents, TheBaseTransportHasNoLocalAddress) {
    Session s;
    char address[16] = "junk";
    s.comms->GetLocalAddress(address, sizeof address);
    EXPECT_STREQ(address, "");
    // EM then sends the CR alone.
    s.comms->connected = 1;
    static_cast<CTermEmulator*>(s.controller.Emulator())->SetTransport(s.comms);
    s.controller.Emulator()->OnReceive("\x19", 1);
    EXPECT_EQ(s.comms->sent, "\r");
}

}  // namespace
