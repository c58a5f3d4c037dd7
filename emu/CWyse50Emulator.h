// The Wyse 50 emulator: a table-driven byte interpreter. Every byte goes to
// currentHandler; the ground handler batches printable bytes into runs for
// PutText, control bytes and escape sequences dispatch through tables filled
// once by the constructor.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/CTermEmulator.h"
#include "ext/PrintCapture.h"
#include "ext/TextModeFile.h"

class CProgramLauncher;

class CWyse50Emulator : public CTermEmulator {
public:
    CWyse50Emulator(int* error, CTermController* controller, CTermView* view, CTermComm* transport,
                    CTermPrinter* printer);
    ~CWyse50Emulator() override;

    void OnReceive(const char* data, int len) override;
    // The string of a special key (internal key code with modifier bits).
    void SendKey(unsigned keyCode) override;
    // Remembers the host and loads the user's key definitions for it.
    void OnConnect(const char* hostName) override;
    void StoreKeyDefinition(unsigned keyCode, const char* text);
    // Parses hexadecimal byte values into out (NUL-terminated, outSize bytes).
    void ParseKeyDefinition(char* out, int outSize, const char* text);

    // Screen-mode bits.
    static constexpr unsigned kGraphicsMode = 0x2;
    static constexpr unsigned kWriteProtectMode = 0x4;
    static constexpr unsigned kProtectMode = 0x8;

    static constexpr int kKeyTables = 4;        // no modifier, Shift, Ctrl, Alt
    static constexpr int kFunctionKeys = 16;
    static constexpr int kKeyStringSize = 80;
    // Function-key labels live in the message line: key k's is the first
    // kLabelLength bytes of the kLabelSlot-byte slot at LabelOffset(k).
    static constexpr int kLabelLength = 7;
    static constexpr int kLabelSlot = 8;
    static constexpr int LabelOffset(int key) { return 1 + kLabelSlot * key; }
    static constexpr int kCursorKeyTables = 2;  // no modifier, Ctrl
    static constexpr int kCursorKeys = 10;
    static constexpr int kCursorKeyStringSize = 8;
    static constexpr int kParamTextSize = 2000;
    static constexpr int kScreenBuffers = 30;
    static constexpr int kScreenBufferSize = 8008;
    static constexpr int kLineRecords = 201;
    static constexpr int kLineRecordSize = 640;  // two rows of 80 cell words

    unsigned Mode() const { return mode; }
    const char* FunctionKeyString(int table, int key) const { return functionKeyStrings[table][key]; }
    const unsigned char* LineRecord(int index) const { return lineRecords[index].get(); }
    const char* HostName() const { return hostName; }
    const CPrintCapture& PrintCapture() const { return printCapture; }

    // Programs the host asks for (charts, spreadsheet, FTP, ESC F k) start
    // through launcher; null means the system's. Not owned.
    void SetLauncher(CProgramLauncher* launcher);
    // Whether those commands may write their files and start programs: by
    // default the user's "Security"/"HostCommands" setting decides, read at
    // every such command. A replay allows them, its launcher starting nothing.
    enum class HostCommands { kFromSettings, kAllowed, kRefused };
    void SetHostCommands(HostCommands policy) { hostCommands = policy; }

    static constexpr int kScreenSlots = 15;   // of the buffers, those ESC s reaches
    static constexpr int kAttrRunSize = 100;
    static constexpr int kProgramArgs = 3;
    static constexpr int kProgramArgSize = 20;
    static constexpr int kFtpHostSize = 100;
    static constexpr int kFtpDirectorySize = 1000;

private:
    using ByteHandler = void (CWyse50Emulator::*)(unsigned char);
    using EntryHandler = void (CWyse50Emulator::*)();

    // Construction.
    void FillTables();
    void AllocateBuffers();
    void LoadScreenLinesFile();

    // Ground state and its variants by mode.
    void ReturnToGround() { currentHandler = printHandlers[mode & 0xF]; }
    void Ground(unsigned char b);
    void GroundGraphics(unsigned char b);
    void GroundProtect(unsigned char b);
    void GroundGraphicsProtect(unsigned char b);
    void ConsumeTextRun(const unsigned char* text, int len);
    void AppendPrintable(unsigned char b, int col);
    inline void CheckMarkAtCursor();
    void ApplyEmbeddedAttr(unsigned char code);
    void ReleaseHeldAttr() {
        if (attrHeld) {
            attrHeld = false;
            ApplyEmbeddedAttr(heldAttrCode);
        }
    }
    bool MergeHeldAttrWithText(int col);
    void FlushPending();
    void AppendFromBlock(const unsigned char* bytes, int n);
    void AppendCopy(const char* text, int n);
    void SendBytes(const char* data, int len);
    void SendString(const char* text);
    void SendFunctionKey(unsigned key, int table);
    static void BuiltInFunctionKey(char out[4], unsigned key, int table);

    // ESC and ESC F states, printer pass-through.
    void EscState(unsigned char b);
    void EscFState(unsigned char b);
    void PassThrough(unsigned char b);

    // Control characters.
    void CtlIgnore() {}
    void CtlEnq();
    void CtlBell();
    void CtlBackspace();
    void CtlTab();
    void CtlLineFeed();
    void CtlCursorUp();
    void CtlCursorRight();
    void CtlCarriageReturn();
    void CtlCursorLeft();
    void CtlPrinterOn();
    void CtlPrinterClose();
    void CtlSendAddress();
    void CtlClearUnprotected();
    void CtlEscape();
    void CtlHome();
    void CtlNewLine();

    // Escape entries: every one completes the sequence or sets a collector.
    void EscIgnore();
    // cursor addressing and movement
    void EscAddress();
    void CollectAddressRow(unsigned char b);
    void CollectAddressColumn(unsigned char b);
    void EscAddressPage();
    void CollectPage(unsigned char b);
    void CollectPageRow(unsigned char b);
    void CollectPageColumn(unsigned char b);
    void EscAddressDecimal();
    void CollectDecimalRow(unsigned char b);
    void CollectDecimalColumn(unsigned char b);
    void EscSendCursor();
    void EscSendCursorDecimal();
    void EscBackTab();
    void EscTab();
    void EscReverseLineFeed();
    void EscHome();
    void EscUpdateCursor();
    void EscClearChars();
    void CollectClearCount(unsigned char b);
    // editing
    void EscInsertChar();
    void EscDeleteChar();
    void EscInsertLine();
    void EscDeleteLine();
    void EscInsertModeOn();
    void EscInsertModeOff();
    void EscSetChar();
    void CollectSetChar(unsigned char b);
    // clearing
    void EscClearScreen();
    void EscFillProtected();
    void EscClearToNul();
    void EscClearToSpaces();
    void ClearUnprotected(unsigned cellWord);
    void EscFillChar();
    void CollectFillChar(unsigned char b);
    void EscClearToEol();
    void EscClearToEop();
    void EscClearSelect();
    void CollectClearSelect(unsigned char b);
    void CollectClearSelectExtra(unsigned char b);
    // tabs and transmission
    void EscClearAllTabs();
    void EscSetTab();
    void EscClearTab();
    void EscSendLineUnmarked();
    void EscSendPageUnmarked();
    void EscSendLine();
    void EscSendPage();
    void EscSendChar();
    void EscIdentify();
    // attributes and protection
    unsigned AttributeFromCode(unsigned char code);
    void EscEmbeddedAttr();
    void CollectEmbeddedAttr(unsigned char b);
    void EscScreenAttr();
    void CollectScreenAttr(unsigned char b);
    void EscAreaAttr();
    void CollectArea(unsigned char b);
    void CollectAreaAttr(unsigned char b);
    void EscIntensity();
    void CollectIntensity(unsigned char b);
    void EscNoOverride();
    void EscProtectOn();
    void EscProtectOff();
    void EscWriteProtectOn();
    void EscWriteProtectOff();
    void EscProtectColumn();
    void EscFeature();
    void CollectFeature(unsigned char b);
    void CollectScrollFeature(unsigned char b);
    void EscReverseScreen();
    void CollectReverseScreen(unsigned char b);
    void EscScrollOff();
    void EscScrollOn();
    void EscSkipOne();
    void CollectSkip(unsigned char b);
    // graphics
    void EscGraphics();
    void CollectGraphics(unsigned char b);
    // function keys, labels, message line
    void EscProgram();
    void CollectProgramTarget(unsigned char b);
    void CollectKeyString(unsigned char b);
    void CollectLabel(unsigned char b);
    void CollectMessageLine(unsigned char b);
    void FinishMessageText(unsigned char b, int limit);
    // the extension table
    void ExtFState();
    // print capture (ESC $, ESC F $): every byte up to SUB into a file
    void EscPrintCapture();
    void CollectPrintCapture(unsigned char b);
    // saved screens and stored lines (ext/Wyse50SavedScreens.cpp)
    void EscSaveScreen();
    void CollectSaveScreen(unsigned char b);
    void EscAttrRun();
    void CollectAttrRun(unsigned char b);
    void EscStoreLine();
    void CollectStoreLine(unsigned char b);
    void EscRecallLine();
    void CollectRecallRow(unsigned char b);
    void CollectRecallColumn(unsigned char b);
    void CollectRecallRecord(unsigned char b);
    unsigned LineRecordWord(int record, int index) const;
    // drawing (ext/Wyse50Drawing.cpp)
    void EscBox();
    void CollectBox(unsigned char b);
    void EscBlockAttr();
    void CollectBlockAttr(unsigned char b);
    void EscVerticalMove();
    void CollectVerticalMove(unsigned char b);
    void EscHorizontalMove();
    void CollectHorizontalMove(unsigned char b);
    bool CollectParams(unsigned char b, int count);
    void MoveCell(int toRow, int toCol, int fromRow, int fromCol, bool withAttr);
    void VacateCell(int row, int col, bool fill);
    // host-started programs and the files written for them (ext/Wyse50HostPrograms.cpp)
    bool HostCommandsAllowed() const;
    int Launch(const char* commandLine, int showState);
    void EscCharts();
    void CollectCharts(unsigned char b);
    void EscSpreadsheet();
    void CollectSpreadsheetFormat(unsigned char b);
    void CollectSpreadsheetData(unsigned char b);
    void EscRunProgram();
    void CollectProgram(unsigned char b);
    void CollectProgramArg(unsigned char b);
    void StoreProgramArg();
    void EscHostFtp();
    void CollectFtpFiles(unsigned char b);
    void CollectFtpType(unsigned char b);
    void CollectFtpHost(unsigned char b);
    void CollectFtpDirection(unsigned char b);
    void CollectFtpDirectory(unsigned char b);
    void RunHostFtp();

    // Printable bytes not yet written: pendingCount bytes at pendingRun, which
    // is pendingText or, for text that came in one piece, the received block
    // itself (every run is flushed before OnReceive returns).
    int pendingCount = 0;
    char pendingText[80] = {};
    const char* pendingRun = pendingText;
    // An embedded attribute whose view calls wait for the next byte: when
    // text follows at once, the attribute and the text written over its mark
    // come to one attribute run. Only the bulk loop of OnReceive holds one,
    // and never past the end of a block.
    bool bulkReceive = false;
    bool attrHeld = false;
    unsigned char heldAttrCode = 0;
    char functionKeyStrings[kKeyTables][kFunctionKeys][kKeyStringSize] = {};
    char cursorKeyStrings[kCursorKeyTables][kCursorKeys][kCursorKeyStringSize] = {};
    int collectCount = 0;
    char* collectPtr = nullptr;
    char paramText[kParamTextSize] = {};
    std::unique_ptr<unsigned char[]> lineRecords[kLineRecords];
    std::unique_ptr<unsigned char[]> screenBuffers[kScreenBuffers];
    char hostName[100] = {};
    CPrintCapture printCapture;

    // Extension commands.
    unsigned attrRun[kAttrRunSize] = {};
    int recallRow = 0;
    int recallColumn = 0;
    int chartByteCount = 0;
    unsigned fillAttr = 0;
    // Set at the entry of a host command the user's switch refuses: its
    // bytes are still taken, but nothing is written or started.
    bool hostCommandRefused = false;
    CTextModeFile spreadsheetData;
    CTextModeFile spreadsheetFormat;
    char programArgs[kProgramArgs][kProgramArgSize] = {};
    char programArg[kProgramArgSize] = {};
    int programArgLength = 0;
    int programArgIndex = 0;
    char ftpType[7] = {};
    char ftpHost[kFtpHostSize] = {};
    char ftpDirectory[kFtpDirectorySize] = {};
    int ftpHostLength = 0;
    int ftpDirectoryLength = 0;
    int ftpReceive = 1;
    // The file text of ESC F C may hold bytes a C string would end at.
    bool ftpTextHasNul = false;
    CProgramLauncher* launcher = nullptr;
    HostCommands hostCommands = HostCommands::kFromSettings;

    EntryHandler controlTable[32];
    EntryHandler escapeTable[96];
    EntryHandler extensionTable[96];
    ByteHandler printHandlers[16];
    ByteHandler currentHandler;
    unsigned mode = 0;
};
