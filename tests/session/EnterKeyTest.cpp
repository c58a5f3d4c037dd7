// What a typed character sends, and the controller's choice between CR LF and
// CR alone for Enter, over a real telnet connection on 127.0.0.1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/CTelnetComm.h"
#include "net/posix/SocketEventPump.h"
#include "session/TypedInput.h"
#include "tests/net/LoopbackListener.h"
#include "tests/net/NetHarness.h"
#include "tools/replay/CaptureDevices.h"

namespace {

struct BlockCase {
    char ch;
    unsigned repeat;
    bool crAlone;
    std::string bytes;
    bool tooMany;
};

TEST(TypedBlock, RepeatsTheCharacterAndEndsReturnAsAsked) {
    const std::vector<BlockCase> cases = {
        {'a', 1, false, "a", false},
        {'a', 3, true, "aaa", false},
        {'\r', 1, false, "\r\n", false},
        {'\r', 1, true, "\r", false},
        {'\r', 3, false, "\r\n\r\n\r\n", false},
        {'\r', 3, true, "\r\r\r", false},
        {'\n', 2, true, "\n\n", false},
        {'x', 0, false, "", false},
        {'x', typed::kMaxRepeat, false, std::string(typed::kMaxRepeat, 'x'), false},
        {'x', typed::kMaxRepeat + 1, false, std::string(typed::kMaxRepeat, 'x'), true},
        {'\r', 5000, true, std::string(typed::kMaxRepeat, '\r'), true},
    };
    for (const BlockCase& c : cases) {
        bool tooMany = !c.tooMany;
        EXPECT_EQ(typed::BuildBlock(c.ch, c.repeat, &tooMany, c.crAlone), c.bytes)
            << int(c.ch) << " x" << c.repeat << (c.crAlone ? " alone" : "");
        EXPECT_EQ(tooMany, c.tooMany) << int(c.ch) << " x" << c.repeat;
    }
    EXPECT_EQ(typed::BuildBlock('\r', 2, nullptr, false), "\r\n\r\n");
}

// A controller with a real telnet transport connected to a listener we drive.
struct TelnetSession {
    TelnetSession() {
        int status = -1;
        comms = new CTelnetComm(&status, harness.view, &handler);
        EXPECT_EQ(status, 0);
        harness.controller.AdoptComms(comms);
    }
    bool Connect() {
        std::string text = server.HostText();
        std::vector<char> host(text.begin(), text.end());
        host.resize(text.size() + 64, '\0');
        return harness.controller.Connect(host.data()) == 1 && server.Accept() >= 0;
    }
    // The host negotiates; returns once our reply has reached it.
    std::string Negotiate(const std::string& command, size_t replyLength) {
        server.Write(command);
        CForwardingSink sink(*comms);
        std::string reply;
        for (int i = 0; i < 50 && reply.size() < replyLength; ++i) {
            PumpSocketEvents(*comms, 100, sink);
            reply += server.ReadSome(64, 0);
        }
        return reply;
    }
    // Enter as the main window types it; returns what the host received.
    std::string PressEnter() {
        std::string block = typed::BuildBlock('\r', 1, nullptr, harness.controller.EnterSendsCrAlone());
        harness.controller.SendToHost(block.data(), static_cast<int>(block.size()));
        return server.ReadSome(64, 5000);
    }
    LoopbackListener server;
    CKeepingHandler handler;
    CViewHarness harness;  // owns the transport, which points at handler
    CTelnetComm* comms = nullptr;  // owned by the controller
};

TEST(EnterKey, SendsCrAloneOnlyWhileOurSideOfBinaryIsOn) {
    TelnetSession s;
    ASSERT_TRUE(s.Connect());
    EXPECT_FALSE(s.harness.controller.EnterSendsCrAlone());
    EXPECT_EQ(s.PressEnter(), "\r\n");

    EXPECT_EQ(s.Negotiate(std::string("\xff\xfd\x00", 3), 3), std::string("\xff\xfb\x00", 3));  // DO BINARY -> WILL
    EXPECT_TRUE(s.harness.controller.EnterSendsCrAlone());
    EXPECT_EQ(s.PressEnter(), "\r");

    // Pasted text goes straight to SendToHost and keeps its line ends.
    s.harness.controller.SendToHost("a\r\nb", 4);
    EXPECT_EQ(s.server.ReadSome(64, 5000), "a\r\nb");

    EXPECT_EQ(s.Negotiate(std::string("\xff\xfe\x00", 3), 3), std::string("\xff\xfc\x00", 3));  // DONT BINARY -> WONT
    EXPECT_FALSE(s.harness.controller.EnterSendsCrAlone());
    EXPECT_EQ(s.PressEnter(), "\r\n");
}

TEST(EnterKey, LocalModeAndALostConnectionGoBackToCrLf) {
    TelnetSession s;
    ASSERT_TRUE(s.Connect());
    ASSERT_EQ(s.Negotiate(std::string("\xff\xfd\x00", 3), 3).size(), 3u);
    ASSERT_TRUE(s.harness.controller.EnterSendsCrAlone());

    s.harness.controller.SetLocalMode(1);
    EXPECT_FALSE(s.harness.controller.EnterSendsCrAlone());
    s.harness.controller.SetLocalMode(0);
    EXPECT_TRUE(s.harness.controller.EnterSendsCrAlone());

    ::close(s.server.peer);
    s.server.peer = -1;
    CForwardingSink sink(*s.comms);
    for (int i = 0; i < 50 && s.comms->IsConnected(); ++i) PumpSocketEvents(*s.comms, 100, sink);
    ASSERT_EQ(s.comms->IsConnected(), 0);
    EXPECT_FALSE(s.harness.controller.EnterSendsCrAlone());
}

TEST(EnterKey, TransportsWithoutTelnetAlwaysSendCrLf) {
    CViewHarness harness;
    EXPECT_FALSE(harness.controller.EnterSendsCrAlone());  // no transport at all
    int status = 0;
    harness.controller.AdoptComms(new CCaptureComm(&status, harness.view, nullptr));
    ASSERT_TRUE(harness.controller.IsConnected());
    EXPECT_FALSE(harness.controller.EnterSendsCrAlone());
}

}  // namespace
