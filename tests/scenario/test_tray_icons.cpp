// The main window in the tray: which icon shows when, its tip, and what the
// mouse on it does.
#include "StartedTarvo.h"
#include "SYSTRAY/TarvoTrayCtl.h"
#include "tarvo/Form1.h"
#include "tarvo/Form3.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <ostream>

using namespace testing_support;
using platform::Hwnd;
using rt::DateTime;

namespace {

class TrayIcons : public StartedTarvo {
protected:
    Hwnd view(int n) { return h.desktop.handleOf(n == 1 ? f->TrayView1->window() : f->TrayView2->window()); }
    bool in(int n) { return h.tray.has(view(n)); }
    // A session Tarvo owns: dialled, and the connected window seen.
    void sessionUp(const DateTime &at)
    {
        h.clock.set(at);
        f->Com_Click(0);
        h.desktop.open(QStringLiteral("Connected to Home"));
        f->dial.connectedWindow = 77;
        f->SetCstatus(tarvo::CheckLine);
    }
    void mouse(int n, int message) { ASSERT_TRUE(h.tray.mouse(view(n), 0, message)); }
};

TEST_F(TrayIcons, TrayViewHidesTheWindowAndShowsTheIconForTheLine)
{
    f->Com[1]->click();
    EXPECT_TRUE(f->isHidden());
    EXPECT_TRUE(in(1));
    EXPECT_FALSE(in(2));
    EXPECT_EQ(h.tray.tip(view(1)), QStringLiteral("Not Online"));
    EXPECT_EQ(h.tray.icons.value({quint32(view(1)), 0}).callbackMessage, 0x465u);

    // Shown again by the program, the tick takes the icon away.
    f->show();
    f->KeepOnline_Timer();
    EXPECT_TRUE(h.tray.icons.isEmpty());

    sessionUp(DateTime::fromParts(2026, 12, 9, 10, 0, 0));
    f->Com_Click(1);
    EXPECT_FALSE(in(1));
    EXPECT_TRUE(in(2));
    EXPECT_EQ(h.tray.tip(view(2)), QStringLiteral("Online"));
}

// One row per situation; each rule sees what the ones before it did.
struct TrayCase {
    const char *name;
    bool dialing;
    int line;   // -1: never set
    int shown;  // 0 none, 1 or 2: the icon in the tray before the tick
    bool hidden;
    bool loading;
    int expected;   // the icon in the tray after, 0 none
};

void PrintTo(const TrayCase &c, std::ostream *os)
{
    *os << c.name;
}

class TrayRules : public TrayIcons, public ::testing::WithParamInterface<TrayCase> {};

TEST_P(TrayRules, UpdateTrayIconAppliesItsRulesInOrder)
{
    const TrayCase c = GetParam();
    f->setHidden(c.hidden);
    if (c.shown)
        tarvo::Form1::putInTray(c.shown == 1 ? *f->TrayView1 : *f->TrayView2, true);
    f->dial.inProgress = c.dialing;
    f->session.lineState = c.line < 0 ? rt::Value() : rt::Value(c.line);
    f->run.loading = c.loading;
    f->UpdateTrayIcon();
    EXPECT_EQ(in(1), c.expected == 1);
    EXPECT_EQ(in(2), c.expected == 2);
}

INSTANTIATE_TEST_SUITE_P(
    Situations, TrayRules,
    ::testing::Values(TrayCase{"OwnedLineUpSwapsTheIdleIcon", true, 1, 1, true, false, 2},
                      TrayCase{"LineDownSwapsTheSessionIcon", true, 0, 2, true, false, 1},
                      TrayCase{"LineNeverSeenCountsAsDown", false, -1, 2, true, false, 1},
                      TrayCase{"ALineTarvoDoesNotOwnKeepsTheIdleIcon", false, 1, 1, true, false, 1},
                      TrayCase{"HiddenWithoutIconAndALineNotOwned", false, 1, 0, true, false, 1},
                      TrayCase{"HiddenWithoutIconAndAnOwnedLine", true, 1, 0, true, false, 2},
                      TrayCase{"HiddenWithoutIconOffline", false, 0, 0, true, false, 1},
                      TrayCase{"NothingWhileLoading", false, 0, 0, true, true, 0},
                      TrayCase{"TheShownWindowTakesEitherOut", true, 1, 2, false, false, 0},
                      TrayCase{"TheShownWindowShowsNone", false, 0, 0, false, false, 0}),
    [](const ::testing::TestParamInfo<TrayCase> &param) { return std::string(param.param.name); });

TEST_F(TrayIcons, TheSessionTipCountsHoursAndMinutesEverySecond)
{
    sessionUp(DateTime::fromParts(2026, 12, 9, 10, 0, 30));
    f->Com_Click(1);
    ASSERT_TRUE(in(2));
    h.clock.set(DateTime::fromParts(2026, 12, 9, 12, 5, 0));
    f->Backup_Timer();
    EXPECT_EQ(h.tray.tip(view(2)), QStringLiteral("Tarvo - 2 hrs 5 mins"));
    h.clock.set(DateTime::fromParts(2026, 12, 9, 10, 12, 59));
    f->Backup_Timer();
    EXPECT_EQ(h.tray.tip(view(2)), QStringLiteral("Tarvo - 0 hrs 12 mins"));
    // The idle icon keeps its own tip.
    EXPECT_EQ(f->TrayView1->TrayTip(), QStringLiteral("Not Online"));
}

TEST_F(TrayIcons, ALeftDoubleClickGoesOnlineAndOfflineAndNothingElseDoes)
{
    f->Com_Click(1);
    mouse(1, 0x201);
    mouse(1, 0x202);
    mouse(1, 0x206);   // a right double click
    mouse(1, 0x200);
    EXPECT_EQ(f->Com[0]->text(), tarvo::kGoOnline);
    mouse(1, 0x203);
    EXPECT_EQ(f->Com[0]->text(), tarvo::kGoOffline);
    EXPECT_TRUE(f->dial.inProgress);
    mouse(1, 0x203);
    EXPECT_EQ(f->Com[0]->text(), tarvo::kGoOnline);
}

TEST_F(TrayIcons, NothingReactsWhileAMessageOfTheMainWindowIsOpen)
{
    f->Com_Click(1);
    f->run.messageOpen = true;
    mouse(1, 0x203);
    mouse(1, 0x205);
    EXPECT_EQ(f->Com[0]->text(), tarvo::kGoOnline);
    EXPECT_FALSE(f->loadedWindow<tarvo::Form3>());

    f->run.messageOpen = false;
    mouse(1, 0x205);
    ASSERT_TRUE(f->loadedWindow<tarvo::Form3>());
    EXPECT_TRUE(f->loadedWindow<tarvo::Form3>()->isVisible());
    // A second right click takes the menu away.
    mouse(1, 0x205);
    EXPECT_FALSE(f->loadedWindow<tarvo::Form3>());
}

TEST_F(TrayIcons, QuittingTakesTheIconsOut)
{
    f->Com_Click(1);
    ASSERT_TRUE(in(1));
    f->run.quitRequested = true;
    h.boxes.answer(platform::mb::Yes);
    f->KeepOnline_Timer();
    EXPECT_TRUE(f->ended());
    EXPECT_TRUE(h.tray.icons.isEmpty());
}

TEST(TrayStart, ShrinkHidesInTheTrayBeforeAutoConnectDials)
{
    Harness h;
    {
        tarvo::Form1 &first = h.start();
        first.Usetting(tarvo::Settings::Shrink, 1);
        first.Usetting(tarvo::Settings::AutoConnect, 1);
        h.endForm();
    }
    QStringList seen;
    h.tray.onCall = [&](const RecordingNotificationArea::Call &call) {
        seen << QStringLiteral("%1 %2").arg(call.message).arg(h.form().Com[0]->text());
    };
    tarvo::Form1 &f = h.start();
    h.tray.onCall = nullptr;
    EXPECT_TRUE(f.isHidden());
    EXPECT_TRUE(f.dial.inProgress);
    EXPECT_EQ(seen, QStringList{QStringLiteral("0 &Go Online")});
    ASSERT_TRUE(h.tray.only());
    EXPECT_EQ(h.tray.tip(h.tray.only()->first), QStringLiteral("Not Online"));
}

TEST(TrayStart, WithoutItsTrayPlugInTarvoSaysSoAndEnds)
{
    Harness h;
    h.controls.plugIns.clear();
    h.boxes.answer(platform::mb::Ok);
    h.boxes.answer(platform::mb::Ok);
    tarvo::Form1 &f = h.start();
    EXPECT_TRUE(f.ended());
    // The error as every trapped error is told, then the end.
    ASSERT_EQ(h.boxes.shown().size(), 2u);
    EXPECT_TRUE(h.boxes.shown()[0].prompt.contains(QStringLiteral("TarvoTray")));
    EXPECT_EQ(h.boxes.shown()[1].prompt, QStringLiteral(" Tarvo Will Now Exit "));
    const QStringList lines = h.errorLogLines();
    ASSERT_EQ(lines.size(), 2);   // one record
    EXPECT_TRUE(lines[0].contains(QStringLiteral(" 429ActiveX component can't create object")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("TarvoTray is missing or damaged 1 42 "))) << lines[0].toStdString();
}

} // namespace
