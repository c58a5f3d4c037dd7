// The command prompt's language: one command per line, a word and an argument.
#pragma once

#include <string>

namespace ovterm {

enum class CommandKind { kNone, kQuit, kDisconnect, kConnect, kLocal, kLog, kBreak, kKeys, kRecent, kHelp, kBad };

struct Command {
    CommandKind kind = CommandKind::kNone;
    std::string argument;  // connect: host or #N (a recent host); local: "on"/"off"; log: file or "off"; bad: the reason
};

// Blank lines are kNone; unknown words and missing or wrong arguments kBad.
Command ParseCommand(const std::string& line);

// One line per command, separated by line feeds.
extern const char* const kHelpText;

}  // namespace ovterm
