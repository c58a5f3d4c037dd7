#include "ext/PrintCapture.h"

#include "print/CTermPrinter.h"

namespace {
const char kNamePrefix[] = "OVPRINT.";
}

CPrintCapture::~CPrintCapture() { CloseFile(); }

void CPrintCapture::CloseFile() {
    if (file) std::fclose(file);
    file = nullptr;
}

void CPrintCapture::Start() {
    CloseFile();
    counter = (counter + 1) % kNames;
    const int number = counter;  // 0..10
    std::snprintf(counterText, sizeof counterText, "%d", number);
    std::snprintf(fileName, sizeof fileName, "%s%d", kNamePrefix, number);
    // Binary: the printer gets the bytes exactly as the host sent them.
    file = std::fopen(fileName, "wb");
    capturing = true;
}

void CPrintCapture::Put(unsigned char b) {
    // A write error is not reported: the host cannot be told, and the print
    // goes out with what the file took.
    if (file) std::fputc(b, file);
}

void CPrintCapture::Finish(CTermPrinter* printer) {
    if (!capturing) return;
    capturing = false;
    if (!file) return;
    CloseFile();
    if (printer) printer->PrintFile(fileName);
}
