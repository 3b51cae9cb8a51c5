// Handlers that run inside a monitor tick. The tick lets waiting window
// messages run at fixed points, and the scanner does so at the first window
// it reads and then every few dozen, so a click can land in the middle of a
// scan; the rest of the tick then works from what the click changed.
#include "MonitorTicks.h"
#include "RealDesktop.h"
#include "tarvo/Form1.h"
#include "tarvo/Module2.h"

#include <QPushButton>
#include <memory>
#include <vector>
#include <gtest/gtest.h>
#include <ostream>

using namespace testing_support;

namespace {

enum class Moment { FirstYield, LastYield };

void PrintTo(Moment m, std::ostream *os)
{
    *os << (m == Moment::FirstYield ? "at the scan's first yield" : "at the scan's last yield");
}

class YieldPoints : public ::testing::TestWithParam<Moment>, public MonitorTicks {
protected:
    YieldPoints() : MonitorTicks(100) {}
    void SetUp() override
    {
        // Enough other windows for a scan to yield several times; never
        // shown, they are walked after every shown one.
        for (int i = 0; i < 3 * tarvo::Module2::kWindowsPerYield; ++i)
            others.push_back(std::make_unique<QWidget>());
        d.writeRegistry({QStringLiteral("Open")});
        d.writeScript(QStringLiteral("[Open]\ndial = 2\nverify = 2\nconnect = 1\n"));
        f = &d.start();
        f->setConText(QStringLiteral("Open"));
        f->Com_Click(0);
        ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    }
    void passSecond() override { d.pass(1); }

    RealDesktop d;
    std::vector<std::unique_ptr<QWidget>> others;
};

} // namespace

TEST_P(YieldPoints, GoOfflinePressedWhileTheTickScansHangsUpWithinThatTick)
{
    // A tick on a quiet line yields once before its steps, once before the
    // scan, at the scan's yield points and once after the scan.
    d.pass(1);
    const int before = d.events.yields();
    f->KeepOnline_Timer();
    const int scanYields = d.events.yields() - before - 3;
    ASSERT_GE(scanYields, 3);
    ASSERT_TRUE(lineUp());
    const platform::Hwnd connected = f->dial.connectedWindow;
    ASSERT_GT(connected, 0);

    const int at = GetParam() == Moment::FirstYield ? 3 : 2 + scanYields;
    platform::Hwnd seenByScanSoFar = 0;
    d.pass(1);
    d.events.at(at, [&] {
        seenByScanSoFar = f->dial.connectedWindow;
        f->Com[0]->click();
    });
    f->KeepOnline_Timer();

    // The click came in mid-scan: the scan had started afresh, and had got
    // as far as the connected window only when pressed at its last yield.
    EXPECT_EQ(seenByScanSoFar, GetParam() == Moment::FirstYield ? -1 : connected);
    // The rest of the same tick went offline: hang-up sent, session closed.
    EXPECT_FALSE(online());
    EXPECT_FALSE(f->dial.inProgress);
    EXPECT_FALSE(f->dial.stayConnected);
    EXPECT_TRUE(f->session.lineState.equals(0));
    EXPECT_EQ(f->track->recordCount(), 1);
    d.settle();
    EXPECT_FALSE(d.dialup.isConnected(QStringLiteral("Open")));

    // Nothing dials again, and nothing is written or asked twice.
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting; }));
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_FALSE(d.window(QStringLiteral("Connect To")));
    EXPECT_FALSE(d.window(QStringLiteral("Connected to Open")));
    EXPECT_EQ(f->track->recordCount(), 1);
    EXPECT_TRUE(d.boxes.shown().empty());
    EXPECT_TRUE(d.errorLogLines().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Moments, YieldPoints, ::testing::Values(Moment::FirstYield, Moment::LastYield),
                         [](const ::testing::TestParamInfo<Moment> &moment) {
                             return moment.param == Moment::FirstYield ? "AtTheScansFirstYield" : "AtTheScansLastYield";
                         });
