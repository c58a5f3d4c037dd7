// The abstract connection to the host. Implements, once for every transport,
// what a socket notification does: read and hand on, or report the loss.
#pragma once

class CRxHandler;
class CTermView;

class CTermComm {
public:
    // Every transport takes (status out, message sink, receive handler).
    CTermComm(int* status, CTermView* sink, CRxHandler* rxHandler);
    virtual int CheckError(const char* context) = 0;
    virtual ~CTermComm();
    // host is writable: a transport may rewrite it (e.g. to a dotted address).
    virtual int Connect(char* host) = 0;
    virtual int Disconnect() = 0;
    virtual int IsConnected() = 0;
    virtual int Receive(char* buffer, int* length) = 0;
    virtual int Send(const char* data, int length) = 0;
    virtual void OnSocketEvent(int closed);
    virtual void GetLocalAddress(char* out, int size);
    // The socket can take output the transport is still holding (Windows
    // FD_WRITE, or the poll loop's writable event). Nothing to do here.
    virtual void OnSocketWritable() {}
    // 1 while this side sends in telnet BINARY mode on a live connection:
    // the host then takes a typed CR as it stands, so Enter must not add LF.
    // Transports without telnet never do.
    virtual int IsLocalBinary() { return 0; }

    void SetRxHandler(CRxHandler* handler) { rxHandler = handler; }

    static constexpr int kReceiveBlock = 500;

protected:
    CRxHandler* rxHandler;
    CTermView* sink;
};
