#include "shell/MenuStates.h"

namespace menus {

std::vector<ItemState> StatesForPopup(int popupIndex, const SessionState& s) {
    switch (popupIndex) {
    case 0:  // Remote System while not connected, Disconnect while connected
        return {{101, s.connected, false}, {102, !s.connected, false}};
    case 1:  // Copy needs a selection, Paste text on the clipboard
        return {{105, !s.clipboardHasText, false}, {104, !s.hasSelection, false}};
    case 3:
        return {{128, false, s.localMode}};
    case 4:
        return {{126, false, s.logging}};
    default:
        return {};
    }
}

}  // namespace menus
