// The More Settings window: what it loads, which options it opens and greys,
// what it refuses, and what "&Ok" stores and arms.
#include "StartedTarvo.h"
#include "runtime/Basics.h"
#include "tarvo/Form1.h"
#include "tarvo/Form8.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using rt::Value;
namespace mb = platform::mb;
namespace S = tarvo::Settings;

namespace {

class MoreSettings : public StartedTarvo {
protected:
    // Opens the window from the main window's button and lets `use` work it
    // like the user would.
    void open(const std::function<void(tarvo::Form8 &)> &use)
    {
        h.boxes.onModal([&](QDialog &dialog) {
            dialog.activateWindow();
            QCoreApplication::processEvents();
            use(static_cast<tarvo::Form8 &>(dialog));
        });
        f->Settings_Click();
    }
    Value stored(int ordinal)
    {
        f->settings->moveFirst();
        return f->settings->field(ordinal);
    }
    // The keyboard focus moves on, as tabbing away does.
    static void focusOn(QWidget *w)
    {
        w->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
    void givenLimits()
    {
        f->Usetting(S::NetHours, 1);
        f->Usetting(S::NetCost, 1);
        f->Usetting(S::Hours, 40);
        f->Usetting(S::CPerHr, 1.5);
        f->Usetting(S::Cost, 60);
    }
};

} // namespace

TEST_F(MoreSettings, MissingLimitsAreStoredAsZeroWithTheirWarningsOff)
{
    f->Usetting(S::NetHours, 1);
    f->Usetting(S::NetCost, 1);
    f->Usetting(S::CPerHr, 2);   // the cost limit stays missing
    open([](tarvo::Form8 &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvo - More Settings"));
        EXPECT_TRUE(w.Hours->text().isEmpty());
        EXPECT_TRUE(w.CPerHr->text().isEmpty());
        EXPECT_TRUE(w.Cost->text().isEmpty());
        w.Com[1]->click();
    });
    EXPECT_FALSE(rt::isTrue(stored(S::NetHours)));
    EXPECT_EQ(stored(S::Hours).toDouble(), 0);
    EXPECT_FALSE(rt::isTrue(stored(S::NetCost)));
    EXPECT_EQ(stored(S::CPerHr).toDouble(), 0);
    EXPECT_EQ(stored(S::Cost).toDouble(), 0);

    givenLimits();
    open([](tarvo::Form8 &w) {
        EXPECT_TRUE(w.Track->isChecked());
        EXPECT_EQ(w.Hours->text(), QStringLiteral("40"));
        EXPECT_EQ(w.CPerHr->text(), QStringLiteral("1.5"));
        EXPECT_EQ(w.Cost->text(), QStringLiteral("60"));
        EXPECT_TRUE(w.Hours->isEnabled());
        EXPECT_TRUE(w.Cost->isEnabled());
        EXPECT_FALSE(w.Alarm[0]->isEnabled());
        w.Com[1]->click();
    });
    EXPECT_EQ(stored(S::Hours).toDouble(), 40);
}

TEST_F(MoreSettings, TrackGreysItsOptionsButNotTheLimitsAndCancelStoresNothing)
{
    givenLimits();
    open([](tarvo::Form8 &w) {
        w.Track->click();
        for (QWidget *c : std::initializer_list<QWidget *>{w.NetHours, w.NetCost, w.CPerHr, w.Label3})
            EXPECT_FALSE(c->isEnabled());
        EXPECT_TRUE(w.Hours->isEnabled());
        EXPECT_TRUE(w.Cost->isEnabled());
        w.Track->click();
        EXPECT_TRUE(w.NetHours->isEnabled());

        w.NetHours->click();
        EXPECT_FALSE(w.Hours->isEnabled());
        w.NetHours->click();
        EXPECT_TRUE(w.Hours->isEnabled());
        EXPECT_TRUE(w.Hours->hasFocus());

        w.AlarmStart->click();
        EXPECT_TRUE(w.Alarm[0]->isEnabled());
        EXPECT_TRUE(w.Alarm[1]->isEnabled());
        w.AppStart->click();
        w.Track->click();
        w.Hours->setText(QStringLiteral("5"));
        w.Com[1]->click();
    });
    EXPECT_TRUE(rt::isTrue(stored(S::TrackUsage)));
    EXPECT_EQ(stored(S::Hours).toDouble(), 40);
    EXPECT_FALSE(rt::isTrue(stored(S::AlarmStart)));
    EXPECT_FALSE(rt::isTrue(stored(S::AppStart)));
    EXPECT_FALSE(f->triggers.browserArmed);
}

TEST_F(MoreSettings, OkTurnsOffAWarningWithoutALimitAndAScheduleWithoutBothTimes)
{
    givenLimits();
    f->Usetting(S::AlarmStart, 1);
    f->triggers.scheduleArmed = true;
    open([](tarvo::Form8 &w) {
        EXPECT_TRUE(w.AlarmStart->isChecked());
        EXPECT_EQ(w.Alarm[1]->text(), QStringLiteral("6:30 am"));
        w.Hours->clear();
        w.Alarm[1]->clear();
        w.Com[0]->click();
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_FALSE(rt::isTrue(stored(S::NetHours)));
    EXPECT_EQ(stored(S::Hours).toDouble(), 40);
    EXPECT_TRUE(rt::isTrue(stored(S::NetCost)));
    EXPECT_FALSE(rt::isTrue(stored(S::AlarmStart)));
    EXPECT_FALSE(f->triggers.scheduleArmed);
    EXPECT_TRUE(h.boxes.shown().empty());
    EXPECT_FALSE(f->loadedWindow<tarvo::Form8>()->AlarmStart->isChecked());
}

TEST_F(MoreSettings, OkWithoutACostPerHourWarnsOnceAndStillSaves)
{
    open([&](tarvo::Form8 &w) {
        ASSERT_TRUE(w.Track->isChecked());
        w.NetHours->click();
        QTest::keyClicks(w.Hours, QStringLiteral("12"));
        w.AppStart->click();
        h.boxes.answer(mb::Ok);
        w.Com[0]->click();
    });
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral("If Cost Per Hour Is Not Specified, Usage Cost Will Not Be Tracked."));
    EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::OkOnly);
    EXPECT_TRUE(rt::isTrue(stored(S::TrackUsage)));
    EXPECT_TRUE(rt::isTrue(stored(S::NetHours)));
    EXPECT_EQ(stored(S::Hours).toDouble(), 12);
    EXPECT_EQ(stored(S::CPerHr).toDouble(), 0);
    EXPECT_TRUE(rt::isTrue(stored(S::AppStart)));
    EXPECT_TRUE(f->triggers.browserArmed);
    EXPECT_TRUE(f->loadedWindow<tarvo::Form8>()->AppStart->isChecked());
}

TEST_F(MoreSettings, OkWithBothTimesStoresAndArmsTheSchedule)
{
    open([](tarvo::Form8 &w) {
        w.Track->click();   // nothing to cost, so no question about the rate
        w.AlarmStart->click();
        w.Alarm[0]->setText(QStringLiteral("7:15 pm"));
        w.Alarm[1]->setText(QStringLiteral("11:30 pm"));
        w.Com[0]->click();
    });
    EXPECT_FALSE(rt::isTrue(stored(S::TrackUsage)));
    EXPECT_TRUE(rt::isTrue(stored(S::AlarmStart)));
    EXPECT_EQ(stored(S::ConnectTime), Value("7:15 pm"));
    EXPECT_EQ(stored(S::DisconnectTime), Value("11:30 pm"));
    EXPECT_TRUE(f->triggers.scheduleArmed);
    EXPECT_EQ(f->triggers.connectAt, Value("7:15 pm"));
    EXPECT_EQ(f->triggers.disconnectAt.toDate().toQDateTime().time(), QTime(23, 30));

    const tarvo::Form8 *hidden = f->loadedWindow<tarvo::Form8>();
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_TRUE(hidden->AlarmStart->isChecked());
    EXPECT_FALSE(hidden->AppStart->isChecked());
    EXPECT_EQ(hidden->Alarm[0]->text(), QStringLiteral("7:15 pm"));
    EXPECT_EQ(hidden->Alarm[1]->text(), QStringLiteral("11:30 pm"));
}

TEST_F(MoreSettings, LettersInANumberBoxAreRefusedAndTheFocusGoesBack)
{
    givenLimits();
    open([&](tarvo::Form8 &w) {
        focusOn(w.Hours);
        w.Hours->clear();
        QTest::keyClicks(w.Hours, QStringLiteral("abc"));
        h.boxes.answer(mb::Ok);
        focusOn(w.CPerHr);
        ASSERT_EQ(h.boxes.shown().size(), 1u);
        EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral(" Enter A Numeric Value "));
        EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::OkOnly);
        EXPECT_TRUE(h.boxes.shown()[0].title.isEmpty());
        EXPECT_TRUE(w.Hours->hasFocus());

        w.Hours->setText(QStringLiteral("12.5"));
        focusOn(w.CPerHr);
        EXPECT_EQ(h.boxes.shown().size(), 1u);

        // "&Ok" by Enter, without leaving the box, is refused the same way.
        w.CPerHr->setText(QStringLiteral("x"));
        h.boxes.answer(mb::Ok);
        w.Com[0]->click();
        EXPECT_EQ(h.boxes.shown().size(), 2u);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.CPerHr->hasFocus());
        w.Com[1]->click();
    });
    EXPECT_EQ(stored(S::Hours).toDouble(), 40);
    EXPECT_EQ(stored(S::CPerHr).toDouble(), 1.5);
}

TEST_F(MoreSettings, TimeBoxesTakeATimeOfDayOnlyAndHelpRetyping)
{
    open([&](tarvo::Form8 &w) {
        w.AlarmStart->click();
        h.keys.sent.clear();
        focusOn(w.Alarm[0]);
        EXPECT_EQ(h.keys.sent, QStringList{"{END}+{HOME}"});

        w.Alarm[0]->setText(QStringLiteral("12/25/2001"));
        h.boxes.answer(mb::Ok);
        focusOn(w.Alarm[1]);
        ASSERT_EQ(h.boxes.shown().size(), 1u);
        EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral(" Enter A Proper Time "));
        EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::OkOnly);
        EXPECT_TRUE(w.Alarm[0]->hasFocus());

        w.Alarm[0]->setText(QStringLiteral("7:15 pm"));
        focusOn(w.Alarm[1]);
        EXPECT_EQ(h.boxes.shown().size(), 1u);
        EXPECT_TRUE(w.Alarm[1]->hasFocus());

        h.keys.sent.clear();
        QTest::mouseClick(w.Alarm[1], Qt::LeftButton);
        EXPECT_EQ(h.keys.sent, QStringList{"{END}+{HOME}"});
        QTest::mouseDClick(w.Alarm[1], Qt::LeftButton);
        EXPECT_TRUE(w.Alarm[1]->text().isEmpty());
        w.Com[1]->click();
    });
}
