// Menu items greyed and checked as each popup opens.
#include <gtest/gtest.h>

#include <string>

#include "shell/MenuStates.h"

namespace {

std::string Describe(int popup, const menus::SessionState& s) {
    std::string out;
    for (const menus::ItemState& item : menus::StatesForPopup(popup, s))
        out += std::to_string(item.id) + (item.grayed ? " grayed" : " enabled") + (item.checked ? " checked" : "") + ";";
    return out;
}

TEST(MenuStates, FollowConnectionSelectionClipboardLocalModeAndLog) {
    menus::SessionState idle;
    menus::SessionState busy;
    busy.connected = busy.hasSelection = busy.clipboardHasText = busy.localMode = busy.logging = true;
    struct Case {
        int popup;
        const menus::SessionState& state;
        const char* expected;
    } cases[] = {
        {0, idle, "101 enabled;102 grayed;"},
        {0, busy, "101 grayed;102 enabled;"},
        {1, idle, "105 grayed;104 grayed;"},
        {1, busy, "105 enabled;104 enabled;"},
        {2, busy, ""},
        {3, idle, "128 enabled;"},
        {3, busy, "128 enabled checked;"},
        {4, idle, "126 enabled;"},
        {4, busy, "126 enabled checked;"},
        {5, busy, ""},
        {6, busy, ""},  // the system menu
    };
    for (const Case& c : cases) EXPECT_EQ(Describe(c.popup, c.state), c.expected) << c.popup;
}

}  // namespace
