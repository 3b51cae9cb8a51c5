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
        f->DialInProgress = true;
        h.clock.set(from);
        f->ConnectedWindow = 77;
        f->SetCstatus(tarvo::CheckLine);
        h.clock.set(to);
        f->ConnectedWindow = -1;
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
    f->DialInProgress = true;
    f->ConnectedWindow = 5;
    f->SetCstatus(tarvo::CheckLine);
    EXPECT_TRUE(f->LineState.equals(tarvo::LineUp));
    f->ConnectedWindow = -1;
    f->SetCstatus(tarvo::CheckLine);
    EXPECT_TRUE(f->LineState.equals(tarvo::LineDown));
    EXPECT_EQ(rows(), 0);
}

TEST_F(Session, DropDecidesWhetherToStayConnected)
{
    session(DateTime::fromParts(2026, 12, 9, 10, 0, 0), DateTime::fromParts(2026, 12, 9, 10, 5, 0));
    EXPECT_TRUE(f->StayConnected);
    f->Atrec->setChecked(false);
    session(DateTime::fromParts(2026, 12, 9, 10, 0, 0), DateTime::fromParts(2026, 12, 9, 10, 5, 0));
    EXPECT_FALSE(f->StayConnected);
    // A line Tarvo does not own is never up for it.
    f->DialInProgress = false;
    f->ConnectedWindow = 5;
    f->SetCstatus(tarvo::CheckLine);
    EXPECT_TRUE(f->LineState.equals(tarvo::LineDown));
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
    EXPECT_FALSE(f->WatchdogArmed);
}
