// The Windows printer: host print data and print files go raw to the
// default printer. A printer the spooler knows by name gets a raw spooler job
// (data type "RAW"), which reaches the printer byte for byte whatever its
// driver; any other device context gets the bytes through the driver's
// pass-through escape. Each opened document starts with CR LF, and every
// Write is one block of at most 2048 bytes.
#pragma once

#include <windows.h>

#include "print/CTermPrinter.h"

class CRawPrintSink;

class CWinPrinter : public CTermPrinter {
public:
    explicit CWinPrinter(HWND ownerWindow);
    ~CWinPrinter() override;
    CWinPrinter(const CWinPrinter&) = delete;
    CWinPrinter& operator=(const CWinPrinter&) = delete;

    int Open() override;
    // Opens first when no document is open; refuses more than 2048 bytes.
    int Write(const char* data, int length) override;
    void Close() override;
    int PrintFile(const char* fileName) override;

    // Prints a file through dc, or else the printer that deviceNames and
    // deviceMode (global handles of DEVNAMES and DEVMODE records, as the
    // print dialog hands them out; only locked here, never freed) name, or
    // else the default printer. 1 printed, 0 failed.
    int PrintFileTo(const char* fileName, HDC dc, HGLOBAL deviceNames, HGLOBAL deviceMode);
    // A device context for the printer deviceNames names, or for the default
    // printer; null when there is none.
    HDC CreatePrinterDC(HGLOBAL deviceNames, HGLOBAL deviceMode);

    // The open document goes to the spooler as a raw job (not through a
    // device context's pass-through).
    bool IsSpooling() const { return spooler != nullptr; }

private:
    bool EnsureBuffer();
    CRawPrintSink* OpenSink();

    HWND ownerWindow;
    HDC dc;
    HGLOBAL bufferHandle;
    unsigned char* buffer;  // kPassThroughBlockSize bytes
    int docOpen;
    HANDLE spooler;  // spooler handle of the open raw job's printer
};
