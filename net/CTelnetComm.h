// Telnet (RFC 854) over the TCP transport: strips commands from the host's
// bytes, answers option negotiation for BINARY, ECHO, SUPPRESS-GO-AHEAD and
// TERMINAL-TYPE (RFC 1091, answered with "wy50"), and never starts a
// negotiation itself. Outgoing user data has each 0xFF byte doubled.
#pragma once

#include <memory>

#include "net/CWinSockComm.h"

class CTelnetComm : public CWinSockComm {
public:
    CTelnetComm(int* status, CTermView* sink, CRxHandler* rxHandler);
    CTelnetComm(int* status, CTermView* sink, CRxHandler* rxHandler, std::unique_ptr<CSocketLayer> layer);

    int Connect(char* host) override;
    int Receive(char* buffer, int* length) override;
    // User data: every 0xFF goes out as IAC IAC. Returns length when the
    // whole block was taken, 0 otherwise (see CWinSockComm::Send).
    int Send(const char* data, int length) override;
    // Our side of BINARY is on (the host's DO BINARY was agreed to) and the
    // connection is up.
    int IsLocalBinary() override;

    void ResetOptions();
    // Removes telnet commands from buffer in place and answers them;
    // returns how many data bytes are left at its start.
    int FilterInbound(char* buffer, int count);

    void OnWill(unsigned char option);
    void OnWont(unsigned char option);
    void OnDo(unsigned char option);
    void OnDont(unsigned char option);
    void SendOption(unsigned char command, unsigned char option);

    enum : unsigned char {
        kIAC = 255, kDONT = 254, kDO = 253, kWONT = 252, kWILL = 251, kSB = 250, kSE = 240,
        kBinary = 0, kTerminalType = 24, kIS = 0, kSEND = 1,
    };
    enum : unsigned char { kEnabled = 0x01, kPending = 0x40 };

    // Read access for tests and tools.
    int RxState() const { return rxState; }
    unsigned char LocalOption(int index) const { return localOption[index]; }
    unsigned char RemoteOption(int index) const { return remoteOption[index]; }
    const char* TerminalType() const { return terminalType; }
    // Index of a supported option into the state arrays, or -1.
    static int OptionIndex(unsigned char option);

private:
    void SendTerminalType();
    void Refuse(unsigned char command, unsigned char option, unsigned char* lastRefused);
    void Disable(unsigned char option, unsigned char* states, unsigned char reply, unsigned char* lastRefused);

    signed char rxState = 0;
    // The last data byte kept was CR: a NUL after it is the NVT's bare CR
    // (RFC 854) unless the host sends in binary.
    bool afterDataCr = false;
    unsigned char localOption[4] = {0, 0, 0, 0};
    unsigned char remoteOption[4] = {0, 0, 0, 0};
    unsigned char lastRefusedRemote = 4;
    unsigned char lastRefusedLocal = 4;
    char terminalType[101] = {0};
};
