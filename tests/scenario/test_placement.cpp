// Placing a window next to the mouse pointer, as the tray menu is opened,
// on a desktop written out by the test.
#include "Harness.h"
#include "tarvo/Form1.h"
#include "tarvo/Module2.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(Placement, PlaceNearCursorPutsTheBottomRightCornerOffThePointerOnTopAndKeepsTheSize)
{
    Harness h;
    tarvo::Module2 &scanner = h.form().module2();
    const platform::Hwnd menu = h.desktop.open(QStringLiteral("Tarvo Menu"));
    h.desktop.setRect(menu, QRect(3, 4, 120, 90));

    h.desktop.cursor = QPoint(800, 600);
    scanner.PlaceNearCursor(menu, 10, 42);
    EXPECT_EQ(h.desktop.getWindowRect(menu), QRect(800 - 120 - 10, 600 - 90 - 42, 120, 90));
    EXPECT_TRUE(h.desktop.topmost.contains(menu));

    // Near the screen's corner it is not pulled back onto the screen.
    h.desktop.cursor = QPoint(50, 40);
    scanner.PlaceNearCursor(menu, 10, 42);
    EXPECT_EQ(h.desktop.getWindowRect(menu).topLeft(), QPoint(50 - 120 - 10, 40 - 90 - 42));
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}
