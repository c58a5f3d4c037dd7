// Raw documents of one page on a printer opened through the spooler, as
// both the terminal's printer and the print server write them: data type
// "RAW", so the spooler hands the bytes to the port unrendered.
#pragma once

#include <windows.h>

// Starts a document named documentName (no output file) and its page. A
// page that cannot be started takes the document with it.
bool StartRawDocument(HANDLE printer, const char* documentName);
// True only when the spooler took all count bytes.
bool WriteRawBytes(HANDLE printer, const void* data, DWORD count);
// Ends the page and the document; true when the document ended.
bool EndRawDocument(HANDLE printer);
