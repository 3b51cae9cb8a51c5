// Ending the program: the questions on a watched line, and the desktop
// ending it without any.
#include "StartedTarvo.h"
#include "SYSTRAY/TarvoTrayCtl.h"
#include "tarvo/Form1.h"
#include "tarvo/Form2.h"
#include "tarvo/Form3.h"
#include "tarvo/Form4.h"
#include "tarvo/Form5.h"
#include "tarvo/Form6.h"
#include "tarvo/Form8.h"
#include "tarvo/IntervalTimer.h"
#include "tarvo/Module2.h"
#include "tarvo/frmAbout.h"
#include "tarvo/frmLogin.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace testing_support;
namespace mb = platform::mb;

namespace {

class Exit : public StartedTarvo {
protected:
    // Tarvo online, its line up for a quarter of an hour.
    void watchLiveLine()
    {
        f->Com_Click(0);
        ASSERT_EQ(f->Com[0]->text(), tarvo::kGoOffline);
        f->dial.connectedWindow = 77;
        f->SetCstatus(tarvo::CheckLine);
        ASSERT_TRUE(f->session.lineState.equals(tarvo::LineUp));
        h.clock.advanceSeconds(15 * 60);
    }
    int unload()
    {
        int cancel = 0;
        f->Form_Unload(cancel);
        return cancel;
    }
    int rows() { return f->track->recordCount(); }
};

const QString kExitModeTitle = QStringLiteral("Tarvo - Exit Mode Confirmation");

} // namespace

TEST_F(Exit, YesOnAWatchedLineHangsUpFirstAndEndsOnlyAfterwards)
{
    watchLiveLine();
    QSignalSpy ended(f, &tarvo::Form1::processEnded);
    f->run.quitRequested = true;
    h.boxes.answer(mb::Yes);
    EXPECT_EQ(unload(), 1);
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].title, kExitModeTitle);
    EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::YesNoCancel);
    EXPECT_EQ(f->run.exitMode, tarvo::ExitHangUpFirst);
    EXPECT_TRUE(f->dial.watchConnecting);
    EXPECT_FALSE(f->run.messageOpen);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(rows(), 0);

    // The hang-up: the line goes down, its session is recorded, and the
    // next close ends the program without asking again.
    f->dial.connectedWindow = -1;
    f->DisconnectIt();
    EXPECT_EQ(f->run.exitMode, tarvo::ExitKeepLine);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(rows(), 1);
}

TEST_F(Exit, NoOnAWatchedLineEndsAtOnceAndLeavesTheLineUnrecorded)
{
    watchLiveLine();
    QSignalSpy ended(f, &tarvo::Form1::processEnded);
    f->run.quitRequested = true;
    h.boxes.answer(mb::No);
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(f->run.exitMode, tarvo::ExitKeepLine);
    EXPECT_EQ(ended.count(), 1);
    // The line stays up for the next start to take over: no record yet.
    EXPECT_EQ(rows(), 0);

    // The desktop ending the process afterwards changes nothing.
    f->endSession();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(Exit, CancelOnAWatchedLineKeepsEverythingAndAsksAgainNextTime)
{
    watchLiveLine();
    f->module2().ScanMode = tarvo::ScanStop;
    f->run.quitRequested = true;
    h.boxes.answer(mb::Cancel);
    EXPECT_EQ(unload(), 1);
    EXPECT_FALSE(f->run.quitRequested);
    EXPECT_EQ(f->run.exitMode, tarvo::ExitAsk);
    EXPECT_EQ(f->module2().ScanMode, tarvo::ScanMonitor);
    EXPECT_FALSE(f->dial.watchConnecting);
    EXPECT_FALSE(f->run.messageOpen);
    EXPECT_EQ(rows(), 0);

    f->run.quitRequested = true;
    h.boxes.answer(mb::Cancel);
    EXPECT_EQ(unload(), 1);
    EXPECT_EQ(h.boxes.titles(), (std::vector<QString>{kExitModeTitle, kExitModeTitle}));
}

TEST_F(Exit, DesktopEndingAWatchedLineRecordsItOnceAndAsksNothing)
{
    watchLiveLine();
    QSignalSpy ended(f, &tarvo::Form1::processEnded);
    f->endSession();
    f->endSession();
    EXPECT_TRUE(h.boxes.shown().empty());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(f->ended());
    ASSERT_EQ(rows(), 1);
    f->track->moveLast();
    EXPECT_EQ(f->track->field(tarvo::Track::Minutes).toLong(), 15);
    // The line is left as it is, and a close that follows asks nothing.
    EXPECT_TRUE(f->session.lineState.equals(tarvo::LineUp));
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(rows(), 1);
}

TEST_F(Exit, DesktopEndingTarvoOfflineOrOnALineItDoesNotWatchRecordsNothing)
{
    f->endSession();
    EXPECT_TRUE(f->ended());
    EXPECT_EQ(rows(), 0);

    h.endForm();
    tarvo::Form1 &again = h.start();
    // A line up that Tarvo was not allowed to watch.
    again.session.lineState = tarvo::LineUp;
    again.dial.takeOverDeclined = true;
    again.endSession();
    EXPECT_EQ(again.track->recordCount(), 0);
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST_F(Exit, QuitWhileAQuestionWindowIsLoadedClosesIt)
{
    tarvo::Form5 &question = f->window<tarvo::Form5>();
    question.show();
    f->run.quitRequested = true;
    h.boxes.answer(mb::Yes);
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(f->loadedWindow<tarvo::Form5>(), nullptr);
    EXPECT_EQ(f->loadedWindow<tarvo::frmLogin>(), nullptr);
}

// The rows of the exit with no watched line, and the ways a quit is carried
// out.
TEST_F(Exit, OfflineTheQuitQuestionDecidesAndNothingIsRecorded)
{
    f->run.quitRequested = true;
    h.boxes.answer(mb::No);
    EXPECT_EQ(unload(), 1);
    EXPECT_FALSE(f->run.quitRequested);
    EXPECT_EQ(f->run.exitMode, tarvo::ExitAsk);
    EXPECT_FALSE(f->ended());

    f->run.quitRequested = true;
    h.boxes.answer(mb::Yes);
    EXPECT_EQ(unload(), 0);
    EXPECT_TRUE(f->ended());
    EXPECT_EQ(h.boxes.titles(), (std::vector<QString>{QStringLiteral("Tarvo - Exit Confirmation"),
                                                      QStringLiteral("Tarvo - Exit Confirmation")}));
    EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral(" Do You Want To Quit Tarvo ?  "));
    // No session was up: no record from nowhere to now.
    EXPECT_EQ(rows(), 0);
    // Ended, it asks nothing more.
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(h.boxes.shown().size(), 2u);
}

TEST_F(Exit, ALineUpThatWasDeclinedGetsTheQuitQuestion)
{
    f->session.lineState = tarvo::LineUp;
    f->dial.takeOverDeclined = true;
    f->run.quitRequested = true;
    h.boxes.answer(mb::Yes);
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(h.boxes.titles(), std::vector<QString>{QStringLiteral("Tarvo - Exit Confirmation")});
    EXPECT_EQ(rows(), 0);
}

TEST_F(Exit, ALineUpNeitherWatchedNorDeclinedEndsAtOnce)
{
    f->session.lineState = tarvo::LineUp;
    f->run.quitRequested = true;
    EXPECT_EQ(unload(), 0);
    EXPECT_TRUE(f->ended());
    EXPECT_TRUE(h.boxes.shown().empty());
    EXPECT_EQ(rows(), 0);
}

TEST_F(Exit, TheCloseButtonAloneDoesNothing)
{
    f->close();
    EXPECT_FALSE(f->ended());
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST_F(Exit, TheQuitButtonIsCarriedOutByTheNextTickOnlyOnceTheMonitorRuns)
{
    // A stopped monitor: the watchdog of the one-second timer restarts it.
    f->KeepOnline->setInterval(0);
    f->ComQ->click();
    EXPECT_TRUE(f->run.quitRequested);
    EXPECT_TRUE(h.boxes.shown().empty());
    for (int second = 0; second < 30; ++second)
        f->Backup_Timer();
    EXPECT_EQ(f->KeepOnline->interval(), 0);
    f->Backup_Timer();
    ASSERT_EQ(f->KeepOnline->interval(), 500);

    h.boxes.answer(mb::Yes);
    f->KeepOnline_Timer();
    EXPECT_TRUE(f->ended());
}

TEST_F(Exit, EveryOtherWindowClosesInItsOrderAndNoneIsLeft)
{
    QStringList closed;
    auto watch = [&](QWidget &w, const char *name) {
        QObject::connect(&w, &QObject::destroyed, [&closed, name] { closed << QString::fromLatin1(name); });
        w.show();
    };
    // The status window shows only beside the session icon.
    tarvo::Form1::putInTray(*f->TrayView2, true);
    watch(f->window<tarvo::Form4>(), "Form4");
    watch(f->window<tarvo::Form6>(), "Form6");
    watch(f->window<tarvo::Form5>(), "Form5");
    watch(f->window<tarvo::Form3>(), "Form3");
    watch(f->window<tarvo::Form8>(), "Form8");
    watch(f->window<tarvo::frmLogin>(), "frmLogin");
    watch(f->window<tarvo::frmAbout>(), "frmAbout");
    watch(f->window<tarvo::Form2>(), "Form2");
    f->run.quitRequested = true;
    h.boxes.answer(mb::Yes);
    f->KeepOnline_Timer();
    ASSERT_TRUE(f->ended());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(closed, (QStringList{QStringLiteral("Form2"), QStringLiteral("frmAbout"), QStringLiteral("frmLogin"),
                                   QStringLiteral("Form8"), QStringLiteral("Form3"), QStringLiteral("Form5"),
                                   QStringLiteral("Form6"), QStringLiteral("Form4")}));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_TRUE(w == f || !w->isVisible()) << w->windowTitle().toStdString();
}
