// Going online and offline, preparing a dial, and the dial's stages.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "runtime/Error.h"
#include "runtime/Parse.h"
#include "tarvo/Module2.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace tarvo {

namespace {
const QString kDialCommand = QStringLiteral("c:\\windows\\rundll32.exe RNAUI.DLL,RnaDial ");

// The stored password form raises every UTF-16 unit by 50. That holds for
// most characters, but the stored text is kept as UTF-8, and a unit raised
// into the surrogate range (U+D7CE to U+D7FF, and pairs whose halves land
// outside their own ranges) becomes a broken surrogate that the file keeps
// as "?", while U+FFCE and above have no unit 50 higher at all.
//
// Those units alone are stored as kPwdEscape followed by the unit in four
// hex digits. An earlier version never stored a unit below 50, since each
// stored unit was a typed one raised by 50, so the escape cannot occur in
// any password stored before: those read back exactly as they always did,
// and whatever was stored by the rule still is, "abc" as 147 148 149. Every
// unit the rule writes is 50 or above, so reading back cannot mistake a
// raised unit for the escape either. The escape is U+0001 rather than NUL,
// which text readers and writers are apt to cut at.
constexpr char16_t kPwdEscape = 1;
constexpr int kPwdShift = 50;

QString scramblePassword(const QString &pwd)
{
    QString out;
    out.reserve(pwd.size());
    auto raise = [&](QChar c) { out += QChar(char16_t(c.unicode() + kPwdShift)); };
    auto escape = [&](QChar c) { out += QChar(kPwdEscape) + QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')); };
    for (qsizetype i = 0; i < pwd.size(); ++i) {
        const QChar c = pwd.at(i);
        if (c.isHighSurrogate() && i + 1 < pwd.size() && pwd.at(i + 1).isLowSurrogate()) {
            // A pair raised stays a pair while both halves stay in their ranges.
            const QChar low = pwd.at(i + 1);
            const bool intact = c.unicode() + kPwdShift <= 0xDBFF && low.unicode() + kPwdShift <= 0xDFFF;
            for (const QChar half : {c, low})
                intact ? raise(half) : escape(half);
            ++i;
        } else if (const int raised = c.unicode() + kPwdShift; raised <= 0xFFFF && !QChar::isSurrogate(char32_t(raised))) {
            raise(c);
        } else {
            escape(c);
        }
    }
    return out;
}

QString revealPassword(const QString &stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored.at(i) == QChar(kPwdEscape)) {
            bool ok = i + 4 < stored.size();
            const uint unit = ok ? QStringView(stored).mid(i + 1, 4).toUInt(&ok, 16) : 0;
            if (!ok)
                rt::err::invalidProcedureCall();
            out += QChar(char16_t(unit));
            i += 4;
            continue;
        }
        const int code = stored.at(i).unicode() - kPwdShift;
        if (code < 0)
            rt::err::invalidProcedureCall();
        out += QChar(char16_t(code));
    }
    return out;
}
} // namespace

void Form1::Com_Click(int Index)
{
    trapped(*this, Window::Main, Form1Proc::Com_Click, [&] {
        if (Index == 1) {
            hide();
            if (session.lineState.equals(LineUp)) {
                putInTray(*TrayView1, false);
                putInTray(*TrayView2, true);
            } else {
                putInTray(*TrayView2, false);
                putInTray(*TrayView1, true);
            }
            return;
        }
        if (Index != 0)
            return;
        Con_Change();
        // Going offline needs no connection name: a box emptied meanwhile
        // (its last connection dropped) must not keep Tarvo online.
        if (conText().isEmpty() && Com[0]->text() == kGoOnline)
            return;
        dial.takeOverDeclined = false;
        if (Com[0]->text() == kGoOnline)
            Gline(0);
        else
            Gline(1);
    });
}

void Form1::Gline(int Index)
{
    trapped(*this, Window::Main, Form1Proc::Gline, [&] {
        if (Index == 0) {
            dial.stayConnected = true;
            WarnNetUsage();
            dial.failureCode = FailureNone;
            dial.inProgress = true;
            dial.stage = StageLaunch;
            // A new attempt: a dialer launched for an earlier one whose line
            // failed before any tick saw it dialing has been handled by the
            // hang-up, and must not keep this one from starting the dialer.
            dial.dialerLaunched = false;
            module2().BrowserRearmPending = false;
            dial.watchConnecting = false;
            dial.tryCount = 0;
            Con->setEnabled(false);
            Details->setEnabled(false);
            About->setEnabled(false);
            Com[0]->setText(kGoOffline);
            if (KeepOnline->interval() == 0)
                KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
        } else {
            dial.stayConnected = false;
            triggers.scheduleArmed = false;
            triggers.browserStartSeen = false;
            module2().BrowserRearmPending = true;
            dial.inProgress = false;
            Com[0]->setText(kGoOnline);
            dial.watchConnecting = true;
            Con->setEnabled(true);
            Details->setEnabled(true);
            About->setEnabled(true);
        }
    });
}

void Form1::Con_Change()
{
    trapped(*this, Window::Main, Form1Proc::Con_Change, [&] {
        dial.takeOverDeclined = false;
        dial.user = QString();
        dial.password = QString();
        if (conInfo->recordCount() == 0) {
            setConText(QString(), false);
            return;
        }
        if (conText().isEmpty())
            return;
        // A name without a row: try the list's names in turn.
        int next = 0;
        while (!Ucinfo(0, {}, UcinfoFind, ConInfo::ConName, conText())) {
            if (next >= Con->count()) {
                setConText(QString(), false);
                return;
            }
            setConText(Con->itemText(next++), false);
        }
        if (!CheckDialUp()) {
            run.quitRequested = true;
            run.exitMode = ExitDialUpMissing;
            closeMainWindow();
            return;
        }
        dial.command = kDialCommand + conInfo->field(ConInfo::ConName).toString();
        const rt::Value user = conInfo->field(ConInfo::UserName);
        const rt::Value password = conInfo->field(ConInfo::Password);
        if (!user.isNull())
            dial.user = user.toString();
        if (!password.isNull())
            dial.password = ProcessPwd(password.toString(), PwdReveal);
    });
}

QString Form1::ProcessPwd(const QString &pwd, PwdMode mode)
{
    return checkedProcessPwd(pwd, mode).value_or(QString());
}

std::optional<QString> Form1::checkedProcessPwd(const QString &pwd, PwdMode mode)
{
    return trapped(*this, Window::Main, Form1Proc::ProcessPwd, std::optional<QString>(),
                   [&] { return std::optional(mode == PwdScramble ? scramblePassword(pwd) : revealPassword(pwd)); });
}

void Form1::Sett(DialStageValue st, StageDetailValue ds)
{
    trapped(*this, Window::Main, Form1Proc::Sett, [&] {
        dial.stage = st;
        dial.stageDetail = ds;
    });
}

void Form1::SetStage(DialStageValue st)
{
    trapped(*this, Window::Main, Form1Proc::SetStage, [&] {
        if (st != 0) {
            dial.stage = st;
            return;
        }
        if (dial.connectToWindow < 0 && dial.connectingWindow < 0 && dial.connectedWindow < 0 && dial.stageDetail != DetailCannotStart)
            Sett(StageLaunch, DetailNone);
        if (dial.connectToWindow > 0 && dial.connectingWindow < 0 && dial.connectedWindow < 0 && dial.inProgress)
            Sett(StageDialog, DetailNone);
        if (dial.stage == StageDialog && dial.stageDetail == DetailNone && dial.connectingWindow > 0 && dial.inProgress)
            Sett(StageConnecting, DetailNone);
        if (dial.stage == StageConnecting && dial.stageDetail == DetailNone && dial.connectingWindow < 0 && dial.inProgress)
            Sett(StageDialog, DetailNone);
        if (session.lineState.equals(LineUp))
            Sett(StageConnecting, DetailNone);
        if (dial.watchConnecting)
            Sett(StageLaunch, DetailNone);
    });
}

bool Form1::dialStep()
{
    switch (dial.stage) {
    case StageLaunch:
        if (dial.stageDetail == DetailCannotStart) {
            dial.watchConnecting = true;
            CantDial();
            dial.stageDetail = DetailNone;
            return false;
        }
        if (!dial.stayConnected || !dial.inProgress || dial.watchConnecting || dial.connectedWindow > 0)
            return true;
        if (!dial.dialerLaunched && dial.connectToWindow <= 0) {
            if (m_platform.process.shell(dial.command, platform::style::NormalFocus) == 0)
                dial.stageDetail = DetailCannotStart;
            else
                dial.dialerLaunched = true;
        }
        return true;
    case StageDialog:
        if (dial.stageDetail == DetailNone && dial.connectToWindow > 0 && dial.connectingWindow < 0 && dial.connectedWindow < 0) {
            Skey(SkeyCredentials, dial.connectToWindow);
            dial.verifyingSeen = false;
            dial.connectPressedAt = m_platform.clock.now();
            dial.tryCounted = false;
        }
        return true;
    case StageConnecting: {
        if (dial.stageDetail != DetailNone)
            return true;
        dial.dialerLaunched = false;
        if (dial.connectedWindow >= 0)
            return true;
        const qint64 elapsed = rt::dateDiff(rt::Interval::Second, dial.connectPressedAt, m_platform.clock.now());
        const double wait = rt::leadingNumber(Wait->text());
        const bool failed = dial.tryCount == options.maxTries || (double(elapsed) > wait && !dial.verifyingSeen);
        if (!failed)
            return true;
        Skey(SkeyToWindow, dial.connectingWindow, QStringLiteral("{ESC}"));
        if (!(dial.tryCount < options.maxTries)) {
            dial.watchConnecting = true;
        } else if (!dial.tryCounted) {
            ++dial.tryCount;
            dial.tryCounted = true;
        }
        return true;
    }
    default:
        return true;
    }
}

} // namespace tarvo
