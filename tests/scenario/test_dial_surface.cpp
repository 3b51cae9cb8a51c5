// Tarvo's scanner and keystrokes against the real stand-in component.
#include "RealDesktop.h"
#include "tarvo/Form1.h"
#include "tarvo/Module2.h"

#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const QString kDial = QStringLiteral("c:\\windows\\rundll32.exe RNAUI.DLL,RnaDial ");

class DialSurface : public ::testing::Test {
protected:
    void SetUp() override
    {
        d.writeRegistry({"Home", "Work"});
        d.writeScript(QStringLiteral("[Home]\nuser = ann+1\npassword = p%w{^}~()[]\ndial = 2\nverify = 2\nconnect = 1\n"
                                     "[Work]\noutcome = modem busy\n"));
        f = &d.start();
    }
    void scan()
    {
        d.settle();
        f->module2().ScanMode = tarvo::ScanMonitor;
        f->module2().ScanWindows(0);
    }
    platform::Hwnd handle(QWidget *w) { return desktopWindows().handleOf(w); }

    RealDesktop d;
    tarvo::Form1 *f = nullptr;
};

} // namespace

TEST_F(DialSurface, ADialStartedByCommandLineIsFoundWithTheRightHandles)
{
    ASSERT_GT(d.services->process.shell(kDial + QStringLiteral("Home"), platform::style::NormalFocus), 0);
    scan();
    QWidget *dialog = d.window(QStringLiteral("Connect To"));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(f->dial.connectToWindow, handle(dialog));

    f->dial.inProgress = true;
    scan();
    QLabel *nameLabel = nullptr;
    for (QLabel *l : dialog->findChildren<QLabel *>())
        if (l->text() == QLatin1String("Home"))
            nameLabel = l;
    ASSERT_TRUE(nameLabel);
    EXPECT_EQ(f->dial.connectToWindow, handle(nameLabel));
    EXPECT_EQ(f->dial.connectingWindow, -1);
    EXPECT_EQ(f->dial.connectedWindow, -1);

    // Another connection's dialog is not the chosen one's.
    f->setConText(QStringLiteral("Work"));
    scan();
    EXPECT_EQ(f->dial.connectToWindow, -1);
}

TEST_F(DialSurface, TypedCredentialsArriveLiterallyAndTheDialIsFollowedToTheEnd)
{
    f->dial.inProgress = true;
    f->dial.user = QStringLiteral("ann+1");
    f->dial.password = QStringLiteral("p%w{^}~()[]");
    d.services->process.shell(kDial + QStringLiteral("Home"), platform::style::NormalFocus);
    scan();
    ASSERT_GT(f->dial.connectToWindow, 0);
    f->Skey(tarvo::SkeyCredentials, f->dial.connectToWindow);
    EXPECT_EQ(d.dialup.typedUser(QStringLiteral("Home")), QStringLiteral("ann+1"));
    EXPECT_EQ(d.dialup.typedPassword(QStringLiteral("Home")), QStringLiteral("p%w{^}~()[]"));

    scan();
    QWidget *progress = d.window(QStringLiteral("Connecting to Home"));
    ASSERT_TRUE(progress);
    EXPECT_EQ(f->dial.connectingWindow, handle(progress));
    EXPECT_FALSE(f->dial.verifyingSeen);
    d.pass(2);
    scan();
    EXPECT_TRUE(f->dial.verifyingSeen);
    d.pass(3);
    scan();
    QWidget *connected = d.window(QStringLiteral("Connected to Home"));
    ASSERT_TRUE(connected);
    EXPECT_EQ(f->dial.connectedWindow, handle(connected));
    EXPECT_EQ(f->dial.connectingWindow, -1);

    // Alt+C in the connected window hangs up.
    f->Skey(tarvo::SkeyToWindow, f->dial.connectedWindow, QStringLiteral("%{c}"));
    scan();
    EXPECT_EQ(f->dial.connectedWindow, -1);
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Home")));
}

TEST_F(DialSurface, EscapeAndAltF4ReachTheProgressWindowAndTheDialog)
{
    f->dial.inProgress = true;
    d.services->process.shell(kDial + QStringLiteral("Home"), platform::style::NormalFocus);
    scan();
    f->Skey(tarvo::SkeyCredentials, f->dial.connectToWindow);
    scan();
    ASSERT_GT(f->dial.connectingWindow, 0);
    f->Skey(tarvo::SkeyToWindow, f->dial.connectingWindow, QStringLiteral("{ESC}"));
    scan();
    EXPECT_EQ(f->dial.connectingWindow, -1);
    EXPECT_GT(f->dial.connectToWindow, 0);

    f->dial.inProgress = false;
    scan();
    f->Skey(tarvo::SkeyToWindow, f->dial.connectToWindow, QStringLiteral("%{F4}"));
    scan();
    EXPECT_EQ(f->dial.connectToWindow, -1);
}

TEST_F(DialSurface, AFailureBoxOfTheChosenDialIsRecognisedAndDismissed)
{
    f->setConText(QStringLiteral("Work"));
    f->Com_Click(0);
    d.services->process.shell(kDial + QStringLiteral("Work"), platform::style::NormalFocus);
    scan();
    f->Skey(tarvo::SkeyCredentials, f->dial.connectToWindow);
    d.pass(2);
    ASSERT_TRUE(d.window(QStringLiteral("Dial-Up Networking")));
    scan();
    EXPECT_EQ(f->dial.failureCode, 2);
    EXPECT_TRUE(f->module2().ErrorText.startsWith(QStringLiteral("THE MODEM IS BEING USED BY ANOTHER")));
    d.settle();
    EXPECT_FALSE(d.window(QStringLiteral("Dial-Up Networking")));
}
