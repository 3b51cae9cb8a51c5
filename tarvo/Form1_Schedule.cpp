// Connecting and disconnecting by themselves: at the set times of day and
// when the browser starts, each after a question that counts down.
#include "tarvo/Form1.h"

#include "runtime/Format.h"
#include "tarvo/Form5.h"
#include "tarvo/Module2.h"

#include <QLabel>

#include <algorithm>

namespace tarvo {

namespace {

constexpr qint64 kCountdownSeconds = 5;

// Today's date joined to a time of day as the user typed it. A text that is
// no time makes the check fail, and the tick reports it.
rt::DateTime todayAt(const rt::DateTime &now, const QString &time)
{
    return rt::Value(rt::generalDate(now.datePart()) + QLatin1Char(' ') + time).toDate();
}

} // namespace

void Form1::StartConnectionAuto(AutoQuestion kind)
{
    trapped(*this, Window::Main, Form1Proc::StartConnectionAuto, [&] {
        Form5 &question = window<Form5>();
        const int line = session.lineState.isEmpty() ? int(LineDown) : session.lineState.toInt();
        QLabel *label = nullptr;
        if (kind == AskConnect) {
            if (line == LineDown && !question.isVisible())
                label = question.Label5;
        } else if (kind == AskDisconnect) {
            if (line == LineUp && dial.inProgress && !question.isVisible())
                label = question.Label6;
            else if (line == LineDown && dial.inProgress)
                dial.watchConnecting = true;   // still dialling: nothing to ask
        }
        if (!label)
            return;
        for (QLabel *l : {question.Label1, question.Label2, question.Label5, question.Label6})
            l->setHidden(l != label);
        // A question raised again starts from its own caption, not from the
        // number the last one ended on.
        label->setText(label == question.Label5 ? Form5::connectCaption() : Form5::disconnectCaption());
        triggers.questionRaisedAt = m_platform.clock.now();
        question.show();
    });
}

bool Form1::countdownStep()
{
    Form5 *question = loadedWindow<Form5>();
    if (!question || !question->isVisible())
        return true;
    struct Countdown {
        QLabel *label;
        QString (*text)(int);
    };
    for (const Countdown &c : {Countdown{question->Label6, &Form5::disconnectCountdown},
                               Countdown{question->Label5, &Form5::connectCountdown}}) {
        if (!question->isVisible() || c.label->isHidden())
            continue;
        const rt::DateTime now = m_platform.clock.now();
        qint64 elapsed = rt::dateDiff(rt::Interval::Second, triggers.questionRaisedAt, now);
        // A clock set back restarts the count rather than holding it.
        if (elapsed < 0) {
            triggers.questionRaisedAt = now;
            elapsed = 0;
        }
        // Once the time is up the default answer is taken, however far
        // apart the ticks are.
        triggers.countdown = int(elapsed >= kCountdownSeconds ? 0 : kCountdownSeconds - elapsed);
        c.label->setText(c.text(triggers.countdown));
        if (triggers.countdown == 0) {
            question->Com_Click(AnswerYes);
        } else {
            module2().MakeTopmost(m_platform.windows.handleOf(question));
            return false;
        }
    }
    return true;
}

void Form1::checkSchedule()
{
    if (!triggers.scheduleArmed || !isCompact())
        return;
    const Form5 *question = loadedWindow<Form5>();
    if (question && question->isVisible())
        return;
    const rt::DateTime now = m_platform.clock.now();
    if (!dial.inProgress) {
        if (!triggers.connectAt.isNull() && scheduleDue(todayAt(now, triggers.connectAt.toString())))
            StartConnectionAuto(AskConnect);
    } else if (scheduleDue(todayAt(now, triggers.disconnectAt.toString()))) {
        StartConnectionAuto(AskDisconnect);
    }
}

// Whether the time falls within the stretch this tick stands for. With a
// tick of a second or less that is the current second; with slower ticks it
// reaches back over the interval (or the real gap since the tick before, up
// to twice the interval), so a time between two ticks is not skipped.
bool Form1::scheduleDue(const rt::DateTime &at)
{
    const rt::DateTime now = m_platform.clock.now();
    const qint64 late = rt::dateDiff(rt::Interval::Second, at, now);
    const int interval = KeepOnline->interval();
    qint64 reach = 1;
    if (interval > 1000) {
        const qint64 nominal = (qint64(interval) + 999) / 1000;
        const qint64 gap = m_previousTickAt.serial() == 0.0
            ? nominal
            : rt::dateDiff(rt::Interval::Second, m_previousTickAt, now);
        reach = std::clamp(gap, nominal, 2 * nominal);
    }
    if (late < 0 || late >= reach || at == m_scheduleFiredFor)
        return false;
    m_scheduleFiredFor = at;
    return true;
}

void Form1::armSchedule(const rt::Value &connectAt, const rt::Value &disconnectAt)
{
    triggers.connectAt = connectAt;
    triggers.disconnectAt = disconnectAt;
    triggers.scheduleArmed = true;
}

void Form1::dismissBrowserStart()
{
    // Declined: the browser already up is not asked about again; the
    // scanner arms the trigger anew once it has gone.
    triggers.browserStartSeen = false;
    triggers.browserArmed = false;
    module2().BrowserRearmPending = true;
}

} // namespace tarvo
