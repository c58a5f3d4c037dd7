// A private working directory for a tool run, so that the files the emulator
// keeps in the working directory never land where the user is.
#pragma once

#include <filesystem>
#include <string>

class PrivateDirectory {
public:
    // Works in requested when it is not empty (kept afterwards); otherwise in
    // a fresh directory under the system's temporary directory, removed at
    // the end. Ok() is false when the directory cannot be entered.
    explicit PrivateDirectory(const std::string& requested);
    ~PrivateDirectory();
    PrivateDirectory(const PrivateDirectory&) = delete;
    PrivateDirectory& operator=(const PrivateDirectory&) = delete;

    bool Ok() const { return ok; }
    std::string Describe() const;

private:
    std::filesystem::path original, directory;
    bool temporary = false;
    bool ok = false;
};
