// Prints through CWinPrinter under Wine and records what each job must hold.
//
//   printprobe.exe OUTDIR
//
// Jobs, in the order they reach the spooler:
//   1. Open, every byte value and escape sequences in several Writes, a full
//      2048-byte block, a refused 2049-byte Write, Close
//   2. a Write without Open (it opens a document of its own), Close
//   3. PrintFile of a 5000-byte file
//   4. PrintFile of a file of exactly 2048 bytes
//   5. PrintFileTo the 5000-byte file through a printer device context
//      (the driver's pass-through; what arrives is the driver's business)
// OUTDIR gets expected-N.bin for each job and the files printed. One line
// per step goes to standard output; the exit code is the number of steps
// whose result was not the expected one.
#include <windows.h>

#include <cstdio>
#include <string>

#include "print/win32/CWinPrinter.h"

namespace {

int failures = 0;

void Check(const char* step, long got, long want) {
    std::printf("%s %ld%s\n", step, got, got == want ? "" : " UNEXPECTED");
    if (got != want) ++failures;
}

void CheckNonZero(const char* step, long got) {
    std::printf("%s %ld%s\n", step, got, got != 0 ? "" : " UNEXPECTED");
    if (got == 0) ++failures;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

std::string Pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed + i / 256) & 0xFF);
    return bytes;
}

// Writes the piece and adds it to what the document must hold.
void WritePiece(CWinPrinter& printer, const char* step, const std::string& piece, std::string& expected) {
    CheckNonZero(step, printer.Write(piece.data(), static_cast<int>(piece.size())));
    expected += piece;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: printprobe OUTDIR\n");
        return 100;
    }
    const std::string dir = std::string(argv[1]) + "\\";
    char device[1024] = "";
    GetProfileStringA("windows", "device", "", device, sizeof device);
    std::printf("device %s\n", device);

    CWinPrinter printer(nullptr);

    // 1. One document, several writes.
    std::string expected = "\r\n";
    Check("open", printer.Open(), 1);
    std::printf("spooling %d\n", printer.IsSpooling() ? 1 : 0);
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<char>(i);
    WritePiece(printer, "write-0-99", all.substr(0, 100), expected);
    WritePiece(printer, "write-100-255", all.substr(100), expected);
    WritePiece(printer, "write-escapes", "\x1b" "=  \x1bG4\x1b(\x1b)\x1b*\x1b" "E\x1b[0m\x1b%-12345X@PJL\r\n\x0c", expected);
    WritePiece(printer, "write-2048", Pattern(2048, 3), expected);
    std::string tooLong = Pattern(2049, 5);
    Check("write-2049", printer.Write(tooLong.data(), static_cast<int>(tooLong.size())), 0);
    WritePiece(printer, "write-tail", "%!PS-looking text stays text\r\n", expected);
    printer.Close();
    WriteFileBytes(dir + "expected-1.bin", expected);

    // 2. Write opens a document of its own.
    expected = "\r\n";
    WritePiece(printer, "write-unopened", "second document\r\n", expected);
    printer.Close();
    WriteFileBytes(dir + "expected-2.bin", expected);

    // 3, 4. Files.
    std::string file5000 = Pattern(5000, 11), file2048 = Pattern(2048, 13);
    WriteFileBytes(dir + "file5000.bin", file5000);
    WriteFileBytes(dir + "file2048.bin", file2048);
    Check("printfile-5000", printer.PrintFile((dir + "file5000.bin").c_str()), 1);
    WriteFileBytes(dir + "expected-3.bin", file5000);
    Check("printfile-2048", printer.PrintFile((dir + "file2048.bin").c_str()), 1);
    WriteFileBytes(dir + "expected-4.bin", file2048);
    Check("printfile-missing", printer.PrintFile((dir + "no-such-file.bin").c_str()), 0);

    // 5. The driver's pass-through on a device context of the default printer.
    HDC dc = printer.CreatePrinterDC(nullptr, nullptr);
    CheckNonZero("printer-dc", dc != nullptr);
    if (dc) {
        int query = 19;  // PASSTHROUGH
        std::printf("dc-passthrough %d\n",
                    Escape(dc, 8 /* QUERYESCSUPPORT */, sizeof query, reinterpret_cast<LPCSTR>(&query), nullptr));
        Check("printfileto-dc", printer.PrintFileTo((dir + "file5000.bin").c_str(), dc, nullptr, nullptr), 1);
        DeleteDC(dc);
    }

    // Without a default printer nothing opens (and nothing is printed).
    WriteProfileStringA("windows", "device", nullptr);
    Check("open-no-default", printer.Open(), 0);
    Check("write-no-default", printer.Write("x", 1), 0);
    WriteProfileStringA("windows", "device", device);

    std::printf("failures %d\n", failures);
    return failures;
}
