// The user's switch for the host commands that write files for other
// programs and start them (ESC F k, ESC F C, ESC F n, ESC F E): telnet is
// unencrypted, and these let whoever speaks for the host run programs on
// this PC. Section "Security", key "HostCommands"; "0" refuses them, any
// other value or none allows them.
#pragma once

namespace hostcmd {
inline constexpr char kSection[] = "Security";
inline constexpr char kKey[] = "HostCommands";

// Read from the settings store at every call, so a change applies at once.
bool AllowedBySettings();
}  // namespace hostcmd
