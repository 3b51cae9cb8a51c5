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

namespace {

// A live line's "Connected to" window is read into a buffer this long; the
// connection's name follows the caption's "Connected to".
constexpr int kCaptionBuffer = 100;
constexpr qsizetype kConnectedToLength = 12;

} // namespace

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
        if (run.quitRequested && run.exitMode < ExitHangUpFirst) {
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

        if (isCompact() && triggers.browserStartSeen && !dial.inProgress) {
            triggers.browserStartSeen = false;
            StartConnectionAuto(AskConnect);
            return;
        }

        doEvents();
        if (!options.monitorOff && !dial.inProgress && !dial.watchConnecting && isCompact())
            Intercept();

        if (dial.watchConnecting) {
            DisconnectIt();
            if (dial.inProgress)
                Com_Click(0);
        }

        SetCstatus(CheckLine);

        checkSchedule();

        if (!dialStep())
            return;

        // The line dropped and is not to be dialled again.
        if (!dial.stayConnected && dial.inProgress)
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

        if (dial.connectedWindow > 0 && dial.connectingWindow < 0 && !dial.inProgress && !dial.takeOverDeclined) {
            dial.takeOverKind = TakeOverLiveLine;
            dial.takeOverWindow = dial.connectedWindow;
            showOrFlash(question.Label1);
        }
        if (dial.connectToWindow > 0 && !dial.inProgress && !dial.takeOverDeclined) {
            dial.takeOverKind = TakeOverDialog;
            dial.takeOverWindow = dial.connectToWindow;
            showOrFlash(question.Label2);
        }

        if (question.TakeOverAnswer == AnswerNo) {
            question.TakeOverAnswer = NoAnswer;
            dial.takeOverDeclined = true;
        } else if (question.TakeOverAnswer == AnswerYes) {
            question.TakeOverAnswer = NoAnswer;
            TakeOver();
            dial.inProgress = true;
            session.start = m_platform.clock.now();
        }
    });
}

void Form1::TakeOver()
{
    trapped(*this, Window::Main, Form1Proc::TakeOver, [&] {
        Module2 &scanner = module2();
        scanner.ScanWindows(0);
        if (dial.takeOverKind == TakeOverDialog) {
            // A result left from an earlier take-over must not stand in for
            // this one.
            scanner.TakeOverResult = 0;
            scanner.ScanMode = ScanTakeOver;
            scanner.ScanWindows(dial.takeOverWindow);
            if (scanner.TakeOverResult == 1) {
                scanner.ScanMode = ScanMonitor;
                scanner.ScanWindows(0);
                Com_Click(0);
                m_platform.windows.setForegroundWindow(dial.takeOverWindow);
                m_platform.keys.sendKeys(QStringLiteral("{ENTER}"));
                SetStage(StageLaunch);
            } else {
                ownMessage(QStringLiteral(" Could Not Determine Connection "), platform::mb::OkOnly);
            }
            scanner.ScanMode = ScanMonitor;
            KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
        } else if (dial.takeOverKind == TakeOverLiveLine) {
            QString caption = m_platform.windows.getWindowText(dial.connectedWindow, kCaptionBuffer);
            caption = rt::trimBlanks(caption);
            const QString name = rt::trimBlanks(caption.mid(kConnectedToLength));
            if (!ConOp(ConFind, name))
                registerConnection(name);
            setConText(name);
            Com_Click(0);
            KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
        }
    });
}

} // namespace tarvo
