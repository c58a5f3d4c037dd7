// Receives the events of the connected socket on the user-interface thread.
// The session controller implements it and passes each event to the
// transport (CTermComm::OnSocketEvent / CTermComm::OnSocketWritable).
#pragma once

class CSocketEventSink {
public:
    virtual ~CSocketEventSink() = default;
    // closed = 0: data is waiting to be read; closed = 1: the connection
    // ended (peer closed it, reset, or any other error).
    virtual void OnSocketEvent(int closed) = 0;
    // The socket can take more of the output the transport is holding.
    virtual void OnSocketWritable() = 0;
};
