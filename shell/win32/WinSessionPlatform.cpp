#include "shell/win32/WinSessionPlatform.h"

#include <new>

#include "dialogs/win32/Dialogs.h"
#include "print/win32/CWinPrinter.h"

bool CWinSessionPlatform::IsKeyDown(unsigned virtualKey) {
    return (GetKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

CTermPrinter* CWinSessionPlatform::CreatePrinter() { return new (std::nothrow) CWinPrinter(window); }

int CWinSessionPlatform::ShowMessage(const char* text, const char* caption, unsigned type) {
    return MessageBoxA(window, text, caption, type);
}

void CWinSessionPlatform::RequestQuit(int exitCode) { PostQuitMessage(exitCode); }

void CWinSessionPlatform::RunConnectDialog() { ::RunConnectDialog(window, controller); }
void CWinSessionPlatform::RunAboutDialog() { ::RunAboutDialog(window); }
void CWinSessionPlatform::RunColourDialog() { ChooseScreenColour(window); }

bool CWinSessionPlatform::ChooseFont(int* charWidth, int* lineHeight) {
    LOGFONTA chosen;
    return ChooseTerminalFont(window, &chosen) && port.ChangeFont(chosen, charWidth, lineHeight);
}

void CWinSessionPlatform::RunFtpSettingsDialog() { ::RunFtpSettingsDialog(window); }
void CWinSessionPlatform::RunTransferDialog(int download) { ::RunTransferDialog(window, download); }

void CWinSessionPlatform::StartCommandPrompt() {
    // The NT family has CMD.EXE; the older Windows a PIF for COMMAND.COM.
    const bool ntFamily = (GetVersion() & 0x80000000u) == 0;
    WinExec(ntFamily ? "CMD.EXE" : "DOSPRMPT.PIF", SW_SHOWNORMAL);
}

// Posted, not sent: the command that asks is still running inside the view,
// which the close destroys.
void CWinSessionPlatform::RequestClose() { PostMessageA(window, WM_CLOSE, 0, 0); }
