#include "tools/script/ScriptSession.h"

#include <cstring>

#include "emu/KeyCodes.h"
#include "net/CWinSockComm.h"
#include "net/posix/SocketEventPump.h"
#include "session/CWinTermController.h"
#include "session/ControllerPlatform.h"
#include "session/TypedInput.h"
#include "tools/replay/CaptureDevices.h"
#include "tools/replay/HeadlessPort.h"
#include "tools/replay/ScreenText.h"
#include "view/CWinTermView.h"

namespace {

// Message texts may hold line breaks; one answer line each keeps the
// protocol line-oriented.
std::string OneLine(const char* text) {
    std::string line = text ? text : "";
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

class ScriptPort : public CHeadlessPort {
public:
    explicit ScriptPort(std::FILE* stream) : out(stream) {}
    int MessageBox(const char* text, const char* caption, unsigned) override {
        std::fprintf(out, "message %s: %s\n", OneLine(caption).c_str(), OneLine(text).c_str());
        std::fflush(out);
        return 1;
    }
    void SetCaption(const char* text) override { caption = text ? text : ""; }
    // Every change of the screen's cells reaches the window as one of these.
    void Invalidate(const PixelRect*, bool) override { changed = true; }
    void ScrollPixels(const PixelRect&, int, int) override { changed = true; }
    void FillBackground(const PixelRect&) override { changed = true; }
    std::string caption;
    bool changed = true;

private:
    std::FILE* out;
};

}  // namespace

class ScriptPlatform : public CControllerPlatform {
public:
    explicit ScriptPlatform(std::FILE* stream) : port(stream) {}
    CWindowPort* WindowPort() override { return &port; }
    void* SocketEventTarget() override { return nullptr; }
    bool IsKeyDown(unsigned virtualKey) override {
        return (virtualKey == keys::kVkShift && shift) || (virtualKey == keys::kVkControl && ctrl) ||
               (virtualKey == keys::kVkMenu && alt);
    }
    CTermPrinter* CreatePrinter() override { return new CCapturePrinter; }
    int ShowMessage(const char* text, const char* caption, unsigned type) override {
        return port.MessageBox(text, caption, type);
    }
    void RequestQuit(int) override {}

    ScriptPort port;
    bool shift = false, ctrl = false, alt = false;
};

ScriptSession::ScriptSession(std::FILE* out) : platform(new ScriptPlatform(out)) {
    int status = 0;
    controller.reset(new CWinTermController(&status, platform.get(), CTermController::kWyse50Emulator, &view));
    if (status) {
        controller.reset();
        view = nullptr;
    }
}

ScriptSession::~ScriptSession() = default;

bool ScriptSession::Connect(const std::string& host) {
    std::vector<char> text(host.begin(), host.end());
    text.resize(host.size() + 64, '\0');  // room for the transport's rewrite
    return controller->Connect(text.data()) == 1;
}

void ScriptSession::Disconnect() {
    controller->Disconnect();
    view->SetTitle("");
}

bool ScriptSession::IsConnected() const { return controller->IsConnected() != 0; }

void ScriptSession::SetLocal(bool on) { controller->SetLocalMode(on ? 1 : 0); }

bool ScriptSession::Local() const { return controller->LocalMode() != 0; }

void ScriptSession::Type(const std::string& text) {
    for (char c : text) {
        std::string block = typed::BuildBlock(c, 1, nullptr, controller->EnterSendsCrAlone());
        controller->SendToHost(block.data(), static_cast<int>(block.size()));
    }
}

void ScriptSession::PressKey(unsigned virtualKey, bool shift, bool ctrl, bool alt) {
    platform->shift = shift;
    platform->ctrl = ctrl;
    platform->alt = alt;
    controller->KeyDown(virtualKey);
    platform->shift = platform->ctrl = platform->alt = false;
}

int ScriptSession::Pump(int timeoutMs) {
    auto* comms = static_cast<CWinSockComm*>(controller->Comms());
    if (!comms || !comms->IsConnected()) return 0;
    return PumpSocketEvents(*comms, timeoutMs, *controller);
}

bool ScriptSession::TakeScreenChanged() {
    const bool changed = platform->port.changed;
    platform->port.changed = false;
    return changed;
}

bool ScriptSession::HasPendingOutput() const {
    auto* comms = static_cast<CWinSockComm*>(controller->Comms());
    return comms && comms->IsConnected() && comms->HasPendingOutput();
}

std::vector<std::string> ScriptSession::Rows() const { return ScreenRows(*view); }

std::string ScriptSession::Cursor() const {
    return std::to_string(view->GetRow()) + " " + std::to_string(view->GetColumn());
}

bool ScriptSession::ScreenContains(const std::string& text) const {
    for (const std::string& row : Rows())
        if (row.find(text) != std::string::npos) return true;
    return false;
}
