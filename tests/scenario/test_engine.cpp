// The connection engine end to end: the monitor tick driving the real
// stand-in component, with the clock moved by the test and the user's
// answers scripted.
#include "MonitorTicks.h"
#include "RealDesktop.h"
#include "tarvo/Form1.h"
#include "tarvo/Form5.h"
#include "tarvo/Module2.h"
#include "tarvo/frmLogin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace testing_support;
namespace mb = platform::mb;

namespace {

const QString kScript = QStringLiteral(
    "[Home]\nuser = ann+1\npassword = p%w{^}~()[]\ndial = 2\nverify = 2\nconnect = 1\n"
    "[Open]\ndial = 2\nverify = 2\nconnect = 1\n"
    "[Slow]\ndial = 100\n"
    "[Verifier]\ndial = 1\nverify = 100\n"
    "[Busy]\noutcome = modem busy\n"
    "[Other]\noutcome = other program dialing\n"
    "[Server]\noutcome = cannot establish\n"
    "[Odd]\noutcome = No dial tone was heard.\n"
    "[Instant]\ndial = 0\noutcome = modem busy\n"
    "[Short]\ndial = 1\nverify = 1\nconnect = 1\ndrop = 60\n"
    "[Broken]\nstart = refuse\n");

class Engine : public ::testing::Test, public MonitorTicks {
protected:
    void start(const QStringList &connections = {"Home", "Open", "Slow", "Verifier", "Busy", "Other", "Server",
                                                  "Odd", "Short", "Broken"})
    {
        d.writeRegistry(connections);
        d.writeScript(kScript);
        f = &d.start();
    }
    void choose(const QString &name) { f->setConText(name); }
    void passSecond() override { d.pass(1); }
    // TARVO_TRACE_TICKS=1 prints the engine's state after every tick, for
    // following a test that waits in vain.
    void tick() override
    {
        MonitorTicks::tick();
        if (qEnvironmentVariableIsSet("TARVO_TRACE_TICKS"))
            qDebug() << "stage" << f->dial.stage << f->dial.stageDetail << "wins" << f->dial.connectToWindow << f->dial.connectingWindow
                     << f->dial.connectedWindow << "dip" << f->dial.inProgress << "watch" << f->dial.watchConnecting << "fail"
                     << f->dial.failureCode << f->module2().ErrorCode << "line" << f->session.lineState.toString() << "tries" << f->dial.tryCount
                     << "stay" << f->dial.stayConnected << "launched" << f->dial.dialerLaunched << f->conText()
                     << (d.window(QStringLiteral("Connect To")) != nullptr);
    }
    bool componentIdle()
    {
        return !d.window(QStringLiteral("Connect To")) && !d.window(QStringLiteral("Connecting to ") + f->conText())
            && !d.window(QStringLiteral("Connected to ") + f->conText());
    }
    void storeCredentials(const QString &name, const QString &user, const QString &password)
    {
        ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::UserName, user, tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, name));
        ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::Password, f->ProcessPwd(password, tarvo::PwdScramble), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, name));
    }

    RealDesktop d;
};

} // namespace

// ---------------------------------------------------------------- dialing

TEST_F(Engine, GoOnlineDialsTypesTheStoredCredentialsAndReachesTheLine)
{
    start();
    storeCredentials(QStringLiteral("Home"), QStringLiteral("ann+1"), QStringLiteral("p%w{^}~()[]"));
    choose(QStringLiteral("Home"));
    f->Com_Click(0);
    EXPECT_TRUE(online());
    EXPECT_FALSE(f->Con->isEnabled());

    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_EQ(d.dialup.typedUser(QStringLiteral("Home")), QStringLiteral("ann+1"));
    EXPECT_EQ(d.dialup.typedPassword(QStringLiteral("Home")), QStringLiteral("p%w{^}~()[]"));
    EXPECT_EQ(f->dial.stage, 2);
    EXPECT_EQ(f->dial.tryCount, 0);
    EXPECT_TRUE(d.boxes.shown().empty());

    // Going offline closes the component's windows and writes the session.
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting; }));
    EXPECT_FALSE(online());
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Home")));
    EXPECT_EQ(f->track->recordCount(), 1);
    EXPECT_TRUE(f->session.lineState.equals(tarvo::LineDown));
}

TEST_F(Engine, WithNoCredentialsStoredTheDialogDialsWithWhatItHolds)
{
    start();
    choose(QStringLiteral("Open"));
    f->Com_Click(0);
    EXPECT_EQ(f->dial.user, rt::Value(QString()));
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_TRUE(d.dialup.typedUser(QStringLiteral("Open")).isEmpty());
    EXPECT_TRUE(d.dialup.typedPassword(QStringLiteral("Open")).isEmpty());
}

TEST_F(Engine, SlowServerIsCancelledAfterWaitSecondsButNotWhileVerifying)
{
    start();
    f->Wait->setText(QStringLiteral("5"));
    choose(QStringLiteral("Slow"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return f->dial.stage == 2; }));
    ASSERT_TRUE(ticksUntil([&] { return f->dial.tryCount == 1; }, 10));
    // Cancelled, and the dialog's button is pressed again.
    ASSERT_TRUE(ticksUntil([&] { return d.window(QStringLiteral("Connecting to Slow")) != nullptr && f->dial.stage == 2; }, 10));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting; }));

    choose(QStringLiteral("Verifier"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return f->dial.verifyingSeen; }));
    for (int i = 0; i < 20; ++i)
        tick();
    EXPECT_EQ(f->dial.tryCount, 0);
    EXPECT_TRUE(d.window(QStringLiteral("Connecting to Verifier")));
}

TEST_F(Engine, MaxTryZeroGivesUpOnTheFirstAttemptWithoutAMessage)
{
    start();
    f->options.maxTries = 0;
    choose(QStringLiteral("Slow"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !online(); }));
    ASSERT_TRUE(ticksUntil([&] { return componentIdle() && !f->dial.watchConnecting; }));
    EXPECT_TRUE(d.boxes.shown().empty());
    EXPECT_EQ(f->dial.tryCount, 0);
}

TEST_F(Engine, GivingUpAfterTheTriesShowsNoMessage)
{
    start();
    f->options.maxTries = 2;
    f->Wait->setText(QStringLiteral("5"));
    choose(QStringLiteral("Slow"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !online(); }, 400));
    EXPECT_EQ(f->dial.tryCount, 2);
    ASSERT_TRUE(ticksUntil([&] { return componentIdle() && !f->dial.watchConnecting; }));
    EXPECT_TRUE(d.boxes.shown().empty());
}

TEST_F(Engine, GoingOfflineWhileTheDialerStartsStopsEveryFurtherStep)
{
    start();
    choose(QStringLiteral("Open"));
    f->Com_Click(0);
    tick();
    ASSERT_TRUE(d.window(QStringLiteral("Connect To")));
    f->Com_Click(0);
    EXPECT_FALSE(online());
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting; }));
    for (int i = 0; i < 10; ++i)
        tick();
    EXPECT_FALSE(d.window(QStringLiteral("Connect To")));
    EXPECT_FALSE(d.window(QStringLiteral("Connecting to Open")));
}

// --------------------------------------------------------------- failures

TEST_F(Engine, EachFailureOfTheComponentIsExplainedAfterTheHangUp)
{
    start();
    const struct { const char *name; const char *title; const char *says; } cases[] = {
        {"Busy", "Tarvo - Communications Port Unavailable", " The Dial-Up Connection Named : Busy\r\n"},
        {"Other", "", " The Dial-Up Connection Named : Other\r\n\r\n Is Already In Use."},
        {"Server", "Tarvo- Configuration Settings Problem", " Settings For The Connection Named : Server\r\n"},
        {"Odd", "Tarvo - Problem During Connection", "NO DIAL TONE WAS HEARD."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        d.boxes.clear();
        choose(QString::fromLatin1(c.name));
        f->Com_Click(0);
        d.boxes.answer(mb::Ok);
        ASSERT_TRUE(ticksUntil([&] { return !d.boxes.shown().empty(); }));
        const ShownBox &box = d.boxes.shown().front();
        EXPECT_EQ(box.title, QString::fromLatin1(c.title));
        EXPECT_TRUE(box.prompt.contains(QString::fromLatin1(c.says))) << box.prompt.toStdString();
        EXPECT_EQ(box.icon(), mb::Exclamation);
        // Shown once everything was closed, and only once.
        EXPECT_TRUE(componentIdle());
        EXPECT_FALSE(online());
        EXPECT_EQ(f->dial.failureCode, 0);
        EXPECT_FALSE(f->run.messageOpen);
        tick();
        EXPECT_EQ(d.boxes.shown().size(), 1u);
    }
}

// A line that fails before a tick has seen its progress window: the next
// Go Online must still start the dialer.
TEST_F(Engine, AFailureFasterThanATickLeavesTheNextGoOnlineFreeToDial)
{
    start({"Instant"});
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        d.boxes.clear();
        f->Com_Click(0);
        d.boxes.answer(mb::Ok);
        ASSERT_TRUE(ticksUntil([&] { return !d.boxes.shown().empty(); }));
        EXPECT_EQ(d.boxes.shown().front().title, QStringLiteral("Tarvo - Communications Port Unavailable"));
        ASSERT_TRUE(ticksUntil([&] { return componentIdle() && !f->dial.watchConnecting; }));
    }
}

TEST_F(Engine, RefusedPasswordOpensTheCredentialsDialogAfterItsMessage)
{
    start();
    storeCredentials(QStringLiteral("Home"), QStringLiteral("ann+1"), QStringLiteral("wrong"));
    choose(QStringLiteral("Home"));
    f->Com_Click(0);
    d.boxes.answer(mb::Ok);
    QString dialogTitle;
    d.boxes.onModal([&](QDialog &dialog) {
        dialogTitle = dialog.windowTitle();
        dialog.reject();
    });
    ASSERT_TRUE(ticksUntil([&] { return !dialogTitle.isEmpty(); }));
    ASSERT_EQ(d.boxes.shown().size(), 1u);
    EXPECT_EQ(d.boxes.shown()[0].title, QStringLiteral("Tarvo - Invalid Password"));
    EXPECT_TRUE(d.boxes.shown()[0].prompt.endsWith(QStringLiteral(" Please Verify PassWord For The Connection Named : Home")));
    EXPECT_EQ(dialogTitle, QStringLiteral(" Connection : Home"));
}

TEST_F(Engine, OnlyConnectionFailingToStartIsDroppedWithBothMessages)
{
    start({"Broken"});
    f->Com_Click(0);
    d.boxes.answer(mb::Ok);
    d.boxes.answer(mb::Ok);
    ASSERT_TRUE(ticksUntil([&] { return d.boxes.shown().size() == 2; }));
    EXPECT_EQ(d.boxes.shown()[0].prompt,
              QStringLiteral(" Unable To Initiate Connection : Broken\r\n\r\n Tarvo Will Remove The Connection From It's List.\r\n\r\n Try Another connection. "));
    EXPECT_EQ(d.boxes.shown()[0].icon(), mb::Critical);
    EXPECT_EQ(d.boxes.shown()[1].prompt,
              QStringLiteral(" You Have Not Created Any Connections \r\n Create New Connections Using Dial-Up Networking."));
    EXPECT_TRUE(f->conText().isEmpty());
    EXPECT_EQ(f->Con->count(), 0);
    EXPECT_EQ(f->conInfo->recordCount(), 0);
    // Tarvo goes offline and asks nothing more.
    ASSERT_TRUE(ticksUntil([&] { return !online() && !f->dial.watchConnecting; }));
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_EQ(d.boxes.shown().size(), 2u);
}

TEST_F(Engine, ConnectionFailingToStartLeavesTheOthersAndSelectsTheFirst)
{
    start({"Open", "Broken"});
    choose(QStringLiteral("Broken"));
    f->Com_Click(0);
    d.boxes.answer(mb::Ok);
    ASSERT_TRUE(ticksUntil([&] { return d.boxes.shown().size() == 1; }));
    EXPECT_EQ(f->conText(), QStringLiteral("Open"));
    f->settings->moveFirst();
    EXPECT_EQ(f->settings->field(tarvo::Settings::LastConnection), rt::Value("Open"));
    ASSERT_TRUE(ticksUntil([&] { return !online() && !f->dial.watchConnecting; }));
}

// ------------------------------------------------------------------ drops

TEST_F(Engine, DropWithAutomaticReconnectionDialsAgainAndWithoutItGoesOffline)
{
    start();
    choose(QStringLiteral("Short"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    ASSERT_TRUE(ticksUntil([&] { return !lineUp(); }, 80));
    EXPECT_EQ(f->track->recordCount(), 1);
    EXPECT_TRUE(online());
    EXPECT_EQ(f->dial.tryCount, 1);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));

    f->Atrec->setChecked(false);
    ASSERT_TRUE(ticksUntil([&] { return !lineUp(); }, 80));
    EXPECT_FALSE(online());
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting; }));
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_FALSE(d.window(QStringLiteral("Connect To")));
    EXPECT_EQ(f->track->recordCount(), 2);
}

TEST_F(Engine, WithTwoTriesTheSecondDropUsesThemUp)
{
    start();
    f->options.maxTries = 2;
    choose(QStringLiteral("Short"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    ASSERT_TRUE(ticksUntil([&] { return !lineUp(); }, 80));
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    ASSERT_TRUE(ticksUntil([&] { return !lineUp(); }, 80));
    EXPECT_EQ(f->dial.tryCount, 2);
    // The redial is cancelled as soon as its progress window shows.
    ASSERT_TRUE(ticksUntil([&] { return !online(); }));
    ASSERT_TRUE(ticksUntil([&] { return componentIdle() && !f->dial.watchConnecting; }));
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Short")));
    EXPECT_EQ(f->track->recordCount(), 2);
}

// -------------------------------------------------------------- take-over

TEST_F(Engine, LiveOutsideConnectionOfTheChosenNameIsOfferedAndTakenOver)
{
    start();
    choose(QStringLiteral("Open"));
    // Lines dialled by hand while nobody watches.
    f->options.monitorOff = true;
    for (const QString &name : {QStringLiteral("Short"), QStringLiteral("Open")}) {
        d.dialup.dial(name, platform::style::NormalFocus);
        d.settle();
        QTest::keyClick(d.window(QStringLiteral("Connect To")), Qt::Key_Return);
        ASSERT_TRUE(ticksUntil([&] { return d.dialup.isConnected(name); }, 10));
    }
    f->options.monitorOff = false;
    tick();
    ASSERT_TRUE(f->window<tarvo::Form5>().isVisible());
    EXPECT_FALSE(f->window<tarvo::Form5>().Label1->isHidden());
    EXPECT_TRUE(f->window<tarvo::Form5>().Label2->isHidden());
    EXPECT_EQ(f->dial.takeOverKind, 2);

    f->window<tarvo::Form5>().Com[1]->click();
    EXPECT_FALSE(f->window<tarvo::Form5>().isVisible());
    tick();
    EXPECT_TRUE(online());
    EXPECT_TRUE(f->dial.inProgress);
    tick();
    EXPECT_TRUE(lineUp());
    EXPECT_EQ(f->conText(), QStringLiteral("Open"));
}

TEST_F(Engine, LiveOutsideConnectionOfAnotherNameIsNotOffered)
{
    start();
    choose(QStringLiteral("Open"));
    f->options.monitorOff = true;
    d.dialup.dial(QStringLiteral("Short"), platform::style::NormalFocus);
    d.settle();
    QTest::keyClick(d.window(QStringLiteral("Connect To")), Qt::Key_Return);
    ASSERT_TRUE(ticksUntil([&] { return d.dialup.isConnected(QStringLiteral("Short")); }, 10));
    f->options.monitorOff = false;
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_FALSE(f->window<tarvo::Form5>().isVisible());
}

TEST_F(Engine, OutsideDialingDialogOfAnyConnectionIsTakenOverAndSelected)
{
    start();
    choose(QStringLiteral("Home"));
    d.dialup.dial(QStringLiteral("Open"), platform::style::NormalFocus);
    ASSERT_TRUE(ticksUntil([&] { return f->window<tarvo::Form5>().isVisible(); }, 5));
    EXPECT_FALSE(f->window<tarvo::Form5>().Label2->isHidden());
    f->window<tarvo::Form5>().Com[1]->click();
    tick();
    EXPECT_EQ(f->conText(), QStringLiteral("Open"));
    EXPECT_TRUE(online());
    // The dialog was told to dial.
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
}

TEST_F(Engine, NoStopsTheQuestionUntilTheBoxChangesAndAnOpenPanelSuppressesIt)
{
    start();
    choose(QStringLiteral("Home"));
    d.dialup.dial(QStringLiteral("Open"), platform::style::NormalFocus);
    ASSERT_TRUE(ticksUntil([&] { return f->window<tarvo::Form5>().isVisible(); }, 5));
    f->window<tarvo::Form5>().Com[0]->click();
    tick();
    EXPECT_TRUE(f->dial.takeOverDeclined);
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_FALSE(f->window<tarvo::Form5>().isVisible());

    choose(QStringLiteral("Slow"));
    choose(QStringLiteral("Home"));
    EXPECT_FALSE(f->dial.takeOverDeclined);
    f->Details_Click();   // the panel opens
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_FALSE(f->window<tarvo::Form5>().isVisible());
    f->Details_Click();
    ASSERT_TRUE(ticksUntil([&] { return f->window<tarvo::Form5>().isVisible(); }, 5));
    f->window<tarvo::Form5>().Com[0]->click();
    tick();
}

TEST_F(Engine, MonitorOffLeavesOutsideConnectionsAlone)
{
    start();
    f->options.monitorOff = true;
    d.dialup.dial(QStringLiteral("Open"), platform::style::NormalFocus);
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_FALSE(f->window<tarvo::Form5>().isVisible());
}

// ---------------------------------------------------------------- schedule

TEST_F(Engine, UnansweredDisconnectQuestionCountsDownOnTopAndHangsUp)
{
    start();
    choose(QStringLiteral("Open"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));

    // Disconnect two seconds from now.
    const rt::DateTime hangUpAt = d.clock.now().addSeconds(2);
    f->triggers.scheduleArmed = true;
    f->triggers.connectAt = QStringLiteral("6:00 am");
    f->triggers.disconnectAt = hangUpAt.timePart();
    tick();
    tick();
    tarvo::Form5 &question = f->window<tarvo::Form5>();
    ASSERT_TRUE(question.isVisible());
    ASSERT_FALSE(question.Label6->isHidden());
    QStringList counted;
    for (int i = 0; i < 5; ++i) {
        f->KeepOnline_Timer();   // within the second it was raised in, then one per second
        counted << question.Label6->text().section(QLatin1String(" Seconds."), 0, 0).trimmed();
        EXPECT_TRUE(question.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(lineUp());
        d.pass(1);
    }
    EXPECT_EQ(counted, (QStringList{"Going To DisConnect In 5", "Going To DisConnect In 4", "Going To DisConnect In 3",
                                    "Going To DisConnect In 2", "Going To DisConnect In 1"}));
    f->KeepOnline_Timer();
    EXPECT_FALSE(question.isVisible());
    EXPECT_FALSE(online());
    ASSERT_TRUE(ticksUntil([&] { return componentIdle() && !f->dial.watchConnecting; }));
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Open")));
    EXPECT_EQ(f->track->recordCount(), 1);
    EXPECT_TRUE(d.boxes.shown().empty());
}

// The system clock read every 100 ms across the set times: each question
// opens in its own second, never in the half second before it, and its
// window is made once however often the ticks keep it on top.
TEST_F(Engine, TimedQuestionsOpenInTheirOwnSecondInAWindowMadeOnce)
{
    start();
    f->KeepOnline->setInterval(100);
    f->triggers.scheduleArmed = true;
    const QDate day = d.clock.now().date();
    // Steps the clock 100 ms at a time from `from` until a question shows;
    // gives the moment it showed at.
    const auto stepUntilAsked = [&](QDateTime from, QLabel *tarvo::Form5::*label) {
        for (QDateTime moment = from; moment < from.addSecs(3); moment = moment.addMSecs(100)) {
            d.clock.setMoment(moment);
            f->KeepOnline_Timer();
            const tarvo::Form5 *question = f->loadedWindow<tarvo::Form5>();
            if (question && question->isVisible() && !(question->*label)->isHidden())
                return moment;
        }
        return QDateTime();
    };
    // Counts the times a window is hidden or shown.
    struct Blinks : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Hide || event->type() == QEvent::Show;
            return false;
        }
    };
    const auto keptOnTopInOneWindow = [&](const QDateTime &askedAt) {
        tarvo::Form5 &question = f->window<tarvo::Form5>();
        const QWindow *made = question.windowHandle();
        ASSERT_TRUE(made);
        Blinks blinks;
        question.installEventFilter(&blinks);
        for (int i = 1; i <= 20; ++i) {
            d.clock.setMoment(askedAt.addMSecs(100 * i));
            f->KeepOnline_Timer();
            ASSERT_TRUE(question.isVisible());
            EXPECT_TRUE(question.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        }
        EXPECT_EQ(question.windowHandle(), made);
        EXPECT_EQ(blinks.count, 0);
        question.removeEventFilter(&blinks);
        question.Com[0]->click();
    };

    f->triggers.connectAt = QStringLiteral("6:10:27 am");
    const QDateTime connectAsked = stepUntilAsked(QDateTime(day, QTime(6, 10, 25, 500)), &tarvo::Form5::Label5);
    EXPECT_EQ(connectAsked, QDateTime(day, QTime(6, 10, 27)));
    keptOnTopInOneWindow(connectAsked);

    choose(QStringLiteral("Open"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    const QDateTime upAt = d.clock.now().toQDateTime();
    const QTime hangUp = upAt.time().addSecs(2);
    f->triggers.disconnectAt = rt::DateTime::fromTime(hangUp);
    const QDateTime disconnectAsked = stepUntilAsked(upAt.addMSecs(500), &tarvo::Form5::Label6);
    EXPECT_EQ(disconnectAsked, QDateTime(day, hangUp));
    keptOnTopInOneWindow(disconnectAsked);
    EXPECT_TRUE(lineUp());
}

// A password whose stored form begins with U+FEFF (U+FECD raised) is read
// back whole from the file and typed whole into the dialing dialog, which
// the connection's server checks.
TEST_F(Engine, APasswordBeginningWithAnyCharacterIsTypedWhole)
{
    const QString password = QChar(0xFECD) + QStringLiteral("sesame") + QChar(0xFECD);
    d.writeRegistry({QStringLiteral("Checked")});
    d.writeScript(QStringLiteral("[Checked]\nuser = ann\npassword = %1\ndial = 1\nverify = 1\nconnect = 1\n").arg(password));
    f = &d.start();
    storeCredentials(QStringLiteral("Checked"), QStringLiteral("ann"), password);
    choose(QStringLiteral("Checked"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_EQ(d.dialup.typedPassword(QStringLiteral("Checked")), password);
    EXPECT_TRUE(d.boxes.shown().empty());
}

// Quit, then Yes to hanging up a line Tarvo watches: the line goes down, its
// session is recorded, and the program ends by the third step of the monitor
// after the answer (1.5 s at the shipped step).
TEST_F(Engine, QuitYesOnAWatchedLineHangsUpAndEndsWithinThreeTicks)
{
    start();
    choose(QStringLiteral("Open"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    QSignalSpy ended(f, &tarvo::Form1::processEnded);
    f->ComQ_Click();
    d.boxes.answer(mb::Yes);
    tick();   // carries out the quit: the question, answered Yes
    ASSERT_EQ(d.boxes.titles(), (std::vector<QString>{QStringLiteral("Tarvo - Exit Mode Confirmation")}));
    int ticks = 0;
    while (ended.isEmpty() && ticks < 20) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(ended.count(), 1);
    EXPECT_LE(ticks, 3);
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Open")));
    EXPECT_EQ(f->track->recordCount(), 1);
}
