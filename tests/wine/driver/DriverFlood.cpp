// floodwatch: how long the window keeps a caller waiting while the host
// floods it, and when the flood's last line reaches the screen.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Driver.h"
#include "DriverHook.h"
#include "TextEscape.h"

namespace ovdrive {

namespace {

// A command id the window ignores: its WM_COMMAND costs only the routing.
const WPARAM kIgnoredCommand = 9999;
const UINT kCopyCommand = 104;
// Between two probes, so the probing itself does not load the program.
const DWORD kProbeGapMs = 10;
const double kScreenPollMs = 200;
// A probe the window does not answer within this counts as this long.
const UINT kProbeLimitMs = 10000;
const double kSlowMs = 100;

class Clock {
public:
    Clock() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_, start_;
};

struct Samples {
    std::vector<double> ms;
    double worstAt = 0;  // when the slowest answer was asked for
    int timeouts = 0;

    void Add(double value, double at) {
        if (ms.empty() || value > *std::max_element(ms.begin(), ms.end())) worstAt = at;
        ms.push_back(value);
    }
    void Merge(const Samples& other) {
        if (!other.ms.empty() && (ms.empty() || *std::max_element(other.ms.begin(), other.ms.end()) >
                                                     *std::max_element(ms.begin(), ms.end())))
            worstAt = other.worstAt;
        ms.insert(ms.end(), other.ms.begin(), other.ms.end());
        timeouts += other.timeouts;
    }
    std::string Summary(const char* name) const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        double total = 0;
        long slow = 0;
        for (double v : sorted) {
            total += v;
            if (v > kSlowMs) ++slow;
        }
        const size_t n = sorted.size();
        const double p99 = n ? sorted[static_cast<size_t>(std::ceil(0.99 * static_cast<double>(n))) - 1] : 0;
        char text[256];
        snprintf(text, sizeof text,
                 "%s count=%zu max_ms=%.3f avg_ms=%.3f p99_ms=%.3f over_100ms=%ld timeouts=%d worst_at_ms=%.0f", name, n,
                 n ? sorted.back() : 0.0, n ? total / static_cast<double>(n) : 0.0, p99, slow, timeouts, worstAt);
        return text;
    }
};

}  // namespace

bool Driver::FloodWatch(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 1, 2) || !TimeoutArg(c, 1, ms) || !NeedTarget(c)) return false;
    const std::string& marker = c.args[0];
    if (marker.empty()) return Fail("floodwatch: the marker is empty");
    HMENU popup = nullptr;
    if (!PopupHandle(c, 0, popup)) return false;
    HookShared before = {};
    before.op = kHookCounters;
    if (!AskHook(c, before)) return false;

    const Clock clock;
    Samples command, initMenu;
    double markerMs = -1, nextPoll = 0;
    int polls = 0;
    double pollMs = 0;  // spent reading the screen
    auto probe = [&](UINT msg, WPARAM wp, LPARAM lp, Samples& samples) {
        const double at = clock.Ms();
        DWORD_PTR ignored;
        if (!SendMessageTimeoutA(target_, msg, wp, lp, SMTO_NORMAL, kProbeLimitMs, &ignored)) {
            if (!IsWindow(target_)) return Fail("floodwatch: the window is gone");
            ++samples.timeouts;
        }
        samples.Add(clock.Ms() - at, at);
        return true;
    };
    while (markerMs < 0) {
        if (clock.Ms() > ms) break;
        if (!probe(WM_COMMAND, MAKEWPARAM(kIgnoredCommand, 0), 0, command) ||
            !probe(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE), initMenu))
            return false;
        const double pollStart = clock.Ms();
        if (pollStart >= nextPoll) {
            // The screen as the program's own Copy gives it; the marker
            // names the flood's last line.
            bool has = false;
            std::string text;
            if (!DragCells(0, 0, 24, 80) || !SendWait(target_, WM_COMMAND, MAKEWPARAM(kCopyCommand, 0), 0, "floodwatch") ||
                !ReadClipboard(has, text))
                return false;
            ++polls;
            if (has && text.find(marker) != std::string::npos) markerMs = clock.Ms();
            pollMs += clock.Ms() - pollStart;
            nextPoll = clock.Ms() + kScreenPollMs;
        }
        Sleep(kProbeGapMs);
    }

    HookShared after = {};
    after.op = kHookCounters;
    if (!AskHook(c, after)) return false;
    char text[200];
    snprintf(text, sizeof text, "floodwatch marker_ms=%.0f watched_ms=%.0f screen_polls=%d screen_poll_ms=%.0f",
             markerMs, clock.Ms(), polls, pollMs);
    Print(text);
    Samples all = command;
    all.Merge(initMenu);
    Print(all.Summary("respond"));
    Print(command.Summary("respond_command"));
    Print(initMenu.Summary("respond_initmenu"));
    snprintf(text, sizeof text, "traffic socket_messages=%llu queued_paints=%llu called_paints=%llu",
             after.socketMessages - before.socketMessages, after.queuedPaints - before.queuedPaints,
             after.calledPaints - before.calledPaints);
    Print(text);
    if (markerMs < 0)
        return Fail("floodwatch: \"" + EscapeText(marker, false) + "\" not on the screen after " + std::to_string(ms) +
                    " ms");
    return true;
}

}  // namespace ovdrive
