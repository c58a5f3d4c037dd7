#include "net/CWinSockComm.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "net/HostPort.h"
#include "net/WinsockErrors.h"
#include "view/CTermView.h"
#include "view/MessageBoxes.h"

namespace {

constexpr int kWouldBlock = 10035;
constexpr int kNotInitialised = 10093;
constexpr int kNotSocket = 10038;

void FormatDotted(std::uint32_t address, char* out, int size) {
    std::snprintf(out, static_cast<size_t>(size), "%u.%u.%u.%u", address & 0xFFu, (address >> 8) & 0xFFu,
                  (address >> 16) & 0xFFu, (address >> 24) & 0xFFu);
}

}  // namespace

CWinSockComm::CWinSockComm(int* status, CTermView* sinkView, CRxHandler* handler)
    : CWinSockComm(status, sinkView, handler, CreateSocketLayer()) {}

CWinSockComm::CWinSockComm(int* status, CTermView* sinkView, CRxHandler* handler,
                           std::unique_ptr<CSocketLayer> sockets)
    : CTermComm(status, sinkView, handler), layer(std::move(sockets)) {
    int result = 0;
    if (!layer) {
        result = 1;
    } else {
        unsigned granted = 0;
        int error = layer->Startup(&granted);
        if (error != 0) {
            result = error;
            if (sink) sink->MessageBox("Couldn't find WINSOCK.DLL", mb::kCaption, mb::kIconExclamation);
        } else {
            started = true;
            if ((granted & 0xFFu) != 1 || ((granted >> 8) & 0xFFu) != 1) {
                result = 1;
                if (sink) sink->MessageBox("Couldn't find useable WINSOCK.DLL", mb::kCaption, mb::kIconExclamation);
            }
        }
    }
    if (status) *status = result;
}

CWinSockComm::~CWinSockComm() {
    // Closing here as well keeps the descriptor from outliving the object
    // where releasing the library does not end open sockets.
    if (layer) {
        if (socket) layer->Close(socket);
        socket = 0;
        if (started) layer->Cleanup();
    }
}

int CWinSockComm::CheckError(const char* context) {
    (void)context;  // the error code alone decides; the context is not shown
    int error = layer->LastError();
    if (error == 0 || error == kWouldBlock) return 0;
    if (error == kNotInitialised) layer->RequestMainWindowClose();
    return error;
}

void CWinSockComm::ClearPendingError() { layer->SetLastError(0); }

void CWinSockComm::SetEventTarget(void* target) { layer->SetEventTarget(target); }

int CWinSockComm::Disconnect() {
    pending.clear();
    pendingHead = 0;
    if (!socket) return 1;
    SocketHandle old = socket;
    socket = 0;
    return layer->Close(old) ? 1 : 0;
}

int CWinSockComm::IsConnected() { return socket != 0 ? 1 : 0; }

int CWinSockComm::Receive(char* buffer, int* length) {
    if (!buffer || !length) return 0;
    int wanted = *length < kReceiveBlock ? *length : kReceiveBlock;
    *length = 0;
    if (!socket) {
        layer->SetLastError(kNotSocket);
        return 0;
    }
    if (wanted <= 0) return 1;
    layer->SetLastError(0);  // so that an end of stream reads as "no error"
    int count = layer->Receive(socket, buffer, wanted);
    if (count > 0) {
        *length = count > wanted ? wanted : count;
        return 1;
    }
    return CheckError("") == 0 ? 1 : 0;
}

// Sends as much of [data, data + length) as the socket takes now; returns
// how much that was. *failed is set on a socket error (would block is none).
std::size_t CWinSockComm::SendWhatFits(const char* data, std::size_t length, bool* failed) {
    *failed = false;
    std::size_t offset = 0;
    while (offset < length) {
        std::size_t chunk = length - offset;
        if (chunk > (1u << 30)) chunk = 1u << 30;
        int count = layer->Send(socket, data + offset, static_cast<int>(chunk));
        if (count > 0) {
            offset += static_cast<std::size_t>(count) > chunk ? chunk : static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && CheckError("") != 0) *failed = true;
        break;
    }
    return offset;
}

// Sends what the socket takes now and holds the rest. When anything is held,
// the socket has just refused more (would block), so its writable event is
// armed. False on a socket error (nothing held from this block then).
bool CWinSockComm::Transmit(const char* data, std::size_t length) {
    std::size_t offset = 0;
    if (!HasPendingOutput()) {
        bool failed = false;
        offset = SendWhatFits(data, length, &failed);
        if (failed) return false;
    }
    if (offset < length) pending.append(data + offset, length - offset);
    return true;
}

void CWinSockComm::Flush() {
    if (socket && HasPendingOutput()) {
        bool failed = false;
        pendingHead += SendWhatFits(pending.data() + pendingHead, pending.size() - pendingHead, &failed);
        if (failed) {
            // The connection is failing; its read side reports the loss.
            pending.clear();
            pendingHead = 0;
        }
    }
    if (pendingHead == pending.size()) {
        pending.clear();
        pendingHead = 0;
    } else if (pendingHead > (64u << 10) && pendingHead > pending.size() / 2) {
        pending.erase(0, pendingHead);
        pendingHead = 0;
    }
}

int CWinSockComm::Send(const char* data, int length) {
    if (!socket || !data || length <= 0) return 0;
    if (PendingOutput() + static_cast<std::size_t>(length) > kUserOutputLimit) return 0;
    return Transmit(data, static_cast<std::size_t>(length)) ? length : 0;
}

bool CWinSockComm::SendReply(const char* data, int length) {
    if (!socket || !data || length <= 0) return false;
    if (PendingOutput() + static_cast<std::size_t>(length) > kReplyOutputLimit) {
        droppedReplyBytes += static_cast<std::size_t>(length);
        return false;
    }
    return Transmit(data, static_cast<std::size_t>(length));
}

void CWinSockComm::OnSocketWritable() { Flush(); }

const SocketHostEntry* CWinSockComm::ResolveHost(char* host) {
    if (!host) return nullptr;
    if (layer->LookupHostByName(host, &resolved)) return &resolved;
    int error = layer->LastError();
    std::uint32_t address = 0;
    if (layer->ParseDottedAddress(host, &address) && layer->LookupHostByAddress(address, &resolved)) {
        char dotted[16];
        FormatDotted(address, dotted, sizeof dotted);
        // The caller's text is only as long as it is: rewrite it only when
        // the dotted form fits in place.
        if (std::strlen(dotted) <= std::strlen(host)) std::strcpy(host, dotted);
        return &resolved;
    }
    char text[101];
    if (!layer->LoadErrorText(error, text, sizeof text)) FormatWinsockError(error, text, sizeof text);
    std::vector<char> message(std::strlen(text) + std::strlen(host) + 64);
    std::snprintf(message.data(), message.size(), "%s.\rMake sure '%s' is listed in the 'hosts' file.", text,
                  host);
    if (sink) sink->MessageBox(message.data(), "Network Message", mb::kIconExclamation);
    return nullptr;
}

int CWinSockComm::ConnectService(char* host, const char* service) {
    Disconnect();
    if (!host) return 0;

    std::string nameText;
    int port = 0;
    bool explicitPort = SplitHostPort(host, &nameText, &port);
    std::vector<char> name;
    if (explicitPort)
        name.assign(nameText.begin(), nameText.end());
    else
        name.assign(host, host + std::strlen(host));
    name.push_back('\0');

    bool failed = false;
    socket = layer->OpenStreamSocket();
    if (!socket) {
        CheckError("");
        failed = true;
    }
    if (!failed && !layer->SetInlineUrgentData(socket) && CheckError("") != 0) failed = true;
    if (!failed && !layer->SetNoDelay(socket) && CheckError("") != 0) failed = true;

    std::uint32_t address = 0;
    if (!failed) {
        const SocketHostEntry* entry = ResolveHost(name.data());
        if (!entry || entry->addresses.empty()) {
            failed = true;
        } else {
            address = entry->addresses.front();
            if (explicitPort) {
                // Keep the port on a rewritten name; the name never grew.
                std::string rewritten = std::string(name.data()) + ":" + std::to_string(port);
                if (rewritten.size() <= std::strlen(host)) std::strcpy(host, rewritten.c_str());
            } else {
                std::strcpy(host, name.data());
            }
        }
    }
    if (!failed && !explicitPort) {
        port = layer->LookupServicePort(service ? service : "", "tcp");
        if (port <= 0) {
            CheckError("Make sure this is a valid TCP service.");
            failed = true;
        }
    }
    if (!failed && !layer->ConnectTo(socket, address, port) && CheckError("") != 0) failed = true;
    if (!failed && !layer->SelectEvents(socket) && CheckError("") != 0) failed = true;

    if (failed) {
        // Keep the reason readable through CheckError after the close.
        int error = layer->LastError();
        Disconnect();
        layer->SetLastError(error);
        return 0;
    }
    return 1;
}

void CWinSockComm::GetLocalAddress(char* out, int size) {
    if (!out || size <= 0) return;
    out[0] = '\0';
    char name[100];
    if (!layer->GetLocalHostName(name, sizeof name)) return;
    name[sizeof name - 1] = '\0';
    SocketHostEntry entry;
    if (!layer->LookupHostByName(name, &entry) || entry.addresses.empty()) return;
    char dotted[16];
    FormatDotted(entry.addresses.front(), dotted, sizeof dotted);
    if (static_cast<int>(std::strlen(dotted)) < size) std::strcpy(out, dotted);
}
