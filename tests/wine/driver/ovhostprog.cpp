// ovhostprog: a stand-in for the programs the terminal starts (CHARTS.EXE,
// emexcel.exe, a program the host names). The tests copy it under those names
// into the terminal's working directory. Each run appends to "hostprog.rec"
// beside the program:
//   run COMMAND LINE            exactly as GetCommandLineA gives it
//   file NAME SIZE [HEX]        each file of the current directory (the bytes
//                               too for small data files, as they were then)
//   done                        after the wait, just before it exits
// It waits the number of milliseconds in "hostprog.sleep" beside it (none: no
// wait), so that a test can show what happens while the terminal is blocked.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string OwnDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path, length < sizeof path ? length : 0);
    const std::string::size_type slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

std::string ReadSmallFile(const std::string& path, size_t limit) {
    std::string bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return bytes;
    char buffer[512];
    for (size_t n; bytes.size() < limit && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
    std::fclose(in);
    return bytes;
}

bool IsProgramOrRecord(const std::string& name) {
    const std::string::size_type dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    const std::string ext = name.substr(dot + 1);
    return lstrcmpiA(ext.c_str(), "exe") == 0 || lstrcmpiA(ext.c_str(), "rec") == 0 ||
           lstrcmpiA(ext.c_str(), "sleep") == 0;
}

std::string Hex(const std::string& bytes) {
    std::string text;
    char byte[3];
    for (unsigned char c : bytes) {
        std::snprintf(byte, sizeof byte, "%02x", c);
        text += byte;
    }
    return text;
}

void Append(const std::string& record, const std::string& text) {
    FILE* out = std::fopen(record.c_str(), "ab");
    if (!out) return;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
}

}  // namespace

int main() {
    const std::string dir = OwnDirectory();
    const std::string record = dir + "\\hostprog.rec";

    std::string text = std::string("run ") + GetCommandLineA() + "\n";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*", &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const std::string name = found.cFileName;
            text += "file " + name + " " + std::to_string(found.nFileSizeLow);
            if (!IsProgramOrRecord(name) && found.nFileSizeHigh == 0 && found.nFileSizeLow <= 1024)
                text += " " + Hex(ReadSmallFile(name, 1024));
            text += "\n";
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    Append(record, text);

    const std::string wait = ReadSmallFile(dir + "\\hostprog.sleep", 32);
    const long ms = std::strtol(wait.c_str(), nullptr, 10);
    if (ms > 0) Sleep(static_cast<DWORD>(ms));
    Append(record, "done\n");
    return 0;
}
