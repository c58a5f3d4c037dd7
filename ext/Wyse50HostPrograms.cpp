// The host commands that write files for other programs and start them:
// ESC F n (charts), ESC F E (spreadsheet export), ESC F C (FTP) and ESC F k
// (any program). All four honour the user's switch (ext/HostCommands.h):
// refused, their bytes are still taken so the screen stays right, but
// nothing is written and nothing starts.
#include <cstring>
#include <string>

#include "emu/CWyse50Emulator.h"
#include "ext/CommandLine.h"
#include "ext/FtpScript.h"
#include "ext/HostCommands.h"
#include "ext/ProgramLauncher.h"
#include "view/CTermView.h"
#include "view/MessageBoxes.h"

namespace {
constexpr unsigned char kSub = 0x1A;
constexpr unsigned char kCr = 0x0D;
constexpr int kShown = 5;
constexpr char kChartsFile[] = "CHARTS.DAT";
constexpr char kChartsProgram[] = "CHARTS.EXE";
constexpr char kDataFile[] = "emexcel.txt";
constexpr char kFormatFile[] = "fmtexcel.txt";
constexpr char kConverter[] = "emexcel.exe";
constexpr char kFtpCommand[] = "FTP -s:SCRFTP";
constexpr char kFtpCaption[] = "FTP Error";
constexpr char kExcelCaption[] = "Emul to Excel Error";

// Appends b to a NUL-terminated text of size bytes holding *length; a
// byte past the field is dropped.
void AppendCut(char* text, int size, int* length, unsigned char b) {
    if (*length >= size - 1) return;
    text[(*length)++] = static_cast<char>(b);
    text[*length] = '\0';
}

bool HasLineBreak(const char* text) { return std::strpbrk(text, "\r\n") != nullptr; }
}  // namespace

void CWyse50Emulator::SetLauncher(CProgramLauncher* l) { launcher = l; }

bool CWyse50Emulator::HostCommandsAllowed() const {
    switch (hostCommands) {
    case HostCommands::kAllowed: return true;
    case HostCommands::kRefused: return false;
    case HostCommands::kFromSettings: break;
    }
    return hostcmd::AllowedBySettings();
}

int CWyse50Emulator::Launch(const char* commandLine, int showState) {
    // The wait blocks the only thread: text collected so far goes to the
    // screen first, as it would have before the program started.
    FlushPending();
    return (launcher ? *launcher : SystemLauncher()).Run(commandLine, showState);
}

// ---- ESC F n: chart data up to SUB into "CHARTS.DAT", then "CHARTS.EXE" ----

void CWyse50Emulator::EscCharts() {
    hostCommandRefused = !HostCommandsAllowed();
    paramText[0] = '\0';
    chartByteCount = 0;
    currentHandler = &CWyse50Emulator::CollectCharts;
}

void CWyse50Emulator::CollectCharts(unsigned char b) {
    if (b != kSub) {
        // The text holds 1999 bytes and its NUL; later bytes are dropped.
        if (chartByteCount < kParamTextSize - 1) {
            paramText[chartByteCount++] = static_cast<char>(b);
            paramText[chartByteCount] = '\0';
        }
        return;
    }
    ReturnToGround();
    if (hostCommandRefused) return;
    CTextModeFile chart;
    if (!chart.Open(kChartsFile)) {
        view->MessageBox("Charts.Dat - Open file failure", "File Open Error", mb::kIconExclamation);
        return;
    }
    chart.Write(paramText, static_cast<size_t>(chartByteCount));
    chart.Close();
    Launch(kChartsProgram, kShown);
}

// ---- ESC F E: format text, SUB, data text, SUB; then "emexcel.exe" ----

void CWyse50Emulator::EscSpreadsheet() {
    hostCommandRefused = !HostCommandsAllowed();
    currentHandler = &CWyse50Emulator::CollectSpreadsheetFormat;
    if (hostCommandRefused) return;
    if (!spreadsheetData.Open(kDataFile))
        view->MessageBox("Error Opening emexcel.txt for Write. If Excel is open; Close it.", kExcelCaption,
                         mb::kIconExclamation);
    if (!spreadsheetFormat.Open(kFormatFile))
        view->MessageBox("Error Opening fmtexcel.txt for Write. If Excel is open; Close it.", kExcelCaption,
                         mb::kIconExclamation);
}

// A file that did not open swallows its text.
void CWyse50Emulator::CollectSpreadsheetFormat(unsigned char b) {
    if (b != kSub) {
        spreadsheetFormat.Put(b);
        spreadsheetFormat.Flush();
        return;
    }
    spreadsheetFormat.Close();
    currentHandler = &CWyse50Emulator::CollectSpreadsheetData;
}

void CWyse50Emulator::CollectSpreadsheetData(unsigned char b) {
    if (b != kSub) {
        spreadsheetData.Put(b);
        spreadsheetData.Flush();
        return;
    }
    ReturnToGround();
    // Without its data file the converter has nothing to read.
    if (!spreadsheetData.IsOpen()) return;
    spreadsheetData.Close();
    Launch(kConverter, kShown);
}

// ---- ESC F k: program text, then up to three arguments after single spaces, CR ----

void CWyse50Emulator::EscRunProgram() {
    hostCommandRefused = !HostCommandsAllowed();
    paramText[0] = '\0';
    collectCount = 0;
    std::memset(programArgs, 0, sizeof programArgs);
    programArg[0] = '\0';
    programArgLength = 0;
    programArgIndex = 0;
    currentHandler = &CWyse50Emulator::CollectProgram;
}

void CWyse50Emulator::CollectProgram(unsigned char b) {
    if (b == ' ') {
        currentHandler = &CWyse50Emulator::CollectProgramArg;
        return;
    }
    if (b != kCr) {
        AppendCut(paramText, kParamTextSize, &collectCount, b);
        return;
    }
    ReturnToGround();
    if (hostCommandRefused || paramText[0] == '\0') return;
    std::string line(paramText, static_cast<size_t>(collectCount));
    if (line.size() > cmdline::kMaxLength) line.resize(cmdline::kMaxLength);
    Launch(line.c_str(), kShown);
}

// The argument being collected goes to its slot; a fourth and later one has
// none and is dropped.
void CWyse50Emulator::StoreProgramArg() {
    if (programArgIndex < kProgramArgs) std::memcpy(programArgs[programArgIndex], programArg, sizeof programArg);
}

void CWyse50Emulator::CollectProgramArg(unsigned char b) {
    if (b == ' ') {
        StoreProgramArg();
        if (programArgIndex < kProgramArgs) ++programArgIndex;
        programArg[0] = '\0';
        programArgLength = 0;
        return;
    }
    if (b != kCr) {
        AppendCut(programArg, kProgramArgSize, &programArgLength, b);
        return;
    }
    StoreProgramArg();
    ReturnToGround();
    if (hostCommandRefused || paramText[0] == '\0') return;
    std::string line(paramText, static_cast<size_t>(collectCount));
    const int last = programArgIndex < kProgramArgs ? programArgIndex : kProgramArgs - 1;
    for (int i = 0; i <= last; ++i) {
        line += ' ';
        line += programArgs[i];
    }
    // The launcher's buffer holds 255 characters; the rest is cut.
    if (line.size() > cmdline::kMaxLength) line.resize(cmdline::kMaxLength);
    Launch(line.c_str(), kShown);
}

// ---- ESC F C: files, SUB, type, host, SUB, direction [, directory, SUB] ----

void CWyse50Emulator::EscHostFtp() {
    hostCommandRefused = !HostCommandsAllowed();
    paramText[0] = '\0';
    collectCount = 0;
    ftpTextHasNul = false;
    currentHandler = &CWyse50Emulator::CollectFtpFiles;
}

void CWyse50Emulator::CollectFtpFiles(unsigned char b) {
    if (b == kSub) {
        ftpType[0] = '\0';
        currentHandler = &CWyse50Emulator::CollectFtpType;
        return;
    }
    if (b == 0) ftpTextHasNul = true;
    AppendCut(paramText, kParamTextSize, &collectCount, b);
}

void CWyse50Emulator::CollectFtpType(unsigned char b) {
    std::strcpy(ftpType, b == '0' ? "ascii" : "binary");
    ftpHost[0] = '\0';
    ftpHostLength = 0;
    currentHandler = &CWyse50Emulator::CollectFtpHost;
}

void CWyse50Emulator::CollectFtpHost(unsigned char b) {
    if (b != kSub) {
        if (b == 0) ftpTextHasNul = true;
        AppendCut(ftpHost, kFtpHostSize, &ftpHostLength, b);
        return;
    }
    if (ftpHostLength == 0) {
        std::strncpy(ftpHost, hostName, kFtpHostSize - 1);
        ftpHost[kFtpHostSize - 1] = '\0';
        ftpHostLength = static_cast<int>(std::strlen(ftpHost));
    }
    currentHandler = &CWyse50Emulator::CollectFtpDirection;
}

void CWyse50Emulator::CollectFtpDirection(unsigned char b) {
    if (b == '0') {
        ftpReceive = 0;
        ftpDirectory[0] = '\0';
        ftpDirectoryLength = 0;
        currentHandler = &CWyse50Emulator::CollectFtpDirectory;
        return;
    }
    ftpReceive = 1;
    ReturnToGround();
    RunHostFtp();
}

void CWyse50Emulator::CollectFtpDirectory(unsigned char b) {
    if (b != kSub) {
        if (b == 0) ftpTextHasNul = true;
        AppendCut(ftpDirectory, kFtpDirectorySize, &ftpDirectoryLength, b);
        return;
    }
    ReturnToGround();
    RunHostFtp();
}

void CWyse50Emulator::RunHostFtp() {
    if (hostCommandRefused) return;
    const bool upload = ftpReceive == 0;
    // Each text becomes one line of the script: a line break in one would
    // add commands of the host's choosing (the client's shell escape among
    // them), and a NUL would cut a name short.
    const std::string files(paramText, static_cast<size_t>(collectCount));
    if (ftpTextHasNul || HasLineBreak(files.c_str()) || HasLineBreak(ftpHost) ||
        (upload && HasLineBreak(ftpDirectory))) {
        view->MessageBox("FTP - Invalid Parameter", kFtpCaption, mb::kIconExclamation);
        return;
    }
    ftp::Transfer transfer;
    transfer.host = ftpHost;
    // No host has no settings section, so it has no login either.
    if (!transfer.host.empty()) transfer.login = ftp::ReadLogin(transfer.host);
    if (transfer.login.user.empty()) {
        view->MessageBox("FTP - Invalid User", kFtpCaption, mb::kIconExclamation);
        return;
    }
    transfer.mode = ftpType;
    transfer.files = files;
    transfer.directory = ftpDirectory;
    transfer.upload = upload;
    FlushPending();
    if (ftp::RunFtpScript(ftp::HostScriptLines(transfer), kFtpCommand, launcher ? *launcher : SystemLauncher()) ==
        ftp::ScriptResult::kWriteFailed)
        view->MessageBox("FTP - Unable to Create Script File", kFtpCaption, mb::kIconExclamation);
}
