// What the view's menu commands need from the program around the window:
// the dialogs, the font chooser, the command prompt and closing the window.
// The Win32 program implements it over its dialogs; headless sessions have
// none, and the commands that need it do nothing there.
#pragma once

class CMenuPort;

class CViewCommandPort {
public:
    virtual ~CViewCommandPort() = default;
    virtual void RunConnectDialog() = 0;
    virtual void RunAboutDialog() = 0;
    virtual void RunColourDialog() = 0;
    // The font dialog; when a font was confirmed it is now the screen font and
    // the answer is true with its cell size.
    virtual bool ChooseFont(int* charWidth, int* lineHeight) = 0;
    virtual void RunFtpSettingsDialog() = 0;
    virtual void RunTransferDialog(int download) = 0;
    virtual void StartCommandPrompt() = 0;
    // Asks the main window to close (as its close box would).
    virtual void RequestClose() = 0;
};
