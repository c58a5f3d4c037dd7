// A socket layer without sockets: connections always succeed, names resolve
// from a small table, and what is sent is recorded. The peer "reads" only as
// much as the test allows (room), so would-block and held output can be
// produced on demand.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "net/SocketLayer.h"

class CFakeSocketLayer : public CSocketLayer {
public:
    // The object stays owned by the transport; tests keep this pointer.
    static std::unique_ptr<CSocketLayer> Create(CFakeSocketLayer** keep) {
        auto* layer = new CFakeSocketLayer;
        *keep = layer;
        return std::unique_ptr<CSocketLayer>(layer);
    }

    int Startup(unsigned* granted) override {
        *granted = grantedVersion;
        return startupError;
    }
    void Cleanup() override { ++cleanups; }

    bool LookupHostByName(const char* name, SocketHostEntry* entry) override {
        auto found = names.find(name);
        if (found == names.end()) return Fail(nameError);
        entry->name = name;
        entry->addresses.assign(1, found->second);
        return true;
    }
    bool ParseDottedAddress(const char* text, std::uint32_t* address) override {
        auto found = numeric.find(text);
        if (found == numeric.end()) return false;
        *address = found->second;
        return true;
    }
    bool LookupHostByAddress(std::uint32_t address, SocketHostEntry* entry) override {
        if (!reverseKnown) return Fail(11004);
        entry->name = "reverse";
        entry->addresses.assign(1, address);
        return true;
    }
    int LookupServicePort(const char* service, const char*) override {
        return std::strcmp(service, "telnet") == 0 ? 23 : 0;
    }
    SocketHandle OpenStreamSocket() override { return ++lastHandle; }
    bool SetInlineUrgentData(SocketHandle) override { return true; }
    bool SetNoDelay(SocketHandle) override { return true; }
    bool ConnectTo(SocketHandle, std::uint32_t address, int port) override {
        connectedAddress = address;
        connectedPort = port;
        return true;
    }
    bool SelectEvents(SocketHandle) override { return true; }
    int Receive(SocketHandle, char* buffer, int length) override {
        int count = static_cast<int>(incoming.size()) < length ? static_cast<int>(incoming.size()) : length;
        incoming.copy(buffer, static_cast<size_t>(count));
        incoming.erase(0, static_cast<size_t>(count));
        return count;
    }
    int Send(SocketHandle, const char* data, int length) override {
        ++sendCalls;
        if (room == 0) {
            Fail(10035);
            return -1;
        }
        size_t taken = static_cast<size_t>(length) < room ? static_cast<size_t>(length) : room;
        sent.append(data, taken);
        room -= taken;
        return static_cast<int>(taken);
    }
    bool Close(SocketHandle) override {
        ++closes;
        return true;
    }
    bool GetLocalHostName(char* out, int size) override {
        if (localName.empty() || static_cast<int>(localName.size()) >= size) return Fail(10014);
        std::strcpy(out, localName.c_str());
        return true;
    }
    int LastError() override { return lastError; }
    void SetLastError(int code) override { lastError = code; }
    bool LoadErrorText(int, char*, int) override { return false; }
    void SetEventTarget(void*) override {}
    void RequestMainWindowClose() override { ++closeRequests; }

    int startupError = 0;
    unsigned grantedVersion = 0x0101;
    std::map<std::string, std::uint32_t> names{{"host", 0x0100007Fu}};
    std::map<std::string, std::uint32_t> numeric;
    bool reverseKnown = false;
    int nameError = 11001;
    std::string localName;
    std::string incoming, sent;
    size_t room = std::numeric_limits<size_t>::max();
    std::uint32_t connectedAddress = 0;
    int connectedPort = 0;
    SocketHandle lastHandle = 0;
    int lastError = 0, cleanups = 0, closes = 0, closeRequests = 0, sendCalls = 0;

private:
    bool Fail(int code) {
        lastError = code;
        return false;
    }
};
