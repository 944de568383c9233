#include <gtest/gtest.h>

#include "statusbar/DockMonitorSelection.h"

namespace {
Rect square(double x, double y, double side) {
    return Rect{{x, y}, {side, side}};
}
}  // namespace

TEST(DockMonitorSelection, ANewSquareIsAnchoredAtThePressAndSidesAreTheShorterDistance) {
    struct Case {
        Point to;
        Rect expected;
    };
    const Case cases[] = {
        {{130, 160}, square(100, 100, 30)},  // right and down
        {{40, 90}, square(90, 90, 10)},      // left and up: on the other side of the start
        {{150, 80}, square(100, 80, 20)},    // right and up
        {{70, 130}, square(70, 100, 30)},    // left and down
        {{180, 100}, square(100, 100, 0)},   // straight across: no square
    };
    for (const Case& c : cases) {
        DockMonitorSelection selection;
        selection.mouseDown({100, 100});
        EXPECT_EQ(selection.mouseDragged(c.to), c.expected) << c.to.x << "," << c.to.y;
    }
}

TEST(DockMonitorSelection, CornersResizeAgainstTheOppositeCornerAndTheInsideMoves) {
    const Rect start = square(50, 50, 100);  // corners at 50 and 150
    struct Case {
        const char* grabbed;
        Point press;
        Point to;
        Rect expected;
    };
    const Case cases[] = {
        {"top left", {52, 48}, {70, 90}, square(90, 90, 60)},
        {"top right", {150, 50}, {120, 60}, square(50, 80, 70)},
        {"bottom left", {50, 150}, {100, 120}, square(100, 50, 50)},
        {"bottom right", {149, 149}, {200, 180}, square(50, 50, 130)},
        // Handles end at the corner + 5: a press just past it moves the square.
        {"inside", {55, 55}, {65, 85}, square(60, 80, 100)},
        {"outside", {300, 300}, {280, 320}, square(280, 300, 20)},
    };
    for (const Case& c : cases) {
        DockMonitorSelection selection(start);
        selection.mouseDown(c.press);
        EXPECT_EQ(selection.mouseDragged(c.to), c.expected) << c.grabbed;
    }
}

TEST(DockMonitorSelection, ADragEndsTheSelectionAndAClickTheEditing) {
    DockMonitorSelection selection(square(50, 50, 100));
    selection.setDragThreshold(8);
    ASSERT_TRUE(selection.handlesShown());

    selection.mouseDown({300, 300});
    EXPECT_FALSE(selection.handlesShown());
    EXPECT_EQ(selection.mouseDragged({304, 303}), std::nullopt);  // a trembling click
    EXPECT_EQ(selection.mouseUp(), DockMonitorSelection::Release::EditingEnded);
    EXPECT_EQ(selection.selectionRect(), square(50, 50, 100));
    EXPECT_TRUE(selection.handlesShown());

    selection.mouseDown({100, 100});
    EXPECT_TRUE(selection.isMoving());
    EXPECT_EQ(selection.mouseDragged({120, 100}), square(70, 50, 100));
    EXPECT_EQ(selection.mouseUp(), DockMonitorSelection::Release::SelectionEnded);
    EXPECT_FALSE(selection.isMoving());
}
