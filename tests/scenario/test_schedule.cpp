// Connecting by itself: the set times of day, the browser starting, and the
// question that counts down before either. The desktop is written out by the
// test; the clock moves only when told to.
#include "StartedTarvo.h"
#include "tarvo/Form1.h"
#include "tarvo/Form5.h"
#include "tarvo/Form8.h"
#include "tarvo/Module2.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace testing_support;
using rt::DateTime;

namespace {

DateTime at(int day, int hour, int minute, int second)
{
    return DateTime::fromParts(2026, 12, day, hour, minute, second);
}

class Schedule : public StartedTarvo {
protected:
    void SetUp() override
    {
        StartedTarvo::SetUp();
        ASSERT_TRUE(f->isCompact());
        f->setConText(QStringLiteral("Home"));
    }
    void arm(const QString &connectAt, const QString &disconnectAt)
    {
        f->triggers.scheduleArmed = true;
        f->triggers.connectAt = connectAt;
        f->triggers.disconnectAt = rt::Value(disconnectAt).toDate();
    }
    void tickAt(const DateTime &moment)
    {
        h.clock.set(moment);
        f->KeepOnline_Timer();
    }
    tarvo::Form5 *question() const { return f->loadedWindow<tarvo::Form5>(); }
    bool asking(QLabel *tarvo::Form5::*label) const
    {
        return question() && question()->isVisible() && !(question()->*label)->isHidden();
    }
    bool askingToConnect() const { return asking(&tarvo::Form5::Label5); }
    bool askingToDisconnect() const { return asking(&tarvo::Form5::Label6); }
    bool online() const { return f->Com[0]->text() == tarvo::kGoOffline; }
};

} // namespace

TEST_F(Schedule, ConnectTimeActsOnlyInItsOwnSecondWithTicksOfHalfASecond)
{
    arm(QStringLiteral("6:00 am"), QStringLiteral("6:30 am"));
    f->KeepOnline->setInterval(500);
    tickAt(at(9, 5, 59, 59));
    tickAt(at(9, 6, 0, 1));
    EXPECT_FALSE(askingToConnect());
    tickAt(at(10, 5, 59, 59));
    tickAt(at(10, 6, 0, 0));
    EXPECT_TRUE(askingToConnect());
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(Schedule, SlowTicksStillCatchATimeBetweenThemOnce)
{
    arm(QStringLiteral("6:00 am"), QStringLiteral("6:30 am"));
    f->KeepOnline->setInterval(2000);
    tickAt(at(9, 5, 59, 59));
    EXPECT_FALSE(askingToConnect());
    tickAt(at(9, 6, 0, 1));
    ASSERT_TRUE(askingToConnect());
    question()->Com[0]->click();
    tickAt(at(9, 6, 0, 3));
    tickAt(at(9, 6, 0, 5));
    EXPECT_FALSE(askingToConnect());
    EXPECT_FALSE(online());
}

TEST_F(Schedule, CountdownShowsFiveToOneThenConnectsAndHoldsTheRestOfTheTickMeanwhile)
{
    arm(QStringLiteral("6:00 am"), QStringLiteral("6:30 am"));
    tickAt(at(9, 6, 0, 0));
    ASSERT_TRUE(askingToConnect());
    EXPECT_EQ(question()->Label5->text(), tarvo::Form5::connectCaption());
    for (int left = 5; left >= 1; --left) {
        tickAt(at(9, 6, 0, 5 - left));
        ASSERT_TRUE(askingToConnect());
        EXPECT_EQ(question()->Label5->text(),
                  QStringLiteral("                   Going To Connect In %1 Seconds.           Press No To Cancel "
                                 "The Connection  And Yes To Proceed With Connection.").arg(left));
    }
    EXPECT_TRUE(h.starter.lines.isEmpty());
    EXPECT_FALSE(online());

    // The fifth second answers Yes, and the same tick starts the dial.
    tickAt(at(9, 6, 0, 5));
    EXPECT_FALSE(question()->isVisible());
    EXPECT_TRUE(online());
    EXPECT_EQ(h.starter.lines.size(), 1);
}

TEST_F(Schedule, SlowTicksTakeTheDefaultAnswerOnceFiveSecondsHavePassed)
{
    arm(QStringLiteral("6:00 am"), QStringLiteral("6:30 am"));
    f->KeepOnline->setInterval(2000);
    tickAt(at(9, 6, 0, 0));
    tickAt(at(9, 6, 0, 2));
    EXPECT_TRUE(question()->Label5->text().contains(QLatin1String(" In 3 Seconds.")));
    tickAt(at(9, 6, 0, 4));
    EXPECT_TRUE(question()->Label5->text().contains(QLatin1String(" In 1 Seconds.")));
    tickAt(at(9, 6, 0, 6));
    EXPECT_FALSE(question()->isVisible());
    EXPECT_TRUE(online());
}

TEST_F(Schedule, EqualTimesConnectWhileOfflineAndDisconnectWhileOnline)
{
    arm(QStringLiteral("7:15 pm"), QStringLiteral("7:15 pm"));
    tickAt(at(9, 19, 15, 0));
    EXPECT_TRUE(askingToConnect());
    question()->Com[0]->click();

    // Online the next day with the line up: the same time asks to hang up.
    f->Com_Click(0);
    h.desktop.open(QStringLiteral("Connected to Home"));
    tickAt(at(10, 19, 14, 58));
    ASSERT_TRUE(f->session.lineState.equals(tarvo::LineUp));
    tickAt(at(10, 19, 15, 0));
    EXPECT_TRUE(askingToDisconnect());
    question()->Com[0]->click();
    EXPECT_FALSE(f->dial.watchConnecting);
    EXPECT_TRUE(online());
}

TEST_F(Schedule, DisconnectTimeWhileStillDiallingHangsUpWithoutAsking)
{
    f->Com_Click(0);
    f->session.lineState = tarvo::LineDown;
    f->StartConnectionAuto(tarvo::AskDisconnect);
    EXPECT_FALSE(askingToDisconnect());
    EXPECT_TRUE(f->dial.watchConnecting);
}

TEST_F(Schedule, NoToABrowserStartWaitsForThatBrowserToCloseBeforeAskingAgain)
{
    f->window<tarvo::Form8>().AppStart->setChecked(true);
    f->triggers.browserArmed = true;
    DateTime now = at(9, 12, 0, 0);
    h.desktop.open(QStringLiteral("Untitled - Notepad"));
    const platform::Hwnd browser = h.desktop.open(QStringLiteral("Internet Explorer"));
    tickAt(now);
    ASSERT_TRUE(askingToConnect());
    question()->Com[0]->click();
    EXPECT_TRUE(f->module2().BrowserRearmPending);

    for (int i = 1; i <= 3; ++i)
        tickAt(now.addSeconds(i));
    EXPECT_FALSE(askingToConnect());

    h.desktop.close(browser);
    tickAt(now.addSeconds(4));
    EXPECT_TRUE(f->triggers.browserArmed);
    EXPECT_FALSE(askingToConnect());
    h.desktop.open(QStringLiteral("Internet Explorer"));
    tickAt(now.addSeconds(5));
    EXPECT_TRUE(askingToConnect());
}

TEST_F(Schedule, NothingIsRaisedWhileTheSettingsPanelIsOpen)
{
    arm(QStringLiteral("6:00 am"), QStringLiteral("6:30 am"));
    f->triggers.browserArmed = true;
    h.desktop.open(QStringLiteral("Internet Explorer"));
    f->Details_Click();
    ASSERT_FALSE(f->isCompact());
    tickAt(at(9, 6, 0, 0));
    EXPECT_FALSE(question() && question()->isVisible());
    EXPECT_TRUE(f->triggers.browserStartSeen);
}

TEST_F(Schedule, ATimeThatIsNoTimeIsReportedByTheTick)
{
    arm(QStringLiteral("12/25/2001"), QStringLiteral("6:30 am"));
    h.boxes.answer(platform::mb::Ok);
    tickAt(at(9, 6, 0, 0));
    ASSERT_EQ(h.errorLogLines().size(), 2);
    EXPECT_TRUE(h.errorLogLines().first().contains(QLatin1String(" 13Type mismatch 1 15")));
}
