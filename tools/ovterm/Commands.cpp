#include "tools/ovterm/Commands.h"

#include <sstream>

namespace ovterm {

const char* const kHelpText =
    "quit                 end ovterm\n"
    "disconnect           close the connection, stay in ovterm\n"
    "connect HOST[:PORT]  connect to a host (#N: the Nth of the recent hosts)\n"
    "recent               the recent hosts, most recent first\n"
    "local on|off         local (offline) mode\n"
    "log FILE|off         log what the host sends (the scope log)\n"
    "break                send a break\n"
    "keys                 the function keys the host has programmed, with their labels\n"
    "help                 this list";

Command ParseCommand(const std::string& line) {
    std::istringstream in(line);
    std::string word, argument, extra;
    in >> word >> argument >> extra;
    Command command;
    if (word.empty()) return command;
    auto bad = [&](const std::string& why) {
        command.kind = CommandKind::kBad;
        command.argument = why;
        return command;
    };
    if (!extra.empty()) return bad("too many arguments to " + word);
    struct Plain {
        const char* word;
        CommandKind kind;
    };
    static const Plain kPlain[] = {{"quit", CommandKind::kQuit},   {"disconnect", CommandKind::kDisconnect},
                                   {"break", CommandKind::kBreak}, {"keys", CommandKind::kKeys},
                                   {"recent", CommandKind::kRecent}, {"help", CommandKind::kHelp}};
    for (const Plain& p : kPlain) {
        if (word != p.word) continue;
        if (!argument.empty()) return bad(word + " takes no argument");
        command.kind = p.kind;
        return command;
    }
    if (word == "connect") {
        if (argument.empty()) return bad("connect needs a host");
        command.kind = CommandKind::kConnect;
    } else if (word == "local") {
        if (argument != "on" && argument != "off") return bad("local on or local off");
        command.kind = CommandKind::kLocal;
    } else if (word == "log") {
        if (argument.empty()) return bad("log needs a file name or off");
        command.kind = CommandKind::kLog;
    } else {
        return bad("unknown command " + word + " (help lists them)");
    }
    command.argument = argument;
    return command;
}

}  // namespace ovterm
