#include "tools/script/ScriptCommands.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "tools/script/Escapes.h"
#include "tools/script/ScriptSession.h"

namespace script {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultWaitMs = 5000;
constexpr int kSliceMs = 20;
// Even a host that never stops talking cannot keep "settle" from answering.
constexpr int kSettleLimitMs = 60000;
constexpr int kFlushLimitMs = 10000;

struct KeyName {
    const char* name;
    unsigned virtualKey;
};
const KeyName kKeyNames[] = {
    {"Left", 0x25},  {"Right", 0x27},  {"Up", 0x26},     {"Down", 0x28},     {"Insert", 0x2D},
    {"Delete", 0x2E}, {"Home", 0x24},  {"End", 0x23},    {"PageUp", 0x21},   {"PageDown", 0x22},
    {"Break", 0x03}, {"Help", 0x2F},
};

int ElapsedMs(Clock::time_point since) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

bool ParseMs(const std::string& text, int* ms) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *ms = std::atoi(text.c_str());
    return true;
}

void Ok(std::FILE* out) { std::fprintf(out, "ok\n"); }
void Error(std::FILE* out, const std::string& message) { std::fprintf(out, "error %s\n", message.c_str()); }

bool CanSend(ScriptSession& session, std::FILE* out) {
    if (session.Local() || session.IsConnected()) return true;
    Error(out, "not connected");
    return false;
}

// Gives the host what is held for it; false when it will not take it.
bool Flush(ScriptSession& session) {
    auto start = Clock::now();
    while (session.HasPendingOutput()) {
        if (ElapsedMs(start) > kFlushLimitMs) return false;
        session.Pump(kSliceMs);
    }
    return true;
}

void Wait(ScriptSession& session, const std::string& argument, std::FILE* out) {
    std::string text = argument;
    int limit = kDefaultWaitMs;
    size_t space = argument.rfind(' ');
    if (space != std::string::npos && ParseMs(argument.substr(space + 1), &limit)) text = argument.substr(0, space);
    text = Unescape(text);
    if (text.empty()) return Error(out, "wait needs a text");
    auto start = Clock::now();
    // Scanning the screen costs far more than a received block: look again
    // only when the screen changed, or when the connection has gone quiet.
    session.TakeScreenChanged();
    for (bool look = true;;) {
        if (look && session.ScreenContains(text)) return Ok(out);
        if (!session.Local() && !session.IsConnected()) return Error(out, "connection lost waiting for " + text);
        int left = limit - ElapsedMs(start);
        if (left <= 0) return Error(out, "timeout waiting for " + text);
        const int handled = session.Pump(left < kSliceMs ? left : kSliceMs);
        look = session.TakeScreenChanged() || handled == 0;
    }
}

void Settle(ScriptSession& session, const std::string& argument, std::FILE* out) {
    int quietMs = 0;
    if (!ParseMs(argument, &quietMs)) return Error(out, "settle needs a time in milliseconds");
    const bool wasConnected = session.IsConnected();
    auto start = Clock::now();
    auto lastEvent = Clock::now();
    while (ElapsedMs(lastEvent) < quietMs) {
        if (ElapsedMs(start) > kSettleLimitMs) return Error(out, "the host did not settle");
        if (!session.IsConnected()) {
            // Nothing more can come; a host lost on the way is an error.
            if (wasConnected) return Error(out, "connection lost");
            break;
        }
        if (session.Pump(kSliceMs) > 0) lastEvent = Clock::now();
    }
    Ok(out);
}

void Key(ScriptSession& session, const std::string& argument, std::FILE* out) {
    bool shift = false, ctrl = false, alt = false;
    std::string name = argument;
    for (;;) {
        if (name.rfind("Shift+", 0) == 0) {
            shift = true;
            name.erase(0, 6);
        } else if (name.rfind("Ctrl+", 0) == 0) {
            ctrl = true;
            name.erase(0, 5);
        } else if (name.rfind("Alt+", 0) == 0) {
            alt = true;
            name.erase(0, 4);
        } else {
            break;
        }
    }
    unsigned vk = VirtualKeyOf(name);
    if (!vk) return Error(out, "unknown key " + argument);
    if (!CanSend(session, out)) return;
    session.PressKey(vk, shift, ctrl, alt);
    if (!Flush(session)) return Error(out, "the host does not take input");
    Ok(out);
}

}  // namespace

unsigned VirtualKeyOf(const std::string& name) {
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' &&
        name.find_first_not_of("0123456789", 1) == std::string::npos) {
        int n = std::atoi(name.c_str() + 1);
        return n >= 1 && n <= 16 ? 0x70u + static_cast<unsigned>(n - 1) : 0;
    }
    for (const KeyName& key : kKeyNames)
        if (name == key.name) return key.virtualKey;
    return 0;
}

Outcome RunCommand(ScriptSession& session, const std::string& line, std::FILE* out) {
    size_t space = line.find(' ');
    std::string command = line.substr(0, space);
    std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
    Outcome outcome = Outcome::kContinue;
    try {
        if (command == "connect") {
            if (argument.empty()) Error(out, "connect needs a host");
            else if (session.Connect(argument)) Ok(out);
            else Error(out, "cannot connect to " + argument);
        } else if (command == "disconnect") {
            session.Disconnect();
            Ok(out);
        } else if (command == "quit") {
            Ok(out);
            outcome = Outcome::kQuit;
        } else if (command == "type") {
            std::string text = Unescape(argument);
            if (CanSend(session, out)) {
                session.Type(text);
                if (Flush(session)) Ok(out);
                else Error(out, "the host does not take input");
            }
        } else if (command == "key") {
            Key(session, argument, out);
        } else if (command == "wait") {
            Wait(session, argument, out);
        } else if (command == "settle") {
            Settle(session, argument, out);
        } else if (command == "screen") {
            for (const std::string& row : session.Rows()) std::fprintf(out, "%s\n", row.c_str());
            Ok(out);
        } else if (command == "cursor") {
            std::fprintf(out, "%s\n", session.Cursor().c_str());
            Ok(out);
        } else if (command == "local") {
            if (argument == "on" || argument == "off") {
                session.SetLocal(argument == "on");
                Ok(out);
            } else {
                Error(out, "local takes on or off");
            }
        } else {
            Error(out, "unknown command " + command);
        }
    } catch (const std::invalid_argument& e) {
        Error(out, e.what());
    }
    std::fflush(out);
    return outcome;
}

}  // namespace script
