// The main window's menu commands, the recent-hosts list behind the Connect
// menu, screen colours chosen by name, local mode and the scope log.
#include "view/CWinTermView.h"

#include <cstring>

#include "session/CTermController.h"
#include "settings/MruList.h"
#include "settings/Settings.h"
#include "view/CommandPort.h"

namespace {
const char kScopeLogName[] = "scope.log";

struct Swatch {
    unsigned rgb;
    const char* name;
    unsigned code;
};
// The colour dialog's swatches and the names they stand for.
constexpr Swatch kForegroundSwatches[] = {
    {Rgb(10, 10, 10), "BLACK", 1},    {Rgb(0, 128, 200), "BLUE", 2},   {Rgb(0, 255, 0), "GREEN", 3},
    {Rgb(0, 255, 200), "CYAN", 4},    {Rgb(255, 0, 0), "RED", 5},      {Rgb(255, 0, 255), "MAGENTA", 6},
    {Rgb(200, 64, 64), "BROWN", 7},   {Rgb(255, 255, 255), "WHITE", 8},
};
constexpr Swatch kBackgroundSwatches[] = {
    {Rgb(0, 0, 0), "BLACK", 1},       {Rgb(0, 0, 180), "BLUE", 2},     {Rgb(0, 200, 0), "GREEN", 3},
    {Rgb(0, 180, 180), "CYAN", 4},    {Rgb(200, 0, 0), "RED", 5},      {Rgb(200, 0, 200), "MAGENTA", 6},
    {Rgb(128, 64, 0), "BROWN", 7},    {Rgb(220, 220, 220), "WHITE", 8},
};

template <std::size_t N>
const Swatch* FindSwatch(const Swatch (&swatches)[N], unsigned rgb) {
    for (const Swatch& s : swatches)
        if (s.rgb == rgb) return &s;
    return nullptr;
}
}  // namespace

int CWinTermView::OnCommand(int id) {
    switch (id) {
    case kCmdConnect:
        if (commandPort) commandPort->RunConnectDialog();
        break;
    case kCmdDisconnect:
        if (controller) controller->Disconnect();
        ClearScreen();
        SetTitle("");
        break;
    case kCmdExit:
        if (port->MessageBox("Are You Sure You Want To Exit?", mb::kCaption, mb::kYesNo | mb::kIconQuestion) ==
                mb::kAnswerYes &&
            commandPort)
            commandPort->RequestClose();
        break;
    case kCmdCopy:
        Copy();
        break;
    case kCmdPaste:
        Paste();
        break;
    case kCmdHelp:
        port->MessageBox("Help not yet implemented!", mb::kCaption, mb::kIconExclamation);
        break;
    case kCmdAbout:
        if (commandPort) commandPort->RunAboutDialog();
        break;
    case kCmdColours:
        if (commandPort) commandPort->RunColourDialog();
        break;
    case kCmdFont: {
        int width = 0, height = 0;
        if (commandPort && commandPort->ChooseFont(&width, &height)) FontChanged(width, height);
        break;
    }
    case kCmdBackupHost:
    case kCmdLocalHost: {
        char host[128];
        std::strcpy(host, id == kCmdBackupHost ? "backup" : "local");
        if (controller) controller->Connect(host);
        break;
    }
    case kCmdCommandPrompt:
        if (commandPort) commandPort->StartCommandPrompt();
        break;
    case kCmdScopeLog:
        ToggleScopeLog();
        break;
    case kCmdDefaultHost:
        ConnectToRecent(kCmdFirstRecent);
        break;
    case kCmdLocalMode:
        ToggleLocalMode();
        break;
    case kCmdSendDelete: {
        const char del = 0x7F;
        if (controller) controller->SendToHost(&del, 1);
        break;
    }
    case kCmdFtpSettings:
        if (commandPort) commandPort->RunFtpSettingsDialog();
        break;
    case kCmdDownload:
    case kCmdUpload:
        if (commandPort) commandPort->RunTransferDialog(id == kCmdDownload ? 1 : 0);
        break;
    default:
        if (id >= kCmdFirstRecent && id <= kCmdLastRecent) ConnectToRecent(id);
        break;
    }
    return 0;
}

void CWinTermView::ConnectToRecent(int commandId) {
    chosenHost[0] = '\0';
    MruGetEntry(recentHosts, static_cast<std::uint32_t>(commandId), 1, chosenHost, sizeof chosenHost);
    MruAddFront(recentHosts, chosenHost);
    MruBuildMenu(recentHosts, connectMenu, kCmdExit);
    // Connect may rewrite the name to its dotted address; it gets a copy.
    char host[sizeof chosenHost];
    std::memcpy(host, chosenHost, sizeof host);
    if (controller) controller->Connect(host);
}

void CWinTermView::ToggleLocalMode() {
    localMode = localMode ? 0 : 1;
    if (controller) controller->SetLocalMode(localMode);
    port->MessageBox(localMode ? "Local Mode : ON" : "Local Mode : OFF", mb::kCaption, mb::kIconInformation);
}

void CWinTermView::ToggleScopeLog() {
    if (logging) {
        port->MessageBox("Log written to SCOPE.LOG", mb::kCaption, mb::kIconExclamation);
        CloseScopeLog();
        return;
    }
    port->MessageBox("NB!!: This should only be used for debugging...\nUSING THIS TOOL USES DISK SPACE...",
                     mb::kCaption, mb::kIconExclamation);
    // Logging only starts with a file to log to.
    if (!OpenScopeLog(kScopeLogName))
        port->MessageBox("Unable to create SCOPE.LOG - the log is not started.", mb::kCaption,
                         mb::kIconExclamation);
}

void CWinTermView::ApplyColour(unsigned rgb) {
    unsigned mask, code;
    if (const Swatch* fore = FindSwatch(kForegroundSwatches, rgb)) {
        WriteSetting("Fore", "Colors", kApplicationName, kProfileBase, fore->name);
        mask = cell::kForeMask;
        code = fore->code << cell::kForeShift;
    } else {
        const Swatch* back = FindSwatch(kBackgroundSwatches, rgb);
        if (back) WriteSetting("Back", "Colors", kApplicationName, kProfileBase, back->name);
        mask = cell::kBackMask;
        code = (back ? back->code : 0u) << cell::kBackShift;
    }
    // Every shown cell takes the colour, whatever the host gave it.
    for (int row = 0; row < screen::kShownRows; ++row) {
        unsigned* cells = RowCells(row);
        for (int col = 0; col < screen::kColumns; ++col) cells[col] = (cells[col] & ~mask) | code;
    }
    const unsigned oldDefault = defaultAttr;
    defaultAttr = (defaultAttr & ~mask) | code;
    // Text still written in the default colours follows the new default.
    if (attrOverride == oldDefault) attrOverride = defaultAttr;
    for (unsigned& c : blankRow) c = defaultAttr | 0x20u;
    InvalidateAll(true);
}

void CWinTermView::LoadHostHistory(CMenuPort* menu) {
    connectMenu = menu;
    if (!recentHosts) recentHosts = MruCreateDefault();
    if (!recentHosts) return;
    if (GetStorageMode() != 0)
        MruLoadFromRegistry(recentHosts, kMruRegistryKey);
    else
        MruLoadFromIni(recentHosts, kMruSection);
    MruBuildMenu(recentHosts, connectMenu, kCmdExit);
}

void CWinTermView::SaveHostHistory() {
    if (!recentHosts) return;
    if (GetStorageMode() != 0)
        MruSaveToRegistry(recentHosts, kMruRegistryKey);
    else
        MruSaveToIni(recentHosts, kMruSection);
    MruDestroy(recentHosts);
    recentHosts = nullptr;
}
