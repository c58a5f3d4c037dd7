#include "net/CTelnetComm.h"

#include <cstring>
#include <string>

namespace {

// Options 0..24: index into the state arrays, -1 when unsupported.
const signed char kOptionIndex[25] = {0,  1,  -1, 2,  -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 3};

// Receive states.
enum : signed char {
    kData = 0,
    kAfterIac = 1,
    kAfterWill = 2,
    kAfterWont = 3,
    kAfterDo = 4,
    kAfterDont = 5,
    kAfterSb = 6,
    kSkipSub = 7,
    kAfterSbTerminalType = 8,
};

}  // namespace

CTelnetComm::CTelnetComm(int* status, CTermView* sinkView, CRxHandler* handler)
    : CTelnetComm(status, sinkView, handler, CreateSocketLayer()) {}

CTelnetComm::CTelnetComm(int* status, CTermView* sinkView, CRxHandler* handler,
                         std::unique_ptr<CSocketLayer> sockets)
    : CWinSockComm(status, sinkView, handler, std::move(sockets)) {
    if (!status || *status == 0) std::strcpy(terminalType, "wy50");
}

int CTelnetComm::OptionIndex(unsigned char option) {
    return option < sizeof kOptionIndex ? kOptionIndex[option] : -1;
}

int CTelnetComm::Connect(char* host) {
    int result = ConnectService(host, "telnet");
    ResetOptions();
    return result;
}

int CTelnetComm::Receive(char* buffer, int* length) {
    int result = CWinSockComm::Receive(buffer, length);
    if (result && length && *length != 0) *length = FilterInbound(buffer, *length);
    return result;
}

int CTelnetComm::Send(const char* data, int length) {
    if (!data || length <= 0) return 0;
    const char* iac = static_cast<const char*>(std::memchr(data, kIAC, static_cast<size_t>(length)));
    if (!iac) return CWinSockComm::Send(data, length);
    std::string escaped;
    escaped.reserve(static_cast<size_t>(length) + 16);
    for (int i = 0; i < length; ++i) {
        escaped.push_back(data[i]);
        if (static_cast<unsigned char>(data[i]) == kIAC) escaped.push_back(data[i]);
    }
    return CWinSockComm::Send(escaped.data(), static_cast<int>(escaped.size())) ? length : 0;
}

int CTelnetComm::IsLocalBinary() {
    return IsConnected() && (localOption[OptionIndex(kBinary)] & kEnabled) ? 1 : 0;
}

void CTelnetComm::ResetOptions() {
    rxState = kData;
    afterDataCr = false;
    std::memset(localOption, 0, sizeof localOption);
    std::memset(remoteOption, 0, sizeof remoteOption);
    lastRefusedRemote = 4;
    lastRefusedLocal = 4;
}

int CTelnetComm::FilterInbound(char* buffer, int count) {
    if (!buffer || count <= 0) return 0;
    // A host that does not send in binary sends a bare CR as CR NUL; the NUL
    // is no data (it would reach a printer or a capture file).
    auto hostBinary = [this] { return (remoteOption[OptionIndex(kBinary)] & kEnabled) != 0; };
    const auto size = static_cast<size_t>(count);
    if (rxState == kData && !std::memchr(buffer, kIAC, size) &&
        (hostBinary() || !std::memchr(buffer, 0, size))) {
        afterDataCr = buffer[count - 1] == '\r';
        return count;
    }
    int kept = 0;
    auto keep = [&](unsigned char byte) {
        // The option may have changed earlier in this very block.
        if (byte == 0 && afterDataCr && !hostBinary()) {
            afterDataCr = false;
            return;
        }
        afterDataCr = byte == '\r';
        buffer[kept++] = static_cast<char>(byte);
    };
    for (int i = 0; i < count; ++i) {
        unsigned char byte = static_cast<unsigned char>(buffer[i]);
        switch (rxState) {
        case kData:
            if (byte == kIAC)
                rxState = kAfterIac;
            else
                keep(byte);
            break;
        case kAfterIac:
            switch (byte) {
            case kSB: rxState = kAfterSb; break;
            case kWILL: rxState = kAfterWill; break;
            case kWONT: rxState = kAfterWont; break;
            case kDO: rxState = kAfterDo; break;
            case kDONT: rxState = kAfterDont; break;
            case kIAC:
                keep(byte);
                rxState = kData;
                break;
            default: rxState = kData; break;  // SE, NOP, GA, ...: dropped
            }
            break;
        case kAfterWill: rxState = kData; OnWill(byte); break;
        case kAfterWont: rxState = kData; OnWont(byte); break;
        case kAfterDo: rxState = kData; OnDo(byte); break;
        case kAfterDont: rxState = kData; OnDont(byte); break;
        case kAfterSb:
            if (byte == kIAC)
                rxState = kAfterIac;
            else
                rxState = byte == kTerminalType ? kAfterSbTerminalType : kSkipSub;
            break;
        case kSkipSub:
            if (byte == kIAC) rxState = kAfterIac;
            break;
        case kAfterSbTerminalType:
            if (byte == kSEND) SendTerminalType();
            rxState = kSkipSub;
            break;
        default: break;  // no other state is ever entered
        }
    }
    return kept;
}

void CTelnetComm::SendTerminalType() {
    char reply[sizeof terminalType + 6];
    size_t length = std::strlen(terminalType);
    reply[0] = static_cast<char>(kIAC);
    reply[1] = static_cast<char>(kSB);
    reply[2] = static_cast<char>(kTerminalType);
    reply[3] = static_cast<char>(kIS);
    std::memcpy(reply + 4, terminalType, length);
    reply[4 + length] = static_cast<char>(kIAC);
    reply[5 + length] = static_cast<char>(kSE);
    SendReply(reply, static_cast<int>(length + 6));
}

void CTelnetComm::Refuse(unsigned char command, unsigned char option, unsigned char* lastRefused) {
    if (option == *lastRefused) return;
    *lastRefused = option;
    SendOption(command, option);
}

void CTelnetComm::OnWill(unsigned char option) {
    int index = OptionIndex(option);
    if (index < 0) return Refuse(kDONT, option, &lastRefusedRemote);
    remoteOption[index] = kEnabled;
    SendOption(kDO, option);
}

void CTelnetComm::OnWont(unsigned char option) { Disable(option, remoteOption, kDONT, &lastRefusedRemote); }

void CTelnetComm::OnDo(unsigned char option) {
    int index = OptionIndex(option);
    if (index < 0) return Refuse(kWONT, option, &lastRefusedLocal);
    unsigned char& state = localOption[index];
    if (state & (kEnabled | kPending)) {
        state = static_cast<unsigned char>((state | kEnabled) & ~kPending);
        return;
    }
    state = static_cast<unsigned char>(state | kEnabled);
    SendOption(kWILL, option);
}

void CTelnetComm::OnDont(unsigned char option) { Disable(option, localOption, kWONT, &lastRefusedLocal); }

// WONT from the peer (remote side, answered DONT) or DONT (our side, answered
// WONT): the option goes off and the refusal is acknowledged, unless it
// answers a request of ours, which is then settled without a reply.
void CTelnetComm::Disable(unsigned char option, unsigned char* states, unsigned char reply,
                          unsigned char* lastRefused) {
    int index = OptionIndex(option);
    if (index < 0) return Refuse(reply, option, lastRefused);
    unsigned char old = states[index];
    states[index] = static_cast<unsigned char>(old & ~(kEnabled | kPending));
    if ((old & kPending) && !(old & kEnabled)) return;  // our request was refused
    SendOption(reply, option);
}

void CTelnetComm::SendOption(unsigned char command, unsigned char option) {
    int index = OptionIndex(option);
    if (index >= 0) {
        if (command == kWILL || command == kWONT)
            localOption[index] = static_cast<unsigned char>(localOption[index] | kPending);
        else
            remoteOption[index] = static_cast<unsigned char>(remoteOption[index] | kPending);
    }
    const char reply[3] = {static_cast<char>(kIAC), static_cast<char>(command), static_cast<char>(option)};
    SendReply(reply, 3);
}
