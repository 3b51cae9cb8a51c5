// Ending the program: the questions on a watched line, and the desktop
// ending it without any.
#include "StartedTarvo.h"
#include "tarvo/Form1.h"
#include "tarvo/Form5.h"
#include "tarvo/Module2.h"
#include "tarvo/frmLogin.h"

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
        f->ConnectedWindow = 77;
        f->SetCstatus(tarvo::CheckLine);
        ASSERT_TRUE(f->LineState.equals(tarvo::LineUp));
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
    f->QuitRequested = true;
    h.boxes.answer(mb::Yes);
    EXPECT_EQ(unload(), 1);
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].title, kExitModeTitle);
    EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::YesNoCancel);
    EXPECT_EQ(f->ExitMode, tarvo::ExitHangUpFirst);
    EXPECT_TRUE(f->WatchConnecting);
    EXPECT_FALSE(f->MessageOpen);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(rows(), 0);

    // The hang-up: the line goes down, its session is recorded, and the
    // next close ends the program without asking again.
    f->ConnectedWindow = -1;
    f->DisconnectIt();
    EXPECT_EQ(f->ExitMode, tarvo::ExitKeepLine);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(rows(), 1);
}

TEST_F(Exit, NoOnAWatchedLineEndsAtOnceAndLeavesTheLineUnrecorded)
{
    watchLiveLine();
    QSignalSpy ended(f, &tarvo::Form1::processEnded);
    f->QuitRequested = true;
    h.boxes.answer(mb::No);
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(f->ExitMode, tarvo::ExitKeepLine);
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
    f->QuitRequested = true;
    h.boxes.answer(mb::Cancel);
    EXPECT_EQ(unload(), 1);
    EXPECT_FALSE(f->QuitRequested);
    EXPECT_EQ(f->ExitMode, tarvo::ExitAsk);
    EXPECT_EQ(f->module2().ScanMode, tarvo::ScanMonitor);
    EXPECT_FALSE(f->WatchConnecting);
    EXPECT_FALSE(f->MessageOpen);
    EXPECT_EQ(rows(), 0);

    f->QuitRequested = true;
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
    EXPECT_TRUE(f->LineState.equals(tarvo::LineUp));
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
    again.LineState = tarvo::LineUp;
    again.TakeOverDeclined = true;
    again.endSession();
    EXPECT_EQ(again.track->recordCount(), 0);
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST_F(Exit, QuitWhileAQuestionWindowIsLoadedClosesIt)
{
    tarvo::Form5 &question = f->window<tarvo::Form5>();
    question.show();
    f->QuitRequested = true;
    h.boxes.answer(mb::Yes);
    EXPECT_EQ(unload(), 0);
    EXPECT_EQ(f->loadedWindow<tarvo::Form5>(), nullptr);
    EXPECT_EQ(f->loadedWindow<tarvo::frmLogin>(), nullptr);
}
