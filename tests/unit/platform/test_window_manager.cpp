#include "platform/QtWindowManager.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRubberBand>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

using platform::Hwnd;
using platform::QtWindowManager;
namespace swp = platform::swp;

namespace {

class WindowManagerTest : public ::testing::Test {
protected:
    QtWindowManager wm;

    // The windows walked under `parent`, by their texts.
    QStringList walk(Hwnd parent)
    {
        QStringList out;
        wm.enumChildWindows(parent, [&](Hwnd h) {
            out << wm.getWindowText(h, 500);
            return true;
        });
        return out;
    }

    // The top-level windows among `mine`, in walk order (other tests' or
    // Qt's own windows may be about too).
    QList<QWidget *> topOrder(const QList<QWidget *> &mine)
    {
        QList<QWidget *> out;
        wm.enumChildWindows(wm.desktopWindow(), [&](Hwnd h) {
            if (QWidget *w = wm.widgetOf(h); mine.contains(w))
                out << w;
            return true;
        });
        return out;
    }

    static std::unique_ptr<QWidget> window(const QString &title)
    {
        auto w = std::make_unique<QWidget>();
        w->setWindowTitle(title);
        return w;
    }
};

TEST_F(WindowManagerTest, TopLevelWindowsComeFrontToBack)
{
    auto a = window(QStringLiteral("A"));
    auto b = window(QStringLiteral("B"));
    auto c = window(QStringLiteral("C"));
    const QList<QWidget *> mine{a.get(), b.get(), c.get()};

    // Never shown: behind everything, oldest first.
    EXPECT_EQ(topOrder(mine), (QList<QWidget *>{a.get(), b.get(), c.get()}));

    b->show();
    EXPECT_EQ(topOrder(mine), (QList<QWidget *>{b.get(), a.get(), c.get()}));

    c->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(topOrder(mine), (QList<QWidget *>{c.get(), b.get(), a.get()}));

    // Activation brings a window forward; hiding one keeps it in the walk.
    ASSERT_TRUE(wm.setForegroundWindow(wm.handleOf(b.get())));
    c->hide();
    EXPECT_EQ(topOrder(mine), (QList<QWidget *>{b.get(), c.get(), a.get()}));

    // Always-on-top windows come before all others.
    ASSERT_TRUE(wm.setWindowPos(wm.handleOf(a.get()), swp::HWND_TOPMOST, 0, 0, 0, 0,
                                swp::SWP_NOMOVE | swp::SWP_NOSIZE));
    EXPECT_EQ(topOrder(mine).front(), a.get());
}

TEST_F(WindowManagerTest, ChildrenFollowTheirWindowDepthFirstInCreationOrder)
{
    auto top = window(QStringLiteral("Connect To"));
    auto *layout = new QVBoxLayout(top.get());
    auto *box = new QGroupBox(QStringLiteral("Box"), top.get());
    new QLabel(QStringLiteral("inner 1"), box);
    new QLabel(QStringLiteral("inner 2"), box);
    layout->addWidget(box);
    auto *hidden = new QLabel(QStringLiteral("hidden"));
    layout->addWidget(hidden);   // becomes a child here, after the box
    hidden->hide();
    layout->addWidget(new QPushButton(QStringLiteral("&Connect")));
    // A dialog owned by the window is a top-level window of its own.
    auto *owned = new QDialog(top.get());
    owned->setWindowTitle(QStringLiteral("Owned"));
    new QLabel(QStringLiteral("in owned"), owned);

    const QStringList expected{QStringLiteral("Box"), QStringLiteral("inner 1"), QStringLiteral("inner 2"),
                               QStringLiteral("hidden"), QStringLiteral("&Connect")};
    EXPECT_EQ(walk(wm.handleOf(top.get())), expected);

    const QStringList all = walk(wm.desktopWindow());
    const qsizetype at = all.indexOf(QStringLiteral("Connect To"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(all.mid(at + 1, expected.size()), expected);
    EXPECT_EQ(all.count(QStringLiteral("in owned")), 1);
    EXPECT_EQ(all.at(all.indexOf(QStringLiteral("Owned")) + 1), QStringLiteral("in owned"));
}

TEST_F(WindowManagerTest, CompositeWidgetsAreOneWindowAndHelpersAreLeftOut)
{
    auto top = window(QStringLiteral("Parts"));
    auto *layout = new QVBoxLayout(top.get());
    auto *combo = new QComboBox;
    combo->setEditable(true);
    combo->addItems({QStringLiteral("first"), QStringLiteral("second")});
    combo->view();   // creates the drop-down container
    layout->addWidget(combo);
    layout->addWidget(new QSpinBox);
    auto *edit = new QLineEdit(QStringLiteral("edit"));
    edit->setClearButtonEnabled(true);
    layout->addWidget(edit);
    layout->addWidget(new QTextEdit(QStringLiteral("notes")));
    layout->addWidget(new QListWidget);
    auto *tabs = new QTabWidget;
    tabs->addTab(new QLabel(QStringLiteral("page")), QStringLiteral("tab"));
    layout->addWidget(tabs);
    auto *area = new QScrollArea;
    area->setWidget(new QLabel(QStringLiteral("scrolled")));
    layout->addWidget(area);
    auto *bar = new QToolBar;
    bar->addAction(QStringLiteral("act"));
    layout->addWidget(bar);
    new QRubberBand(QRubberBand::Rectangle, top.get());
    auto *menu = new QMenu(top.get());
    menu->setTitle(QStringLiteral("menu"));
    auto *tip = new QWidget(top.get(), Qt::ToolTip);
    tip->setWindowTitle(QStringLiteral("tip"));

    QStringList classes;
    wm.enumChildWindows(wm.handleOf(top.get()), [&](Hwnd h) {
        classes << QString::fromLatin1(wm.widgetOf(h)->metaObject()->className());
        return true;
    });
    EXPECT_EQ(classes, (QStringList{QStringLiteral("QComboBox"), QStringLiteral("QSpinBox"),
                                    QStringLiteral("QLineEdit"), QStringLiteral("QTextEdit"),
                                    QStringLiteral("QListWidget"), QStringLiteral("QTabWidget"),
                                    QStringLiteral("QStackedWidget"), QStringLiteral("QLabel"),
                                    QStringLiteral("QTabBar"), QStringLiteral("QScrollArea"),
                                    QStringLiteral("QLabel"), QStringLiteral("QToolBar"),
                                    QStringLiteral("QToolButton")}));

    const QStringList all = walk(wm.desktopWindow());
    EXPECT_FALSE(all.contains(QStringLiteral("menu")));
    EXPECT_FALSE(all.contains(QStringLiteral("tip")));
    bool containerSeen = false;
    wm.enumChildWindows(wm.desktopWindow(), [&](Hwnd h) {
        containerSeen |= QByteArray(wm.widgetOf(h)->metaObject()->className()).contains("Private");
        return true;
    });
    EXPECT_FALSE(containerSeen);
}

TEST_F(WindowManagerTest, WalkStopsWhenTheVisitorSaysSo)
{
    auto top = window(QStringLiteral("W"));
    new QLabel(QStringLiteral("1"), top.get());
    new QLabel(QStringLiteral("2"), top.get());
    int visits = 0;
    EXPECT_TRUE(wm.enumChildWindows(wm.handleOf(top.get()), [&](Hwnd) { return ++visits < 1; }));
    EXPECT_EQ(visits, 1);
    EXPECT_FALSE(wm.enumChildWindows(-1, [&](Hwnd) { return true; }));
}

TEST_F(WindowManagerTest, WindowsDestroyedDuringTheWalkAreSkipped)
{
    auto top = window(QStringLiteral("W"));
    auto *first = new QLabel(QStringLiteral("first"), top.get());
    new QLabel(QStringLiteral("second"), top.get());
    new QLabel(QStringLiteral("third"), top.get());
    QStringList seen;
    wm.enumChildWindows(wm.handleOf(top.get()), [&](Hwnd h) {
        seen << wm.getWindowText(h, 100);
        if (wm.widgetOf(h) == first)
            delete top->findChildren<QLabel *>().at(1);
        return true;
    });
    EXPECT_EQ(seen, (QStringList{QStringLiteral("first"), QStringLiteral("third")}));
}

TEST_F(WindowManagerTest, HandlesAreForgottenWithTheirWidgetAndNeverHandedOutAgain)
{
    QSet<Hwnd> used{wm.desktopWindow(), 0, -1};
    for (int i = 0; i < 20; ++i) {
        // The allocator is free to give the new widget the old one's address.
        auto w = window(QStringLiteral("gone"));
        const Hwnd h = wm.handleOf(w.get());
        EXPECT_FALSE(used.contains(h));
        used.insert(h);
        EXPECT_EQ(wm.handleOf(w.get()), h);
        EXPECT_EQ(wm.widgetOf(h), w.get());
        w.reset();
        EXPECT_EQ(wm.widgetOf(h), nullptr);
        EXPECT_EQ(wm.getWindowText(h, 100), QString());
        EXPECT_EQ(wm.isWindowVisible(h), 0);
    }
    EXPECT_FALSE(walk(wm.desktopWindow()).contains(QStringLiteral("gone")));
    EXPECT_EQ(wm.handleOf(nullptr), 0);
    EXPECT_EQ(wm.widgetOf(wm.desktopWindow()), nullptr);
}

TEST_F(WindowManagerTest, WindowTexts)
{
    auto top = window(QStringLiteral("Connect To"));
    auto *label = new QLabel(QStringLiteral("&User name:"), top.get());
    auto *picture = new QLabel(top.get());
    picture->setPixmap(QPixmap(4, 4));
    picture->setWindowTitle(QStringLiteral("Logo"));
    auto *rich = new QLabel(QStringLiteral("<b>Connected</b> to Home"), top.get());
    auto *button = new QPushButton(QStringLiteral("&Connect"), top.get());
    auto *password = new QLineEdit(QStringLiteral("secret"), top.get());
    password->setEchoMode(QLineEdit::Password);
    auto *combo = new QComboBox(top.get());
    combo->addItems({QStringLiteral("Home"), QStringLiteral("Work")});
    combo->setCurrentIndex(1);
    auto *box = new QGroupBox(QStringLiteral("Settings"), top.get());
    auto *plain = new QWidget(top.get());

    auto text = [&](QWidget *w) { return wm.getWindowText(wm.handleOf(w), 500); };
    EXPECT_EQ(text(top.get()), QStringLiteral("Connect To"));
    EXPECT_EQ(text(label), QStringLiteral("&User name:"));
    EXPECT_EQ(text(picture), QStringLiteral("Logo"));
    EXPECT_EQ(text(rich), QStringLiteral("Connected to Home"));
    EXPECT_EQ(text(button), QStringLiteral("&Connect"));
    EXPECT_EQ(text(password), QStringLiteral("secret"));
    EXPECT_EQ(text(combo), QStringLiteral("Work"));
    EXPECT_EQ(text(box), QStringLiteral("Settings"));
    EXPECT_EQ(text(plain), QString());

    const Hwnd h = wm.handleOf(top.get());
    EXPECT_EQ(wm.getWindowText(h, 4), QStringLiteral("Con"));
    EXPECT_EQ(wm.getWindowText(h, 1), QString());
    EXPECT_EQ(wm.getWindowText(h, 0), QString());
    EXPECT_EQ(wm.getWindowText(wm.desktopWindow(), 500), QString());
}

TEST_F(WindowManagerTest, VisibleMeansShownWithAllItsParents)
{
    auto top = window(QStringLiteral("W"));
    auto *child = new QLabel(QStringLiteral("c"), top.get());
    auto *hiddenChild = new QLabel(QStringLiteral("h"), top.get());
    hiddenChild->hide();
    EXPECT_EQ(wm.isWindowVisible(wm.handleOf(child)), 0);
    top->show();
    EXPECT_EQ(wm.isWindowVisible(wm.handleOf(top.get())), 1);
    EXPECT_EQ(wm.isWindowVisible(wm.handleOf(child)), 1);
    EXPECT_EQ(wm.isWindowVisible(wm.handleOf(hiddenChild)), 0);
}

TEST_F(WindowManagerTest, ForegroundAndFocus)
{
    auto first = window(QStringLiteral("first"));
    auto *firstEdit = new QLineEdit(first.get());
    auto second = window(QStringLiteral("second"));
    auto *layout = new QVBoxLayout(second.get());
    auto *label = new QLabel(QStringLiteral("name"));
    auto *edit1 = new QLineEdit;
    auto *edit2 = new QLineEdit;
    layout->addWidget(label);
    layout->addWidget(edit1);
    layout->addWidget(edit2);
    first->show();
    second->show();
    QCoreApplication::processEvents();

    // A child's handle brings its whole window forward.
    ASSERT_TRUE(wm.setForegroundWindow(wm.handleOf(firstEdit)));
    EXPECT_EQ(wm.getForegroundWindow(), wm.handleOf(first.get()));
    ASSERT_TRUE(wm.setForegroundWindow(wm.handleOf(label)));
    EXPECT_EQ(wm.getForegroundWindow(), wm.handleOf(second.get()));
    EXPECT_EQ(QApplication::activeWindow(), second.get());

    EXPECT_EQ(wm.setFocus(wm.handleOf(edit2)), wm.handleOf(QApplication::focusWidget()));
    EXPECT_EQ(QApplication::focusWidget(), edit2);
    // Neither a label nor a window takes the focus away from the edit.
    EXPECT_EQ(wm.setFocus(wm.handleOf(label)), wm.handleOf(edit2));
    EXPECT_EQ(wm.setFocus(wm.handleOf(second.get())), wm.handleOf(edit2));
    EXPECT_EQ(QApplication::focusWidget(), edit2);

    auto hidden = window(QStringLiteral("hidden"));
    EXPECT_FALSE(wm.setForegroundWindow(wm.handleOf(hidden.get())));
    EXPECT_FALSE(wm.setForegroundWindow(-1));
    EXPECT_EQ(wm.getForegroundWindow(), wm.handleOf(second.get()));
}

TEST_F(WindowManagerTest, SetWindowPosMovesSizesAndStacks)
{
    auto w = window(QStringLiteral("tray menu"));
    w->setGeometry(10, 20, 100, 50);
    w->show();
    const Hwnd h = wm.handleOf(w.get());

    ASSERT_TRUE(wm.setWindowPos(h, swp::HWND_TOPMOST, 300, 400, 1, 1, swp::SWP_NOSIZE));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), QPoint(300, 400));
    EXPECT_EQ(w->size(), QSize(100, 50));

    ASSERT_TRUE(wm.setWindowPos(h, swp::HWND_NOTOPMOST, 0, 0, 120, 60, swp::SWP_NOMOVE));
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), QPoint(300, 400));
    EXPECT_EQ(w->size(), QSize(120, 60));

    // A hidden window stays hidden when it is made topmost.
    w->hide();
    ASSERT_TRUE(wm.setWindowPos(h, swp::HWND_TOPMOST, 0, 0, 0, 0, swp::SWP_NOMOVE | swp::SWP_NOSIZE));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(w->isVisible());

    EXPECT_FALSE(wm.setWindowPos(-1, swp::HWND_TOPMOST, 0, 0, 0, 0, 0));
}

// The desktop's walk is kept from one walk to the next; every change to the
// desktop still shows in the walk that follows it.
TEST_F(WindowManagerTest, AKeptDesktopWalkFollowsEveryChange)
{
    auto a = window(QStringLiteral("Kept A"));
    auto b = window(QStringLiteral("Kept B"));
    auto *first = new QLabel(QStringLiteral("a1"), a.get());
    auto *second = new QLabel(QStringLiteral("a2"), a.get());
    const auto after = [&](const QString &title, int count) {
        const QStringList all = walk(wm.desktopWindow());
        const qsizetype at = all.indexOf(title);
        return at < 0 ? QStringList{} : all.mid(at + 1, count);
    };
    EXPECT_EQ(after(QStringLiteral("Kept A"), 2), (QStringList{QStringLiteral("a1"), QStringLiteral("a2")}));

    // A child added, re-stacked, moved to another window, removed.
    auto *third = new QLabel(QStringLiteral("a3"), a.get());
    EXPECT_EQ(after(QStringLiteral("Kept A"), 3),
              (QStringList{QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3")}));
    first->raise();
    EXPECT_EQ(after(QStringLiteral("Kept A"), 3),
              (QStringList{QStringLiteral("a2"), QStringLiteral("a3"), QStringLiteral("a1")}));
    third->setParent(b.get());
    EXPECT_EQ(after(QStringLiteral("Kept B"), 1), QStringList{QStringLiteral("a3")});
    delete second;
    EXPECT_EQ(walk(wm.desktopWindow()).count(QStringLiteral("a2")), 0);

    // Window flags changed with no event at all (on widgets shown once, so
    // that they have windows of the platform's): a hidden child made a
    // window of its own and back, a hidden window put on top.
    a->show();
    b->show();
    QCoreApplication::processEvents();
    first->setWindowTitle(QStringLiteral("a1 as a window"));
    first->hide();
    b->hide();
    walk(wm.desktopWindow());
    first->setWindowFlags(Qt::Window);
    EXPECT_NE(after(QStringLiteral("Kept A"), 1), QStringList{QStringLiteral("a1")});
    EXPECT_EQ(walk(wm.desktopWindow()).count(QStringLiteral("a1 as a window")), 1);
    first->setWindowFlags(Qt::Widget);
    EXPECT_EQ(after(QStringLiteral("Kept A"), 1), QStringList{QStringLiteral("a1")});
    EXPECT_EQ(walk(wm.desktopWindow()).count(QStringLiteral("a1 as a window")), 0);
    b->setWindowFlag(Qt::WindowStaysOnTopHint);
    EXPECT_EQ(topOrder({a.get(), b.get()}).front(), b.get());

    // A window created after the last walk.
    auto c = window(QStringLiteral("Kept C"));
    EXPECT_EQ(walk(wm.desktopWindow()).count(QStringLiteral("Kept C")), 1);
}

TEST_F(WindowManagerTest, WindowsDestroyedDuringADesktopWalkAreSkippedAndCreatedOnesWaitForTheNext)
{
    auto top = window(QStringLiteral("Walked"));
    auto *first = new QLabel(QStringLiteral("w1"), top.get());
    new QLabel(QStringLiteral("w2"), top.get());
    new QLabel(QStringLiteral("w3"), top.get());
    walk(wm.desktopWindow());
    std::unique_ptr<QWidget> late;
    QStringList seen;
    wm.enumChildWindows(wm.desktopWindow(), [&](Hwnd h) {
        seen << wm.getWindowText(h, 100);
        if (wm.widgetOf(h) == first) {
            delete top->findChildren<QLabel *>().at(1);
            late = window(QStringLiteral("Late"));
        }
        return true;
    });
    const qsizetype at = seen.indexOf(QStringLiteral("Walked"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(seen.mid(at + 1, 2), (QStringList{QStringLiteral("w1"), QStringLiteral("w3")}));
    EXPECT_EQ(seen.count(QStringLiteral("Late")), 0);
    EXPECT_EQ(walk(wm.desktopWindow()).count(QStringLiteral("Late")), 1);
}

} // namespace
