// A transport that is always connected and keeps what is sent to the host,
// a printer that keeps what is printed, and a launcher that starts nothing
// and keeps the command lines: the ends of a replayed session.
#pragma once

#include <string>
#include <vector>

#include "ext/ProgramLauncher.h"
#include "net/CTermComm.h"
#include "print/CTermPrinter.h"

class CCaptureComm : public CTermComm {
public:
    CCaptureComm(int* status, CTermView* sink, CRxHandler* handler) : CTermComm(status, sink, handler) {}
    int CheckError(const char*) override { return 0; }
    int Connect(char*) override { return 1; }
    int Disconnect() override { return 1; }
    int IsConnected() override { return 1; }
    int Receive(char*, int* length) override { *length = 0; return 1; }
    int Send(const char* data, int length) override {
        if (length > 0) sent.append(data, static_cast<size_t>(length));
        return length;
    }
    void GetLocalAddress(char* out, int size) override;

    std::string sent;
    std::string localAddress = "127.0.0.1";
};

class CCapturePrinter : public CTermPrinter {
public:
    int Open() override { open = true; return 1; }
    int Write(const char* data, int length) override {
        if (length > 0) printed.append(data, static_cast<size_t>(length));
        return 1;
    }
    void Close() override { open = false; }
    int PrintFile(const char* fileName) override { files += fileName; files += '\n'; return 1; }

    bool open = false;
    std::string printed;
    std::string files;
};

// A replayed capture may come from a hostile host: what it asks to run is
// noted, never started. Answers as if the program had run and ended.
class CRecordingLauncher : public CProgramLauncher {
public:
    int Run(const char* commandLine, int) override {
        commands.emplace_back(commandLine ? commandLine : "");
        return 1;
    }
    std::vector<std::string> commands;
};
