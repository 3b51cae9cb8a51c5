// The window scanner on a desktop written out by the test.
#include "StartedTarvo.h"
#include "tarvo/Form1.h"
#include "tarvo/Form8.h"
#include "tarvo/Module2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <gtest/gtest.h>

using namespace testing_support;
using platform::Hwnd;

namespace {

const QString kLong = QStringLiteral("A Very Long Connection Name For Testing");

const QStringList dialogChildren(const QString &name)
{
    return {QStringLiteral("Dial-up connection"), name, QStringLiteral("&User name:"), QString(),
            QStringLiteral("&Password:"), QString(), QStringLiteral("&Connect"), QStringLiteral("Cancel")};
}

class Scanner : public StartedTarvo {
protected:
    QStringList connections() const override { return {"Home", "Work", kLong}; }
    void SetUp() override
    {
        StartedTarvo::SetUp();
        scan = &f->module2();
    }
    void monitor()
    {
        scan->ScanMode = tarvo::ScanMonitor;
        scan->ScanWindows(0);
    }
    tarvo::Module2 *scan = nullptr;
    FakeDesktop &desk = h.desktop;
};

} // namespace

TEST_F(Scanner, FindsTheDialingDialogProgressAndConnectedWindowsOfTheChosenConnection)
{
    const Hwnd dialog = desk.open(QStringLiteral("Connect To"), dialogChildren(QStringLiteral("Home")));
    monitor();
    // Nobody is dialing: the dialog itself is reported, whatever it dials.
    EXPECT_EQ(f->dial.connectToWindow, dialog);

    f->dial.inProgress = true;
    monitor();
    // Dialing: the window that shows the name is reported.
    EXPECT_EQ(f->dial.connectToWindow, desk.child(dialog, 1));

    desk.close(dialog);
    const Hwnd progress = desk.open(QStringLiteral("Connecting to Home"), {"Status:", "Dialing..."});
    monitor();
    EXPECT_EQ(f->dial.connectToWindow, -1);
    EXPECT_EQ(f->dial.connectingWindow, progress);
    EXPECT_FALSE(f->dial.verifyingSeen);
    desk.setText(desk.child(progress, 1), QStringLiteral("Verifying user name and password..."));
    monitor();
    EXPECT_TRUE(f->dial.verifyingSeen);

    desk.close(progress);
    const Hwnd connected = desk.open(QStringLiteral("Connected to Home"), {"Dis&connect"});
    monitor();
    EXPECT_EQ(f->dial.connectingWindow, -1);
    EXPECT_EQ(f->dial.connectedWindow, connected);
}

TEST_F(Scanner, OnlyTheChosenConnectionIsRecognised)
{
    f->dial.inProgress = true;
    desk.open(QStringLiteral("Connect To"), dialogChildren(QStringLiteral("Work")));
    desk.open(QStringLiteral("Connecting to Work"), {"Status:", "Dialing..."});
    desk.open(QStringLiteral("Connected to Homestead"), {"Dis&connect"});
    desk.open(QStringLiteral("Connected to"), {"Dis&connect"});
    monitor();
    EXPECT_EQ(f->dial.connectToWindow, -1);
    EXPECT_EQ(f->dial.connectingWindow, -1);
    // "Connected to Homestead" still starts with "Connected to Home" minus
    // the three characters the component may have cut: it matches, as the
    // component would have shown it.
    EXPECT_NE(f->dial.connectedWindow, -1);

    desk.clear();
    f->setConText(QStringLiteral("Work"));
    const Hwnd progress = desk.open(QStringLiteral("Connecting to Work"), {"Status:", "Dialing..."});
    monitor();
    EXPECT_EQ(f->dial.connectingWindow, progress);
}

TEST_F(Scanner, CaptionsCutWithAnEllipsisStillMatch)
{
    f->setConText(kLong);
    f->dial.inProgress = true;
    const QString full = QStringLiteral("Connecting to ") + kLong;
    const QString cut = full.left(37) + QStringLiteral("...");
    const Hwnd progress = desk.open(cut, {"Status:", "Dialing..."});
    const Hwnd connected = desk.open((QStringLiteral("Connected to ") + kLong).left(37) + QStringLiteral("..."));
    const Hwnd dialog = desk.open(QStringLiteral("Connect To"), dialogChildren(kLong.left(20) + QStringLiteral("...")));
    monitor();
    EXPECT_EQ(f->dial.connectingWindow, progress);
    EXPECT_EQ(f->dial.connectedWindow, connected);
    EXPECT_EQ(f->dial.connectToWindow, desk.child(dialog, 1));

    // A caption cut one character too short is someone else's.
    desk.setText(progress, full.left(36) + QStringLiteral("X..."));
    monitor();
    EXPECT_EQ(f->dial.connectingWindow, -1);
}

TEST_F(Scanner, ShortTitlesCountAsEmptyAndNeverMatch)
{
    EXPECT_EQ(scan->GetTitle(desk.open(QStringLiteral("x")), tarvo::TitleUpper), QString());
    EXPECT_EQ(scan->GetTitle(desk.open(QStringLiteral("  ab")), tarvo::TitleUpper), QStringLiteral("AB"));
    EXPECT_EQ(scan->GetTitle(desk.open(QStringLiteral("  Mixed Case  ")), tarvo::TitleRemembered), QStringLiteral("Mixed Case  "));
    scan->LastTitle = QStringLiteral("kept");
    EXPECT_EQ(scan->GetTitle(desk.open(QStringLiteral("Other")), tarvo::TitleAsIs), QStringLiteral("Other"));
    EXPECT_EQ(scan->LastTitle, QStringLiteral("kept"));

    f->setConText(QStringLiteral("H"));
    EXPECT_FALSE(scan->MatchesConnection(QStringLiteral("AB"), QString()));
    EXPECT_FALSE(scan->MatchesConnection(QStringLiteral("ABC"), QString()));

    // A one-character child before the name does not shift the count.
    desk.clear();
    f->setConText(QStringLiteral("Home"));
    f->dial.inProgress = true;
    const Hwnd dialog = desk.open(QStringLiteral("Connect To"), {"i", "Dial-up connection", "Home"});
    monitor();
    EXPECT_EQ(f->dial.connectToWindow, desk.child(dialog, 2));
}

TEST_F(Scanner, FailureBoxOfTheChosenDialIsAnsweredAndEndsTheScan)
{
    f->Com_Click(0);   // Tarvo is dialing Home
    ASSERT_TRUE(f->dial.inProgress);
    const Hwnd box = desk.open(QStringLiteral("Dial-Up Networking"),
                               {"OK", "Warning", "The modem is being used by another Dial-Up Networking connection."});
    // Placed behind the box as the component stands it.
    desk.openBehind(QStringLiteral("Connecting to Home"), {"Status:", "Dialing..."});
    desk.openBehind(QStringLiteral("Connected to Home"));
    monitor();
    EXPECT_EQ(scan->ErrorCode, 2);
    EXPECT_EQ(f->dial.failureCode, 2);
    EXPECT_EQ(scan->ErrorBoxWindow, box);
    EXPECT_EQ(h.keys.sent, QStringList{"{ENTER}"});
    EXPECT_EQ(desk.getForegroundWindow(), box);
    // The walk stopped at the progress window, and Tarvo goes offline to
    // hang up; the message follows once the windows are gone.
    EXPECT_EQ(f->dial.connectedWindow, -1);
    EXPECT_FALSE(f->dial.inProgress);
    EXPECT_TRUE(f->dial.watchConnecting);
}

TEST_F(Scanner, FailureBoxOfAnotherDialIsClassifiedButNotReported)
{
    f->dial.inProgress = true;
    desk.open(QStringLiteral("Dial-Up Networking"), {"OK", "Warning", "Another program is dialing the selected connection."});
    desk.openBehind(QStringLiteral("Connecting to Work"), {"Status:", "Dialing..."});
    const Hwnd connected = desk.openBehind(QStringLiteral("Connected to Home"));
    monitor();
    EXPECT_EQ(scan->ErrorCode, 1);
    EXPECT_EQ(f->dial.failureCode, 0);
    EXPECT_TRUE(h.keys.sent.isEmpty());
    EXPECT_EQ(f->dial.connectedWindow, connected);

    // Not dialing: boxes are not looked at.
    desk.clear();
    f->dial.inProgress = false;
    desk.open(QStringLiteral("Dial-Up Networking"), {"OK", "Warning", "Whatever went wrong."});
    desk.openBehind(QStringLiteral("Connecting to Home"), {"Status:", "Dialing..."});
    monitor();
    EXPECT_EQ(scan->ErrorCode, 0);
}

TEST(FailureTexts, EachTextOfTheComponentHasItsCode)
{
    using tarvo::Module2;
    EXPECT_EQ(Module2::ClassifyFailure(QStringLiteral("THE MODEM IS BEING USED BY ANOTHER DIAL-UP NETWORKING CONNECTION")), 2);
    EXPECT_EQ(Module2::ClassifyFailure(QStringLiteral("ANOTHER PROGRAM IS DIALING THE SELECTED CONNECTION.")), 1);
    EXPECT_EQ(Module2::ClassifyFailure(QStringLiteral("THE COMPUTER YOU ARE DIALING IN TO CANNOT ESTABLISH A CONNECTION. CHECK YOUR PASSWORD, AND TRY AGAIN")), 3);
    EXPECT_EQ(Module2::ClassifyFailure(QStringLiteral("THE USER NAME OR PASSWORD, OR BOTH, WERE NOT ACCEPTED.")), 4);
    EXPECT_EQ(Module2::ClassifyFailure(QStringLiteral("NO DIAL TONE.")), -232);
    // Only at the start counts for the first two.
    EXPECT_EQ(Module2::ClassifyFailure(QStringLiteral("SORRY: THE MODEM IS BEING USED BY ANOTHER PROGRAM")), -232);
}

TEST_F(Scanner, BrowserIsSeenOnlyWhenArmedOfflineAndRearmedOnceItCloses)
{
    // No start page: only the exact plain title counts.
    f->triggers.browserArmed = true;
    desk.open(QStringLiteral("Internet Explorer - Home Page"));
    monitor();
    EXPECT_FALSE(f->triggers.browserStartSeen);
    const Hwnd browser = desk.open(QStringLiteral("internet explorer"));
    monitor();
    EXPECT_TRUE(f->triggers.browserStartSeen);
    EXPECT_EQ(scan->BrowserWindow, browser);

    // With a start page the title has to contain it.
    h.writeRegistry({"Home", "Work", kLong}, QStringLiteral("http://www.tarvo.example/"));
    desk.clear();
    f->triggers.browserStartSeen = false;
    desk.open(QStringLiteral("Internet Explorer"));
    monitor();
    EXPECT_FALSE(f->triggers.browserStartSeen);
    const Hwnd page = desk.open(QStringLiteral("http://www.tarvo.example/ - Microsoft Internet Explorer"));
    f->dial.inProgress = true;
    monitor();
    EXPECT_FALSE(f->triggers.browserStartSeen);
    f->dial.inProgress = false;
    monitor();
    EXPECT_TRUE(f->triggers.browserStartSeen);
    EXPECT_EQ(scan->BrowserWindow, page);

    // Gone offline with the browser open: re-armed only after it closes.
    f->triggers.browserStartSeen = false;
    f->triggers.browserArmed = false;
    scan->BrowserRearmPending = true;
    f->window<tarvo::Form8>().AppStart->setChecked(true);
    monitor();
    EXPECT_TRUE(scan->BrowserRearmPending);
    EXPECT_FALSE(f->triggers.browserStartSeen);
    desk.close(page);
    monitor();
    EXPECT_FALSE(scan->BrowserRearmPending);
    EXPECT_TRUE(f->triggers.browserArmed);
    EXPECT_EQ(scan->BrowserWindow, -1);
}

TEST_F(Scanner, TakeOverScanAddsANewNameOnceAndSelectsAKnownOne)
{
    const Hwnd outside = desk.open(QStringLiteral("Connect To"), dialogChildren(QStringLiteral("Office")));
    // A new name: the user is asked for its credentials, once.
    QString asked;
    h.boxes.onModal([&](QDialog &dialog) {
        asked = dialog.windowTitle();
        dialog.reject();
    });
    scan->ScanMode = tarvo::ScanTakeOver;
    scan->ScanWindows(outside);
    EXPECT_EQ(scan->TakeOverResult, 1);
    EXPECT_EQ(asked, QStringLiteral(" Connection : Office"));
    EXPECT_EQ(f->conText(), QStringLiteral("Office"));
    EXPECT_EQ(f->Con->findText(QStringLiteral("Office")), 3);
    ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("Office")));
    const int rows = f->conInfo->recordCount();

    scan->ScanMode = tarvo::ScanTakeOver;
    scan->ScanWindows(outside);
    EXPECT_EQ(f->conInfo->recordCount(), rows);
    EXPECT_EQ(f->Con->count(), 4);

    const Hwnd work = desk.open(QStringLiteral("Connect To"), dialogChildren(QStringLiteral("Work")));
    scan->ScanMode = tarvo::ScanTakeOver;
    scan->ScanWindows(work);
    EXPECT_EQ(f->conText(), QStringLiteral("Work"));
    EXPECT_EQ(f->conInfo->recordCount(), rows);
}

TEST_F(Scanner, AStoppedScanVisitsNothing)
{
    f->dial.inProgress = true;
    desk.open(QStringLiteral("Connected to Home"));
    scan->LastTitle = QStringLiteral("untouched");
    scan->ScanMode = tarvo::ScanStop;
    scan->ScanWindows(0);
    // Not even a title was read.
    EXPECT_EQ(scan->LastTitle, QStringLiteral("untouched"));
    EXPECT_EQ(f->dial.connectedWindow, -1);
}

TEST_F(Scanner, PlacementHelpersPutWindowsOnTop)
{
    const Hwnd w = desk.open(QStringLiteral("Menu"));
    scan->MakeTopmost(w);
    EXPECT_EQ(desk.topmost, QVector<Hwnd>{w});
}

TEST_F(Scanner, KeystrokesGoOnlyToVisibleWindowsAndCredentialsArriveLiterally)
{
    const Hwnd hidden = desk.open(QStringLiteral("Connecting to Home"));
    desk.setVisible(hidden, false);
    f->Skey(tarvo::SkeyToWindow, hidden, QStringLiteral("{ESC}"));
    f->Skey(tarvo::SkeyToWindow, -1, QStringLiteral("{ESC}"));
    EXPECT_TRUE(h.keys.sent.isEmpty());
    desk.setVisible(hidden, true);
    f->Skey(tarvo::SkeyToWindow, hidden, QStringLiteral("{ESC}"));
    EXPECT_EQ(h.keys.sent, QStringList{"{ESC}"});
    EXPECT_EQ(desk.getForegroundWindow(), hidden);

    h.keys.sent.clear();
    f->dial.connectToWindow = -1;
    f->Skey(tarvo::SkeyCredentials, 0);
    EXPECT_TRUE(h.keys.sent.isEmpty());

    const Hwnd dialog = desk.open(QStringLiteral("Connect To"), dialogChildren(QStringLiteral("Home")));
    f->dial.connectToWindow = desk.child(dialog, 1);
    f->dial.user = rt::Value::null();
    f->Skey(tarvo::SkeyCredentials, 0);
    EXPECT_EQ(h.keys.sent, QStringList{"{ENTER}"});
    EXPECT_EQ(desk.getForegroundWindow(), dialog);

    h.keys.sent.clear();
    f->dial.user = QString();
    f->dial.password = QString();
    f->Skey(tarvo::SkeyCredentials, 0);
    EXPECT_EQ(h.keys.sent.join(QString()), QStringLiteral("%U%P{ENTER}"));

    h.keys.sent.clear();
    f->dial.user = QStringLiteral("ann+1");
    f->dial.password = QStringLiteral("p%w~(x)");
    f->Skey(tarvo::SkeyCredentials, 0);
    EXPECT_EQ(h.keys.sent.join(QString()), QStringLiteral("%Uann{+}1%Pp{%}w{~}{(}x{)}{ENTER}"));
}
