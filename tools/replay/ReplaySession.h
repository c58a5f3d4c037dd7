// A fresh emulator, view and capture ends, fed with bytes as the transport
// would deliver them. Shared by ovreplay, the fixture tests, the fuzzers and
// the benchmark.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CTermController;
class CWinTermView;
class CWyse50Emulator;
class CHeadlessPort;
class CWindowPort;
class CCaptureComm;
class CCapturePrinter;
class CRecordingLauncher;

class ReplaySession {
public:
    // Builds everything in the current directory (the emulator keeps
    // "SCRLINES.SRC" there, and the host's commands write their files there).
    // Message boxes are echoed to messageStream if given. Programs the stream
    // asks for are only noted (Runs()); none is ever started.
    explicit ReplaySession(std::FILE* messageStream = nullptr);
    // The same with the view drawing on windowPort (which outlives the
    // session) instead of a port without a window; Messages() then stays empty.
    explicit ReplaySession(CWindowPort& windowPort);
    ~ReplaySession();
    ReplaySession(const ReplaySession&) = delete;
    ReplaySession& operator=(const ReplaySession&) = delete;

    static constexpr size_t kBlockSize = 500;
    // Feeds data through OnReceive in blocks of at most blockSize bytes.
    void Feed(const void* data, size_t len, size_t blockSize = kBlockSize);
    void Feed(const std::string& bytes, size_t blockSize = kBlockSize) {
        Feed(bytes.data(), bytes.size(), blockSize);
    }

    // Screen rows 0..24, each through code page 437 as UTF-8, trailing spaces removed.
    std::vector<std::string> Rows() const;
    // "ROW COL"
    std::string Cursor() const;
    // Rows 0..25, each 80 cell words in hex.
    std::vector<std::string> CellRows() const;
    const std::string& Sent() const;
    const std::string& Printed() const;
    // The command lines the stream asked to run, in order.
    const std::vector<std::string>& Runs() const;
    // The message boxes shown, each "CAPTION: TEXT".
    const std::vector<std::string>& Messages() const;

    CWinTermView& View() const { return *view; }
    CWyse50Emulator& Emulator() const { return *emulator; }
    CTermController& Controller() const { return *controller; }

private:
    ReplaySession(std::FILE* messageStream, CWindowPort* windowPort);

    std::unique_ptr<CHeadlessPort> port;
    std::unique_ptr<CRecordingLauncher> launcher;
    std::unique_ptr<CTermController> controller;
    CWinTermView* view = nullptr;          // owned by the controller
    CWyse50Emulator* emulator = nullptr;   // owned by the controller
    CCaptureComm* comms = nullptr;         // owned by the controller
    CCapturePrinter* printer = nullptr;    // owned by the controller
};

#include "tools/replay/ScreenText.h"
