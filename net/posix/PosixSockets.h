// BSD-socket details shared by the POSIX socket layer and the poll pump.
#pragma once

#include "net/SocketLayer.h"

// Handles are descriptor + 1, so that descriptor 0 is a valid socket and
// handle 0 still means "none".
inline int PosixDescriptor(SocketHandle handle) { return static_cast<int>(handle) - 1; }
inline SocketHandle PosixHandle(int descriptor) { return static_cast<SocketHandle>(descriptor) + 1; }

// The Winsock code for an errno value (0 for 0).
int WinsockCodeForErrno(int error);
// The Winsock code for a getaddrinfo/getnameinfo result (0 for 0).
int WinsockCodeForResolverError(int error);
