// Fuzzes the settings files: every input becomes both OVTERM.INI and
// registry.reg in a private configuration directory, and is then read, and
// written to, through the settings functions and the recent-hosts list.
//
// Besides the sanitizers it checks that reads stay inside their buffers,
// that a written value reads back, that writing one value leaves another
// alone, and that the recent hosts survive a save and a load unchanged.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/MruList.h"
#include "settings/Settings.h"

namespace {

std::string configHome;
std::string configDir;

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_profile: %s: %s\n", what, detail.c_str());
    std::abort();
}

void EmptyDirectory(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) unlink((path + "/" + name).c_str());
}

void RemoveConfigHome() {
    if (configHome.empty()) return;
    EmptyDirectory(configDir);
    rmdir(configDir.c_str());
    rmdir(configHome.c_str());
}

void WriteInput(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = configDir + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) Fail("cannot create", path);
    if (size && std::fwrite(data, 1, size, file) != size) Fail("cannot write", path);
    std::fclose(file);
}

// A read into a guarded buffer of each size: terminated, nothing beyond it touched.
std::string Read(const char* key, const char* section, const char* defaultValue) {
    static const size_t kSizes[] = {1, 2, 8, 300};
    std::string full;
    for (size_t size : kSizes) {
        std::vector<char> buffer(size + 16, '\x7f');
        ReadSetting(key, defaultValue, section, kApplicationName, kProfileBase, buffer.data(), size);
        if (std::memchr(buffer.data(), '\0', size) == nullptr) Fail("read not terminated", key);
        for (size_t i = size; i < buffer.size(); ++i) {
            if (buffer[i] != '\x7f') Fail("read past the buffer", key);
        }
        full = buffer.data();
    }
    return full;
}

std::vector<std::string> Entries(const MruList* list) {
    if (list->count > list->capacity) Fail("count beyond capacity", std::to_string(list->count));
    std::vector<std::string> entries;
    char out[256];
    for (unsigned i = 0; MruGetEntry(list, i, 0, out, sizeof out); ++i) {
        if (std::strlen(out) > 127u) Fail("entry longer than 127", out);
        entries.push_back(out);
    }
    return entries;
}

void CheckLayout(bool profile) {
    setenv("OVTERM_STORAGE", profile ? "profile" : "registry", 1);
    Read("Fore", "Colors", "NULL");
    Read("keyboard", "host", "NULL");
    Read("KBD_F1", "keys", "");
    const std::string back = Read("Back", "Colors", "NULL");

    if (!WriteSetting("Fore", "Colors", kApplicationName, kProfileBase, " WHITE \"")) Fail("write refused", "Fore");
    if (Read("Fore", "Colors", "NULL") != " WHITE \"") Fail("written value does not read back", "Fore");
    if (Read("Back", "Colors", "NULL") != back) Fail("write changed another value", "Back");

    MruList* first = MruCreateDefault();
    MruList* second = MruCreateDefault();
    if (!first || !second) Fail("out of memory", "MruCreateDefault");
    if (profile) {
        MruLoadFromIni(first, kMruSection);
        MruSaveToIni(first, kMruSection);
        MruLoadFromIni(second, kMruSection);
    } else {
        MruLoadFromRegistry(first, kMruRegistryKey);
        MruSaveToRegistry(first, kMruRegistryKey);
        MruLoadFromRegistry(second, kMruRegistryKey);
    }
    if (Entries(first) != Entries(second)) Fail("recent hosts changed in a save and load", profile ? "ini" : "reg");
    MruDestroy(first);
    MruDestroy(second);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ovfuzz-profile.XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        std::perror("fuzz_profile: cannot make a configuration directory");
        std::exit(1);
    }
    configHome = pattern;
    configDir = configHome + "/winovterm";
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    std::atexit(RemoveConfigHome);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EmptyDirectory(configDir);
    rmdir(configDir.c_str());
    if (mkdir(configDir.c_str(), 0700) != 0) Fail("cannot create", configDir);
    WriteInput("OVTERM.INI", data, size);
    WriteInput("registry.reg", data, size);
    CheckLayout(true);
    CheckLayout(false);
    return 0;
}
