// Session timing: the line state, the usage record, and the one-second timer.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "runtime/Format.h"

#include <QCheckBox>

namespace tarvo {

namespace {

// A time of day alone, as the record keeps it.
rt::DateTime timeOfDay(const rt::DateTime &moment)
{
    return moment.timePart();
}

bool isFalse(const rt::Value &v)
{
    if (v.isNull() || v.isEmpty())
        return false;
    if (v.type() == rt::VType::Boolean)
        return !v.toBool();
    try {
        return v.toDouble() == 0.0;
    } catch (...) {
        return false;
    }
}

} // namespace

void Form1::SetCstatus(int code)
{
    trapped(*this, Window::Main, Form1Proc::SetCstatus, [&] {
        PrevLineState = LineState.isEmpty() ? int(LineDown) : LineState.toInt();
        if (code != CloseSession) {
            if (DialInProgress && ConnectedWindow > 0) {
                LineState = LineUp;
                if (PrevLineState != LineUp)
                    SessionStart = m_platform.clock.now();
                return;
            }
            LineState = LineDown;
            if (PrevLineState == LineDown)
                return;
            StayConnected = DialInProgress && Atrec->isChecked();
        }

        settings->moveFirst();
        if (isFalse(settings->field(Settings::TrackUsage)))
            return;

        const rt::DateTime end = m_platform.clock.now();
        const rt::DateTime start = SessionStart.isEmpty() ? rt::DateTime() : SessionStart.toDate();
        SessionEnd = end;
        SessionMinutes = rt::dateDiff(rt::Interval::Minute, start, end);
        const rt::Value rate = settings->field(Settings::CPerHr);
        const rt::Value cost = rate.isNull()
            ? rt::Value(rt::Currency{})
            : rt::Value(rt::Currency::fromDouble(double(SessionMinutes.toLong()) / 60.0 * rate.toDouble()));

        // One statement writes the whole row or nothing.
        track->addNew();
        track->setField(Track::SessionDate, end.datePart());
        track->setField(Track::Minutes, SessionMinutes);
        track->setField(Track::SessionCost, cost);
        track->setField(Track::Connection, rt::trimBlanks(conText()));
        track->setField(Track::StartTime, timeOfDay(start));
        track->setField(Track::EndTime, timeOfDay(end));
        track->setField(Track::Rate, rate);
        track->update();
    });
}

void Form1::Backup_Timer()
{
    trapped(*this, Window::Main, Form1Proc::Backup_Timer, [&] {
        // The monitor timer found stopped is started again after half a
        // minute of one-second ticks.
        if (KeepOnline->interval() == 0)
            WatchdogArmed = true;
        if (WatchdogArmed) {
            ++WatchdogTicks;
            if (WatchdogTicks > 30) {
                WatchdogTicks = 0;
                WatchdogArmed = false;
                KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
            }
        }
    });
}

} // namespace tarvo
