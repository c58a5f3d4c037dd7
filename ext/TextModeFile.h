// A file written the way the C runtime's text mode writes on Windows: every
// line feed goes to disk as CR LF. Done by hand over a binary stream, so the
// files handed to other programs are the same bytes on every platform.
#pragma once

#include <cstddef>
#include <cstdio>

class CTextModeFile {
public:
    CTextModeFile() = default;
    ~CTextModeFile() { Close(); }
    CTextModeFile(const CTextModeFile&) = delete;
    CTextModeFile& operator=(const CTextModeFile&) = delete;

    // Creates or empties name; false (and nothing open) when it cannot.
    bool Open(const char* name);
    bool IsOpen() const { return file != nullptr; }
    // Both do nothing while no file is open.
    void Put(unsigned char b);
    void Write(const char* data, std::size_t len);
    void Flush();
    // False when the file was not open or its last writes failed.
    bool Close();

private:
    std::FILE* file = nullptr;
    bool failed = false;
};
