// The print server's handling of connections, on real loopback sockets:
// what each connection prints, the status lines it leaves, and how the
// ports recover from failures.
#include <gtest/gtest.h>

#include "netspool/ServerTestSupport.h"
#include "netspool/PortSetup.h"
#include "netspool/StatusText.h"
#include "settings/SettingsTestSupport.h"

using namespace netspool;
using namespace netspooltest;

namespace {

class PrintServerTest : public ::testing::Test {
protected:
    settingstest::ScopedConfigHome home{settingstest::Layout::Registry};

    void AssignAll(const char* printer) {
        for (int i = 0; i < kPortCount; ++i) WritePortSetting(i, printer);
    }
    static std::string Line(PortLine line, int index) {
        return PortStatusLine(line, std::to_string(10 + index).c_str());
    }
};

TEST_F(PrintServerTest, EachConnectionBecomesOneRawDocumentWithItsOwnLines) {
    AssignAll("lp0");
    ServerRig rig;
    ASSERT_EQ(rig.started, StartResult::kStarted) << (rig.frontEnd.messages.empty() ? "" : rig.frontEnd.messages[0]);
    for (int index : {0, 1}) {
        const std::string data = TestPattern(300000, static_cast<unsigned>(index));
        {
            Client client(rig.TcpPort(index));
            ASSERT_TRUE(client.Connected());
            client.Send(data);
        }
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents.size() == static_cast<std::size_t>(index + 1) &&
                                               rig.spooler.documents.back().ended; }));
        const RecordedDocument& document = rig.spooler.documents.back();
        EXPECT_EQ(document.printer, "lp0");
        EXPECT_EQ(document.title, "NetSpool Server");
        EXPECT_TRUE(document.data == data) << "port " << index << ": " << document.data.size() << " of "
                                           << data.size() << " bytes";
        EXPECT_EQ(rig.frontEnd.Count(Line(PortLine::kPending, index)), 1);
        EXPECT_EQ(rig.frontEnd.Count(Line(PortLine::kEstablished, index)), 1);
        EXPECT_EQ(rig.frontEnd.Count(Line(PortLine::kClosed, index)), 1);
        EXPECT_EQ(rig.server->Port(index).jobOpen, 0);
    }
    EXPECT_EQ(rig.frontEnd.lines.front(), "Connection Pending : Port 10");
    EXPECT_EQ(rig.frontEnd.Count("Connection closed on Port 10...data has been spooled"), 1);
    EXPECT_EQ(rig.frontEnd.Count("Connection closed on Port 11...data has being spooled"), 1);
    EXPECT_EQ(rig.spooler.OpenHandles(), 0);
}

// Four clients at once, with the one receive buffer shared as on Windows
// and with one per port as in the daemon: four intact documents.
TEST_F(PrintServerTest, FourSimultaneousConnectionsGiveFourIntactDocuments) {
    for (bool perPort : {false, true}) {
        SCOPED_TRACE(perPort ? "buffer per port" : "shared buffer");
        for (int i = 0; i < kPortCount; ++i) WritePortSetting(i, ("printer" + std::to_string(i)).c_str());
        ServerOptions options;
        options.bufferPerPort = perPort;
        options.receiveBufferSize = 4096;
        ServerRig rig(options);
        ASSERT_EQ(rig.started, StartResult::kStarted);
        std::vector<std::unique_ptr<Client>> clients;
        std::vector<std::string> sent;
        for (int i = 0; i < kPortCount; ++i) {
            clients.push_back(std::make_unique<Client>(rig.TcpPort(i)));
            sent.push_back(TestPattern(100000, 40u + static_cast<unsigned>(i)));
        }
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.frontEnd.lines.size() >= 8; }));  // all four accepted
        // Interleaved chunks, so every port has data waiting at once.
        for (std::size_t offset = 0; offset < sent[0].size(); offset += 25000) {
            for (int i = 0; i < kPortCount; ++i) clients[static_cast<std::size_t>(i)]->Send(sent[static_cast<std::size_t>(i)].substr(offset, 25000));
            rig.PumpQuiet(5);
        }
        for (auto& client : clients) client->Close();
        ASSERT_TRUE(rig.PumpUntil([&] {
            int ended = 0;
            for (const auto& d : rig.spooler.documents) ended += d.ended ? 1 : 0;
            return ended == kPortCount;
        }));
        ASSERT_EQ(rig.spooler.documents.size(), 4u);
        for (const RecordedDocument& document : rig.spooler.documents) {
            const int port = document.printer.back() - '0';
            EXPECT_TRUE(document.data == sent[static_cast<std::size_t>(port)]) << document.printer;
        }
    }
}

TEST_F(PrintServerTest, ASecondClientWaitsInTheBacklogUntilTheFirstCloses) {
    AssignAll("lp0");
    ServerRig rig;
    ASSERT_EQ(rig.started, StartResult::kStarted);
    Client first(rig.TcpPort(2));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.server->Port(2).jobOpen == 1; }));
    Client second(rig.TcpPort(2));
    second.Send("second job");
    second.Close();
    first.Send("first job");
    rig.PumpQuiet(200);
    ASSERT_EQ(rig.spooler.documents.size(), 1u) << "the waiting client was accepted while the first was served";
    EXPECT_EQ(rig.frontEnd.Count(Line(PortLine::kPending, 2)), 1);
    first.Close();
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents.size() == 2 && rig.spooler.documents[1].ended; }));
    EXPECT_EQ(rig.spooler.documents[0].data, "first job");
    EXPECT_EQ(rig.spooler.documents[1].data, "second job");
}

TEST_F(PrintServerTest, APortWithoutPrinterAcceptsAndDropsTheData) {
    // Nothing stored at all: every port counts as having no printer.
    ServerRig rig;
    ASSERT_EQ(rig.started, StartResult::kStarted);
    for (int i = 0; i < kPortCount; ++i) {
        EXPECT_EQ(rig.server->Port(i).printerSet, 0);
        EXPECT_STREQ(rig.server->Port(i).printerName, "None");
    }
    {
        Client client(rig.TcpPort(3));
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.frontEnd.Count(Line(PortLine::kNoPrinter, 3)) == 1; }));
        client.Send("lost");
    }
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.server->Port(3).connection == 0; }));
    EXPECT_TRUE(rig.spooler.documents.empty());
    EXPECT_GE(rig.frontEnd.Count("Unable to open printer!"), 1);
    EXPECT_EQ(rig.frontEnd.Count(Line(PortLine::kClosed, 3)), 0);
    EXPECT_EQ(rig.frontEnd.lines[1], "Connection established on Port 13");
    EXPECT_EQ(rig.frontEnd.lines[2], "No printer set for port 13");
}

TEST_F(PrintServerTest, PrinterFailuresAreReportedAndTheNextChunkOpensANewJob) {
    AssignAll("gone");
    ServerRig rig;
    ASSERT_EQ(rig.started, StartResult::kStarted);
    rig.spooler.missingPrinters.insert("gone");
    {
        Client client(rig.TcpPort(0));
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.frontEnd.Count("Error opening printer") == 1; }));
        client.Send("dropped");
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.frontEnd.Count("Unable to open printer!") >= 1; }));
        // The printer comes back: the next chunk opens a job on it.
        rig.spooler.missingPrinters.erase("gone");
        client.Send("printed");
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents.size() == 1; }));
    }
    ASSERT_TRUE(rig.PumpUntil([&] { return !rig.spooler.documents.empty() && rig.spooler.documents[0].ended; }));
    EXPECT_EQ(rig.spooler.documents[0].data, "printed");

    // A write that fails closes the job; the following chunk starts another.
    rig.spooler.writesBeforeFailure = 0;
    Client client(rig.TcpPort(1));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.server->Port(1).jobOpen == 1; }));
    client.Send("refused");
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.frontEnd.Count("Error Writing to Printer") == 1; }));
    EXPECT_EQ(rig.server->Port(1).jobOpen, 0);
    rig.spooler.writesBeforeFailure = -1;
    client.Send("second try");
    client.Close();
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents.size() == 3 && rig.spooler.documents[2].ended; }));
    EXPECT_EQ(rig.spooler.documents[1].data, "");
    EXPECT_TRUE(rig.spooler.documents[1].ended);
    EXPECT_EQ(rig.spooler.documents[2].data, "second try");
    EXPECT_EQ(rig.spooler.OpenHandles(), 0);
}

// Sockets whose accept fails a given number of times.
class FailingAcceptSockets : public CPosixServerSockets {
public:
    using CPosixServerSockets::CPosixServerSockets;
    int failures = 0;
    unsigned granted = 0x0101;
    SocketHandle Accept(SocketHandle listener) override {
        if (failures > 0) {
            --failures;
            return 0;
        }
        return CPosixServerSockets::Accept(listener);
    }
    int Startup(unsigned* version) override {
        *version = granted;
        return 0;
    }
};

TEST_F(PrintServerTest, AFailedAcceptLeavesThePortListening) {
    AssignAll("lp0");
    FailingAcceptSockets sockets("127.0.0.1");
    sockets.failures = 1;
    ServerRig rig(ServerOptions(), &sockets);
    ASSERT_EQ(rig.started, StartResult::kStarted);
    // The rig's pump watches its own sockets object; drive this one by hand.
    auto pump = [&](const std::function<bool()>& done) {
        for (int round = 0; round < 10000 && !done(); ++round) {
            const unsigned event = sockets.WaitForEvent(0, 1);
            if (event) rig.server->OnSocketEvent(0, event);
        }
        return done();
    };
    Client refused(rig.TcpPort(0));
    ASSERT_TRUE(pump([&] { return rig.frontEnd.Count(Line(PortLine::kAcceptFailed, 0)) == 1; }));
    // The same waiting client is offered again, and accepted this time.
    refused.Send("after a failed accept");
    refused.Close();
    ASSERT_TRUE(pump([&] { return rig.spooler.documents.size() == 1 && rig.spooler.documents[0].ended; }));
    EXPECT_EQ(rig.spooler.documents[0].data, "after a failed accept");
}

TEST_F(PrintServerTest, StartFailuresShowTheirMessage) {
    FailingAcceptSockets wrongVersion("127.0.0.1");
    wrongVersion.granted = 0x0202;
    RecordingFrontEnd frontEnd;
    RecordingSpooler spooler;
    CPrintServer server(wrongVersion, frontEnd, {&spooler, &spooler, &spooler, &spooler});
    EXPECT_EQ(server.Start(), StartResult::kNetworkFailed);
    EXPECT_EQ(frontEnd.messages, std::vector<std::string>{"NetSpool Server Error: Network initialization error!"});

    // A port already taken by another listener.
    ServerRig first;
    ASSERT_EQ(first.started, StartResult::kStarted);
    CPosixServerSockets sockets("127.0.0.1");
    RecordingFrontEnd secondFrontEnd;
    ServerOptions options;
    options.basePort = first.TcpPort(0);
    CPrintServer second(sockets, secondFrontEnd, {&spooler, &spooler, &spooler, &spooler}, options);
    EXPECT_EQ(second.Start(), StartResult::kListenerFailed);
    EXPECT_EQ(secondFrontEnd.messages,
              std::vector<std::string>{"Windows Sockets Error: Could not bind socket to address"});
}

// Data sent just before the client goes (or resets) is printed before the
// job ends, and the port takes the next connection.
TEST_F(PrintServerTest, DataBeforeTheEndIsPrintedAndThePortListensAgain) {
    AssignAll("lp0");
    ServerRig rig;
    ASSERT_EQ(rig.started, StartResult::kStarted);
    {
        Client quick(rig.TcpPort(0));
        quick.Send("sent and gone before the accept");
    }
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents.size() == 1 && rig.spooler.documents[0].ended; }));
    EXPECT_EQ(rig.spooler.documents[0].data, "sent and gone before the accept");

    Client reset(rig.TcpPort(0));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.server->Port(0).jobOpen == 1; }));
    reset.Send("half a job");
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents[1].data == "half a job"; }));
    reset.Reset();
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents[1].ended; }));
    EXPECT_EQ(rig.server->Port(0).connection, 0u);

    Client next(rig.TcpPort(0));
    next.Send("next");
    next.Close();
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.spooler.documents.size() == 3 && rig.spooler.documents[2].ended; }));
    EXPECT_EQ(rig.spooler.documents[2].data, "next");
}

}  // namespace
