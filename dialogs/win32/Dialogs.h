// The terminal program's dialogs. Each runs modally (the colour dialog
// excepted, which leaves its owner usable) and centres itself over its owner.
#pragma once

#include <windows.h>

class CTermController;

// Dialog 101: asks for a host name and hands it to the controller's Connect
// (blocking); closes whatever the outcome.
void RunConnectDialog(HWND owner, CTermController* controller);
// Dialog 104: the program's version strings and the running Windows version.
void RunAboutDialog(HWND owner);
// The standard colour dialog on the "ChooseColor16" template; every Apply
// sends message 0x402 with the picked RGB value to mainWindow.
void ChooseScreenColour(HWND mainWindow);
// The standard font dialog on fixed-pitch screen fonts. True with *chosen
// filled when the user confirmed a font; false when cancelled.
bool ChooseTerminalFont(HWND mainWindow, LOGFONTA* chosen);
// Dialog 110: per-host FTP user name and (scrambled) password.
void RunFtpSettingsDialog(HWND owner);
// Dialog 111: download (download != 0) or upload through the FTP client.
void RunTransferDialog(HWND owner, int download);
