// Session accounting: the line state, the usage record and the watchdog.
#include "StartedTarvo.h"
#include "tarvo/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <gtest/gtest.h>

using namespace testing_support;
using rt::DateTime;
using rt::Value;

namespace {

class Session : public StartedTarvo {
protected:
    // A line that comes up at `from` and goes down at `to`.
    void session(const DateTime &from, const DateTime &to)
    {
        f->dial.inProgress = true;
        h.clock.set(from);
        f->dial.connectedWindow = 77;
        f->SetCstatus(tarvo::CheckLine);
        h.clock.set(to);
        f->dial.connectedWindow = -1;
        f->SetCstatus(tarvo::CheckLine);
    }
    int rows() { return f->track->recordCount(); }
    Value lastRow(int field)
    {
        f->track->moveLast();
        return f->track->field(field);
    }
    void setRate(const Value &rate)
    {
        f->settings->moveFirst();
        f->settings->edit();
        f->settings->setField(tarvo::Settings::CPerHr, rate);
        f->settings->update();
    }
};

} // namespace

TEST_F(Session, MinutesAreMinuteBoundariesCrossed)
{
    session(DateTime::fromParts(2026, 12, 9, 10, 0, 59), DateTime::fromParts(2026, 12, 9, 10, 1, 0));
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(lastRow(tarvo::Track::Minutes), Value(qint64(1)));
    session(DateTime::fromParts(2026, 12, 9, 10, 0, 0), DateTime::fromParts(2026, 12, 9, 10, 0, 59));
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(lastRow(tarvo::Track::Minutes), Value(qint64(0)));
    EXPECT_EQ(lastRow(tarvo::Track::SessionCost).toCurrency(), rt::Currency{});
}

TEST_F(Session, RecordHoldsAllSevenFieldsAndTheRateInForce)
{
    setRate(1.5);
    f->setConText(QStringLiteral("Work"));
    session(DateTime::fromParts(2026, 12, 9, 9, 15, 30), DateTime::fromParts(2026, 12, 9, 11, 15, 10));
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(lastRow(tarvo::Track::SessionDate).toDate(), DateTime::fromParts(2026, 12, 9));
    EXPECT_EQ(lastRow(tarvo::Track::Minutes), Value(qint64(120)));
    EXPECT_EQ(lastRow(tarvo::Track::SessionCost).toCurrency(), rt::Currency::fromDouble(3.0));
    EXPECT_EQ(lastRow(tarvo::Track::Connection), Value("Work"));
    EXPECT_FALSE(lastRow(tarvo::Track::StartTime).toDate().hasDate());
    EXPECT_EQ(lastRow(tarvo::Track::StartTime).toDate().time(), QTime(9, 15, 30));
    EXPECT_EQ(lastRow(tarvo::Track::EndTime).toDate().time(), QTime(11, 15, 10));
    EXPECT_EQ(lastRow(tarvo::Track::Rate).toCurrency(), rt::Currency::fromDouble(1.5));
}

TEST_F(Session, NullRateGivesCostZeroAndANullRate)
{
    session(DateTime::fromParts(2026, 12, 9, 10, 0, 0), DateTime::fromParts(2026, 12, 9, 10, 30, 0));
    EXPECT_EQ(lastRow(tarvo::Track::SessionCost).toCurrency(), rt::Currency{});
    EXPECT_TRUE(lastRow(tarvo::Track::Rate).isNull());
}

TEST_F(Session, SessionOverMidnightIsDatedWithTheEndDay)
{
    session(DateTime::fromParts(2026, 12, 9, 23, 50, 0), DateTime::fromParts(2026, 12, 10, 0, 20, 0));
    EXPECT_EQ(lastRow(tarvo::Track::SessionDate).toDate(), DateTime::fromParts(2026, 12, 10));
    EXPECT_EQ(lastRow(tarvo::Track::Minutes), Value(qint64(30)));
    EXPECT_EQ(lastRow(tarvo::Track::StartTime).toDate().time(), QTime(23, 50, 0));
    EXPECT_EQ(lastRow(tarvo::Track::EndTime).toDate().time(), QTime(0, 20, 0));
}

TEST_F(Session, TrackingOffWritesNothingButTheLineStateStillFollows)
{
    f->Usetting(tarvo::Settings::TrackUsage, 0);
    f->dial.inProgress = true;
    f->dial.connectedWindow = 5;
    f->SetCstatus(tarvo::CheckLine);
    EXPECT_TRUE(f->session.lineState.equals(tarvo::LineUp));
    f->dial.connectedWindow = -1;
    f->SetCstatus(tarvo::CheckLine);
    EXPECT_TRUE(f->session.lineState.equals(tarvo::LineDown));
    EXPECT_EQ(rows(), 0);
}

TEST_F(Session, DropDecidesWhetherToStayConnected)
{
    session(DateTime::fromParts(2026, 12, 9, 10, 0, 0), DateTime::fromParts(2026, 12, 9, 10, 5, 0));
    EXPECT_TRUE(f->dial.stayConnected);
    f->Atrec->setChecked(false);
    session(DateTime::fromParts(2026, 12, 9, 10, 0, 0), DateTime::fromParts(2026, 12, 9, 10, 5, 0));
    EXPECT_FALSE(f->dial.stayConnected);
    // A line Tarvo does not own is never up for it.
    f->dial.inProgress = false;
    f->dial.connectedWindow = 5;
    f->SetCstatus(tarvo::CheckLine);
    EXPECT_TRUE(f->session.lineState.equals(tarvo::LineDown));
}

TEST_F(Session, StoppedMonitorTimerIsRestartedOnThe31stBackupTick)
{
    f->KeepOnline->setInterval(0);
    for (int tick = 1; tick <= 30; ++tick) {
        f->Backup_Timer();
        EXPECT_EQ(f->KeepOnline->interval(), 0) << tick;
    }
    f->Backup_Timer();
    EXPECT_EQ(f->KeepOnline->interval(), 500);
    EXPECT_FALSE(f->session.watchdogArmed);
}

// ------------------------------------------------------- monthly warnings

namespace {

class Warnings : public Session {
protected:
    void SetUp() override
    {
        Session::SetUp();
        h.clock.set(DateTime::fromParts(2026, 12, 9, 12, 0, 0));
        f->settings->moveFirst();
        f->settings->edit();
        f->settings->setField(tarvo::Settings::NetHours, true);
        f->settings->setField(tarvo::Settings::Hours, 10);
        f->settings->setField(tarvo::Settings::NetCost, true);
        f->settings->setField(tarvo::Settings::Cost, 0.25);
        f->settings->update();
    }
    void logged(const DateTime &day, int minutes, double cost)
    {
        f->track->addNew();
        f->track->setField(tarvo::Track::SessionDate, day);
        f->track->setField(tarvo::Track::Minutes, minutes);
        f->track->setField(tarvo::Track::SessionCost, rt::Currency::fromDouble(cost));
        f->track->update();
    }
    QStringList shown()
    {
        QStringList out;
        for (const ShownBox &b : h.boxes.shown())
            out << b.title;
        return out;
    }
};

const QString kHours = QStringLiteral("Tarvo Reminder - Internet Usage Hours");
const QString kCost = QStringLiteral("Tarvo Reminder - Internet Usage Cost");

} // namespace

TEST_F(Warnings, HoursWarnOnlyAboveTheLimitAndCountThisMonthAlone)
{
    logged(DateTime::fromParts(2026, 12, 1), 300, 0);
    logged(DateTime::fromParts(2026, 12, 9), 300, 0);
    logged(DateTime::fromParts(2025, 12, 9), 500, 0);   // a year ago
    logged(DateTime::fromParts(2026, 11, 30), 500, 0);
    f->WarnNetUsage();
    EXPECT_TRUE(h.boxes.shown().empty());

    logged(DateTime::fromParts(2026, 12, 31), 1, 0);
    h.boxes.answer(platform::mb::Ok);
    f->WarnNetUsage();
    ASSERT_EQ(shown(), QStringList{kHours});
    const ShownBox &box = h.boxes.shown().front();
    EXPECT_EQ(box.prompt, QStringLiteral(" Your Internet Hours For This Month Has Exceeded \r\n"
                                         " The Warning Limit Of 10\r\n"
                                         " The Total Usage Now Stands At 10 Hours 1 Mins.\r\n"
                                         " If You Do Not Want To Receive This Warning Again \r\n"
                                         " Then Disable This Feature In More Settings Or    \r\n"
                                         " Increase Warning Limit."));
    EXPECT_EQ(box.buttons(), platform::mb::OkOnly);
    EXPECT_EQ(box.icon(), platform::mb::Exclamation);
    EXPECT_FALSE(f->run.messageOpen);
}

TEST_F(Warnings, BothLimitsShowHoursThenCostWithTheSumAsPlainNumberText)
{
    logged(DateTime::fromParts(2026, 12, 2), 601, 0.1);
    logged(DateTime::fromParts(2026, 12, 3), 0, 0.2);
    h.boxes.answer(platform::mb::Ok);
    h.boxes.answer(platform::mb::Ok);
    f->WarnNetUsage();
    ASSERT_EQ(shown(), (QStringList{kHours, kCost}));
    EXPECT_EQ(h.boxes.shown().back().prompt,
              QStringLiteral(" Your Internet Cost For This Month Has Exceeded \r\n"
                             " The Warning Limit Of Cost 0.25\r\n"
                             " The Total Usage Cost Now Stands At 0.3\r\n"
                             " If You Do Not Want To Receive This Warning Again \r\n"
                             " Then Disable This Feature In More Settings Or    \r\n"
                             " Increase Warning Limit."));

    // A sum equal to the limit is not over it, whatever the binary sum says.
    h.boxes.clear();
    f->Usetting(tarvo::Settings::NetHours, false);
    f->Usetting(tarvo::Settings::Cost, 0.3);
    f->WarnNetUsage();
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST_F(Warnings, NoneWhileTheScheduleIsArmedOrABrowserStartWaitsNorForAnEmptyLog)
{
    f->Usetting(tarvo::Settings::Hours, 0);
    f->Usetting(tarvo::Settings::Cost, 0);
    f->WarnNetUsage();
    EXPECT_TRUE(h.boxes.shown().empty());

    logged(DateTime::fromParts(2026, 12, 2), 5, 1);
    f->triggers.scheduleArmed = true;
    f->WarnNetUsage();
    f->triggers.scheduleArmed = false;
    f->triggers.browserStartSeen = true;
    f->WarnNetUsage();
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST_F(Warnings, GoingOnlineAndEveryRecordedSessionWarn)
{
    logged(DateTime::fromParts(2026, 12, 2), 700, 0);
    f->Usetting(tarvo::Settings::NetCost, false);
    f->setConText(QStringLiteral("Home"));
    h.boxes.answer(platform::mb::Ok);
    f->Com_Click(0);
    EXPECT_EQ(shown(), QStringList{kHours});

    h.boxes.answer(platform::mb::Ok);
    session(DateTime::fromParts(2026, 12, 9, 12, 0, 0), DateTime::fromParts(2026, 12, 9, 12, 30, 0));
    EXPECT_EQ(shown(), (QStringList{kHours, kHours}));
    EXPECT_TRUE(h.boxes.shown().back().prompt.contains(QLatin1String(" Stands At 12 Hours 10 Mins.")));
}
