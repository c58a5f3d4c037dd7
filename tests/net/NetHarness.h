// A real view behind a port that keeps message boxes, for the transport's
// messages, and a receive handler that keeps what it is handed.
#pragma once

#include <string>
#include <vector>

#include "emu/CRxHandler.h"
#include "net/CTermComm.h"
#include "net/SocketEventSink.h"
#include "session/CTermController.h"
#include "tools/replay/HeadlessPort.h"
#include "view/CWinTermView.h"

class CBoxPort : public CHeadlessPort {
public:
    int MessageBox(const char* text, const char* caption, unsigned type) override {
        boxes.push_back({text, caption, type});
        return 1;
    }
    struct Box {
        std::string text, caption;
        unsigned type;
    };
    std::vector<Box> boxes;
};

struct CViewHarness {
    CViewHarness() {
        int failed = 0;
        view = new CWinTermView(&controller, &failed, &port);
        controller.AdoptView(view);
    }
    CBoxPort port;
    CTermController controller;
    CWinTermView* view = nullptr;
};

class CKeepingHandler : public CRxHandler {
public:
    void OnReceive(const char* data, int len) override {
        chunks.push_back(len);
        received.append(data, static_cast<size_t>(len));
    }
    std::vector<int> chunks;
    std::string received;
};

// What the session controller does with socket events: hand them on.
class CForwardingSink : public CSocketEventSink {
public:
    explicit CForwardingSink(CTermComm& comms) : comms(comms) {}
    void OnSocketEvent(int closed) override {
        events.push_back(closed);
        comms.OnSocketEvent(closed);
    }
    void OnSocketWritable() override {
        ++writables;
        comms.OnSocketWritable();
    }
    CTermComm& comms;
    std::vector<int> events;
    int writables = 0;
};
