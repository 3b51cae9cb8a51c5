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
} // namespace

void Form1::Com_Click(int Index)
{
    trapped(*this, Window::Main, Form1Proc::Com_Click, [&] {
        if (Index != 0)
            return;
        Con_Change();
        // Going offline needs no connection name: a box emptied meanwhile
        // (its last connection dropped) must not keep Tarvo online.
        if (conText().isEmpty() && Com[0]->text() == kGoOnline)
            return;
        TakeOverDeclined = false;
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
            StayConnected = true;
            WarnNetUsage();
            DialFailureCode = FailureNone;
            DialInProgress = true;
            DialStage = StageLaunch;
            module2().BrowserRearmPending = false;
            WatchConnecting = false;
            TryCount = 0;
            Con->setEnabled(false);
            Details->setEnabled(false);
            About->setEnabled(false);
            Com[0]->setText(kGoOffline);
            if (KeepOnline->interval() == 0)
                KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
        } else {
            StayConnected = false;
            ScheduleArmed = false;
            BrowserStartSeen = false;
            module2().BrowserRearmPending = true;
            DialInProgress = false;
            Com[0]->setText(kGoOnline);
            WatchConnecting = true;
            Con->setEnabled(true);
            Details->setEnabled(true);
            About->setEnabled(true);
        }
    });
}

void Form1::Con_Change()
{
    trapped(*this, Window::Main, Form1Proc::Con_Change, [&] {
        TakeOverDeclined = false;
        DialUser = QString();
        DialPassword = QString();
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
            QuitRequested = true;
            ExitMode = ExitDialUpMissing;
            closeMainWindow();
            return;
        }
        DialCommand = kDialCommand + conInfo->field(ConInfo::ConName).toString();
        const rt::Value user = conInfo->field(ConInfo::UserName);
        const rt::Value password = conInfo->field(ConInfo::Password);
        if (!user.isNull())
            DialUser = user.toString();
        if (!password.isNull())
            DialPassword = ProcessPwd(password.toString(), PwdReveal);
    });
}

QString Form1::ProcessPwd(const QString &pwd, int mode)
{
    return trapped(*this, Window::Main, Form1Proc::ProcessPwd, QString(), [&] {
        const int shift = mode == PwdScramble ? 50 : -50;
        QString out;
        out.reserve(pwd.size());
        for (const QChar c : pwd) {
            const int code = c.unicode() + shift;
            if (code < 0 || code > 0xFFFF)
                rt::err::invalidProcedureCall();
            out += QChar(char16_t(code));
        }
        return out;
    });
}

void Form1::Sett(int st, int ds)
{
    trapped(*this, Window::Main, Form1Proc::Sett, [&] {
        DialStage = st;
        StageDetail = ds;
    });
}

void Form1::SetStage(int st)
{
    trapped(*this, Window::Main, Form1Proc::SetStage, [&] {
        if (st != 0) {
            DialStage = st;
            return;
        }
        if (ConnectToWindow < 0 && ConnectingWindow < 0 && ConnectedWindow < 0 && StageDetail != DetailCannotStart)
            Sett(StageLaunch, DetailNone);
        if (ConnectToWindow > 0 && ConnectingWindow < 0 && ConnectedWindow < 0 && DialInProgress)
            Sett(StageDialog, DetailNone);
        if (DialStage == StageDialog && StageDetail == DetailNone && ConnectingWindow > 0 && DialInProgress)
            Sett(StageConnecting, DetailNone);
        if (DialStage == StageConnecting && StageDetail == DetailNone && ConnectingWindow < 0 && DialInProgress)
            Sett(StageDialog, DetailNone);
        if (LineState.equals(LineUp))
            Sett(StageConnecting, DetailNone);
        if (WatchConnecting)
            Sett(StageLaunch, DetailNone);
    });
}

bool Form1::dialStep()
{
    switch (DialStage) {
    case StageLaunch:
        if (StageDetail == DetailCannotStart) {
            WatchConnecting = true;
            CantDial();
            StageDetail = DetailNone;
            return false;
        }
        if (!StayConnected || !DialInProgress || WatchConnecting || ConnectedWindow > 0)
            return true;
        if (!DialerLaunched && ConnectToWindow <= 0) {
            if (m_platform.process.shell(DialCommand, platform::style::NormalFocus) == 0)
                StageDetail = DetailCannotStart;
            else
                DialerLaunched = true;
        }
        return true;
    case StageDialog:
        if (StageDetail == DetailNone && ConnectToWindow > 0 && ConnectingWindow < 0 && ConnectedWindow < 0) {
            Skey(SkeyCredentials, ConnectToWindow);
            VerifyingSeen = false;
            ConnectPressedAt = m_platform.clock.now();
            TryCounted = false;
        }
        return true;
    case StageConnecting: {
        if (StageDetail != DetailNone)
            return true;
        DialerLaunched = false;
        if (ConnectedWindow >= 0)
            return true;
        const qint64 elapsed = rt::dateDiff(rt::Interval::Second, ConnectPressedAt, m_platform.clock.now());
        const double wait = rt::leadingNumber(Wait->text());
        const bool failed = TryCount == MaxTries || (double(elapsed) > wait && !VerifyingSeen);
        if (!failed)
            return true;
        Skey(SkeyToWindow, ConnectingWindow, QStringLiteral("{ESC}"));
        if (!(TryCount < MaxTries)) {
            WatchConnecting = true;
        } else if (!TryCounted) {
            ++TryCount;
            TryCounted = true;
        }
        return true;
    }
    default:
        return true;
    }
}

} // namespace tarvo
