// Flags that hold while something is under way, and the message pumps and
// boxes inside it: an error half-way must not leave a flag set for the rest
// of the run, and a click or tick that comes in through a pump must not start
// the same work again half-way through.
#include "StartedTarvo.h"
#include "runtime/Error.h"
#include "tarvo/Form1.h"
#include "tarvo/Form3.h"

#include <QPushButton>
#include <gtest/gtest.h>

using namespace testing_support;
namespace mb = platform::mb;

namespace {

class Reentry : public StartedTarvo {
protected:
    bool rightClickOpensTheMenu()
    {
        rightClickIcon();
        const tarvo::Form3 *menu = f->loadedWindow<tarvo::Form3>();
        return menu && menu->isVisible();
    }
};

} // namespace

// The tray does not react while one of the main window's messages is up;
// an error raised while it is up still leaves the tray working afterwards.
TEST_F(Reentry, AnErrorWhileAMessageIsUpLeavesTheTrayWorking)
{
    offlineInTray();
    bool openWhileUp = false;
    h.boxes.whileShown = [&](const ShownBox &box) {
        if (box.prompt != QLatin1String(" You Cannot Edit Here "))
            return;
        openWhileUp = f->run.messageOpen;
        rt::raise(3021, QStringLiteral("No current record."));
    };
    h.boxes.answer(mb::Ok);   // the error's own report
    f->Con_KeyUp(65, 0);
    h.boxes.whileShown = nullptr;

    EXPECT_TRUE(openWhileUp);
    ASSERT_EQ(h.boxes.titles(), (std::vector<QString>{QString(), QStringLiteral("Tarvo - Internal Error")}));
    EXPECT_EQ(h.errorLogLines().size(), 2);
    EXPECT_FALSE(f->run.messageOpen);
    EXPECT_TRUE(rightClickOpensTheMenu());
}

// A second click on "S&ettings" while the panel unfolds is refused: the
// panel ends open, with going online and hiding barred while it is.
TEST_F(Reentry, ASecondSettingsClickWhileThePanelMovesIsRefused)
{
    ASSERT_TRUE(f->isCompact());
    // In steps, so the click lands with the panel half open.
    f->ui.panelStep = 600;
    h.events.at(4, [&] { f->Details->click(); });
    f->Details_Click();
    EXPECT_FALSE(f->isCompact());
    EXPECT_FALSE(f->Com[0]->isEnabled());
    EXPECT_FALSE(f->Com[1]->isEnabled());
    EXPECT_TRUE(f->Usage->isEnabled());
    // Once it has ended, a click folds it again.
    f->Details->click();
    EXPECT_TRUE(f->isCompact());
    EXPECT_TRUE(f->Com[0]->isEnabled());
}

// A tick reached again from inside itself (its message pumps, a box it
// shows) does nothing: the outer one finishes what it began.
TEST_F(Reentry, ATickStartedInsideATickDoesNothing)
{
    ASSERT_TRUE(f->isCompact());
    f->KeepOnline_Timer();
    int before = h.events.yields();
    f->KeepOnline_Timer();
    const int yieldsOfATick = h.events.yields() - before;
    ASSERT_GT(yieldsOfATick, 0);

    before = h.events.yields();
    h.events.at(1, [&] { f->KeepOnline_Timer(); });
    f->KeepOnline_Timer();
    EXPECT_EQ(h.events.yields() - before, yieldsOfATick);
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}
