// A local program in a pseudo-terminal as the "host": the program's output is
// received like a host's, what is sent is the program's keyboard input. The
// child sees TERM=wy50 and an 80x24 screen; its exit ends the connection.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "net/CTermComm.h"

class CPtyComm : public CTermComm {
public:
    CPtyComm(int* status, CTermView* sink, CRxHandler* rxHandler, std::vector<std::string> argv);
    ~CPtyComm() override;

    int CheckError(const char* context) override;
    // Starts the program; host is only a label.
    int Connect(char* host) override;
    int Disconnect() override;
    int IsConnected() override { return masterFd >= 0 ? 1 : 0; }
    int Receive(char* buffer, int* length) override;
    int Send(const char* data, int length) override;
    void OnSocketEvent(int closed) override;
    // A local program reads the terminal's own Return (CR alone): its line
    // discipline makes the new line, and CR LF would be two of them.
    int IsLocalBinary() override { return IsConnected(); }

    // The master side, for the poll loop (-1 when not running).
    int Fd() const { return masterFd; }
    // True once the child has been reaped; ExitDescription says how it ended
    // ("exit status N" or "killed by signal N").
    bool Reaped() const { return reaped; }
    int RawStatus() const { return waitStatus; }
    std::string ExitDescription() const;
    // A start failure's reason (empty when none).
    const std::string& Problem() const { return problem; }

private:
    void Reap(bool block);

    std::vector<std::string> argv;
    int masterFd = -1;
    pid_t child = -1;
    bool reaped = false;
    int waitStatus = 0;
    std::string problem;
};
