// Where the server reports on Windows: status lines into the window's grid
// (repainted without erasing), messages as boxes owned by the window.
#pragma once

#include <windows.h>

#include "netspool/ServerFrontEnd.h"
#include "netspool/StatusGrid.h"

namespace netspool {

class CWindowFrontEnd : public CServerFrontEnd {
public:
    explicit CWindowFrontEnd(CStatusGrid& grid) : grid(grid) {}
    void SetWindow(HWND target) { window = target; }

    void ShowStatusLine(const char* text) override;
    void ShowMessage(const char* text, const char* caption) override;
    void ShowWarning(const char* text, const char* caption) override;

private:
    CStatusGrid& grid;
    HWND window = nullptr;
};

}  // namespace netspool
