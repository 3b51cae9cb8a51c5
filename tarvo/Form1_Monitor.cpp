// The monitor tick, and taking over connections made outside Tarvo.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "tarvo/Form5.h"
#include "tarvo/Module2.h"

#include <QComboBox>
#include <QLabel>

namespace tarvo {

void Form1::KeepOnline_Timer()
{
    trapped(*this, 1, 15, [&] {
        doEvents();
        // The quit is carried out here, never from the button itself.
        if (QuitRequested && ExitMode < 1) {
            closeMainWindow();
            return;
        }

        doEvents();
        module2().ScanMode = 1;
        module2().ScanWindows(0);

        doEvents();
        if (!MonitorOff && !DialInProgress && !WatchConnecting && isCompact())
            Intercept();

        if (WatchConnecting) {
            DisconnectIt();
            if (DialInProgress)
                Com_Click(0);
        }

        SetCstatus(0);

        if (!dialStep())
            return;

        // The line dropped and is not to be dialled again.
        if (!StayConnected && DialInProgress)
            Com_Click(0);

        SetStage(0);
    });
}

void Form1::Intercept()
{
    trapped(*this, 1, 24, [&] {
        Form5 &question = form5();
        auto showOrFlash = [&](QLabel *label) {
            platform::WindowManager &windows = m_platform.windows;
            if (question.TakeOverAnswer < 0 && !question.isVisible()) {
                for (QLabel *l : {question.Label1, question.Label2, question.Label5, question.Label6})
                    l->setHidden(l != label);
                question.TakeOverAnswer = -1;
                question.show();
                windows.setForegroundWindow(windows.handleOf(&question));
            } else {
                windows.setForegroundWindow(windows.handleOf(&question));
                const QColor first = Form5::background(question.Label3);
                Form5::setBackground(label, Form5::background(label) == first ? Form5::background(question.Label4)
                                                                               : first);
            }
        };

        if (ConnectedWindow > 0 && ConnectingWindow < 0 && !DialInProgress && !TakeOverDeclined) {
            TakeOverKind = 2;
            TakeOverWindow = ConnectedWindow;
            showOrFlash(question.Label1);
        }
        if (ConnectToWindow > 0 && !DialInProgress && !TakeOverDeclined) {
            TakeOverKind = 1;
            TakeOverWindow = ConnectToWindow;
            showOrFlash(question.Label2);
        }

        if (question.TakeOverAnswer == 0) {
            question.TakeOverAnswer = -1;
            TakeOverDeclined = true;
        } else if (question.TakeOverAnswer == 1) {
            question.TakeOverAnswer = -1;
            TakeOver();
            DialInProgress = true;
            SessionStart = m_platform.clock.now();
        }
    });
}

void Form1::TakeOver()
{
    trapped(*this, 1, 31, [&] {
        Module2 &scanner = module2();
        scanner.ScanWindows(0);
        if (TakeOverKind == 1) {
            // A result left from an earlier take-over must not stand in for
            // this one.
            scanner.TakeOverResult = 0;
            scanner.ScanMode = 2;
            scanner.ScanWindows(TakeOverWindow);
            if (scanner.TakeOverResult == 1) {
                scanner.ScanMode = 1;
                scanner.ScanWindows(0);
                Com_Click(0);
                m_platform.windows.setForegroundWindow(TakeOverWindow);
                m_platform.keys.sendKeys(QStringLiteral("{ENTER}"));
                SetStage(0);
            } else {
                MessageOpen = true;
                m_platform.boxes.msgBox(QStringLiteral(" Could Not Determine Connection "), platform::mb::OkOnly);
                MessageOpen = false;
            }
            scanner.ScanMode = 1;
            KeepOnline->setInterval(int(settings->field(0).toLong()));
        } else if (TakeOverKind == 2) {
            QString caption = m_platform.windows.getWindowText(ConnectedWindow, 100);
            caption = rt::trimBlanks(caption);
            const QString name = rt::trimBlanks(caption.mid(12));
            if (ConOp(0, name)) {
                setConText(name);
            } else {
                if (!Ucinfo(0, {}, 4, 0, name))
                    Ucinfo(0, {}, 2, 0, name);
                addConListItem(name);
                setConText(name);
            }
            Com_Click(0);
            KeepOnline->setInterval(int(settings->field(0).toLong()));
        }
    });
}

} // namespace tarvo
