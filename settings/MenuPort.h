// The menu operations the recent-hosts list needs, by command id. The Win32
// implementation over an HMENU is settings/win32/WinMenuPort.h.
#pragma once

#include <cstdint>

class CMenuPort {
public:
    virtual ~CMenuPort() = default;

    // Removes the item with this command id, if there is one.
    virtual void RemoveById(std::uint32_t id) = 0;
    // Inserts before the item with command id beforeId.
    virtual void InsertSeparatorBefore(std::uint32_t id, std::uint32_t beforeId) = 0;
    virtual void InsertStringBefore(std::uint32_t id, const char* text, std::uint32_t beforeId) = 0;
};
