// The ovscript command language: one command per line, each answered with
// its output lines and a last line "ok" or "error MESSAGE".
//
//   connect HOST        HOST may be name:port
//   disconnect
//   quit
//   type TEXT           C-style escapes \r \n \t \e \xHH \\ ; typed characters
//                       (\r is Enter: CR LF, or CR alone under telnet BINARY)
//   key NAME            F1..F16 Left Right Up Down Insert Delete Home End
//                       PageUp PageDown Break Help, prefixed Shift+ Ctrl+ Alt+
//   wait TEXT [MS]      until TEXT is on the screen (default 5000 ms)
//   settle MS           until the host has been quiet for MS
//   screen              rows 0..24
//   cursor              ROW COL
//   local on|off
#pragma once

#include <cstdio>
#include <string>

class ScriptSession;

namespace script {

enum class Outcome { kContinue, kQuit };

// Runs one command line, writing its answer to out.
Outcome RunCommand(ScriptSession& session, const std::string& line, std::FILE* out);

// The virtual key of a key name ("F1", "PageUp", ...), or 0 when unknown.
unsigned VirtualKeyOf(const std::string& name);

}  // namespace script
