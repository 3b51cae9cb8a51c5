// The stand-in dialing component on its own: its windows, its line script
// and its reactions to keys.
#include "RealDesktop.h"
#include "platform/dialup/DialCommandStarter.h"
#include "platform/dialup/LineScript.h"
#include "platform/dialup/ScriptedLine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using dialup::LineScript;

namespace {

QStringList childTexts(platform::WindowManager &wm, QWidget *w)
{
    QStringList texts;
    wm.enumChildWindows(wm.handleOf(w), [&](platform::Hwnd h) {
        texts << wm.getWindowText(h, 500);
        return true;
    });
    return texts;
}

class Component : public ::testing::Test {
protected:
    void SetUp() override
    {
        d.writeScript(QStringLiteral("[Plain]\n"
                                     "dial = 2\nverify = 3\nconnect = 1\n"
                                     "[Checked]\nuser = guest\npassword = open+sesame{1}\n"
                                     "[Busy]\noutcome = modem busy\n"
                                     "[Other]\noutcome = other program dialing\n"
                                     "[Server]\noutcome = cannot establish\n"
                                     "[Odd]\noutcome = No dial tone.\n"
                                     "[Drops]\ndrop = 60\n"
                                     "[Broken]\nstart = refuse\n"));
    }
    void dialAndPress(const QString &name, const QString &user = {}, const QString &password = {})
    {
        ASSERT_TRUE(d.dialup.dial(name, platform::style::NormalFocus));
        d.settle();
        QWidget *dialog = d.window(QStringLiteral("Connect To"));
        ASSERT_TRUE(dialog);
        const auto edits = dialog->findChildren<QLineEdit *>();
        ASSERT_EQ(edits.size(), 2);
        edits[0]->setText(user);
        edits[1]->setText(password);
        QTest::keyClick(dialog, Qt::Key_Return);
        d.settle();
    }
    QString failureText()
    {
        QWidget *box = d.window(QStringLiteral("Dial-Up Networking"));
        if (!box)
            return {};
        return childTexts(desktopWindows(), box).value(2);
    }
    RealDesktop d;
};

} // namespace

TEST_F(Component, WindowsShowTheirChildrenInTheOrderTarvoCountsThem)
{
    dialAndPress(QStringLiteral("Plain"));
    QWidget *progress = d.window(QStringLiteral("Connecting to Plain"));
    ASSERT_TRUE(progress);
    EXPECT_FALSE(d.window(QStringLiteral("Connect To")));
    EXPECT_EQ(childTexts(desktopWindows(), progress), (QStringList{"Status:", "Dialing...", "Cancel"}));
    d.pass(2);
    EXPECT_EQ(childTexts(desktopWindows(), progress).value(1), QStringLiteral("Verifying user name and password..."));
    d.pass(3);
    EXPECT_EQ(childTexts(desktopWindows(), progress).value(1), QStringLiteral("Logging on to network..."));
    d.pass(1);
    EXPECT_FALSE(d.window(QStringLiteral("Connecting to Plain")));
    QWidget *connected = d.window(QStringLiteral("Connected to Plain"));
    ASSERT_TRUE(connected);
    EXPECT_EQ(childTexts(desktopWindows(), connected), QStringList{"Dis&connect"});

    ASSERT_TRUE(d.dialup.dial(QStringLiteral("Fresh"), platform::style::NormalFocus));
    d.settle();
    QWidget *dialog = d.window(QStringLiteral("Connect To"));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(childTexts(desktopWindows(), dialog),
              (QStringList{"Dial-up connection", "Fresh", "&User name:", "", "&Password:", "", "&Connect", "Cancel"}));
}

TEST_F(Component, CredentialsAreCheckedWhereTheScriptGivesAnAccount)
{
    dialAndPress(QStringLiteral("Checked"), QStringLiteral("guest"), QStringLiteral("open+sesame{1}"));
    d.pass(5);
    EXPECT_TRUE(d.dialup.isConnected(QStringLiteral("Checked")));

    d.dialup.dropLine(QStringLiteral("Checked"));
    d.settle();
    EXPECT_FALSE(d.window(QStringLiteral("Connected to Checked")));
    dialAndPress(QStringLiteral("Checked"), QStringLiteral("guest"), QStringLiteral("wrong"));
    d.pass(4);
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Checked")));
    const QString text = failureText();
    EXPECT_TRUE(text.contains(QStringLiteral("password,"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("cannot establish")));
}

TEST_F(Component, EachOutcomeShowsItsFailureBoxInFrontOfItsProgressWindow)
{
    const struct { const char *name; const char *starts; } cases[] = {
        {"Busy", "The modem is being used by another"},
        {"Other", "Another program is dialing the"},
        {"Server", "The computer you are dialing in to cannot establish"},
        {"Odd", "No dial tone."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        dialAndPress(name);
        d.pass(6);
        EXPECT_TRUE(failureText().startsWith(QLatin1String(c.starts))) << failureText().toStdString();

        // The box comes first in the walk, its progress window right after.
        QStringList tops;
        platform::WindowManager &wm = desktopWindows();
        wm.enumChildWindows(wm.desktopWindow(), [&](platform::Hwnd h) {
            if (wm.widgetOf(h) && wm.widgetOf(h)->isWindow() && !wm.getWindowText(h, 500).isEmpty())
                tops << wm.getWindowText(h, 500);
            return true;
        });
        ASSERT_GE(tops.size(), 2);
        EXPECT_EQ(tops[0], QStringLiteral("Dial-Up Networking"));
        EXPECT_EQ(tops[1], QStringLiteral("Connecting to ") + name);

        // Enter dismisses it and the dialing dialog is back.
        QTest::keyClick(d.window(QStringLiteral("Dial-Up Networking")), Qt::Key_Return);
        d.settle();
        EXPECT_FALSE(d.window(QStringLiteral("Dial-Up Networking")));
        EXPECT_FALSE(d.window(QStringLiteral("Connecting to ") + name));
        QWidget *dialog = d.window(QStringLiteral("Connect To"));
        ASSERT_TRUE(dialog);
        dialog->close();
        d.settle();
    }
}

TEST_F(Component, EscapeCancelsTheAttemptAltF4EndsTheDialAltCHangsUp)
{
    dialAndPress(QStringLiteral("Plain"));
    QTest::keyClick(d.window(QStringLiteral("Connecting to Plain")), Qt::Key_Escape);
    d.settle();
    EXPECT_FALSE(d.window(QStringLiteral("Connecting to Plain")));
    ASSERT_TRUE(d.window(QStringLiteral("Connect To")));

    QTest::keyClick(d.window(QStringLiteral("Connect To")), Qt::Key_Return);
    d.settle();
    d.window(QStringLiteral("Connecting to Plain"))->close();
    d.settle();
    EXPECT_FALSE(d.window(QStringLiteral("Connecting to Plain")));
    EXPECT_FALSE(d.window(QStringLiteral("Connect To")));

    dialAndPress(QStringLiteral("Plain"));
    d.pass(6);
    QWidget *connected = d.window(QStringLiteral("Connected to Plain"));
    ASSERT_TRUE(connected);
    QTest::keyClick(connected->findChild<QPushButton *>(), Qt::Key_C, Qt::AltModifier);
    d.settle();
    EXPECT_FALSE(d.window(QStringLiteral("Connected to Plain")));
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Plain")));
}

TEST_F(Component, LineDropsWhenTheScriptSaysAndMinimisedStartBringsBackTheConnectedWindow)
{
    dialAndPress(QStringLiteral("Drops"));
    d.pass(5);
    QWidget *connected = d.window(QStringLiteral("Connected to Drops"));
    ASSERT_TRUE(connected);
    connected->showMinimized();
    ASSERT_TRUE(d.dialup.dial(QStringLiteral("Drops"), platform::style::MinimizedFocus));
    EXPECT_FALSE(connected->isMinimized());
    EXPECT_FALSE(d.window(QStringLiteral("Connect To")));

    d.pass(59);
    EXPECT_TRUE(d.dialup.isConnected(QStringLiteral("Drops")));
    d.pass(1);
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Drops")));
    EXPECT_FALSE(d.window(QStringLiteral("Connected to Drops")));
}

TEST_F(Component, LongCaptionsAreCutWithAnEllipsis)
{
    const QString name = QStringLiteral("A Connection With A Rather Long Name For Dialing");
    EXPECT_EQ(dialup::DialUpNetworking::caption(QStringLiteral("Connecting to "), name),
              QStringLiteral("Connecting to A Connection With A Rat..."));
    EXPECT_EQ(dialup::DialUpNetworking::caption(QStringLiteral("Connected to "), QStringLiteral("Home")),
              QStringLiteral("Connected to Home"));
    dialAndPress(name);
    EXPECT_TRUE(d.window(QStringLiteral("Connecting to A Connection With A Rat...")));
}

TEST_F(Component, CommandLineStartsTheDialerOrAnswersZero)
{
    EXPECT_EQ(dialup::DialCommandStarter::connectionOf(QStringLiteral("c:\\windows\\rundll32.exe RNAUI.DLL,RnaDial My ISP")),
              QStringLiteral("My ISP"));
    EXPECT_EQ(dialup::DialCommandStarter::connectionOf(QStringLiteral("C:/WINDOWS/RUNDLL32.EXE rnaui.dll,rnadial  Two")),
              QStringLiteral(" Two"));
    EXPECT_TRUE(dialup::DialCommandStarter::connectionOf(QStringLiteral("c:\\windows\\notepad.exe x")).isNull());

    EXPECT_EQ(d.realStarter.shell(QStringLiteral("c:\\windows\\rundll32.exe RNAUI.DLL,RnaDial Broken"), 1), 0);
    EXPECT_EQ(d.realStarter.shell(QStringLiteral("c:\\windows\\calc.exe"), 1), 0);
    EXPECT_EQ(d.realStarter.shell(QStringLiteral("c:\\windows\\rundll32.exe RNAUI.DLL,RnaDial "), 1), 0);
    EXPECT_GT(d.realStarter.shell(QStringLiteral("c:\\windows\\rundll32.exe RNAUI.DLL,RnaDial Plain"), 1), 0);
    d.settle();
    EXPECT_TRUE(d.window(QStringLiteral("Connect To")));
}

TEST(LineScriptFile, MissingOrMalformedFilesFallBackToConnecting)
{
    const LineScript none = LineScript::read(QStringLiteral("/no/such/file.ini"), QStringLiteral("X"));
    EXPECT_EQ(none.outcome, LineScript::Outcome::Connects);
    EXPECT_FALSE(none.checksCredentials);
    EXPECT_FALSE(none.refusesToStart);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[X]\ndial = soon\nverify=-4\nnonsense line\nconnect = 7\n[Y]\ndrop = 5\n");
    f.close();
    const LineScript x = LineScript::read(path, QStringLiteral("X"));
    EXPECT_EQ(x.dialSeconds, 2);
    EXPECT_EQ(x.verifySeconds, 2);
    EXPECT_EQ(x.connectSeconds, 7);
    EXPECT_EQ(x.dropAfterSeconds, -1);
    EXPECT_EQ(LineScript::read(path, QStringLiteral("Y")).dropAfterSeconds, 5);
}

// The component's timer runs only while the line has something timed to do.
TEST(ScriptedLineTiming, TimedWorkOnlyWhileADialIsUnderWayOrALineIsSetToDrop)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dialup.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Plain]\ndial = 2\nverify = 2\nconnect = 1\n[Drops]\ndrop = 60\n[Busy]\noutcome = modem busy\n");
    file.close();
    platform::SettableClock clock;
    dialup::ScriptedLine line(clock, path);
    EXPECT_FALSE(line.hasTimedWork());

    line.dial(QStringLiteral("Plain"), {}, {});
    EXPECT_TRUE(line.hasTimedWork());
    clock.advanceSeconds(5);
    line.advance();
    EXPECT_FALSE(line.hasTimedWork());   // connected, never drops
    line.hangUp(QStringLiteral("Plain"));
    EXPECT_FALSE(line.hasTimedWork());

    line.dial(QStringLiteral("Drops"), {}, {});
    clock.advanceSeconds(10);
    line.advance();
    EXPECT_TRUE(line.hasTimedWork());    // connected, drops in a minute
    line.hangUp(QStringLiteral("Drops"));

    line.dial(QStringLiteral("Busy"), {}, {});
    clock.advanceSeconds(10);
    line.advance();
    EXPECT_FALSE(line.hasTimedWork());   // the failure waits for the user
    line.cancel(QStringLiteral("Busy"));
    EXPECT_FALSE(line.hasTimedWork());
}
