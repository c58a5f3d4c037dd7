// Fuzzes the telnet receive filter and option negotiation. No socket: the
// transport runs over a fake socket layer that records every reply.
//
// Input layout: byte 0 seeds the read sizes (1..600 bytes per read, as the
// socket would deliver them) and whether the host takes our replies; the
// rest is the host byte stream.
//
// Checks: a read never yields more data bytes than it held; reading in
// pieces gives the same data and replies as one block; with a host that
// stops reading, held replies stay within their bound and what does go out
// is a sequence of whole, well-formed replies.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include "net/CTelnetComm.h"
#include "tests/net/FakeSocketLayer.h"

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_telnet: %s\n", what);
    std::abort();
}

struct Session {
    Session() {
        int status = -1;
        comms.reset(new CTelnetComm(&status, nullptr, nullptr, CFakeSocketLayer::Create(&fake)));
        char host[] = "host";
        if (status != 0 || comms->Connect(host) != 1) Fail("cannot set up");
    }
    std::string Filter(const uint8_t* data, size_t size) {
        std::string piece(reinterpret_cast<const char*>(data), size);
        int kept = comms->FilterInbound(piece.empty() ? nullptr : &piece[0], static_cast<int>(piece.size()));
        if (kept < 0 || static_cast<size_t>(kept) > size) Fail("more data out than in");
        piece.resize(static_cast<size_t>(kept));
        return piece;
    }
    CFakeSocketLayer* fake = nullptr;
    std::unique_ptr<CTelnetComm> comms;
};

// True when bytes is a run of whole replies: IAC WILL/WONT/DO/DONT option,
// or the terminal-type answer.
bool WellFormedReplies(const std::string& bytes) {
    static const std::string kTerminalType("\xff\xfa\x18\x00wy50\xff\xf0", 10);
    size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.compare(at, kTerminalType.size(), kTerminalType) == 0) {
            at += kTerminalType.size();
            continue;
        }
        if (at + 3 > bytes.size() || static_cast<unsigned char>(bytes[at]) != 255) return false;
        unsigned char command = static_cast<unsigned char>(bytes[at + 1]);
        if (command < 251 || command > 254) return false;
        at += 3;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    uint32_t seed = data[0] * 2654435761u + 1;
    const uint8_t* stream = data + 1;
    size_t length = size - 1;

    Session whole, pieces, stalled;
    const std::string wholeData = whole.Filter(stream, length);

    std::string piecesData;
    size_t at = 0;
    bool hostReads = true;
    while (at < length) {
        seed = seed * 1103515245u + 12345u;
        size_t chunk = 1 + (seed >> 8) % 600;
        if (chunk > length - at) chunk = length - at;
        piecesData += pieces.Filter(stream + at, chunk);

        // The stalled session's host reads only now and then.
        if ((seed >> 20) % 4 == 0) hostReads = !hostReads;
        stalled.fake->room = hostReads ? std::numeric_limits<size_t>::max() : 0;
        if (hostReads) stalled.comms->OnSocketWritable();
        stalled.Filter(stream + at, chunk);
        if (stalled.comms->PendingOutput() > CWinSockComm::kReplyOutputLimit) Fail("held replies beyond bound");
        at += chunk;
    }
    if (piecesData != wholeData) Fail("data differs when read in pieces");
    if (pieces.fake->sent != whole.fake->sent) Fail("replies differ when read in pieces");
    if (!WellFormedReplies(whole.fake->sent)) Fail("malformed reply");

    stalled.fake->room = std::numeric_limits<size_t>::max();
    stalled.comms->OnSocketWritable();
    if (stalled.comms->HasPendingOutput()) Fail("held output not sent");
    if (!WellFormedReplies(stalled.fake->sent)) Fail("malformed reply after holding");
    return 0;
}
