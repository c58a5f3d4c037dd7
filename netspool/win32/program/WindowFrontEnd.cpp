#include "WindowFrontEnd.h"

namespace netspool {

void CWindowFrontEnd::ShowStatusLine(const char* text) {
    grid.AddLine(text ? text : "");
    // The grid covers the rows it draws; nothing else needs erasing.
    if (window) InvalidateRect(window, nullptr, FALSE);
}

void CWindowFrontEnd::ShowMessage(const char* text, const char* caption) {
    MessageBoxA(window, text, caption, MB_OK);
}

void CWindowFrontEnd::ShowWarning(const char* text, const char* caption) {
    MessageBoxA(window, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace netspool
