// The telnet receive filter and option negotiation, run without sockets:
// a fake socket layer records every reply.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/CTelnetComm.h"
#include "tests/net/FakeSocketLayer.h"

namespace {

const char IAC = '\xff', DONT = '\xfe', DO = '\xfd', WONT = '\xfc', WILL = '\xfb', SB = '\xfa', SE = '\xf0';
const char NOP = '\xf1', GA = '\xf9';

std::string B(std::initializer_list<char> bytes) { return std::string(bytes); }

struct Telnet {
    Telnet() {
        int status = -1;
        comms.reset(new CTelnetComm(&status, nullptr, nullptr, CFakeSocketLayer::Create(&fake)));
        EXPECT_EQ(status, 0);
        char host[] = "host";
        EXPECT_EQ(comms->Connect(host), 1);
    }
    // Filters input in the given pieces; returns the data bytes kept.
    std::string Feed(const std::string& input) { return FeedPieces({input}); }
    std::string FeedPieces(const std::vector<std::string>& pieces) {
        std::string data;
        for (std::string piece : pieces) {
            int kept = comms->FilterInbound(&piece[0], static_cast<int>(piece.size()));
            EXPECT_GE(kept, 0);
            EXPECT_LE(kept, static_cast<int>(piece.size()));
            data.append(piece, 0, static_cast<size_t>(kept));
        }
        return data;
    }
    CFakeSocketLayer* fake = nullptr;
    std::unique_ptr<CTelnetComm> comms;
};

struct FilterCase {
    const char* name;
    std::string input;
    std::string data;
    std::string replies;
};

const std::string kTerminalTypeReply = B({IAC, SB, 24, 0}) + "wy50" + B({IAC, SE});

const std::vector<FilterCase> kFilterCases = {
    {"DoubledIacIsOneDataByte", "A" + B({IAC, IAC}) + "B", "A\xff" "B", ""},
    {"PlainDataPassesUntouched", "hello\r\nworld\x1b=", "hello\r\nworld\x1b=", ""},
    {"TerminalTypeSendIsAnswered", B({IAC, SB, 24, 1, IAC, SE}), "", kTerminalTypeReply},
    {"TerminalTypeRequestAmongData", "ab" + B({IAC, SB, 24, 1, IAC, SE}) + "cd", "abcd", kTerminalTypeReply},
    {"TerminalTypeIsSubcommandGetsNoAnswer", B({IAC, SB, 24, 0, 'x', IAC, SE}) + "z", "z", ""},
    {"DoEchoTwiceIsAcceptedOnce", B({IAC, DO, 1, IAC, DO, 1}), "", B({IAC, WILL, 1})},
    {"WillSgaTwiceIsAcceptedTwice", B({IAC, WILL, 3, IAC, WILL, 3}), "", B({IAC, DO, 3, IAC, DO, 3})},
    {"RepeatedUnsupportedDoRefusedOnce", B({IAC, DO, 31, IAC, DO, 31}), "", B({IAC, WONT, 31})},
    {"OtherRefusalRearmsTheMemory", B({IAC, DO, 31, IAC, DO, 32, IAC, DO, 31}), "",
     B({IAC, WONT, 31, IAC, WONT, 32, IAC, WONT, 31})},
    {"FirstDoForOption4GetsNoAnswer", B({IAC, DO, 4}), "", ""},
    {"FirstWillForOption4GetsNoAnswer", B({IAC, WILL, 4}), "", ""},
    {"FirstWontAndDontForOption4GetNoAnswer", B({IAC, WONT, 4, IAC, DONT, 4}), "", ""},
    {"UnsupportedWillIsRefused", B({IAC, WILL, 2, IAC, WILL, (char)200}), "", B({IAC, DONT, 2, IAC, DONT, (char)200})},
    {"WillAndWontShareOneMemory", B({IAC, WILL, 31, IAC, WONT, 31}), "", B({IAC, DONT, 31})},
    {"LocalAndRemoteMemoriesAreSeparate", B({IAC, DO, 31, IAC, WILL, 31}), "", B({IAC, WONT, 31, IAC, DONT, 31})},
    {"RefusalOfOption255IsNotDoubled", B({IAC, WILL, IAC}), "", B({IAC, DONT, IAC})},
    {"WontForDisabledOptionAnswersDont", B({IAC, WONT, 1}), "", B({IAC, DONT, 1})},
    {"WillThenWontThenWont", B({IAC, WILL, 1, IAC, WONT, 1, IAC, WONT, 1}), "", B({IAC, DO, 1, IAC, DONT, 1})},
    {"DontForDisabledOptionAnswersWont", B({IAC, DONT, 3}), "", B({IAC, WONT, 3})},
    {"DoThenDontThenDont", B({IAC, DO, 0, IAC, DONT, 0, IAC, DONT, 0}), "", B({IAC, WILL, 0, IAC, WONT, 0})},
    {"BinaryEchoSgaTerminalTypeAccepted", B({IAC, DO, 0, IAC, DO, 1, IAC, DO, 3, IAC, DO, 24}), "",
     B({IAC, WILL, 0, IAC, WILL, 1, IAC, WILL, 3, IAC, WILL, 24})},
    {"OtherSubnegotiationIsSwallowed", B({IAC, SB, 31, 'a', 'b', 'c', IAC, SE}) + "Z", "Z", ""},
    {"IacAfterSbTerminalTypeIsTheSubcommand", B({IAC, SB, 24, IAC, 1, 'x', 'y', IAC, SE}) + "Q", "Q", ""},
    {"IacRightAfterSbIsACommand", B({IAC, SB, IAC, IAC}) + "x", "\xffx", ""},
    {"NopGaAndStraySeAreDropped", B({IAC, NOP}) + "a" + B({IAC, GA}) + "b" + B({IAC, SE}) + "c", "abc", ""},
    {"NegotiationBetweenData", "ab" + B({IAC, WILL, 1}) + "cd", "abcd", B({IAC, DO, 1})},
    {"CommandAtTheEndLeavesNoData", "x" + B({IAC, DO}), "x", ""},
    // A bare CR comes as CR NUL from a host that does not send in binary.
    {"CrNulIsABareCr", std::string("a\r\0b\r\nc", 7), "a\rb\r\nc", ""},
    {"NulNotAfterCrIsData", std::string("\0a\0", 3), std::string("\0a\0", 3), ""},
    {"CrNulAcrossACommand", std::string("x\r", 2) + B({IAC, NOP}) + std::string("\0y", 2), "x\ry", ""},
    // Last, as it changes the state for what follows in the joined stream.
    {"CrNulFromABinaryHostIsData", B({IAC, WILL, 0}) + std::string("a\r\0b", 4), std::string("a\r\0b", 4),
     B({IAC, DO, 0})},
};

class TelnetFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(TelnetFilter, DataAndRepliesMatch) {
    const FilterCase& c = GetParam();
    Telnet t;
    EXPECT_EQ(t.Feed(c.input), c.data);
    EXPECT_EQ(t.fake->sent, c.replies);
}

INSTANTIATE_TEST_SUITE_P(Cases, TelnetFilter, ::testing::ValuesIn(kFilterCases),
                         [](const ::testing::TestParamInfo<FilterCase>& info) { return info.param.name; });

// Every command of the cases above, with data in between, in one stream.
std::string NegotiationHeavyStream() {
    std::string all;
    for (const FilterCase& c : kFilterCases) all += c.input + "|";
    return all;
}

TEST(TelnetFilterSplit, EverySplitPositionGivesTheWholeBlockResult) {
    const std::string stream = NegotiationHeavyStream();
    Telnet whole;
    const std::string data = whole.Feed(stream);
    const std::string replies = whole.fake->sent;
    ASSERT_FALSE(replies.empty());

    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        Telnet t;
        EXPECT_EQ(t.FeedPieces({stream.substr(0, cut), stream.substr(cut)}), data) << "cut at " << cut;
        EXPECT_EQ(t.fake->sent, replies) << "cut at " << cut;
    }
}

TEST(TelnetFilterSplit, EveryPairOfCutsAndSingleBytesGiveTheWholeBlockResult) {
    const std::string stream = NegotiationHeavyStream();
    Telnet whole;
    const std::string data = whole.Feed(stream);
    const std::string replies = whole.fake->sent;

    std::vector<std::string> bytes;
    for (char c : stream) bytes.push_back(std::string(1, c));
    Telnet single;
    EXPECT_EQ(single.FeedPieces(bytes), data);
    EXPECT_EQ(single.fake->sent, replies);

    for (size_t a = 0; a < stream.size(); a += 3) {
        for (size_t b = a; b <= stream.size(); ++b) {
            Telnet t;
            std::string got = t.FeedPieces({stream.substr(0, a), stream.substr(a, b - a), stream.substr(b)});
            if (got != data || t.fake->sent != replies) {
                ADD_FAILURE() << "cuts at " << a << " and " << b;
                return;
            }
        }
    }
}

TEST(TelnetFilterState, IacAtTheEndOfOneReadCompletesInTheNext) {
    Telnet t;
    EXPECT_EQ(t.Feed("ab" + B({IAC})), "ab");
    EXPECT_EQ(t.comms->RxState(), 1);
    EXPECT_TRUE(t.fake->sent.empty());
    EXPECT_EQ(t.Feed(B({WILL, 24}) + "c"), "c");
    EXPECT_EQ(t.fake->sent, B({IAC, DO, 24}));
    EXPECT_EQ(t.comms->RxState(), 0);
}

TEST(TelnetFilterState, OptionBitsFollowTheNegotiation) {
    Telnet t;
    t.Feed(B({IAC, DO, 1}));
    EXPECT_EQ(t.comms->LocalOption(1), CTelnetComm::kEnabled | CTelnetComm::kPending);
    t.Feed(B({IAC, DO, 1}));
    EXPECT_EQ(t.comms->LocalOption(1), CTelnetComm::kEnabled);
    t.Feed(B({IAC, WILL, 24}));
    EXPECT_EQ(t.comms->RemoteOption(3), CTelnetComm::kEnabled | CTelnetComm::kPending);
    t.Feed(B({IAC, WONT, 24}));
    EXPECT_EQ(t.comms->RemoteOption(3), CTelnetComm::kPending);
}

TEST(TelnetFilterState, ConnectResetsStateOptionsAndMemories) {
    Telnet t;
    t.Feed(B({IAC, DO, 1, IAC, DO, 31, IAC, SB, 5}));
    EXPECT_NE(t.comms->RxState(), 0);
    char host[] = "host";
    ASSERT_EQ(t.comms->Connect(host), 1);
    EXPECT_EQ(t.comms->RxState(), 0);
    EXPECT_EQ(t.comms->LocalOption(1), 0);
    t.fake->sent.clear();
    // The memories are back at 4: option 31 is refused again, option 4 not.
    t.Feed(B({IAC, DO, 4, IAC, DO, 31}));
    EXPECT_EQ(t.fake->sent, B({IAC, WONT, 31}));
    EXPECT_EQ(t.comms->TerminalType(), std::string("wy50"));
}

TEST(TelnetFilterState, ConnectFailureResetsOptionsToo) {
    Telnet t;
    t.Feed(B({IAC, SB}));
    char host[] = "unknown";
    EXPECT_EQ(t.comms->Connect(host), 0);
    EXPECT_EQ(t.comms->RxState(), 0);
}

TEST(TelnetFilterState, ReceiveFiltersWhatTheSocketDelivers) {
    Telnet t;
    t.fake->incoming = "a" + B({IAC, DO, 3}) + "b" + std::string(600, 'x');
    char buffer[500];
    int length = sizeof buffer;
    ASSERT_EQ(t.comms->Receive(buffer, &length), 1);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(length)), "ab" + std::string(495, 'x'));
    EXPECT_EQ(t.fake->sent, B({IAC, WILL, 3}));
}

struct SendCase {
    const char* name;
    std::string user;
    std::string wire;
};

const std::vector<SendCase> kSendCases = {
    {"PlainBytesUnchanged", "ls -l\r\n", "ls -l\r\n"},
    {"OneIacDoubled", "a\xff" "b", "a\xff\xff" "b"},
    {"OnlyIacs", std::string(3, IAC), std::string(6, IAC)},
    {"CrAndNulUntouched", std::string("\r\0\r\n", 4), std::string("\r\0\r\n", 4)},
};

TEST(TelnetSend, UserDataHasIacDoubledAndLengthIsTheUsersLength) {
    for (const SendCase& c : kSendCases) {
        Telnet t;
        EXPECT_EQ(t.comms->Send(c.user.data(), static_cast<int>(c.user.size())), static_cast<int>(c.user.size()))
            << c.name;
        EXPECT_EQ(t.fake->sent, c.wire) << c.name;
    }
}

TEST(TelnetSend, NothingIsSentWhenNotConnected) {
    CFakeSocketLayer* fake = nullptr;
    int status = -1;
    CTelnetComm comms(&status, nullptr, nullptr, CFakeSocketLayer::Create(&fake));
    EXPECT_EQ(comms.Send("abc", 3), 0);
    std::string request = B({IAC, DO, 1});
    comms.FilterInbound(&request[0], 3);
    EXPECT_TRUE(fake->sent.empty());
    EXPECT_EQ(fake->sendCalls, 0);
}

TEST(TelnetSend, HeldOutputKeepsItsOrderAcrossUserDataAndReplies) {
    Telnet t;
    t.fake->room = 5;
    std::string first = "0123456789";
    EXPECT_EQ(t.comms->Send(first.data(), 10), 10);
    EXPECT_EQ(t.Feed(B({IAC, DO, 1})), "");
    std::string second = "x\xffy";
    EXPECT_EQ(t.comms->Send(second.data(), 3), 3);
    EXPECT_EQ(t.fake->sent, "01234");
    EXPECT_TRUE(t.comms->HasPendingOutput());

    t.fake->room = 3;
    t.comms->OnSocketWritable();
    EXPECT_EQ(t.fake->sent, "01234567");
    t.fake->room = std::numeric_limits<size_t>::max();
    t.comms->OnSocketWritable();
    EXPECT_EQ(t.fake->sent, "0123456789" + B({IAC, WILL, 1}) + "x\xff\xffy");
    EXPECT_FALSE(t.comms->HasPendingOutput());
}

TEST(TelnetFlood, NegotiationFloodFromAHostThatDoesNotReadIsBounded) {
    Telnet t;
    t.fake->room = 0;  // the host never reads
    // Alternating unsupported options defeat the repeat memory: every
    // request wants an answer.
    std::string block;
    for (int i = 0; i < 4000; ++i) block += B({IAC, DO, static_cast<char>(40 + (i & 1))});
    block += B({IAC, SB, 24, 1, IAC, SE});
    for (int round = 0; round < 50; ++round) EXPECT_EQ(t.Feed(block), "");
    EXPECT_LE(t.comms->PendingOutput(), CWinSockComm::kReplyOutputLimit);
    EXPECT_GT(t.comms->DroppedReplyBytes(), 0u);

    // The user's typing is still taken and goes out after the held replies.
    EXPECT_EQ(t.comms->Send("ls\r\n", 4), 4);
    size_t held = t.comms->PendingOutput();
    t.fake->room = std::numeric_limits<size_t>::max();
    t.comms->OnSocketWritable();
    EXPECT_EQ(t.fake->sent.size(), held);
    EXPECT_EQ(t.fake->sent.substr(held - 4), "ls\r\n");
    EXPECT_EQ(t.fake->sent.substr(0, 6), B({IAC, WONT, 40, IAC, WONT, 41}));
}

TEST(TelnetFlood, EndlessSubnegotiationSwallowsWithoutHoldingAnything) {
    Telnet t;
    EXPECT_EQ(t.Feed(B({IAC, SB, 24})), "");
    std::string chunk(64 * 1024, 'w');
    for (int i = 0; i < 160; ++i) {  // 10 MiB
        std::string piece = chunk;
        ASSERT_EQ(t.comms->FilterInbound(&piece[0], static_cast<int>(piece.size())), 0);
    }
    EXPECT_EQ(t.comms->RxState(), 7);
    EXPECT_EQ(t.comms->PendingOutput(), 0u);
    EXPECT_TRUE(t.fake->sent.empty());
    EXPECT_EQ(t.Feed(B({IAC, SE}) + "back"), "back");
}

TEST(TelnetFlood, UserDataBeyondItsBoundIsRefusedWholeNotCut) {
    Telnet t;
    t.fake->room = 0;
    std::string big(CWinSockComm::kUserOutputLimit - 10, 'u');
    EXPECT_EQ(t.comms->Send(big.data(), static_cast<int>(big.size())), static_cast<int>(big.size()));
    EXPECT_EQ(t.comms->Send("0123456789", 10), 10);
    EXPECT_EQ(t.comms->Send("x", 1), 0);
    EXPECT_EQ(t.comms->PendingOutput(), CWinSockComm::kUserOutputLimit);
}

// Whether our side of BINARY is on, after a negotiation stream: the state
// that decides what Enter sends.
struct BinaryCase {
    const char* name;
    std::string input;
    int localBinary;
};

const std::vector<BinaryCase> kBinaryCases = {
    {"OffAfterConnecting", "", 0},
    {"OnAfterDoBinary", B({IAC, DO, 0}), 1},
    {"OnAfterARepeatedDo", B({IAC, DO, 0, IAC, DO, 0}), 1},
    {"OffAfterDont", B({IAC, DO, 0, IAC, DONT, 0}), 0},
    {"OnAgainAfterDontThenDo", B({IAC, DO, 0, IAC, DONT, 0, IAC, DO, 0}), 1},
    {"TheHostsSideAloneDoesNotCount", B({IAC, WILL, 0}), 0},
    {"HostWontBinaryLeavesOurSideOn", B({IAC, DO, 0, IAC, WILL, 0, IAC, WONT, 0}), 1},
    {"OtherOptionsDoNotCount", B({IAC, DO, 1, IAC, DO, 3, IAC, DO, 24, IAC, WILL, 1}), 0},
    {"DoInsideASubnegotiationDoesNotCount", B({IAC, SB, 31, DO, 0, IAC, SE}), 0},
    {"DoubledIacThenZeroIsData", B({IAC, IAC, DO, 0}), 0},
};

class TelnetBinary : public ::testing::TestWithParam<BinaryCase> {};

TEST_P(TelnetBinary, LocalSideFollowsTheNegotiation) {
    Telnet t;
    t.Feed(GetParam().input);
    EXPECT_EQ(t.comms->IsLocalBinary(), GetParam().localBinary);
}

INSTANTIATE_TEST_SUITE_P(Cases, TelnetBinary, ::testing::ValuesIn(kBinaryCases),
                         [](const ::testing::TestParamInfo<BinaryCase>& info) { return info.param.name; });

}  // namespace
