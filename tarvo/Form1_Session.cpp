// Session timing: the line state, the usage record, and the one-second timer.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "SYSTRAY/TarvoTrayCtl.h"
#include "runtime/Format.h"
#include "tarvo/Form3.h"
#include "tarvo/Form6.h"

#include <QCheckBox>
#include <QLabel>
#include <QStringList>

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

void Form1::SetCstatus(SetCstatusCode code)
{
    trapped(*this, Window::Main, Form1Proc::SetCstatus, [&] {
        session.previousLineState = session.lineState.isEmpty() ? int(LineDown) : session.lineState.toInt();
        if (code != CloseSession) {
            if (dial.inProgress && dial.connectedWindow > 0) {
                session.lineState = LineUp;
                if (session.previousLineState != LineUp)
                    session.start = m_platform.clock.now();
                return;
            }
            session.lineState = LineDown;
            if (session.previousLineState == LineDown)
                return;
            dial.stayConnected = dial.inProgress && Atrec->isChecked();
        }

        settings->moveFirst();
        if (isFalse(settings->field(Settings::TrackUsage)))
            return;

        const rt::DateTime end = m_platform.clock.now();
        const rt::DateTime start = session.start.isEmpty() ? rt::DateTime() : session.start.toDate();
        session.end = end;
        session.minutes = rt::dateDiff(rt::Interval::Minute, start, end);
        const rt::Value rate = settings->field(Settings::CPerHr);
        const rt::Value cost = rate.isNull()
            ? rt::Value(rt::Currency{})
            : rt::Value(rt::Currency::fromDouble(double(session.minutes.toLong()) / 60.0 * rate.toDouble()));

        // One statement writes the whole row or nothing.
        track->addNew();
        track->setField(Track::SessionDate, end.datePart());
        track->setField(Track::Minutes, session.minutes);
        track->setField(Track::SessionCost, cost);
        track->setField(Track::Connection, rt::trimBlanks(conText()));
        track->setField(Track::StartTime, timeOfDay(start));
        track->setField(Track::EndTime, timeOfDay(end));
        track->setField(Track::Rate, rate);
        track->update();

        WarnNetUsage();
    });
}

void Form1::WarnNetUsage()
{
    trapped(*this, Window::Main, Form1Proc::WarnNetUsage, [&] {
        // A connection about to be made by itself is not held up by a box.
        if (triggers.browserStartSeen || triggers.scheduleArmed)
            return;

        // This calendar month's rows, found by date rather than by reading
        // the whole log: the log grows for years and this runs on every
        // "Go Online" and after every session.
        qint64 monthMinutes = 0;
        rt::Currency monthCost;
        if (!track->isEmpty()) {
            const QDate today = m_platform.clock.now().date();
            const rt::DateTime first = rt::DateTime::fromParts(today.year(), today.month(), 1);
            const rt::DateTime next = rt::DateTime::fromParts(today.year(), today.month() + 1, 1);
            const QVector<rt::Value> totals =
                track->totalsInRange(Track::SessionDate, first, next, {Track::Minutes, Track::SessionCost});
            monthMinutes = qint64(totals[0].toDouble());
            monthCost = totals[1].toCurrency();
        }

        settings->moveFirst();
        const rt::Value hoursLimit = settings->field(Settings::Hours);
        const rt::Value costLimit = settings->field(Settings::Cost);

        if (rt::isTrue(settings->field(Settings::NetHours)) && !hoursLimit.isNull()
            && double(monthMinutes) > hoursLimit.toDouble() * 60.0) {
            const QStringList lines = {
                QStringLiteral(" Your Internet Hours For This Month Has Exceeded "),
                QStringLiteral(" The Warning Limit Of ") + hoursLimit.toString(),
                QStringLiteral(" The Total Usage Now Stands At ") + QString::number(monthMinutes / 60)
                    + QStringLiteral(" Hours ") + QString::number(monthMinutes % 60) + QStringLiteral(" Mins."),
                QStringLiteral(" If You Do Not Want To Receive This Warning Again "),
                QStringLiteral(" Then Disable This Feature In More Settings Or    "),
                QStringLiteral(" Increase Warning Limit."),
            };
            ownMessage(lines.join(kCrLf), platform::mb::OkOnly | platform::mb::Exclamation,
                       QStringLiteral("Tarvo Reminder - Internet Usage Hours"));
        }

        if (rt::isTrue(settings->field(Settings::NetCost)) && !costLimit.isNull()
            && monthCost.scaled > costLimit.toCurrency().scaled) {
            const QStringList lines = {
                QStringLiteral(" Your Internet Cost For This Month Has Exceeded "),
                QStringLiteral(" The Warning Limit Of Cost ") + costLimit.toString(),
                QStringLiteral(" The Total Usage Cost Now Stands At ") + rt::Value(monthCost).toString(),
                QStringLiteral(" If You Do Not Want To Receive This Warning Again "),
                QStringLiteral(" Then Disable This Feature In More Settings Or    "),
                QStringLiteral(" Increase Warning Limit."),
            };
            ownMessage(lines.join(kCrLf), platform::mb::OkOnly | platform::mb::Exclamation,
                       QStringLiteral("Tarvo Reminder - Internet Usage Cost"));
        }
    });
}

void Form1::Backup_Timer()
{
    trapped(*this, Window::Main, Form1Proc::Backup_Timer, [&] {
        // The monitor timer found stopped is started again after half a
        // minute of one-second ticks.
        if (KeepOnline->interval() == 0)
            session.watchdogArmed = true;
        if (session.watchdogArmed) {
            ++session.watchdogTicks;
            if (session.watchdogTicks > 30) {
                session.watchdogTicks = 0;
                session.watchdogArmed = false;
                KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
            }
        }

        if (TrayView2->InTray()) {
            doEvents();
            const int elapsed = elapsedMinutes();
            const QString hours = QString::number(elapsed / 60);
            const QString minutes = QString::number(elapsed % 60);
            putTrayTip(*TrayView2, QStringLiteral("Tarvo - ") + hours + QStringLiteral(" hrs ") + minutes
                                       + QStringLiteral(" mins"));
            if (Form6 *status = loadedWindow<Form6>(); status && status->isVisible()) {
                status->Disp[2]->setText(hours + QStringLiteral(" Hrs ") + minutes + QStringLiteral(" Mins"));
                const rt::Value rate = settings->field(Settings::CPerHr);
                if (!rate.isNull())
                    status->Disp[4]->setText(
                        rt::format(rt::Value(double(elapsed) / 60.0 * rate.toDouble()), QStringLiteral("0#.#0")));
            }
            doEvents();
        } else {
            unloadWindow<Form6>();
            if (Form3 *menu = loadedWindow<Form3>(); menu && menu->isVisible() && menu->Check2->isEnabled())
                menu->Check2->setEnabled(false);
        }
    });
}

} // namespace tarvo
