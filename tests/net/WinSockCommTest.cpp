// The TCP transport against real sockets on 127.0.0.1, with events from the
// poll pump, plus its lookups and messages over a fake socket layer.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <regex>
#include <string>

#include "net/CTelnetComm.h"
#include "net/CWinSockComm.h"
#include "net/posix/PosixSockets.h"
#include "net/posix/SocketEventPump.h"
#include "tests/net/FakeSocketLayer.h"
#include "tests/net/LoopbackListener.h"
#include "tests/net/NetHarness.h"

namespace {

// A port on 127.0.0.1 where nothing listens.
int UnusedPort() {
    LoopbackListener probe;
    return probe.port;  // closed again when probe goes
}

struct Client {
    Client() : comms(&status, harness.view, &handler), sink(comms) {}
    int Connect(const std::string& hostText) {
        std::vector<char> host(hostText.begin(), hostText.end());
        host.push_back('\0');
        int result = comms.Connect(host.data());
        rewritten = host.data();
        return result;
    }
    // Pumps until the handler holds count bytes or nothing happens for a
    // long while; the answer is checked by the caller.
    void PumpUntilReceived(size_t count) {
        int idle = 0;
        while (handler.received.size() < count && comms.IsConnected() && idle < 50)
            idle = PumpSocketEvents(comms, 100, sink) ? 0 : idle + 1;
    }
    CViewHarness harness;
    CKeepingHandler handler;
    int status = -1;
    CTelnetComm comms;
    CForwardingSink sink;
    std::string rewritten;
};

TEST(SocketLoopback, ConnectsToHostAndPortAndKeepsTheText) {
    LoopbackListener server;
    Client client;
    ASSERT_EQ(client.status, 0);
    ASSERT_EQ(client.Connect(server.HostText()), 1);
    EXPECT_EQ(client.comms.IsConnected(), 1);
    EXPECT_GE(server.Accept(), 0);
    EXPECT_EQ(client.rewritten, server.HostText());
    EXPECT_TRUE(client.harness.port.boxes.empty());
}

TEST(SocketLoopback, BurstAboveFiveHundredBytesArrivesInReadsOfAtMost500) {
    LoopbackListener server;
    Client client;
    ASSERT_EQ(client.Connect(server.HostText()), 1);
    ASSERT_GE(server.Accept(), 0);
    std::string burst;
    for (int i = 0; i < 1300; ++i) burst.push_back(static_cast<char>('a' + i % 26));
    server.Write(burst);
    client.PumpUntilReceived(burst.size());
    EXPECT_EQ(client.handler.received, burst);
    EXPECT_GE(client.handler.chunks.size(), 3u);
    for (int chunk : client.handler.chunks) EXPECT_LE(chunk, 500);
}

TEST(SocketLoopback, TelnetNegotiationIsAnsweredOverTheWire) {
    LoopbackListener server;
    Client client;
    ASSERT_EQ(client.Connect(server.HostText()), 1);
    ASSERT_GE(server.Accept(), 0);
    server.Write("\xff\xfd\x18\xff\xfa\x18\x01\xff\xf0login: ");
    client.PumpUntilReceived(7);
    EXPECT_EQ(client.handler.received, "login: ");
    std::string expected = std::string("\xff\xfb\x18\xff\xfa\x18\x00wy50\xff\xf0", 13);
    std::string got;
    while (got.size() < expected.size()) {
        std::string more = server.ReadSome(64, 5000);
        if (more.empty()) break;
        got += more;
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(client.comms.Send("\xffuser\r\n", 7), 7);
    EXPECT_EQ(server.ReadSome(64, 5000), "\xff\xffuser\r\n");
}

TEST(SocketLoopback, ConnectingWhileConnectedClosesTheOldSocket) {
    LoopbackListener first, second;
    Client client;
    ASSERT_EQ(client.Connect(first.HostText()), 1);
    ASSERT_GE(first.Accept(), 0);
    ASSERT_EQ(client.Connect(second.HostText()), 1);
    ASSERT_GE(second.Accept(), 0);
    EXPECT_TRUE(first.SeesEndOfStream());
    EXPECT_EQ(client.comms.IsConnected(), 1);
}

TEST(SocketLoopback, RefusedConnectionFailsQuietlyWithTheRefusalCode) {
    Client client;
    EXPECT_EQ(client.Connect("127.0.0.1:" + std::to_string(UnusedPort())), 0);
    EXPECT_EQ(client.comms.IsConnected(), 0);
    EXPECT_EQ(client.comms.CheckError(""), 10061);
    EXPECT_TRUE(client.harness.port.boxes.empty());
    EXPECT_EQ(PumpSocketEvents(client.comms, 1000, client.sink), 0);
}

TEST(SocketLoopback, UnknownHostShowsTheNetworkMessage) {
    Client client;
    EXPECT_EQ(client.Connect("no-such-host.invalid"), 0);
    ASSERT_EQ(client.harness.port.boxes.size(), 1u);
    const CBoxPort::Box& box = client.harness.port.boxes[0];
    EXPECT_EQ(box.caption, "Network Message");
    EXPECT_EQ(box.type, 0x30u);
    EXPECT_TRUE(std::regex_match(box.text, std::regex("\\[1100[1-4]\\] [^]*\\.\rMake sure 'no-such-host\\.invalid' "
                                                      "is listed in the 'hosts' file\\.")))
        << box.text;
}

TEST(SocketLoopback, LargeSendToASlowReaderArrivesCompleteAndInOrder) {
    LoopbackListener server;
    Client client;
    ASSERT_EQ(client.Connect(server.HostText()), 1);
    ASSERT_GE(server.Accept(), 0);
    // Small buffers on both ends: the socket cannot take the block at once.
    int small = 64 * 1024;
    ::setsockopt(server.peer, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ::setsockopt(PosixDescriptor(client.comms.Handle()), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);

    std::string first(6 << 20, '\0'), second(100000, '\0');
    for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<char>((i * 7 + i / 251) % 255);  // no 0xFF
    for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<char>('A' + i % 26);
    ASSERT_EQ(client.comms.Send(first.data(), static_cast<int>(first.size())), static_cast<int>(first.size()));
    EXPECT_TRUE(client.comms.HasPendingOutput());
    ASSERT_EQ(client.comms.Send(second.data(), static_cast<int>(second.size())), static_cast<int>(second.size()));

    const std::string expected = first + second;
    std::string got;
    while (got.size() < expected.size()) {
        PumpSocketEvents(client.comms, 0, client.sink);
        std::string more = server.ReadSome(64 * 1024, 5000);
        if (more.empty() && !client.comms.HasPendingOutput()) break;
        got += more;
    }
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
    EXPECT_GT(client.sink.writables, 0);
    EXPECT_FALSE(client.comms.HasPendingOutput());
}

TEST(SocketLoopback, PeerCloseIsReportedAsConnectionLost) {
    LoopbackListener server;
    Client client;
    ASSERT_EQ(client.Connect(server.HostText()), 1);
    ASSERT_GE(server.Accept(), 0);
    server.Write("bye");
    ::close(server.peer);
    server.peer = -1;
    int idle = 0;
    while (client.comms.IsConnected() && idle < 50) idle = PumpSocketEvents(client.comms, 100, client.sink) ? 0 : idle + 1;
    EXPECT_EQ(client.handler.received, "bye");
    EXPECT_EQ(client.comms.IsConnected(), 0);
    ASSERT_EQ(client.harness.port.boxes.size(), 1u);
    EXPECT_EQ(client.harness.port.boxes[0].text, "Connection lost");
    EXPECT_EQ(client.harness.port.boxes[0].caption, "OvTerm");
    EXPECT_EQ(client.sink.events.back(), 1);
}

TEST(SocketLoopback, PumpWithoutAConnectionReturnsAtOnce) {
    Client client;
    EXPECT_EQ(PumpSocketEvents(client.comms, 60000, client.sink), 0);
    EXPECT_TRUE(client.sink.events.empty());
}

TEST(SocketLoopback, LocalAddressIsDottedTextOrEmpty) {
    Client client;
    char address[16];
    std::memset(address, 'z', sizeof address);
    client.comms.GetLocalAddress(address, sizeof address);
    size_t length = strnlen(address, sizeof address);
    ASSERT_LT(length, sizeof address);
    in_addr parsed;
    if (length > 0) {
        EXPECT_EQ(inet_pton(AF_INET, address, &parsed), 1) << address;
    }
}

// Over the fake layer: exact lookups and messages.
struct FakeComm {
    explicit FakeComm(std::function<void(CFakeSocketLayer&)> setUp = nullptr) {
        CFakeSocketLayer* keep = nullptr;
        std::unique_ptr<CSocketLayer> layer = CFakeSocketLayer::Create(&keep);
        fake = keep;
        if (setUp) setUp(*fake);
        comms.reset(new CTelnetComm(&status, harness.view, nullptr, std::move(layer)));
    }
    CViewHarness harness;
    CFakeSocketLayer* fake = nullptr;
    int status = -1;
    std::unique_ptr<CTelnetComm> comms;
};

TEST(WinSockStartup, FailuresAreReportedWithStatusAndMessage) {
    FakeComm noLibrary([](CFakeSocketLayer& f) { f.startupError = 10091; });
    EXPECT_EQ(noLibrary.status, 10091);
    ASSERT_EQ(noLibrary.harness.port.boxes.size(), 1u);
    EXPECT_EQ(noLibrary.harness.port.boxes[0].text, "Couldn't find WINSOCK.DLL");
    EXPECT_EQ(noLibrary.harness.port.boxes[0].caption, "WinOvTerm");
    EXPECT_EQ(noLibrary.harness.port.boxes[0].type, 0x30u);
    EXPECT_EQ(noLibrary.comms->TerminalType(), std::string());

    for (unsigned version : {0x0002u, 0x0201u, 0x0102u}) {
        FakeComm wrong([version](CFakeSocketLayer& f) { f.grantedVersion = version; });
        EXPECT_EQ(wrong.status, 1) << version;
        ASSERT_EQ(wrong.harness.port.boxes.size(), 1u);
        EXPECT_EQ(wrong.harness.port.boxes[0].text, "Couldn't find useable WINSOCK.DLL");
    }
    FakeComm good;
    EXPECT_EQ(good.status, 0);
    EXPECT_TRUE(good.harness.port.boxes.empty());
}

TEST(WinSockCheckError, CodesMapAsTheTransportExpects) {
    const struct {
        int pending, result, closeRequests;
    } cases[] = {{0, 0, 0}, {10035, 0, 0}, {10061, 10061, 0}, {11001, 11001, 0}, {10093, 10093, 1}};
    for (const auto& c : cases) {
        FakeComm f;
        f.fake->lastError = c.pending;
        EXPECT_EQ(f.comms->CheckError("Connection lost:"), c.result) << c.pending;
        EXPECT_EQ(f.fake->closeRequests, c.closeRequests) << c.pending;
    }
}

TEST(WinSockResolve, UnknownNameShowsTheErrorTextAndTheName) {
    FakeComm f;
    char host[] = "nowhere";
    EXPECT_EQ(f.comms->ResolveHost(host), nullptr);
    ASSERT_EQ(f.harness.port.boxes.size(), 1u);
    EXPECT_EQ(f.harness.port.boxes[0].text,
              "[11001] Host not found.\rMake sure 'nowhere' is listed in the 'hosts' file.");
    EXPECT_EQ(f.harness.port.boxes[0].caption, "Network Message");
    EXPECT_EQ(f.harness.port.boxes[0].type, 0x30u);
}

TEST(WinSockResolve, NumericHostWithoutNameIsRewrittenOnlyWhenItFits) {
    const struct {
        const char* typed;
        const char* afterConnect;
        int port;
    } cases[] = {
        {"010.000.000.001", "10.0.0.1", 23},
        {"010.000.000.001:2323", "10.0.0.1:2323", 2323},
        {"10.1", "10.1", 23},  // "10.0.0.1" would not fit in place
        {"10.1:99", "10.1:99", 99},
    };
    for (const auto& c : cases) {
        FakeComm f([](CFakeSocketLayer& layer) {
            layer.numeric = {{"010.000.000.001", 0x0100000Au}, {"10.1", 0x0100000Au}};
            layer.reverseKnown = true;
        });
        std::string typed = c.typed;
        ASSERT_EQ(f.comms->Connect(&typed[0]), 1) << c.typed;
        EXPECT_EQ(std::string(typed.c_str()), c.afterConnect);
        EXPECT_EQ(f.fake->connectedAddress, 0x0100000Au);
        EXPECT_EQ(f.fake->connectedPort, c.port);
        EXPECT_TRUE(f.harness.port.boxes.empty());
    }
}

TEST(WinSockResolve, NumericHostWithoutAnyEntryFailsWithTheNameError) {
    FakeComm f([](CFakeSocketLayer& layer) { layer.numeric = {{"10.0.0.9", 0x0900000Au}}; });
    char host[] = "10.0.0.9";
    EXPECT_EQ(f.comms->Connect(host), 0);
    ASSERT_EQ(f.harness.port.boxes.size(), 1u);
    EXPECT_EQ(f.harness.port.boxes[0].text.substr(0, 24), "[11001] Host not found.\r");
    EXPECT_EQ(f.fake->closes, 1);  // the socket opened for the attempt
}

TEST(WinSockLocalAddress, CopiedOnlyWhenItFits) {
    const struct {
        const char* localName;
        std::uint32_t address;
        int size;
        const char* expected;
    } cases[] = {
        {"me", 0x7B7B7B7Bu, 16, "123.123.123.123"},
        {"me", 0x7B7B7B7Bu, 15, ""},
        {"me", 0x0100007Fu, 16, "127.0.0.1"},
        {"me", 0x0100007Fu, 9, ""},
        {"me", 0x0100007Fu, 10, "127.0.0.1"},
        {"", 0x0100007Fu, 16, ""},         // no local name
        {"stranger", 0x0100007Fu, 16, ""},  // name without an entry
    };
    for (const auto& c : cases) {
        FakeComm f([&c](CFakeSocketLayer& layer) {
            layer.localName = c.localName;
            layer.names = {{"me", c.address}};
        });
        char out[32];
        std::memset(out, 'z', sizeof out);
        f.comms->GetLocalAddress(out, c.size);
        EXPECT_EQ(std::string(out), c.expected) << c.localName << " " << c.size;
    }
}

}  // namespace
