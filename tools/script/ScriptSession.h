// A headless terminal session built from the program's own controller, view,
// emulator and telnet transport, driven by commands instead of a window.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CWinTermController;
class CWinTermView;
class ScriptPlatform;

class ScriptSession {
public:
    // Message boxes are written to out as "message CAPTION: TEXT" lines.
    explicit ScriptSession(std::FILE* out);
    ~ScriptSession();
    ScriptSession(const ScriptSession&) = delete;
    ScriptSession& operator=(const ScriptSession&) = delete;

    bool Ready() const { return controller != nullptr && view != nullptr; }

    bool Connect(const std::string& host);
    void Disconnect();
    bool IsConnected() const;
    void SetLocal(bool on);
    bool Local() const;

    // Typed characters, as the main window sends them (CR becomes CR LF,
    // or stays CR alone while the telnet BINARY option is on our side).
    void Type(const std::string& text);
    // A special key through the key-down path; modifiers are virtual keys held down.
    void PressKey(unsigned virtualKey, bool shift, bool ctrl, bool alt);

    // Handles socket events for up to timeoutMs; returns the number handled.
    int Pump(int timeoutMs);
    // Output still held for the host.
    bool HasPendingOutput() const;

    // Whether the screen may have changed since the last call.
    bool TakeScreenChanged();

    std::vector<std::string> Rows() const;
    std::string Cursor() const;
    bool ScreenContains(const std::string& text) const;

private:
    std::unique_ptr<ScriptPlatform> platform;
    std::unique_ptr<CWinTermController> controller;
    CWinTermView* view = nullptr;
};
