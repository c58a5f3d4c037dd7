#include "print/win32/RawSpoolerJob.h"

namespace {

char rawDataType[] = "RAW";

}  // namespace

bool StartRawDocument(HANDLE printer, const char* documentName) {
    // DOC_INFO_1A's fields are not const; the spooler only reads them.
    DOC_INFO_1A info = {const_cast<char*>(documentName), nullptr, rawDataType};
    if (StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&info)) == 0) return false;
    if (!StartPagePrinter(printer)) {
        AbortPrinter(printer);
        return false;
    }
    return true;
}

bool WriteRawBytes(HANDLE printer, const void* data, DWORD count) {
    DWORD written = 0;
    return WritePrinter(printer, const_cast<void*>(data), count, &written) && written == count;
}

bool EndRawDocument(HANDLE printer) {
    EndPagePrinter(printer);
    return EndDocPrinter(printer) != 0;
}
