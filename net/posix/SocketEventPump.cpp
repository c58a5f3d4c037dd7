#include "net/posix/SocketEventPump.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "net/CWinSockComm.h"
#include "net/posix/PosixSockets.h"

int PumpSocketEvents(CWinSockComm& comms, int timeoutMs, CSocketEventSink& sink) {
    SocketHandle handle = comms.Handle();
    if (!handle) return 0;
    pollfd watch;
    watch.fd = PosixDescriptor(handle);
    watch.events = POLLIN;
    if (comms.HasPendingOutput()) watch.events |= POLLOUT;
    watch.revents = 0;
    int ready = ::poll(&watch, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready <= 0) return 0;  // timeout, or interrupted: the caller pumps again

    int notifications = 0;
    if (watch.revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) {
        char probe;
        ssize_t peeked = ::recv(watch.fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        if (peeked > 0) {
            sink.OnSocketEvent(0);
            ++notifications;
        } else if (peeked == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ||
                   (watch.revents & (POLLHUP | POLLNVAL))) {
            comms.ClearPendingError();
            sink.OnSocketEvent(1);
            ++notifications;
        }
    }
    if ((watch.revents & POLLOUT) && comms.Handle() == handle && comms.HasPendingOutput()) {
        sink.OnSocketWritable();
        ++notifications;
    }
    return notifications;
}
