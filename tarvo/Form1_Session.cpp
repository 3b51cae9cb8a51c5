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
    trapped(*this, 1, 16, [&] {
        PrevLineState = LineState.isEmpty() ? 0 : LineState.toInt();
        if (code != 1001) {
            if (DialInProgress && ConnectedWindow > 0) {
                LineState = 1;
                if (PrevLineState != 1)
                    SessionStart = m_platform.clock.now();
                return;
            }
            LineState = 0;
            if (PrevLineState == 0)
                return;
            StayConnected = DialInProgress && Atrec->isChecked();
        }

        settings->moveFirst();
        if (isFalse(settings->field(11)))
            return;

        const rt::DateTime end = m_platform.clock.now();
        const rt::DateTime start = SessionStart.isEmpty() ? rt::DateTime() : SessionStart.toDate();
        SessionEnd = end;
        SessionMinutes = rt::dateDiff(rt::Interval::Minute, start, end);
        const rt::Value rate = settings->field(14);
        const rt::Value cost = rate.isNull()
            ? rt::Value(rt::Currency{})
            : rt::Value(rt::Currency::fromDouble(double(SessionMinutes.toLong()) / 60.0 * rate.toDouble()));

        // One statement writes the whole row or nothing.
        track->addNew();
        track->setField(0, end.datePart());
        track->setField(1, SessionMinutes);
        track->setField(2, cost);
        track->setField(3, rt::trimBlanks(conText()));
        track->setField(4, timeOfDay(start));
        track->setField(5, timeOfDay(end));
        track->setField(6, rate);
        track->update();
    });
}

void Form1::Backup_Timer()
{
    trapped(*this, 1, 4, [&] {
        // The monitor timer found stopped is started again after half a
        // minute of one-second ticks.
        if (KeepOnline->interval() == 0)
            WatchdogArmed = true;
        if (WatchdogArmed) {
            ++WatchdogTicks;
            if (WatchdogTicks > 30) {
                WatchdogTicks = 0;
                WatchdogArmed = false;
                KeepOnline->setInterval(int(settings->field(0).toLong()));
            }
        }
    });
}

} // namespace tarvo
