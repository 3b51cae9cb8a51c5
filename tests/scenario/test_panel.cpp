// The settings panel: the arrows, the option boxes saved at once, the
// fold, and the tips a right click shows.
#include "StartedTarvo.h"
#include "runtime/Basics.h"
#include "tarvo/Form1.h"
#include "tarvo/IntervalTimer.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using rt::Value;

namespace {

class Panel : public StartedTarvo {
protected:
    void SetUp() override
    {
        StartedTarvo::SetUp();
        f->Details_Click();
        ASSERT_FALSE(f->isCompact());
    }
    // A real click on the arrow at the top (up) or bottom of the bar.
    static void press(QScrollBar *bar, bool up)
    {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        option.upsideDown = bar->invertedAppearance();
        const QRect arrow = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                         up ? QStyle::SC_ScrollBarSubLine : QStyle::SC_ScrollBarAddLine, bar);
        QTest::mouseClick(bar, Qt::LeftButton, {}, arrow.center());
    }
    Value stored(int field)
    {
        f->settings->moveFirst();
        return f->settings->field(field);
    }
};

} // namespace

TEST_F(Panel, TheDelayArrowsStepWithinTheirRangeAndTheMonitorFollowsAtOnce)
{
    f->DelayChange->setValue(8800);
    press(f->DelayChange, true);
    EXPECT_EQ(f->Delay->text(), QStringLiteral("8900"));
    EXPECT_EQ(f->KeepOnline->interval(), 8900);
    press(f->DelayChange, true);
    press(f->DelayChange, true);
    EXPECT_EQ(f->Delay->text(), QStringLiteral("9000"));
    EXPECT_EQ(stored(tarvo::Settings::Delay).toLong(), 9000);
    EXPECT_EQ(f->KeepOnline->interval(), 9000);
    press(f->DelayChange, false);
    EXPECT_EQ(f->KeepOnline->interval(), 8900);
    // The keys go the same way as the arrows.
    f->DelayChange->setFocus();
    QTest::keyClick(f->DelayChange, Qt::Key_Down);
    EXPECT_EQ(f->Delay->text(), QStringLiteral("8800"));
    QTest::keyClick(f->DelayChange, Qt::Key_Up);
    EXPECT_EQ(f->Delay->text(), QStringLiteral("8900"));

    // The boxes take no typing: only the arrows change them.
    EXPECT_TRUE(f->Delay->isReadOnly());
    f->Delay->setFocus();
    QTest::keyClicks(f->Delay, QStringLiteral("1"));
    EXPECT_EQ(f->Delay->text(), QStringLiteral("8900"));
    EXPECT_EQ(f->KeepOnline->interval(), 8900);
}

TEST_F(Panel, WaitAndTriesAreStoredAsTheirBoxesShow)
{
    f->WaitChange->setValue(5);
    press(f->WaitChange, false);
    EXPECT_EQ(f->Wait->text(), QStringLiteral("5"));
    press(f->WaitChange, true);
    EXPECT_EQ(f->Wait->text(), QStringLiteral("6"));
    EXPECT_EQ(stored(tarvo::Settings::Wait).toLong(), 6);

    f->MaxTryChange->setValue(200);
    press(f->MaxTryChange, true);
    press(f->MaxTryChange, false);
    EXPECT_EQ(f->MaxTry->text(), QStringLiteral("199"));
    EXPECT_EQ(f->options.maxTries, 199);
    EXPECT_EQ(stored(tarvo::Settings::MaxTry).toLong(), 199);
}

TEST_F(Panel, OptionBoxesAreStoredAtOnceAndReconnectionIsNeverStored)
{
    QTest::mouseClick(f->Shrink, Qt::LeftButton);
    QTest::mouseClick(f->AutoConnect, Qt::LeftButton);
    EXPECT_TRUE(rt::isTrue(stored(tarvo::Settings::Shrink)));
    EXPECT_TRUE(rt::isTrue(stored(tarvo::Settings::AutoConnect)));
    QTest::mouseClick(f->Shrink, Qt::LeftButton);
    EXPECT_FALSE(rt::isTrue(stored(tarvo::Settings::Shrink)));

    QTest::mouseClick(f->Atrec, Qt::LeftButton);
    EXPECT_FALSE(f->Atrec->isChecked());
    QTest::mouseClick(f->AutoConnect, Qt::LeftButton);
    h.endForm();
    tarvo::Form1 &again = h.start();
    EXPECT_TRUE(again.Atrec->isChecked());
    EXPECT_FALSE(again.Shrink->isChecked());
}

TEST_F(Panel, UntickingMonitorTakesEffectAtOnceTickingItAtTheNextFold)
{
    ASSERT_TRUE(f->Monitor->isChecked());
    QTest::mouseClick(f->Monitor, Qt::LeftButton);
    EXPECT_TRUE(f->options.monitorOff);
    EXPECT_EQ(stored(tarvo::Settings::Monitor).toLong(), 0);
    QTest::mouseClick(f->Monitor, Qt::LeftButton);
    EXPECT_EQ(stored(tarvo::Settings::Monitor).toLong(), 1);
    EXPECT_TRUE(f->options.monitorOff);
    f->Details_Click();
    EXPECT_FALSE(f->options.monitorOff);
}

TEST_F(Panel, WhileOpenTheButtonRowRestsAndFoldedThePanelIsOutOfReach)
{
    QTest::mouseClick(f->Com[0], Qt::LeftButton);
    QTest::mouseClick(f->Com[1], Qt::LeftButton);
    EXPECT_EQ(f->Com[0]->text(), tarvo::kGoOnline);
    EXPECT_TRUE(f->isVisible());

    QTest::mouseMove(f->Details);
    EXPECT_EQ(f->Details->toolTip(), QStringLiteral(" Click To Hide Settings "));
    QTest::mouseClick(f->Details, Qt::LeftButton);
    ASSERT_TRUE(f->isCompact());
    QTest::mouseMove(f->Details, QPoint(3, 3));
    EXPECT_EQ(f->Details->toolTip(), QStringLiteral(" Click To View Settings "));
    for (QWidget *w : std::initializer_list<QWidget *>{f->Shrink, f->AutoConnect, f->Monitor, f->UserPwd,
                                                        f->DelayChange, f->WaitChange, f->MaxTryChange, f->Usage,
                                                        f->Settings})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(f->Com[0]->isEnabled());
}

TEST_F(Panel, TheDelayCaptionGivesTheArrowsTheFocus)
{
    f->activateWindow();
    QTest::mouseClick(f->Label2, Qt::LeftButton);
    EXPECT_TRUE(f->DelayChange->hasFocus());
}

TEST_F(Panel, TabReachesEachPairOfArrowsAfterItsBoxAndTheUpKeyRaisesItsNumber)
{
    f->activateWindow();
    f->Delay->setFocus(Qt::TabFocusReason);
    const QWidget *expected[] = {f->DelayChange, f->Wait, f->WaitChange, f->MaxTry, f->MaxTryChange};
    for (const QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), next);
    }
    const int tries = f->MaxTry->text().toInt();
    QTest::keyClick(f->MaxTryChange, Qt::Key_Up);
    EXPECT_EQ(f->MaxTry->text().toInt(), tries + 1);

    // A click on the arrows changes the number and leaves the focus alone.
    f->Delay->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(f->WaitChange, Qt::LeftButton, {}, QPoint(f->WaitChange->width() / 2, 2));
    EXPECT_EQ(QApplication::focusWidget(), f->Delay);
}

TEST_F(Panel, ARightClickShowsTheOptionsTipAndChangesNothing)
{
    const bool before = f->Atrec->isChecked();
    const int tick = f->KeepOnline->interval();
    h.boxes.answer(platform::mb::Ok);
    QTest::mouseClick(f->Atrec, Qt::RightButton);
    EXPECT_EQ(f->Atrec->isChecked(), before);
    EXPECT_EQ(f->KeepOnline->interval(), tick);
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    const ShownBox &tip = h.boxes.shown()[0];
    EXPECT_EQ(tip.title, QStringLiteral(" Tarvo - Tip "));
    EXPECT_EQ(tip.icon(), platform::mb::Information);
    const QString crlf = QStringLiteral("\r\n");
    EXPECT_TRUE(tip.prompt.startsWith(QStringLiteral("AUTOMATIC RECONNECTION") + crlf + crlf
                                      + QStringLiteral("   This Option Specifies Whether Tarvo Should") + crlf));
    EXPECT_TRUE(tip.prompt.contains(QStringLiteral(" Start Reconnecting Otherwise Not.") + crlf + crlf
                                    + QStringLiteral("       This Option Is Always Selected Each And Every ") + crlf));
    EXPECT_TRUE(tip.prompt.endsWith(QStringLiteral(" Tarvo Starts This Option Will Be Checked.") + crlf));

    // Each of the other six, under its own caption; a left click shows none.
    const std::pair<QWidget *, QString> others[] = {
        {f->AutoConnect, QStringLiteral("CONNECT AS SOON AS TARVO STARTS.")},
        {f->Monitor, QStringLiteral("MONITOR EXTERNAL CONNECTIONS.")},
        {f->Shrink, QStringLiteral("SHRINK TO TRAY WHEN TARVO STARTS.")},
        {f->Label2, QStringLiteral("MILLI SECONDS TO WAIT BETWEEN TWO STEPS.")},
        {f->Label3, QStringLiteral("SECONDS TO WAIT FOR CONNECTION AFTER DIALING.")},
        {f->Label4, QStringLiteral("MAX. NO OF TRIES FOR MAKING A CONNECTION.")}};
    for (const auto &[control, caption] : others) {
        h.boxes.clear();
        h.boxes.answer(platform::mb::Ok);
        QTest::mouseClick(control, Qt::RightButton);
        ASSERT_EQ(h.boxes.shown().size(), 1u) << caption.toStdString();
        EXPECT_TRUE(h.boxes.shown()[0].prompt.startsWith(caption + crlf + crlf)) << caption.toStdString();
    }
    EXPECT_TRUE(h.boxes.shown()[0].prompt.endsWith(QStringLiteral(" To Establish A Connection, Before Stopping. ")));
    EXPECT_EQ(stored(tarvo::Settings::Monitor).toLong(), 1);
    EXPECT_FALSE(rt::isTrue(stored(tarvo::Settings::Shrink)));
}
