// Owns the view, emulator, transport and printer, and is the single path for
// connecting, disconnecting and sending bytes to the host.
#pragma once

class CTermView;
class CTermEmulator;
class CTermComm;
class CTermPrinter;

class CTermController {
public:
    explicit CTermController(int* status = nullptr);
    virtual ~CTermController();
    virtual int Connect(char* host);
    virtual int Disconnect();

    enum EmulatorType { kPlainEmulator = 0, kWyse50Emulator = 1 };
    void CreateEmulator(int* status, CTermView* view, CTermComm* comms, int type);
    void SendToHost(const char* data, int length);
    int IsConnected();
    // Whether a typed Enter sends CR alone rather than CR LF: while the
    // transport sends in telnet BINARY mode. In local mode the bytes go to the
    // emulator, which needs the LF to move to a new line.
    bool EnterSendsCrAlone();

    CTermView* View() const { return view; }
    CTermEmulator* Emulator() const { return emulator; }
    CTermComm* Comms() const { return comms; }
    CTermPrinter* Printer() const { return printer; }
    int LocalMode() const { return localMode; }
    void SetLocalMode(int on) { localMode = on ? 1 : 0; }

    // The derived controller (or a tool) installs the objects it built; the
    // controller owns them from then on.
    void AdoptView(CTermView* v) { view = v; }
    void AdoptComms(CTermComm* c) { comms = c; }
    void AdoptPrinter(CTermPrinter* p) { printer = p; }

protected:
    CTermView* view = nullptr;
    CTermEmulator* emulator = nullptr;
    CTermComm* comms = nullptr;
    CTermPrinter* printer = nullptr;
    int localMode = 0;
};
