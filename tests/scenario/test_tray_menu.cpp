// The tray menu and the status window: where the menu opens, what its items
// show and do, the one-off timed entry, and the session at a glance. The
// pointer, the foreground window and the tray are the test's; the clock
// moves only when told to.
#include "StartedTarvo.h"
#include "SYSTRAY/TarvoTrayCtl.h"
#include "runtime/Basics.h"
#include "runtime/Format.h"
#include "tarvo/Form1.h"
#include "tarvo/Form3.h"
#include "tarvo/Form5.h"
#include "tarvo/Form6.h"
#include "tarvo/Form8.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace testing_support;
using rt::DateTime;
using rt::Value;
using tarvo::Form3;
using tarvo::Form6;
namespace S = tarvo::Settings;

namespace {

DateTime at(int hour, int minute, int second = 0)
{
    return DateTime::fromParts(2026, 12, 9, hour, minute, second);
}

const QColor kHighlightBack(0, 0, 128);
const QColor kHighlightText(0, 255, 255);

class TrayMenu : public StartedTarvo {
protected:
    void SetUp() override
    {
        StartedTarvo::SetUp();
        h.clock.set(at(10, 0));
        f->setConText(QStringLiteral("Home"));
    }

    bool menuUp() const { return menu() && menu()->isVisible(); }
    // The keyboard works in the menu, as in the window in front.
    static void activate(QWidget &window)
    {
        window.activateWindow();
        QCoreApplication::processEvents();
    }
    // Closed by the desktop, as Alt+F4 or the title bar's button does.
    static void closeFromTitleBar(QWidget &window)
    {
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::instance()->notify(&window, &close);
    }
    Value stored(int ordinal)
    {
        f->settings->moveFirst();
        return f->settings->field(ordinal);
    }
};

} // namespace

// ------------------------------------------------------------ the menu

TEST_F(TrayMenu, OpensAboveAndLeftOfThePointerOnTopAtItsFinalSizeAndASecondClickClosesIt)
{
    offlineInTray();
    h.desktop.cursor = QPoint(700, 520);
    Form3 &m = openMenu();
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Tarvo - Menu"));
    EXPECT_TRUE(m.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(m.isModal());
    EXPECT_EQ(m.minimumSize(), m.maximumSize());
    EXPECT_EQ(m.frameGeometry().topLeft(), QPoint(700 - m.width() - 10, 520 - m.height() - 42));
    EXPECT_TRUE(h.desktop.topmost.contains(h.desktop.handleOf(&m)));
    EXPECT_EQ(m.Label1->text(), QStringLiteral("Go Online"));
    EXPECT_EQ(m.Label7->text(), QStringLiteral("Home"));

    rightClickIcon();
    EXPECT_EQ(menu(), nullptr);
}

namespace {

// The desktop's font half as large again, as a desktop scaled to 150 % has.
class TrayMenuAtLargerFont : public TrayMenu {
protected:
    void SetUp() override
    {
        m_font = QApplication::font();
        QFont bigger = m_font;
        bigger.setPointSizeF(m_font.pointSizeF() * 1.5);
        QApplication::setFont(bigger);
        TrayMenu::SetUp();
    }
    void TearDown() override { QApplication::setFont(m_font); }

private:
    QFont m_font;
};

} // namespace

TEST_F(TrayMenuAtLargerFont, EveryItemHoldsTheLongestCaptionItTakes)
{
    offlineInTray();
    Form3 &m = openMenu();
    const QSize before = m.size();
    m.Label1->setText(QStringLiteral("Go Offline"));
    m.Label8->setText(QStringLiteral("Cancel Auto DisConnect"));
    for (QWidget *item : std::initializer_list<QWidget *>{m.Label1, m.Label2, m.Label5, m.Label6, m.Label8,
                                                          m.Check1, m.Check2}) {
        EXPECT_LE(item->sizeHint().width(), item->width()) << item->property("text").toString().toStdString();
        EXPECT_TRUE(QRect(QPoint(0, 0), m.size()).contains(item->geometry()));
    }
    EXPECT_EQ(m.size(), before);

    const Form6 &status = f->window<Form6>();
    for (const QLabel *label : {status.Label1, status.Label2, status.Label3, status.Label4, status.Label5})
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
}

TEST_F(TrayMenu, ItemUnderThePointerLightsUpAndTheBareSurfaceAndTheBandPutTheColoursBack)
{
    offlineInTray();
    Form3 &m = openMenu();
    const QColor normalBack = Form3::background(m.Label3);
    const QColor normalText = Form3::foreground(m.Label3);
    EXPECT_EQ(Form3::background(m.Label4), kHighlightBack);
    EXPECT_EQ(Form3::foreground(m.Label4), kHighlightText);
    const std::vector<QWidget *> items{m.Label1, m.Label2, m.Label5, m.Label6, m.Label8, m.Check1, m.Check2};
    auto lit = [&](const QWidget *only) {
        for (const QWidget *item : items) {
            const bool on = item == only;
            EXPECT_EQ(Form3::background(item), on ? kHighlightBack : normalBack) << item->objectName().toStdString();
            EXPECT_EQ(Form3::foreground(item), on ? kHighlightText : normalText);
        }
    };
    for (QWidget *item : items) {
        QTest::mouseMove(item, QPoint(3, 3));
        lit(item);
    }
    QTest::mouseMove(&m, QPoint(m.width() - 2, m.height() - 2));
    lit(nullptr);

    // The band refreshes the menu from the main window as it is now.
    QTest::mouseMove(m.Label6, QPoint(3, 3));
    f->Atrec->setChecked(!f->Atrec->isChecked());
    QTest::mouseMove(m.Label9, QPoint(3, 3));
    lit(nullptr);
    EXPECT_EQ(m.Check1->isChecked(), f->Atrec->isChecked());

    // Passing over the connection frame reads the machine's connections
    // again, and the next refresh offers one made meanwhile.
    h.writeRegistry({QStringLiteral("Home"), QStringLiteral("Work"), QStringLiteral("Office")});
    QTest::mouseMove(m.Frame1, QPoint(2, m.Frame1->height() - 2));
    EXPECT_EQ(m.Combo1->count(), 2);
    QTest::mouseMove(m.Label9, QPoint(3, 3));
    EXPECT_EQ(m.Combo1->count(), 3);
    EXPECT_EQ(m.Combo1->itemText(2), QStringLiteral("Office"));
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(TrayMenu, ConnectionBoxTakesAChoiceFromTheListOnlyAndNoneWhileDialing)
{
    offlineInTray();
    Form3 &m = openMenu();
    activate(m);
    ASSERT_EQ(m.Combo1->count(), 2);
    EXPECT_TRUE(m.Combo1->isEnabled());
    EXPECT_EQ(m.Combo1->currentText(), QStringLiteral("Home"));

    // Keys on the box and on its text part, as a keyboard gives them.
    m.Combo1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m.Combo1, Qt::Key_Down);
    QTest::keyClick(m.Combo1, Qt::Key_End);
    QTest::keyClicks(m.Combo1, QStringLiteral("Work"));
    QTest::keyClicks(m.Combo1->lineEdit(), QStringLiteral("Wo"));
    QTest::keyClick(m.Combo1->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(m.Combo1->currentText(), QStringLiteral("Home"));
    EXPECT_EQ(f->conText(), QStringLiteral("Home"));
    EXPECT_EQ(stored(S::LastConnection), Value("Home"));

    // Picked from the opened list: the main window takes it and keeps it.
    m.Combo1->showPopup();
    QTest::keyClick(m.Combo1->view(), Qt::Key_Down);
    QTest::keyClick(m.Combo1->view(), Qt::Key_Return);
    EXPECT_EQ(f->conText(), QStringLiteral("Work"));
    EXPECT_EQ(stored(S::LastConnection), Value("Work"));
    EXPECT_EQ(m.Label7->text(), QStringLiteral("Work"));
    m.Label5_Click();

    f->Com_Click(0);
    EXPECT_FALSE(openMenu().Combo1->isEnabled());
    EXPECT_EQ(menu()->Label1->text(), QStringLiteral("Go Offline"));
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(TrayMenu, OptionsAndCommandsDoTheirWorkAndCommandsCloseTheMenu)
{
    offlineInTray();
    f->Atrec->setChecked(false);
    Form3 &m = openMenu();
    EXPECT_FALSE(m.Check1->isChecked());
    m.Check1->click();
    EXPECT_TRUE(f->Atrec->isChecked());
    QTest::keyClick(&m, Qt::Key_Escape);
    EXPECT_EQ(menu(), nullptr);
    closeFromTitleBar(openMenu());
    EXPECT_EQ(menu(), nullptr);

    QTest::mouseClick(openMenu().Label5, Qt::LeftButton);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_TRUE(f->TrayView1->InTray());
    EXPECT_TRUE(f->isHidden());

    QTest::mouseClick(openMenu().Label2, Qt::LeftButton);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_TRUE(f->run.quitRequested);
    f->run.quitRequested = false;

    QTest::mouseClick(openMenu().Label1, Qt::LeftButton);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_TRUE(f->dial.inProgress);
    EXPECT_EQ(f->Com[0]->text(), tarvo::kGoOffline);

    QTest::mouseClick(openMenu().Label6, Qt::LeftButton);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_FALSE(f->TrayView1->InTray());
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(TrayMenu, TickDismissesTheMenuOnceAnotherWindowIsInFront)
{
    offlineInTray();
    Form3 &m = openMenu();
    h.desktop.setForegroundWindow(h.desktop.handleOf(&m));
    f->KeepOnline_Timer();
    ASSERT_TRUE(menuUp());
    h.desktop.setForegroundWindow(h.desktop.open(QStringLiteral("Untitled - Notepad")));
    f->KeepOnline_Timer();
    EXPECT_EQ(menu(), nullptr);
}

// ---------------------------------------------------- the timed entry

TEST_F(TrayMenu, TimedEntryCaptionFollowsTheLineAndTheStoredScheduleAfterMoreSettingsClosed)
{
    offlineInTray();
    EXPECT_EQ(openMenu().Label8->text(), QStringLiteral("Auto Connection At"));
    EXPECT_TRUE(menu()->Text1->isHidden());
    menu()->Label5_Click();

    h.boxes.onModal([&](QDialog &dialog) {
        auto &more = static_cast<tarvo::Form8 &>(dialog);
        more.AlarmStart->click();
        more.Alarm[0]->setText(QStringLiteral("6:00 am"));
        more.Alarm[1]->setText(QStringLiteral("6:30 am"));
        h.boxes.answer(platform::mb::Ok);   // usage tracked without a rate
        more.Com[0]->click();
    });
    f->Settings_Click();
    ASSERT_TRUE(f->triggers.scheduleArmed);
    EXPECT_EQ(openMenu().Label8->text(), QStringLiteral("Cancel Auto Connect"));
    EXPECT_FALSE(menu()->Text1->isHidden());
    menu()->Label5_Click();

    f->Com_Click(0);
    Form3 &m = openMenu();
    EXPECT_EQ(m.Label8->text(), QStringLiteral("Cancel Auto DisConnect"));
    EXPECT_EQ(m.Text1->text(), QStringLiteral("6:30 am"));
    // Shown only: the connect time is not overwritten by opening the menu.
    EXPECT_EQ(stored(S::ConnectTime), Value("6:00 am"));

    QTest::mouseClick(m.Label8, Qt::LeftButton);
    EXPECT_EQ(m.Label8->text(), QStringLiteral("Auto Disconnect At"));
    EXPECT_TRUE(m.Text1->isHidden());
    EXPECT_FALSE(rt::isTrue(stored(S::AlarmStart)));
    EXPECT_FALSE(f->triggers.scheduleArmed);
    EXPECT_FALSE(f->window<tarvo::Form8>().AlarmStart->isChecked());

    activate(m);
    QTest::mouseClick(m.Label8, Qt::LeftButton);
    EXPECT_EQ(m.Label8->text(), QStringLiteral("Cancel Auto Disconnect"));
    EXPECT_FALSE(m.Text1->isHidden());
    EXPECT_TRUE(m.Text1->hasFocus());
    m.Label5_Click();
    EXPECT_EQ(openMenu().Label8->text(), QStringLiteral("Auto Disconnect At"));
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(TrayMenu, TypedTimeArmsConnectAndDisconnectAtItAndTheScheduleActsOnIt)
{
    offlineInTray();
    Form3 &m = openMenu();
    activate(m);
    QTest::mouseClick(m.Label8, Qt::LeftButton);
    QTest::keyClicks(m.Text1, QStringLiteral("7:15 am"));

    EXPECT_EQ(m.Text1->text(), QStringLiteral("07:15 am"));
    tarvo::Form8 &more = f->window<tarvo::Form8>();
    EXPECT_TRUE(more.AlarmStart->isChecked());
    EXPECT_EQ(more.Alarm[0]->text(), QStringLiteral("07:15 am"));
    EXPECT_EQ(more.Alarm[1]->text(), QStringLiteral("07:15 am"));
    EXPECT_TRUE(rt::isTrue(stored(S::AlarmStart)));
    EXPECT_EQ(stored(S::ConnectTime), Value("07:15 am"));
    EXPECT_EQ(stored(S::DisconnectTime), Value("07:15 am"));
    EXPECT_TRUE(f->triggers.scheduleArmed);
    EXPECT_EQ(f->triggers.connectAt, Value("07:15 am"));
    EXPECT_EQ(f->triggers.disconnectAt.toDate().time(), QTime(7, 15));

    // Deleting is not tidied up behind the user.
    QTest::keyClick(m.Text1, Qt::Key_Backspace);
    EXPECT_EQ(m.Text1->text(), QStringLiteral("07:15 a"));
    QTest::keyClicks(m.Text1, QStringLiteral("m"));
    m.Label5_Click();

    h.clock.set(DateTime::fromParts(2026, 12, 10, 7, 14, 59));
    f->KeepOnline_Timer();
    h.clock.set(DateTime::fromParts(2026, 12, 10, 7, 15, 0));
    f->KeepOnline_Timer();
    const tarvo::Form5 *question = f->loadedWindow<tarvo::Form5>();
    ASSERT_TRUE(question && question->isVisible());
    EXPECT_FALSE(question->Label5->isHidden());
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(TrayMenu, TimeThatIsNoTimeIsDroppedWhenLeftButTheCancelCaptionStays)
{
    offlineInTray();
    Form3 &m = openMenu();
    activate(m);
    QTest::mouseClick(m.Label8, Qt::LeftButton);
    // Not a time at any point of the typing.
    QTest::keyClicks(m.Text1, QStringLiteral("25:00 pm"));
    EXPECT_FALSE(f->triggers.scheduleArmed);
    m.Combo1->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m.Text1->isHidden());
    EXPECT_EQ(m.Label8->text(), QStringLiteral("Cancel Auto Connect"));
    EXPECT_FALSE(rt::isTrue(stored(S::AlarmStart)));
    EXPECT_FALSE(f->window<tarvo::Form8>().AlarmStart->isChecked());

    // A proper time stays where it is when left.
    QTest::mouseClick(m.Label8, Qt::LeftButton);
    m.Text1->setText(QStringLiteral("18:30"));
    m.Combo1->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_FALSE(m.Text1->isHidden());
    EXPECT_TRUE(f->triggers.scheduleArmed);
}

// --------------------------------------------------- the status window

namespace {

class StatusWindow : public TrayMenu {
protected:
    void SetUp() override
    {
        TrayMenu::SetUp();
        onlineInTray();
        h.clock.set(at(10, 12, 30));
        f->Backup_Timer();
    }
    // Opened from the menu's box, as the user does.
    Form6 &openStatus()
    {
        Form3 &m = openMenu();
        EXPECT_TRUE(m.Check2->isEnabled());
        EXPECT_FALSE(m.Check2->isChecked());
        m.Check2->click();
        Form6 *status = f->loadedWindow<Form6>();
        EXPECT_TRUE(status && status->isVisible());
        return *status;
    }
};

} // namespace

TEST_F(StatusWindow, WithoutARateShowsZeroForBothCostsAndTheTimerLeavesTheTotal)
{
    Form6 &status = openStatus();
    EXPECT_EQ(status.windowTitle(), QStringLiteral("Tarvo - Status Window"));
    EXPECT_EQ(status.Label4->text(), QStringLiteral("Cost / hour"));
    EXPECT_EQ(status.Disp[0]->text(), QStringLiteral("Home"));
    EXPECT_EQ(status.Disp[1]->text(), f->session.start.toString());
    EXPECT_EQ(status.Disp[1]->text(), rt::generalDate(at(10, 0)));
    EXPECT_EQ(status.Disp[2]->text(), QStringLiteral("Tarvo - 0 hrs 12 mins"));
    EXPECT_EQ(status.Disp[3]->text(), QStringLiteral("0"));
    EXPECT_EQ(status.Disp[4]->text(), QStringLiteral("0"));

    h.clock.set(at(11, 5));
    f->Backup_Timer();
    EXPECT_EQ(status.Disp[2]->text(), QStringLiteral("1 Hrs 5 Mins"));
    EXPECT_EQ(status.Disp[4]->text(), QStringLiteral("0"));
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(StatusWindow, TotalCostIsShortAtLoadAndPaddedByTheTimer)
{
    f->Usetting(S::CPerHr, 1.25);
    Form6 &status = openStatus();
    EXPECT_EQ(status.Disp[3]->text(), QStringLiteral("1.25"));
    EXPECT_EQ(status.Disp[4]->text(), QStringLiteral(".25"));
    f->Backup_Timer();
    EXPECT_EQ(status.Disp[2]->text(), QStringLiteral("0 Hrs 12 Mins"));
    EXPECT_EQ(status.Disp[4]->text(), QStringLiteral("00.25"));
}

TEST_F(StatusWindow, ClearingTheBoxClosesItAndTheMenuShowsItOpenNextTime)
{
    openStatus();
    menu()->Label5_Click();
    EXPECT_TRUE(openMenu().Check2->isChecked());
    menu()->Check2->click();
    EXPECT_EQ(f->loadedWindow<Form6>(), nullptr);

    // Closed by the user instead, it goes altogether and is filled afresh.
    menu()->Label5_Click();
    closeFromTitleBar(openStatus());
    EXPECT_EQ(f->loadedWindow<Form6>(), nullptr);
}

TEST_F(StatusWindow, GoesWithTheSessionIconAndGreysTheMenuBox)
{
    openStatus();
    h.desktop.setForegroundWindow(h.desktop.handleOf(menu()));
    tarvo::Form1::putInTray(*f->TrayView2, false);
    f->Backup_Timer();
    EXPECT_EQ(f->loadedWindow<Form6>(), nullptr);
    ASSERT_TRUE(menuUp());
    EXPECT_FALSE(menu()->Check2->isEnabled());
}

TEST_F(StatusWindow, ShowMainTakesTheSessionIconOut)
{
    QTest::mouseClick(openMenu().Label6, Qt::LeftButton);
    EXPECT_FALSE(f->TrayView2->InTray());
    EXPECT_TRUE(f->isVisible());
}

TEST_F(TrayMenu, StatusWindowIsGreyedWithoutASessionAndOpenedAnywayClosesAtOnce)
{
    offlineInTray();
    Form3 &m = openMenu();
    EXPECT_FALSE(m.Check2->isEnabled());
    // Set by the program all the same: the window finds no session, goes
    // at once and clears the box.
    m.Check2->setChecked(true);
    EXPECT_FALSE(m.Check2->isChecked());
    EXPECT_EQ(f->loadedWindow<Form6>(), nullptr);
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}
