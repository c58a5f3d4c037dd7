// A private configuration directory per test: XDG_CONFIG_HOME points at a
// fresh temporary directory and OVTERM_STORAGE picks the layout; both are
// restored, and the directory removed, when the object goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/MenuPort.h"

namespace settingstest {

enum class Layout { Registry, Profile };

class ScopedConfigHome {
public:
    explicit ScopedConfigHome(Layout layout);
    ~ScopedConfigHome();
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    void Use(Layout layout);
    const std::string& Root() const { return root; }  // what XDG_CONFIG_HOME holds
    std::string ConfigDir() const { return root + "/winovterm"; }
    std::string IniPath() const { return ConfigDir() + "/OVTERM.INI"; }
    std::string RegistryPath() const { return ConfigDir() + "/registry.reg"; }

private:
    std::string root;
    bool hadXdg = false, hadStorage = false;
    std::string savedXdg, savedStorage;
};

bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
// Names in a directory, sorted; empty when it does not exist.
std::vector<std::string> ListDirectory(const std::string& path);
// A fresh directory below the test binary's working directory.
std::string MakeTempDir();

// An in-memory popup menu: items in order, separators shown as "-".
class MenuDouble : public CMenuPort {
public:
    struct Item {
        std::uint32_t id;
        std::string text;
    };
    std::vector<Item> items;

    void RemoveById(std::uint32_t id) override;
    void InsertSeparatorBefore(std::uint32_t id, std::uint32_t beforeId) override;
    void InsertStringBefore(std::uint32_t id, const char* text, std::uint32_t beforeId) override;
    std::vector<std::string> Texts() const;
    std::vector<std::uint32_t> Ids() const;
};

}  // namespace settingstest
