// Which menu items are greyed and checked when a popup of the menu bar opens,
// from the state of the session and the window.
#pragma once

#include <vector>

namespace menus {

struct SessionState {
    bool connected = false;
    bool hasSelection = false;
    bool clipboardHasText = false;
    bool localMode = false;
    bool logging = false;
};

struct ItemState {
    int id;
    bool grayed;
    bool checked;
};

// Popup indexes of the menu bar: 0 Connect, 1 Edit, 2 Settings, 3 Mode,
// 4 Utilities, 5 Help. Others (the system menu) change nothing.
std::vector<ItemState> StatesForPopup(int popupIndex, const SessionState& state);

}  // namespace menus
