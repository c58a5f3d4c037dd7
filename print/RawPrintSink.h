// Where raw print data goes on a platform: one document at a time, fed in
// pass-through blocks. The Windows printer has two (a printer device context
// with the pass-through escape, and a raw spooler job); other platforms bring
// their own.
#pragma once

class CRawPrintSink {
public:
    virtual ~CRawPrintSink() = default;
    virtual bool StartDocument() = 0;
    // One block (print/PassThroughBlock.h): non-zero when it was taken.
    virtual int SendBlock(const unsigned char* block) = 0;
    virtual bool EndDocument() = 0;
    // Drops a started document after a failure.
    virtual void AbortDocument() = 0;
};

// Prints a whole file as one document: blocks of 2048 bytes, then the rest,
// so that the last block is shorter than 2048 (empty when the size is a
// multiple of 2048; an empty block's answer is not judged, it carries
// nothing). block is the 2050-byte work area. 1 when the file went through
// whole; 0 when it cannot be opened or read, a block is refused or the
// document cannot be started or ended (a started one is then aborted).
int CopyFileInBlocks(const char* fileName, unsigned char* block, CRawPrintSink* sink);
