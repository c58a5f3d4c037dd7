#include "settings/win32/WinMenuPort.h"

void CWinMenuPort::RemoveById(std::uint32_t id) { DeleteMenu(menu, id, MF_BYCOMMAND); }

void CWinMenuPort::InsertSeparatorBefore(std::uint32_t id, std::uint32_t beforeId) {
    InsertMenuA(menu, beforeId, MF_BYCOMMAND | MF_SEPARATOR, id, nullptr);
}

void CWinMenuPort::InsertStringBefore(std::uint32_t id, const char* text, std::uint32_t beforeId) {
    InsertMenuA(menu, beforeId, MF_BYCOMMAND | MF_STRING, id, text);
}
