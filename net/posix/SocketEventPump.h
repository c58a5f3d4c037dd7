// Socket event delivery where there are no window messages: one call waits
// (poll) for the transport's connected socket and reports what happened to
// a sink on the calling thread.
#pragma once

#include "net/SocketEventSink.h"

class CWinSockComm;

// Waits at most timeoutMs (0: just look; negative counts as 0) for the
// socket of comms, then, in this order and at most once each:
//   1. sink.OnSocketEvent(0) when data is waiting to be read, or
//      sink.OnSocketEvent(1) when the connection ended (orderly close by the
//      peer, reset or other error); the pending error is cleared first, as
//      a window-message close event carries none;
//   2. sink.OnSocketWritable() when comms holds output, is still connected
//      on the same socket, and the socket can take more.
// Without a connection it returns at once (0). Returns the number of
// notifications made. Never blocks longer than timeoutMs; the sink's own
// work (reading up to 500 bytes, sending held output) does not block.
int PumpSocketEvents(CWinSockComm& comms, int timeoutMs, CSocketEventSink& sink);
