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
    EXPECT_EQ(f->ConnectToWindow, handle(dialog));

    f->DialInProgress = true;
    scan();
    QLabel *nameLabel = nullptr;
    for (QLabel *l : dialog->findChildren<QLabel *>())
        if (l->text() == QLatin1String("Home"))
            nameLabel = l;
    ASSERT_TRUE(nameLabel);
    EXPECT_EQ(f->ConnectToWindow, handle(nameLabel));
    EXPECT_EQ(f->ConnectingWindow, -1);
    EXPECT_EQ(f->ConnectedWindow, -1);

    // Another connection's dialog is not the chosen one's.
    f->setConText(QStringLiteral("Work"));
    scan();
    EXPECT_EQ(f->ConnectToWindow, -1);
}

TEST_F(DialSurface, TypedCredentialsArriveLiterallyAndTheDialIsFollowedToTheEnd)
{
    f->DialInProgress = true;
    f->DialUser = QStringLiteral("ann+1");
    f->DialPassword = QStringLiteral("p%w{^}~()[]");
    d.services->process.shell(kDial + QStringLiteral("Home"), platform::style::NormalFocus);
    scan();
    ASSERT_GT(f->ConnectToWindow, 0);
    f->Skey(tarvo::SkeyCredentials, f->ConnectToWindow);
    EXPECT_EQ(d.dialup.typedUser(QStringLiteral("Home")), QStringLiteral("ann+1"));
    EXPECT_EQ(d.dialup.typedPassword(QStringLiteral("Home")), QStringLiteral("p%w{^}~()[]"));

    scan();
    QWidget *progress = d.window(QStringLiteral("Connecting to Home"));
    ASSERT_TRUE(progress);
    EXPECT_EQ(f->ConnectingWindow, handle(progress));
    EXPECT_FALSE(f->VerifyingSeen);
    d.pass(2);
    scan();
    EXPECT_TRUE(f->VerifyingSeen);
    d.pass(3);
    scan();
    QWidget *connected = d.window(QStringLiteral("Connected to Home"));
    ASSERT_TRUE(connected);
    EXPECT_EQ(f->ConnectedWindow, handle(connected));
    EXPECT_EQ(f->ConnectingWindow, -1);

    // Alt+C in the connected window hangs up.
    f->Skey(tarvo::SkeyToWindow, f->ConnectedWindow, QStringLiteral("%{c}"));
    scan();
    EXPECT_EQ(f->ConnectedWindow, -1);
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Home")));
}

TEST_F(DialSurface, EscapeAndAltF4ReachTheProgressWindowAndTheDialog)
{
    f->DialInProgress = true;
    d.services->process.shell(kDial + QStringLiteral("Home"), platform::style::NormalFocus);
    scan();
    f->Skey(tarvo::SkeyCredentials, f->ConnectToWindow);
    scan();
    ASSERT_GT(f->ConnectingWindow, 0);
    f->Skey(tarvo::SkeyToWindow, f->ConnectingWindow, QStringLiteral("{ESC}"));
    scan();
    EXPECT_EQ(f->ConnectingWindow, -1);
    EXPECT_GT(f->ConnectToWindow, 0);

    f->DialInProgress = false;
    scan();
    f->Skey(tarvo::SkeyToWindow, f->ConnectToWindow, QStringLiteral("%{F4}"));
    scan();
    EXPECT_EQ(f->ConnectToWindow, -1);
}

TEST_F(DialSurface, AFailureBoxOfTheChosenDialIsRecognisedAndDismissed)
{
    f->setConText(QStringLiteral("Work"));
    f->Com_Click(0);
    d.services->process.shell(kDial + QStringLiteral("Work"), platform::style::NormalFocus);
    scan();
    f->Skey(tarvo::SkeyCredentials, f->ConnectToWindow);
    d.pass(2);
    ASSERT_TRUE(d.window(QStringLiteral("Dial-Up Networking")));
    scan();
    EXPECT_EQ(f->DialFailureCode, 2);
    EXPECT_TRUE(f->module2().ErrorText.startsWith(QStringLiteral("THE MODEM IS BEING USED BY ANOTHER")));
    d.settle();
    EXPECT_FALSE(d.window(QStringLiteral("Dial-Up Networking")));
}
