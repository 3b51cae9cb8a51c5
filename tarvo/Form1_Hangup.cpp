// Hanging up, explaining a failed dial, and dropping a connection whose
// dialer cannot start.
#include "tarvo/Form1.h"

#include "tarvo/Module2.h"

#include <QComboBox>

namespace tarvo {

namespace {

struct FailureMessage { QString title; QString text; };

FailureMessage failureMessage(int code, const QString &name, const QString &failureText)
{
    const QString twice = kCrLf + kCrLf;
    switch (code) {
    case FailureLineInUse:
        return {QString(), QStringLiteral(" The Dial-Up Connection Named : ") + name + twice
                               + QStringLiteral(" Is Already In Use. Please Wait till It Is Free.")};
    case FailurePortInUse:
        return {QStringLiteral("Tarvo - Communications Port Unavailable"),
                QStringLiteral(" The Communications Port Used By The Modem For ") + twice
                    + QStringLiteral(" The Dial-Up Connection Named : ") + name + twice
                    + QStringLiteral(" Is In Use . Close The Program Using It Or ") + twice
                    + QStringLiteral(" Wait Till Com The Port Is Available Again. ")};
    case FailureSettings:
        return {QStringLiteral("Tarvo- Configuration Settings Problem"),
                QStringLiteral(" There Seems To Be Problem With Your Dial-Up Server ") + twice
                    + QStringLiteral(" Settings For The Connection Named : ") + name + twice
                    + QStringLiteral(" Please Check The Following ") + twice
                    + QStringLiteral(" The Protocols, The IP Address (If Not Set To Auto)") + twice
                    + QStringLiteral(" The Username , The Password, The DSN etc.")};
    case FailurePassword:
        return {QStringLiteral("Tarvo - Invalid Password"),
                QStringLiteral(" The Password You Have Provided To Tarvo For AutoInsertion ") + twice
                    + QStringLiteral(" Is Not A Valid PassWord. ") + twice
                    + QStringLiteral(" Please Verify PassWord For The Connection Named : ") + name};
    default:
        return {QStringLiteral("Tarvo - Problem During Connection"), failureText};
    }
}

} // namespace

void Form1::DisconnectIt()
{
    trapped(*this, Window::Main, Form1Proc::DisconnectIt, [&] {
        module2().ScanWindows(0);
        platform::WindowManager &windows = m_platform.windows;
        const platform::Hwnd connected = dial.connectedWindow;
        const platform::Hwnd connecting = dial.connectingWindow;
        const platform::Hwnd dialog = dial.connectToWindow;

        if (connected > 0 && connecting < 0) {
            // Brings the connected window back so the hang-up key reaches it.
            m_platform.process.shell(dial.command, platform::style::MinimizedFocus);
            if (windows.isWindowVisible(connected) == 1)
                Skey(SkeyToWindow, connected, QStringLiteral("%{c}"));
        }
        if (connecting > 0 && windows.isWindowVisible(connecting) == 1)
            Skey(SkeyToWindow, connecting, QStringLiteral("%{F4}"));
        if (dialog > 0 && windows.isWindowVisible(dialog) == 1)
            Skey(SkeyToWindow, dialog, QStringLiteral("%{F4}"));

        if (connected < 0 && connecting < 0 && dialog < 0) {
            dial.watchConnecting = false;
            SetCstatus(CheckLine);
            SetStage(StageLaunch);
            if (run.exitMode == ExitHangUpFirst)
                run.exitMode = ExitKeepLine;
            if (dial.failureCode != FailureNone) {
                const int code = dial.failureCode;
                const FailureMessage m = failureMessage(code, conText(), module2().ErrorText);
                ownMessage(m.text, platform::mb::Exclamation | platform::mb::OkOnly, m.title);
                dial.failureCode = FailureNone;
                if (code == FailurePassword)
                    UserPwd_Click();
            }
        }
    });
}

void Form1::CantDial()
{
    trapped(*this, Window::Main, Form1Proc::CantDial, [&] {
        const QString noConnections = QStringLiteral(" You Have Not Created Any Connections ") + kCrLf
            + QStringLiteral(" Create New Connections Using Dial-Up Networking.");
        const QString name = conText();
        if (!name.isEmpty()) {
            ownMessage(QStringLiteral(" Unable To Initiate Connection : ") + name + kCrLf + kCrLf
                           + QStringLiteral(" Tarvo Will Remove The Connection From It's List.") + kCrLf + kCrLf
                           + QStringLiteral(" Try Another connection. "),
                       platform::mb::Critical | platform::mb::OkOnly);
            ConOp(ConRemove, name);
        }
        if (conInfo->recordCount() == 0) {
            ownMessage(noConnections, platform::mb::Exclamation | platform::mb::OkOnly);
            return;
        }
        Ucinfo(0, {}, UcinfoDeleteFound, ConInfo::ConName, conText());
        if (Con->count() == 0) {
            ownMessage(noConnections, platform::mb::Exclamation | platform::mb::OkOnly);
            setConText(QString());
        } else {
            ConOp(ConSelectIndex, QString(), 0);
            Usetting(Settings::LastConnection, conText());
        }
    });
}

} // namespace tarvo
