// A view wired to a recording window port and to a controller whose transport
// records what is sent to the host.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/CTermComm.h"
#include "session/CTermController.h"
#include "tests/view/RecordingPort.h"
#include "view/CWinTermView.h"

class RecordingComm : public CTermComm {
public:
    RecordingComm() : CTermComm(nullptr, nullptr, nullptr) {}
    int CheckError(const char*) override { return 0; }
    int Connect(char* host) override {
        connects.push_back(host ? host : "");
        return connectResult;
    }
    int Disconnect() override { return 1; }
    int IsConnected() override { return connected ? 1 : 0; }
    int Receive(char*, int* length) override {
        *length = 0;
        return 1;
    }
    int Send(const char* data, int length) override {
        if (length > 0) sent.append(data, static_cast<size_t>(length));
        return length;
    }

    bool connected = true;
    int connectResult = 1;
    std::string sent;
    std::vector<std::string> connects;
};

struct ViewHarness {
    explicit ViewHarness(const std::function<void(RecordingPort&)>& setup = nullptr, const char* fore = "NULL",
                         const char* back = "NULL") {
        if (setup) setup(port);
        comm = new RecordingComm;
        controller.AdoptComms(comm);  // the controller owns it
        view = std::make_unique<CWinTermView>(&controller, &failed, &port, fore, back);
    }

    // Characters of screen row r (0..25) as text.
    std::string Row(int r) const { return Line(screen::kHistoryLines + r); }
    // Characters of row-table line i (0..97) as text.
    std::string Line(int i) const {
        const unsigned* cells = view->TableLine(i);
        std::string s;
        for (int c = 0; c < screen::kColumns; ++c) s += static_cast<char>(cells[c] & 0xFF);
        return s;
    }
    void Put(const std::string& text) { view->PutText(text.data(), static_cast<int>(text.size())); }
    unsigned Blank() const { return view->GetDefaultAttr() | 0x20u; }

    RecordingPort port;
    CTermController controller;
    RecordingComm* comm = nullptr;
    int failed = -1;
    std::unique_ptr<CWinTermView> view;
};
