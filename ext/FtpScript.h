// Command scripts for the system's command-line FTP client, and the per-host
// login kept in the settings. Both file transfers use them: the one the host
// starts with ESC F C and the one of the Utilities menu.
//
// The script holds the password in clear text, so it lives only while the
// client runs: RunFtpScript deletes it once the client has ended, and every
// failure deletes whatever was written.
#pragma once

#include <string>
#include <vector>

#include "ext/ProgramLauncher.h"

namespace ftp {

// In the working directory, where the client is told to read it.
inline constexpr char kScriptFile[] = "SCRFTP";

// Stored passwords: every character code plus 5, modulo 256.
std::string Scramble(const std::string& clear);
std::string Unscramble(const std::string& stored);

// The login kept for a host: "User" and "Password" in the host's section.
// user is what the settings store answers for "User" with the default
// "NULL" (empty when the registry layout holds nothing). A password that was
// never stored reads as empty in both layouts.
struct Login {
    std::string user, password;
};
Login ReadLogin(const std::string& host);
// 1 when both values were stored. Refused (0, nothing written) when the
// host is empty or the scrambled password could not be kept whole: a
// character that scrambles to NUL (0xFB) would end it, one that scrambles to
// a line break would not survive the profile file.
int WriteLogin(const std::string& host, const std::string& user, const std::string& password);

struct Transfer {
    std::string host;
    Login login;
    std::string mode;       // "binary" or "ascii"
    std::string files;      // names or patterns, as the client takes them
    std::string directory;  // the remote directory; uploads only
    bool upload = false;
};

// The script of the menu transfer: open, user, password, "passive", mode,
// then "cd" and "mput" (upload) or "mget", "close" and "bye".
std::vector<std::string> MenuScriptLines(const Transfer& transfer);
// The script of the host's ESC F C: as above but "prompt" after the mode
// and no "passive".
std::vector<std::string> HostScriptLines(const Transfer& transfer);

enum class ScriptResult {
    kRan,           // the client ran and has ended (its own success is unknown)
    kNotStarted,    // the client could not be started
    kWriteFailed,   // the script could not be created or written
};

// Writes lines to kScriptFile in text mode, each but the last followed by a
// line end, runs command hidden through launcher and deletes the script
// afterwards. A line holding CR or LF is refused as a write failure: it would
// smuggle further commands into the script.
ScriptResult RunFtpScript(const std::vector<std::string>& lines, const char* command,
                          CProgramLauncher& launcher = SystemLauncher());

}  // namespace ftp
