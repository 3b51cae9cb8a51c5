// Reaching Tarvo without the mouse: every control a screen reader meets has
// a name, and the tray menu, whose commands are labels, answers the arrows,
// Enter and Escape as it answers the mouse.
#include "StartedTarvo.h"
#include "SYSTRAY/TarvoTrayCtl.h"
#include "tarvo/Form1.h"
#include "tarvo/Form2.h"
#include "tarvo/Form3.h"
#include "tarvo/Form4.h"
#include "tarvo/Form5.h"
#include "tarvo/Form6.h"
#include "tarvo/Form8.h"
#include "tarvo/frmAbout.h"
#include "tarvo/frmLogin.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace testing_support;
using rt::DateTime;
using tarvo::Form3;

namespace {

// A scroll bar that belongs to a list or text area is part of it; one that
// stands alone is an up-down control of its own.
bool partOfScrollArea(const QObject *object)
{
    const auto *bar = qobject_cast<const QScrollBar *>(object);
    for (const QObject *up = object ? object->parent() : nullptr; bar && up; up = up->parent())
        if (const auto *area = qobject_cast<const QAbstractScrollArea *>(up))
            if (area->verticalScrollBar() == bar || area->horizontalScrollBar() == bar)
                return true;
    return false;
}

bool isControl(QAccessibleInterface *node)
{
    switch (node->role()) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
        return true;
    case QAccessible::ScrollBar:
        return !partOfScrollArea(node->object());
    default:
        return false;
    }
}

// A control's own parts (a box's list, a list's rows) are not walked into:
// the screen reader names them from the control.
bool hasParts(QAccessibleInterface *node)
{
    switch (node->role()) {
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::ScrollBar:
        return true;
    default:
        return false;
    }
}

// What a screen reader calls a control: its name, or on desktops that name a
// box by what it holds (as this one does), the label the box is tied to.
QString spokenName(QAccessibleInterface *node)
{
    const QString name = node->text(QAccessible::Name).trimmed();
    if (!name.isEmpty() && node->role() != QAccessible::ComboBox)
        return name;
    for (const auto &[label, relation] : node->relations(QAccessible::Label))
        if (const QString text = label->text(QAccessible::Name).trimmed(); !text.isEmpty())
            return text;
    return name;
}

// The controls under `node` that a screen reader cannot name, by class and
// role; `controls` counts those met.
void walk(QAccessibleInterface *node, QStringList &unnamed, int &controls)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        if (!child)
            continue;
        if (isControl(child)) {
            ++controls;
            if (spokenName(child).isEmpty())
                unnamed << QString::fromLatin1(child->object()->metaObject()->className()) + QLatin1Char(' ')
                        + QString::number(child->role());
        }
        if (!hasParts(child))
            walk(child, unnamed, controls);
    }
}

class ScreenReader : public StartedTarvo {
protected:
    void expectEveryControlNamed(QWidget &window, int atLeast)
    {
        QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&window);
        ASSERT_NE(root, nullptr);
        QStringList unnamed;
        int controls = 0;
        walk(root, unnamed, controls);
        EXPECT_GE(controls, atLeast) << window.windowTitle().toStdString();
        EXPECT_TRUE(unnamed.isEmpty()) << window.windowTitle().toStdString() << ": "
                                       << unnamed.join(QStringLiteral(", ")).toStdString();
    }
    static QString nameOf(QWidget *w) { return spokenName(QAccessible::queryAccessibleInterface(w)); }
};

} // namespace

TEST_F(ScreenReader, EveryControlOfEveryWindowHasAName)
{
    f->Details_Click();
    expectEveryControlNamed(*f, 15);
    expectEveryControlNamed(f->window<tarvo::Form2>(), 1);
    expectEveryControlNamed(f->window<Form3>(), 4);
    expectEveryControlNamed(f->window<tarvo::Form4>(), 20);
    expectEveryControlNamed(f->window<tarvo::Form5>(), 2);
    expectEveryControlNamed(f->window<tarvo::Form6>(), 0);
    expectEveryControlNamed(f->window<tarvo::Form8>(), 12);
    expectEveryControlNamed(f->window<tarvo::frmAbout>(), 3);
    expectEveryControlNamed(f->window<tarvo::frmLogin>(), 6);
}

TEST_F(ScreenReader, FieldsAreNamedByTheCaptionBesideThemWhateverTheyHold)
{
    // The connection boxes hold a name that changes; the field is named
    // for what it is.
    f->setConText(QStringLiteral("Home"));
    EXPECT_EQ(nameOf(f->Con), QStringLiteral("Connection"));
    EXPECT_EQ(nameOf(f->window<tarvo::Form4>().Cday), QStringLiteral("Day"));
    EXPECT_EQ(nameOf(f->window<Form3>().Combo1), QStringLiteral("Connection"));
    EXPECT_EQ(nameOf(f->DelayChange), f->Label2->text());
    EXPECT_EQ(nameOf(f->Delay), f->Label2->text());
    EXPECT_EQ(nameOf(f->MaxTryChange), f->Label4->text());

    tarvo::Form8 &more = f->window<tarvo::Form8>();
    EXPECT_EQ(nameOf(more.Alarm[0]), more.Label1->text());
    EXPECT_EQ(nameOf(more.Alarm[1]), more.Label2->text());
    EXPECT_EQ(nameOf(more.CPerHr), more.Label3->text());

    tarvo::frmLogin &login = f->window<tarvo::frmLogin>();
    EXPECT_EQ(nameOf(login.txtUserName), QStringLiteral("User Name:"));
    EXPECT_EQ(nameOf(login.txtPassword), QStringLiteral("Password:"));
}

// ------------------------------------------------- the tray menu by keys

namespace {

class TrayMenuKeys : public StartedTarvo {
protected:
    void SetUp() override
    {
        StartedTarvo::SetUp();
        h.clock.set(DateTime::fromParts(2026, 12, 9, 10, 0, 0));
        f->setConText(QStringLiteral("Home"));
    }
    // Opened by a right click on the icon, with the keyboard in it.
    Form3 &openMenu()
    {
        Form3 &m = StartedTarvo::openMenu();
        m.activateWindow();
        QCoreApplication::processEvents();
        return m;
    }

    // The item in the highlight colours, the rest in the normal ones; null
    // when none is lit. Fails on any other mixture.
    static const QWidget *lit(const Form3 &m)
    {
        const QWidget *found = nullptr;
        for (const QWidget *item : order(m)) {
            const bool on = Form3::background(item) == Form3::background(m.Label4)
                && Form3::foreground(item) == Form3::foreground(m.Label4);
            const bool off = Form3::background(item) == Form3::background(m.Label3)
                && Form3::foreground(item) == Form3::foreground(m.Label3);
            EXPECT_TRUE(on != off) << "item in neither colours";
            if (on) {
                EXPECT_EQ(found, nullptr) << "two items lit";
                found = item;
            }
        }
        return found;
    }
    static std::vector<const QWidget *> order(const Form3 &m)
    {
        return {m.Label1, m.Label6, m.Check1, m.Check2, m.Label8, m.Label5, m.Label2};
    }
};

} // namespace

TEST_F(TrayMenuKeys, ArrowsLightTheItemsTopToBottomAndRoundTheEnds)
{
    onlineInTray();
    Form3 &m = openMenu();
    ASSERT_TRUE(m.Check2->isEnabled());
    EXPECT_EQ(lit(m), nullptr);
    for (const QWidget *expected : order(m)) {
        QTest::keyClick(&m, Qt::Key_Down);
        EXPECT_EQ(lit(m), expected);
    }
    QTest::keyClick(&m, Qt::Key_Down);
    EXPECT_EQ(lit(m), m.Label1);
    QTest::keyClick(&m, Qt::Key_Up);
    EXPECT_EQ(lit(m), m.Label2);

    // From nothing lit, Up starts at the bottom.
    QTest::mouseMove(&m, QPoint(m.width() - 2, m.height() - 2));
    EXPECT_EQ(lit(m), nullptr);
    QTest::keyClick(&m, Qt::Key_Up);
    EXPECT_EQ(lit(m), m.Label2);
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(TrayMenuKeys, GreyedStatusBoxLightsAsUnderTheMouseAndEnterOnItDoesNothing)
{
    offlineInTray();
    Form3 &m = openMenu();
    ASSERT_FALSE(m.Check2->isEnabled());
    QTest::mouseMove(m.Check2, QPoint(3, 3));
    ASSERT_EQ(lit(m), m.Check2);

    QTest::mouseMove(m.Check1, QPoint(3, 3));
    QTest::keyClick(&m, Qt::Key_Down);
    EXPECT_EQ(lit(m), m.Check2);
    QTest::keyClick(&m, Qt::Key_Return);
    EXPECT_FALSE(m.Check2->isChecked());
    EXPECT_EQ(f->loadedWindow<tarvo::Form6>(), nullptr);
    EXPECT_EQ(menu(), &m);
    QTest::keyClick(&m, Qt::Key_Down);
    EXPECT_EQ(lit(m), m.Label8);
}

TEST_F(TrayMenuKeys, KeysGoOnFromWhereTheMouseLeftTheLightAndLightAsTheMouseDoes)
{
    offlineInTray();
    Form3 &m = openMenu();
    QTest::mouseMove(m.Label6, QPoint(3, 3));
    ASSERT_EQ(lit(m), m.Label6);
    const QPalette byMouse = m.Label6->palette();
    const QPalette normalByMouse = m.Label8->palette();
    QTest::keyClick(&m, Qt::Key_Down);
    EXPECT_EQ(lit(m), m.Check1);
    QTest::keyClick(&m, Qt::Key_Down);
    EXPECT_EQ(lit(m), m.Check2);
    QTest::keyClick(&m, Qt::Key_Down);
    EXPECT_EQ(lit(m), m.Label8);
    EXPECT_EQ(m.Label8->palette().color(QPalette::Window), byMouse.color(QPalette::Window));
    EXPECT_EQ(m.Label8->palette().color(QPalette::WindowText), byMouse.color(QPalette::WindowText));
    EXPECT_EQ(m.Label6->palette().color(QPalette::Window), normalByMouse.color(QPalette::Window));
    EXPECT_EQ(m.Label6->palette().color(QPalette::WindowText), normalByMouse.color(QPalette::WindowText));

    // And the mouse takes the light back wherever the keys left it.
    QTest::mouseMove(m.Label2, QPoint(3, 3));
    EXPECT_EQ(lit(m), m.Label2);
    QTest::keyClick(&m, Qt::Key_Up);
    EXPECT_EQ(lit(m), m.Label5);
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}

TEST_F(TrayMenuKeys, EnterActsOnTheLitItemAsAClickAndEscapeHidesTheMenu)
{
    offlineInTray();
    f->Atrec->setChecked(false);
    Form3 &m = openMenu();
    // Nothing lit: Enter does nothing.
    QTest::keyClick(&m, Qt::Key_Return);
    ASSERT_EQ(menu(), &m);

    // Reconnect: ticked and passed on, the menu stays.
    QTest::keyClick(&m, Qt::Key_Down);
    QTest::keyClick(&m, Qt::Key_Down);
    QTest::keyClick(&m, Qt::Key_Down);
    ASSERT_EQ(lit(m), m.Check1);
    QTest::keyClick(&m, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(m.Check1->isChecked());
    EXPECT_TRUE(f->Atrec->isChecked());
    QTest::keyClick(&m, Qt::Key_Return);
    EXPECT_FALSE(f->Atrec->isChecked());
    ASSERT_EQ(menu(), &m);

    // The timed entry opens its box with the keyboard in it; Enter there
    // ends the time and is no command.
    QTest::keyClick(&m, Qt::Key_Down);
    QTest::keyClick(&m, Qt::Key_Down);
    ASSERT_EQ(lit(m), m.Label8);
    QTest::keyClick(&m, Qt::Key_Return);
    EXPECT_EQ(m.Label8->text(), QStringLiteral("Cancel Auto Connect"));
    ASSERT_FALSE(m.Text1->isHidden());
    EXPECT_TRUE(m.Text1->hasFocus());
    QTest::keyClicks(m.Text1, QStringLiteral("7:15 am"));
    QTest::keyClick(m.Text1, Qt::Key_Return);
    EXPECT_TRUE(f->triggers.scheduleArmed);
    EXPECT_FALSE(m.Text1->isHidden());
    EXPECT_EQ(m.Label8->text(), QStringLiteral("Cancel Auto Connect"));
    // The arrows still move the light from the box.
    QTest::keyClick(m.Text1, Qt::Key_Down);
    EXPECT_EQ(lit(m), m.Label5);

    // Escape from the connection box, where the keyboard starts.
    m.Combo1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m.Combo1, Qt::Key_Escape);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_TRUE(f->TrayView1->InTray());
    EXPECT_TRUE(f->isHidden());

    // Quit, from the bottom up.
    Form3 &second = openMenu();
    QTest::keyClick(&second, Qt::Key_Up);
    QTest::keyClick(&second, Qt::Key_Return);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_TRUE(f->run.quitRequested);
    f->run.quitRequested = false;

    // Go Online, keyed in the connection box: the box's own arrows change
    // nothing, the menu's do.
    Form3 &third = openMenu();
    third.Combo1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(third.Combo1, Qt::Key_Down);
    EXPECT_EQ(third.Combo1->currentText(), QStringLiteral("Home"));
    EXPECT_EQ(lit(third), third.Label1);
    QTest::keyClick(third.Combo1, Qt::Key_Return);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_TRUE(f->dial.inProgress);
    EXPECT_EQ(f->Com[0]->text(), tarvo::kGoOffline);

    // Show Main.
    Form3 &fourth = openMenu();
    QTest::keyClick(&fourth, Qt::Key_Down);
    QTest::keyClick(&fourth, Qt::Key_Down);
    ASSERT_EQ(lit(fourth), fourth.Label6);
    QTest::keyClick(&fourth, Qt::Key_Return);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_FALSE(f->TrayView1->InTray());
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(h.errorLogLines().isEmpty());
}
