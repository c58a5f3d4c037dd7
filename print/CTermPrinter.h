// The abstract printer that host print data and captured print files go to.
#pragma once

class CTermPrinter {
public:
    virtual ~CTermPrinter() = default;
    virtual int Open() = 0;
    virtual int Write(const char* data, int length) = 0;
    virtual void Close() = 0;
    virtual int PrintFile(const char* fileName) = 0;
};
