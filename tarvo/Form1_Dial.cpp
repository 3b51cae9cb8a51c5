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
const QString kGoOnline = QStringLiteral("&Go Online");
const QString kGoOffline = QStringLiteral("&Go Offline");
const QString kDialCommand = QStringLiteral("c:\\windows\\rundll32.exe RNAUI.DLL,RnaDial ");
} // namespace

void Form1::Com_Click(int Index)
{
    trapped(*this, 1, 5, [&] {
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
    trapped(*this, 1, 3, [&] {
        if (Index == 0) {
            StayConnected = true;
            DialFailureCode = 0;
            DialInProgress = true;
            DialStage = 0;
            module2().BrowserRearmPending = false;
            WatchConnecting = false;
            TryCount = 0;
            Con->setEnabled(false);
            Details->setEnabled(false);
            About->setEnabled(false);
            Com[0]->setText(kGoOffline);
            if (KeepOnline->interval() == 0)
                KeepOnline->setInterval(int(settings->field(0).toLong()));
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
    trapped(*this, 1, 8, [&] {
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
        while (!Ucinfo(0, {}, 4, 0, conText())) {
            if (next >= Con->count()) {
                setConText(QString(), false);
                return;
            }
            setConText(Con->itemText(next++), false);
        }
        if (!CheckDialUp()) {
            QuitRequested = true;
            ExitMode = -213;
            closeMainWindow();
            return;
        }
        DialCommand = kDialCommand + conInfo->field(0).toString();
        const rt::Value user = conInfo->field(1);
        const rt::Value password = conInfo->field(2);
        if (!user.isNull())
            DialUser = user.toString();
        if (!password.isNull())
            DialPassword = ProcessPwd(password.toString(), 0);
    });
}

QString Form1::ProcessPwd(const QString &pwd, int mode)
{
    return trapped(*this, 1, 9, QString(), [&] {
        const int shift = mode == 1 ? 50 : -50;
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
    trapped(*this, 1, 19, [&] {
        DialStage = st;
        StageDetail = ds;
    });
}

void Form1::SetStage(int st)
{
    trapped(*this, 1, 18, [&] {
        if (st != 0) {
            DialStage = st;
            return;
        }
        if (ConnectToWindow < 0 && ConnectingWindow < 0 && ConnectedWindow < 0 && StageDetail != 2)
            Sett(0, 0);
        if (ConnectToWindow > 0 && ConnectingWindow < 0 && ConnectedWindow < 0 && DialInProgress)
            Sett(1, 0);
        if (DialStage == 1 && StageDetail == 0 && ConnectingWindow > 0 && DialInProgress)
            Sett(2, 0);
        if (DialStage == 2 && StageDetail == 0 && ConnectingWindow < 0 && DialInProgress)
            Sett(1, 0);
        if (LineState.equals(1))
            Sett(2, 0);
        if (WatchConnecting)
            Sett(0, 0);
    });
}

bool Form1::dialStep()
{
    switch (DialStage) {
    case 0:
        if (StageDetail == 2) {
            WatchConnecting = true;
            CantDial();
            StageDetail = 0;
            return false;
        }
        if (!StayConnected || !DialInProgress || WatchConnecting || ConnectedWindow > 0)
            return true;
        if (!DialerLaunched && ConnectToWindow <= 0) {
            if (m_platform.process.shell(DialCommand, platform::style::NormalFocus) == 0)
                StageDetail = 2;
            else
                DialerLaunched = true;
        }
        return true;
    case 1:
        if (StageDetail == 0 && ConnectToWindow > 0 && ConnectingWindow < 0 && ConnectedWindow < 0) {
            Skey(1, ConnectToWindow);
            VerifyingSeen = false;
            ConnectPressedAt = m_platform.clock.now();
            TryCounted = false;
        }
        return true;
    case 2: {
        if (StageDetail != 0)
            return true;
        DialerLaunched = false;
        if (ConnectedWindow >= 0)
            return true;
        const qint64 elapsed = rt::dateDiff(rt::Interval::Second, ConnectPressedAt, m_platform.clock.now());
        const double wait = rt::leadingNumber(Wait->text());
        const bool failed = TryCount == MaxTries || (double(elapsed) > wait && !VerifyingSeen);
        if (!failed)
            return true;
        Skey(0, ConnectingWindow, QStringLiteral("{ESC}"));
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
