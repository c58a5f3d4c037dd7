// The dispatch tables: filled once here, never changed afterwards.
#include <initializer_list>

#include "emu/CWyse50Emulator.h"

void CWyse50Emulator::FillTables() {
    using E = CWyse50Emulator;

    for (auto& entry : controlTable) entry = &E::CtlIgnore;
    controlTable[0x05] = &E::CtlEnq;
    controlTable[0x07] = &E::CtlBell;
    controlTable[0x08] = &E::CtlBackspace;
    controlTable[0x09] = &E::CtlTab;
    controlTable[0x0A] = &E::CtlLineFeed;
    controlTable[0x0B] = &E::CtlCursorUp;
    controlTable[0x0C] = &E::CtlCursorRight;
    controlTable[0x0D] = &E::CtlCarriageReturn;
    controlTable[0x10] = &E::CtlCursorLeft;
    controlTable[0x12] = &E::CtlPrinterOn;
    controlTable[0x14] = &E::CtlPrinterClose;
    controlTable[0x15] = &E::CtlCursorLeft;
    controlTable[0x16] = &E::CtlLineFeed;
    controlTable[0x18] = &E::CtlPrinterOn;
    controlTable[0x19] = &E::CtlSendAddress;
    controlTable[0x1A] = &E::CtlClearUnprotected;
    controlTable[0x1B] = &E::CtlEscape;
    controlTable[0x1E] = &E::CtlHome;
    controlTable[0x1F] = &E::CtlNewLine;

    // Undefined sequences are consumed and return to ground.
    for (auto& entry : escapeTable) entry = &E::EscIgnore;
    auto esc = [this](char c, EntryHandler h) { escapeTable[static_cast<unsigned char>(c) - 0x20] = h; };
    esc(' ', &E::EscIdentify);
    esc('!', &E::EscScreenAttr);
    esc('&', &E::EscProtectOn);
    esc('\'', &E::EscProtectOff);
    esc('(', &E::EscWriteProtectOff);
    esc(')', &E::EscWriteProtectOn);
    esc('*', &E::EscClearScreen);
    esc('+', &E::EscClearScreen);
    esc(',', &E::EscFillProtected);
    esc('-', &E::EscAddressPage);
    esc('.', &E::EscFillChar);
    esc('/', &E::EscIntensity);
    esc('0', &E::EscClearAllTabs);
    esc('1', &E::EscSetTab);
    esc('2', &E::EscClearTab);
    esc('4', &E::EscSendLineUnmarked);
    esc('5', &E::EscSendPageUnmarked);
    esc('6', &E::EscSendLine);
    esc('7', &E::EscSendPage);
    esc('8', &E::EscSkipOne);
    esc(':', &E::EscClearToNul);
    esc(';', &E::EscClearToSpaces);
    esc('=', &E::EscAddress);
    esc('?', &E::EscSendCursor);
    esc('A', &E::EscAreaAttr);
    esc('C', &E::EscClearChars);
    esc('E', &E::EscInsertLine);
    esc('F', &E::ExtFState);
    esc('G', &E::EscEmbeddedAttr);
    esc('H', &E::EscGraphics);
    esc('I', &E::EscBackTab);
    esc('J', &E::EscUpdateCursor);
    esc('K', &E::EscUpdateCursor);
    esc('M', &E::EscSendChar);
    esc('N', &E::EscScrollOff);
    esc('O', &E::EscScrollOn);
    esc('Q', &E::EscInsertChar);
    esc('R', &E::EscDeleteLine);
    esc('T', &E::EscClearToEol);
    esc('V', &E::EscProtectColumn);
    esc('W', &E::EscDeleteChar);
    esc('Y', &E::EscClearToEop);
    esc('\\', &E::EscSkipOne);
    esc(']', &E::EscUpdateCursor);
    esc('^', &E::EscReverseScreen);
    esc('`', &E::EscFeature);
    esc('a', &E::EscAddressDecimal);
    esc('b', &E::EscSendCursorDecimal);
    esc('f', &E::EscNoOverride);
    esc('i', &E::EscTab);
    esc('j', &E::EscReverseLineFeed);
    esc('q', &E::EscInsertModeOn);
    esc('r', &E::EscInsertModeOff);
    esc('t', &E::EscClearToEol);
    esc('v', &E::EscSetChar);
    esc('x', &E::EscClearSelect);
    esc('y', &E::EscClearToEop);
    esc('z', &E::EscProgram);
    esc('$', &E::EscPrintCapture);
    esc('{', &E::EscHome);
    esc('}', &E::EscUpdateCursor);
    // The program's own commands: saved screens and stored lines, drawing.
    esc('s', &E::EscSaveScreen);
    esc('u', &E::EscAttrRun);
    esc('<', &E::EscStoreLine);
    esc('>', &E::EscRecallLine);
    esc('Z', &E::EscBox);
    esc('c', &E::EscBlockAttr);
    esc('g', &E::EscVerticalMove);
    esc('h', &E::EscHorizontalMove);

    for (auto& entry : extensionTable) entry = &E::EscIgnore;
    auto ext = [this](char c, EntryHandler h) { extensionTable[static_cast<unsigned char>(c) - 0x20] = h; };
    ext('v', &E::EscSetChar);
    ext('f', &E::EscNoOverride);
    ext('/', &E::EscIntensity);
    ext('$', &E::EscPrintCapture);
    // The program's own commands again, and those reached only here:
    // spreadsheet export, host-driven FTP, charts, programs.
    ext('s', &E::EscSaveScreen);
    ext('u', &E::EscAttrRun);
    ext('<', &E::EscStoreLine);
    ext('>', &E::EscRecallLine);
    ext('S', &E::EscSkipOne);
    ext('Z', &E::EscBox);
    ext('c', &E::EscBlockAttr);
    ext('g', &E::EscVerticalMove);
    ext('h', &E::EscHorizontalMove);
    ext('E', &E::EscSpreadsheet);
    ext('C', &E::EscHostFtp);
    ext('n', &E::EscCharts);
    ext('k', &E::EscRunProgram);

    for (unsigned m = 0; m < 16; ++m) {
        bool graphics = (m & kGraphicsMode) != 0;
        bool protect = (m & kProtectMode) != 0;
        if (graphics && protect)
            printHandlers[m] = &E::GroundGraphicsProtect;
        else if (graphics)
            printHandlers[m] = &E::GroundGraphics;
        else if (protect)
            printHandlers[m] = &E::GroundProtect;
        else
            printHandlers[m] = &E::Ground;  // write-protect mode is the view's business
    }
}
