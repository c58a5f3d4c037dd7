// Print capture: the host's print data (ESC $ ... SUB) collected byte for byte
// in a file of the working directory, which is then printed raw as a whole.
// Files rotate through eleven names, "OVPRINT.1" to "OVPRINT.10", then
// "OVPRINT.0", and stay on disk after printing.
#pragma once

#include <cstdio>

class CTermPrinter;

class CPrintCapture {
public:
    CPrintCapture() = default;
    // An unfinished capture's file is closed with what it holds; it is not
    // printed (the host never ended it).
    ~CPrintCapture();
    CPrintCapture(const CPrintCapture&) = delete;
    CPrintCapture& operator=(const CPrintCapture&) = delete;

    static constexpr int kNames = 11;

    // Starts the next capture: the counter moves on (1 for the first) and
    // the file of that name is created or emptied. Any capture still open is
    // closed first.
    void Start();
    // One byte of print data. Dropped when the file could not be opened.
    void Put(unsigned char b);
    // Closes the file and hands it to printer's PrintFile (its answer is the
    // printer's own business). A capture whose file could not be opened
    // prints nothing: a file of that name would be an older capture.
    void Finish(CTermPrinter* printer);

    bool Capturing() const { return capturing; }
    // True while the current capture's file is open for writing.
    bool FileOpen() const { return file != nullptr; }
    int Counter() const { return counter; }
    // "OVPRINT.<counter>" of the current or last capture; empty before the first.
    const char* FileName() const { return fileName; }

private:
    void CloseFile();

    int counter = 0;
    char counterText[10] = {};
    char fileName[14] = {};
    std::FILE* file = nullptr;
    bool capturing = false;
};
