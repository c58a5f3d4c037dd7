// The recent-hosts menu operations over a Win32 popup menu, by command id.
#pragma once

#include <windows.h>

#include "settings/MenuPort.h"

class CWinMenuPort : public CMenuPort {
public:
    explicit CWinMenuPort(HMENU menu) : menu(menu) {}

    void RemoveById(std::uint32_t id) override;
    void InsertSeparatorBefore(std::uint32_t id, std::uint32_t beforeId) override;
    void InsertStringBefore(std::uint32_t id, const char* text, std::uint32_t beforeId) override;

private:
    HMENU menu;
};
