// The socket layer over BSD sockets. Errors are kept as Winsock codes; like
// Winsock, only a failing call sets the last error.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/posix/PosixSockets.h"

int WinsockCodeForErrno(int error) {
    switch (error) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: case ENFILE: return 10024;
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
#if EOPNOTSUPP != ENOTSUP
    case ENOTSUP:
#endif
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: case EPIPE: return 10054;
    case ENOBUFS: case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    case EUSERS: return 10068;
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
    case EREMOTE: return 10071;
    default: return 10022;
    }
}

int WinsockCodeForResolverError(int error) {
    switch (error) {
    case 0: return 0;
    case EAI_NONAME: return 11001;
    case EAI_AGAIN: return 11002;
    case EAI_FAIL: return 11003;
#ifdef EAI_NODATA
    case EAI_NODATA: return 11004;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return 11004;
#endif
    case EAI_MEMORY: return 10055;
    case EAI_SYSTEM: return WinsockCodeForErrno(errno);
    default: return 11003;
    }
}

namespace {

std::uint32_t FromInAddr(const in_addr& address) {
    return AddressFromOctets(reinterpret_cast<const unsigned char*>(&address.s_addr));
}

in_addr ToInAddr(std::uint32_t value) {
    in_addr address;
    AddressToOctets(value, reinterpret_cast<unsigned char*>(&address.s_addr));
    return address;
}

class CPosixSocketLayer : public CSocketLayer {
public:
    int Startup(unsigned* granted) override {
        if (granted) *granted = 0x0101;
        return 0;
    }
    void Cleanup() override {}

    bool LookupHostByName(const char* name, SocketHostEntry* entry) override {
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_CANONNAME;
        addrinfo* list = nullptr;
        int result = getaddrinfo(name, nullptr, &hints, &list);
        if (result != 0) return Fail(WinsockCodeForResolverError(result));
        entry->name = list && list->ai_canonname ? list->ai_canonname : name;
        entry->addresses.clear();
        for (addrinfo* item = list; item; item = item->ai_next) {
            if (item->ai_family != AF_INET || !item->ai_addr) continue;
            sockaddr_in in;
            std::memcpy(&in, item->ai_addr, sizeof in);
            std::uint32_t value = FromInAddr(in.sin_addr);
            bool seen = false;
            for (std::uint32_t known : entry->addresses) seen = seen || known == value;
            if (!seen) entry->addresses.push_back(value);
        }
        freeaddrinfo(list);
        if (entry->addresses.empty()) return Fail(11004);
        return true;
    }

    bool ParseDottedAddress(const char* text, std::uint32_t* address) override {
        in_addr parsed;
        if (!text || inet_aton(text, &parsed) == 0) return false;
        *address = FromInAddr(parsed);
        return true;
    }

    bool LookupHostByAddress(std::uint32_t address, SocketHostEntry* entry) override {
        sockaddr_in in;
        std::memset(&in, 0, sizeof in);
        in.sin_family = AF_INET;
        in.sin_addr = ToInAddr(address);
        char name[NI_MAXHOST];
        int result = getnameinfo(reinterpret_cast<sockaddr*>(&in), sizeof in, name, sizeof name, nullptr, 0,
                                 NI_NAMEREQD);
        if (result != 0) return Fail(WinsockCodeForResolverError(result));
        entry->name = name;
        entry->addresses.assign(1, address);
        return true;
    }

    int LookupServicePort(const char* service, const char* protocol) override {
        if (service) {
            servent* entry = getservbyname(service, protocol);
            if (entry) return ntohs(static_cast<unsigned short>(entry->s_port));
            // A minimal system may have no services database.
            if (std::strcmp(service, "telnet") == 0 && (!protocol || std::strcmp(protocol, "tcp") == 0))
                return 23;
        }
        Fail(11004);
        return 0;
    }

    SocketHandle OpenStreamSocket() override {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            Fail(WinsockCodeForErrno(errno));
            return 0;
        }
        return PosixHandle(fd);
    }

    bool SetInlineUrgentData(SocketHandle s) override { return SetFlag(s, SOL_SOCKET, SO_OOBINLINE); }
    bool SetNoDelay(SocketHandle s) override { return SetFlag(s, IPPROTO_TCP, TCP_NODELAY); }

    bool ConnectTo(SocketHandle s, std::uint32_t address, int port) override {
        sockaddr_in in;
        std::memset(&in, 0, sizeof in);
        in.sin_family = AF_INET;
        in.sin_port = htons(static_cast<unsigned short>(port));
        in.sin_addr = ToInAddr(address);
        int result;
        do {
            result = ::connect(PosixDescriptor(s), reinterpret_cast<sockaddr*>(&in), sizeof in);
        } while (result != 0 && errno == EINTR);
        return result == 0 || Fail(WinsockCodeForErrno(errno));
    }

    bool SelectEvents(SocketHandle s) override {
        int fd = PosixDescriptor(s);
        int flags = fcntl(fd, F_GETFL, 0);
        if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return Fail(WinsockCodeForErrno(errno));
        return true;
    }

    int Receive(SocketHandle s, char* buffer, int length) override {
        ssize_t count = ::recv(PosixDescriptor(s), buffer, static_cast<size_t>(length), 0);
        if (count < 0) {
            Fail(WinsockCodeForErrno(errno));
            return -1;
        }
        return static_cast<int>(count);
    }

    int Send(SocketHandle s, const char* data, int length) override {
        ssize_t count = ::send(PosixDescriptor(s), data, static_cast<size_t>(length), MSG_NOSIGNAL);
        if (count < 0) {
            Fail(errno == EINTR ? 10035 : WinsockCodeForErrno(errno));
            return -1;
        }
        return static_cast<int>(count);
    }

    bool Close(SocketHandle s) override {
        return ::close(PosixDescriptor(s)) == 0 || Fail(WinsockCodeForErrno(errno));
    }

    bool GetLocalHostName(char* out, int size) override {
        if (!out || size <= 0) return false;
        if (gethostname(out, static_cast<size_t>(size)) != 0) return Fail(WinsockCodeForErrno(errno));
        out[size - 1] = '\0';
        return true;
    }

    int LastError() override { return lastError; }
    void SetLastError(int code) override { lastError = code; }
    bool LoadErrorText(int, char*, int) override { return false; }  // the built-in table serves
    void SetEventTarget(void*) override {}
    void RequestMainWindowClose() override {}  // no window: nothing to close

private:
    bool Fail(int code) {
        lastError = code;
        return false;
    }
    bool SetFlag(SocketHandle s, int level, int name) {
        int on = 1;
        if (setsockopt(PosixDescriptor(s), level, name, &on, sizeof on) != 0) return Fail(WinsockCodeForErrno(errno));
        return true;
    }

    int lastError = 0;
};

}  // namespace

std::unique_ptr<CSocketLayer> CreateSocketLayer() { return std::unique_ptr<CSocketLayer>(new CPosixSocketLayer); }
