#include "ext/TextModeFile.h"

bool CTextModeFile::Open(const char* name) {
    Close();
    file = std::fopen(name, "wb");
    failed = false;
    return file != nullptr;
}

void CTextModeFile::Put(unsigned char b) {
    if (!file) return;
    if (b == '\n' && std::fputc('\r', file) == EOF) failed = true;
    if (std::fputc(b, file) == EOF) failed = true;
}

void CTextModeFile::Write(const char* data, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i) Put(static_cast<unsigned char>(data[i]));
}

void CTextModeFile::Flush() {
    if (file && std::fflush(file) != 0) failed = true;
}

bool CTextModeFile::Close() {
    if (!file) return false;
    const bool ok = std::fclose(file) == 0 && !failed;
    file = nullptr;
    return ok;
}
