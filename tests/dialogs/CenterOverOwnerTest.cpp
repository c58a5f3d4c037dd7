#include <gtest/gtest.h>

#include "dialogs/CenterOverOwner.h"

namespace {

struct CentreCase {
    const char* what;
    DialogRect dialog;
    DialogRect owner;
    DialogRect workArea;
    int x;
    int y;
};

// Work area of a 1024x768 desktop with a 40-pixel task bar at the bottom.
constexpr DialogRect kDesktop{0, 0, 1024, 728};

const CentreCase kCases[] = {
    {"centred over an owner in the middle", {0, 0, 200, 100}, {100, 100, 700, 500}, kDesktop, 300, 250},
    {"the dialog's own position does not matter", {900, 600, 1100, 700}, {100, 100, 700, 500}, kDesktop, 300, 250},
    {"odd difference rounds down", {0, 0, 201, 101}, {0, 0, 600, 400}, kDesktop, 199, 149},
    {"negative odd difference rounds towards zero", {0, 0, 203, 103}, {300, 300, 500, 400}, kDesktop, 299, 299},
    {"larger than the owner, still centred when it fits", {0, 0, 400, 300}, {400, 300, 600, 400}, kDesktop, 300,
     200},
    {"larger than the owner near the top left, pushed inside", {0, 0, 400, 300}, {10, 20, 110, 80}, kDesktop, 0, 0},
    {"owner at the right edge: right edges meet", {0, 0, 200, 100}, {900, 100, 1100, 500}, kDesktop, 824, 250},
    {"owner below the work area: bottom edges meet", {0, 0, 200, 100}, {100, 700, 700, 900}, kDesktop, 300, 628},
    {"owner off the left and top of the screen", {0, 0, 200, 100}, {-500, -400, -100, -200}, kDesktop, 0, 0},
    {"work area not at the origin (task bar on the left and top)", {0, 0, 200, 100}, {0, 0, 100, 60},
     {60, 30, 1024, 768}, 60, 30},
    {"secondary monitor area at negative coordinates", {0, 0, 200, 100}, {-1000, 100, -900, 200},
     {-1280, 0, 0, 1024}, -1050, 100},
    {"dialog wider and taller than the work area keeps the left and top edges", {0, 0, 1200, 900},
     {100, 100, 700, 500}, kDesktop, 0, 0},
};

TEST(CenterOverOwner, PlacesTheDialogOverItsOwnerInsideTheWorkArea) {
    for (const CentreCase& c : kCases) {
        const DialogPosition p = CenterOverOwner(c.dialog, c.owner, c.workArea);
        EXPECT_EQ(p.x, c.x) << c.what;
        EXPECT_EQ(p.y, c.y) << c.what;
    }
}

}  // namespace
