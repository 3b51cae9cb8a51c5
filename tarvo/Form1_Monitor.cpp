// The monitor tick, and taking over connections made outside Tarvo.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "tarvo/Form3.h"
#include "tarvo/Form5.h"
#include "tarvo/Module2.h"

#include <QComboBox>
#include <QLabel>
#include <QScopedValueRollback>

namespace tarvo {

void Form1::KeepOnline_Timer()
{
    // A tick reached again through its own message pumps or boxes (the
    // Backup timer's restart, a handler run meanwhile) would work on state
    // the outer one is half-way through: it is left to the next tick.
    if (m_ticking)
        return;
    const QScopedValueRollback<bool> ticking(m_ticking, true);
    trapped(*this, Window::Main, Form1Proc::KeepOnline_Timer, [&] {
        m_previousTickAt = m_tickAt;
        m_tickAt = m_platform.clock.now();
        doEvents();
        // The quit is carried out here, never from the button itself.
        if (QuitRequested && ExitMode < ExitHangUpFirst) {
            closeMainWindow();
            return;
        }

        // A tray menu that lost the foreground is dismissed, as a menu is.
        if (Form3 *menu = loadedWindow<Form3>(); menu && menu->isVisible()
            && m_platform.windows.getForegroundWindow() != m_platform.windows.handleOf(menu))
            unloadWindow<Form3>();

        doEvents();
        module2().ScanMode = ScanMonitor;
        module2().ScanWindows(0);

        // While a question counts down, nothing else is decided.
        if (!countdownStep())
            return;

        if (isCompact() && BrowserStartSeen && !DialInProgress) {
            BrowserStartSeen = false;
            StartConnectionAuto(AskConnect);
            return;
        }

        doEvents();
        if (!MonitorOff && !DialInProgress && !WatchConnecting && isCompact())
            Intercept();

        if (WatchConnecting) {
            DisconnectIt();
            if (DialInProgress)
                Com_Click(0);
        }

        SetCstatus(CheckLine);

        checkSchedule();

        if (!dialStep())
            return;

        // The line dropped and is not to be dialled again.
        if (!StayConnected && DialInProgress)
            Com_Click(0);

        SetStage(StageLaunch);
        UpdateTrayIcon();
    });
}

void Form1::Intercept()
{
    trapped(*this, Window::Main, Form1Proc::Intercept, [&] {
        Form5 &question = window<Form5>();
        auto showOrFlash = [&](QLabel *label) {
            platform::WindowManager &windows = m_platform.windows;
            if (question.TakeOverAnswer == NoAnswer && !question.isVisible()) {
                for (QLabel *l : {question.Label1, question.Label2, question.Label5, question.Label6})
                    l->setHidden(l != label);
                question.TakeOverAnswer = NoAnswer;
                question.show();
                windows.setForegroundWindow(windows.handleOf(&question));
            } else {
                windows.setForegroundWindow(windows.handleOf(&question));
                question.flash(label);
            }
        };

        if (ConnectedWindow > 0 && ConnectingWindow < 0 && !DialInProgress && !TakeOverDeclined) {
            TakeOverKind = TakeOverLiveLine;
            TakeOverWindow = ConnectedWindow;
            showOrFlash(question.Label1);
        }
        if (ConnectToWindow > 0 && !DialInProgress && !TakeOverDeclined) {
            TakeOverKind = TakeOverDialog;
            TakeOverWindow = ConnectToWindow;
            showOrFlash(question.Label2);
        }

        if (question.TakeOverAnswer == AnswerNo) {
            question.TakeOverAnswer = NoAnswer;
            TakeOverDeclined = true;
        } else if (question.TakeOverAnswer == AnswerYes) {
            question.TakeOverAnswer = NoAnswer;
            TakeOver();
            DialInProgress = true;
            SessionStart = m_platform.clock.now();
        }
    });
}

void Form1::TakeOver()
{
    trapped(*this, Window::Main, Form1Proc::TakeOver, [&] {
        Module2 &scanner = module2();
        scanner.ScanWindows(0);
        if (TakeOverKind == TakeOverDialog) {
            // A result left from an earlier take-over must not stand in for
            // this one.
            scanner.TakeOverResult = 0;
            scanner.ScanMode = ScanTakeOver;
            scanner.ScanWindows(TakeOverWindow);
            if (scanner.TakeOverResult == 1) {
                scanner.ScanMode = ScanMonitor;
                scanner.ScanWindows(0);
                Com_Click(0);
                m_platform.windows.setForegroundWindow(TakeOverWindow);
                m_platform.keys.sendKeys(QStringLiteral("{ENTER}"));
                SetStage(StageLaunch);
            } else {
                ownMessage(QStringLiteral(" Could Not Determine Connection "), platform::mb::OkOnly);
            }
            scanner.ScanMode = ScanMonitor;
            KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
        } else if (TakeOverKind == TakeOverLiveLine) {
            QString caption = m_platform.windows.getWindowText(ConnectedWindow, 100);
            caption = rt::trimBlanks(caption);
            const QString name = rt::trimBlanks(caption.mid(12));
            if (!ConOp(ConFind, name))
                registerConnection(name);
            setConText(name);
            Com_Click(0);
            KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
        }
    });
}

} // namespace tarvo
