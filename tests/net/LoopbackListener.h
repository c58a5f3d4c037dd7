// The far end of a real TCP connection on 127.0.0.1, for transport tests.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

// A listening socket on 127.0.0.1 with an ephemeral port.
class LoopbackListener {
public:
    LoopbackListener() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd, 4), 0);
        socklen_t size = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~LoopbackListener() {
        if (peer >= 0) ::close(peer);
        if (fd >= 0) ::close(fd);
    }
    // The client's connect has completed, so the connection is waiting.
    int Accept() {
        peer = ::accept(fd, nullptr, nullptr);
        return peer;
    }
    std::string HostText() const { return "127.0.0.1:" + std::to_string(port); }
    void Write(const std::string& bytes) {
        ASSERT_EQ(::send(peer, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // Reads what is there within timeoutMs (up to max bytes); "" at the end.
    std::string ReadSome(size_t max, int timeoutMs) {
        pollfd watch{peer, POLLIN, 0};
        if (::poll(&watch, 1, timeoutMs) <= 0) return "";
        std::string bytes(max, '\0');
        ssize_t count = ::recv(peer, &bytes[0], max, 0);
        bytes.resize(count > 0 ? static_cast<size_t>(count) : 0);
        return bytes;
    }
    // Waits for the client's end of stream: true when it came.
    bool SeesEndOfStream() {
        pollfd watch{peer, POLLIN, 0};
        if (::poll(&watch, 1, 5000) <= 0) return false;
        char byte;
        return ::recv(peer, &byte, 1, 0) == 0;
    }

    int fd = -1, peer = -1, port = 0;
};
