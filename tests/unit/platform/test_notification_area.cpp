// The notification area: the shell's record in, Qt's tray icon or a window
// of its own out, and mouse activity back to the owner's window procedure.
#include "platform/QtNotificationArea.h"
#include "platform/TrayIconWindow.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// What the owners' windows were sent, as (window, icon number, message).
QList<std::tuple<Hwnd, qintptr, qintptr>> g_heard;
qintptr owner(Hwnd hwnd, quint32 message, qintptr wParam, qintptr lParam)
{
    if (message == 0x465)
        g_heard << std::tuple{hwnd, wParam, lParam};
    return 0;
}

class NotificationAreaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_heard.clear();
        for (Hwnd w : {7, 8})
            procedures.setWindowLong(w, gwl::GWL_WNDPROC, WindowProcedures::asLong(&owner));
    }
    NOTIFYICONDATAA record(Hwnd window, quint32 id, const QString &tip, quint32 flags = nif::NIF_MESSAGE | nif::NIF_ICON | nif::NIF_TIP)
    {
        NOTIFYICONDATAA d;
        d.cbSize = sizeof d;
        d.hWnd = quint32(window);
        d.uID = id;
        d.uFlags = flags;
        d.uCallbackMessage = 0x465;
        d.hIcon = red.handle();
        const QByteArray text = tip.toLatin1();
        std::memset(d.szTip, ' ', sizeof d.szTip);
        std::memcpy(d.szTip, text.constData(), std::min<size_t>(size_t(text.size()) + 1, sizeof d.szTip));
        return d;
    }
    template <class T>
    T *shown(QObject *root, const QString &tip) const
    {
        for (T *i : root->findChildren<T *>())
            if (i->toolTip() == tip)
                return i;
        return nullptr;
    }
    TrayIconWindow *ownWindow(const QString &tip) const
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *t = qobject_cast<TrayIconWindow *>(w); t && t->toolTip() == tip && !t->isHidden())
                return t;
        return nullptr;
    }
    static QIcon colour(Qt::GlobalColor c)
    {
        QPixmap p(16, 16);
        p.fill(c);
        return QIcon(p);
    }

    WindowProcedures procedures;
    PictureTable pictures;
    Picture red = pictures.icon(colour(Qt::red));
    qint64 now = 0;
    QtNotificationArea tray{procedures, pictures, QtNotificationArea::Place::NotificationArea, [this] { return now; }};
};

TEST_F(NotificationAreaTest, IconsAreNamedByOwnerAndNumberAndChangeOnlyWhatTheFlagsSay)
{
    ASSERT_TRUE(tray.Shell_NotifyIconA(nim::NIM_ADD, record(7, 0, QStringLiteral("Not Online"))));
    EXPECT_FALSE(tray.Shell_NotifyIconA(nim::NIM_ADD, record(7, 0, QStringLiteral("again"))));
    ASSERT_TRUE(tray.Shell_NotifyIconA(nim::NIM_ADD, record(8, 0, QStringLiteral("Online"))));
    QSystemTrayIcon *first = shown<QSystemTrayIcon>(&tray, QStringLiteral("Not Online"));
    ASSERT_TRUE(first);
    const qint64 before = first->icon().cacheKey();

    ASSERT_TRUE(tray.Shell_NotifyIconA(nim::NIM_MODIFY, record(7, 0, QStringLiteral("Tarvo - 0 hrs 5 mins"), nif::NIF_TIP)));
    EXPECT_EQ(first->toolTip(), QStringLiteral("Tarvo - 0 hrs 5 mins"));
    EXPECT_EQ(first->icon().cacheKey(), before);

    // A record of another size is not the shell's.
    NOTIFYICONDATAA wrong = record(7, 0, QStringLiteral("x"));
    wrong.cbSize = 84;
    EXPECT_FALSE(tray.Shell_NotifyIconA(nim::NIM_MODIFY, wrong));

    ASSERT_TRUE(tray.Shell_NotifyIconA(nim::NIM_DELETE, record(7, 0, QString(), 0)));
    EXPECT_FALSE(tray.Shell_NotifyIconA(nim::NIM_DELETE, record(7, 0, QString(), 0)));
    EXPECT_FALSE(tray.Shell_NotifyIconA(nim::NIM_MODIFY, record(7, 0, QString(), nif::NIF_TIP)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(tray.findChildren<QSystemTrayIcon *>().size(), 1);
}

TEST_F(NotificationAreaTest, AFullTipFieldShowsAll64Characters)
{
    NOTIFYICONDATAA d = record(7, 0, QString());
    std::memset(d.szTip, 'y', sizeof d.szTip);
    ASSERT_TRUE(tray.Shell_NotifyIconA(nim::NIM_ADD, d));
    EXPECT_TRUE(shown<QSystemTrayIcon>(&tray, QString(64, QLatin1Char('y'))));
}

TEST_F(NotificationAreaTest, ClicksReachTheOwnerAsTheMouseMessagesTheyAreMadeOf)
{
    ASSERT_TRUE(tray.Shell_NotifyIconA(nim::NIM_ADD, record(7, 2, QStringLiteral("Not Online"))));
    QSystemTrayIcon *qt = shown<QSystemTrayIcon>(&tray, QStringLiteral("Not Online"));
    ASSERT_TRUE(qt);

    Q_EMIT qt->activated(QSystemTrayIcon::Trigger);
    Q_EMIT qt->activated(QSystemTrayIcon::DoubleClick);
    Q_EMIT qt->activated(QSystemTrayIcon::MiddleClick);
    Q_EMIT qt->activated(QSystemTrayIcon::Unknown);
    // Two context requests within the double-click time are a right double
    // click; a third starts again; one after a pause is a click of its own.
    Q_EMIT qt->activated(QSystemTrayIcon::Context);
    now += QApplication::doubleClickInterval();
    Q_EMIT qt->activated(QSystemTrayIcon::Context);
    Q_EMIT qt->activated(QSystemTrayIcon::Context);
    now += QApplication::doubleClickInterval() + 1;
    Q_EMIT qt->activated(QSystemTrayIcon::Context);

    QList<qintptr> messages;
    for (const auto &[window, id, message] : g_heard) {
        EXPECT_EQ(window, 7);
        EXPECT_EQ(id, 2);
        messages << message;
    }
    EXPECT_EQ(messages, (QList<qintptr>{0x201, 0x202, 0x203, 0x202, 0x207, 0x208, 0x204, 0x205, 0x206, 0x205, 0x204,
                                        0x205, 0x204, 0x205}));
}

TEST_F(NotificationAreaTest, AnOwnerMayTakeItsIconOutWhileToldOfAClick)
{
    static QtNotificationArea *area = nullptr;
    area = &tray;
    procedures.setWindowLong(9, gwl::GWL_WNDPROC, WindowProcedures::asLong([](Hwnd hwnd, quint32 m, qintptr w, qintptr l) -> qintptr {
        g_heard << std::tuple{hwnd, w, l};
        NOTIFYICONDATAA d;
        d.cbSize = sizeof d;
        d.hWnd = quint32(hwnd);
        d.uID = quint32(w);
        area->Shell_NotifyIconA(nim::NIM_DELETE, d);
        return m;
    }));
    ASSERT_TRUE(tray.Shell_NotifyIconA(nim::NIM_ADD, record(9, 3, QStringLiteral("Online"))));
    QSystemTrayIcon *qt = shown<QSystemTrayIcon>(&tray, QStringLiteral("Online"));
    ASSERT_TRUE(qt);
    Q_EMIT qt->activated(QSystemTrayIcon::DoubleClick);
    // The rest of the click has nobody left to hear it.
    EXPECT_EQ(g_heard.size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tray.findChildren<QSystemTrayIcon *>().isEmpty());
}

// Without a notification area each icon is a small window in the corner of
// the screen, on top, with the real mouse.
TEST_F(NotificationAreaTest, WithoutANotificationAreaAnIconIsAWindowOfItsOwn)
{
    QtNotificationArea own(procedures, pictures, QtNotificationArea::Place::OwnWindow);
    ASSERT_TRUE(own.Shell_NotifyIconA(nim::NIM_ADD, record(7, 0, QStringLiteral("Not Online"))));
    TrayIconWindow *window = ownWindow(QStringLiteral("Not Online"));
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->icon().cacheKey(), red.image().cacheKey());
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry()));
    EXPECT_GT(window->x(), screen.center().x());
    EXPECT_GT(window->y(), screen.center().y());

    ASSERT_TRUE(own.Shell_NotifyIconA(nim::NIM_MODIFY, record(7, 0, QStringLiteral("Tarvo - 2 hrs 5 mins"), nif::NIF_TIP)));
    EXPECT_EQ(window->toolTip(), QStringLiteral("Tarvo - 2 hrs 5 mins"));

    QTest::mouseMove(window, QPoint(10, 10));
    QTest::mouseClick(window, Qt::LeftButton);
    QTest::mouseDClick(window, Qt::LeftButton);
    QTest::mouseClick(window, Qt::RightButton);
    QTest::mouseDClick(window, Qt::RightButton);
    QTest::mouseClick(window, Qt::MiddleButton);
    QList<qintptr> messages;
    for (const auto &[w, id, message] : g_heard)
        messages << message;
    // Each mouse event is its message (QTest's double click is the one
    // event alone).
    EXPECT_EQ(messages, (QList<qintptr>{0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206, 0x207, 0x208}));

    ASSERT_TRUE(own.Shell_NotifyIconA(nim::NIM_DELETE, record(7, 0, QString(), 0)));
    EXPECT_FALSE(ownWindow(QStringLiteral("Tarvo - 2 hrs 5 mins")));
}

// The notification area may go and come back while the program runs (a
// panel restarting): Qt hides its icon's widget when the area goes and
// shows a new one when it comes, and the icon has a window of its own
// exactly while there is no area to hold it.
TEST_F(NotificationAreaTest, AWindowOfItsOwnStandsInWhileTheNotificationAreaIsAway)
{
    bool areaThere = true;
    QWidget qtIconWidget;   // stands for the widget Qt puts into the area
    QtNotificationArea automatic(procedures, pictures, QtNotificationArea::Place::Automatic, [this] { return now; });
    automatic.setTrayAvailability([&] { return areaThere; });
    automatic.setIconWidgetFinder([&](const QWidget *w) -> const QSystemTrayIcon * {
        return w == &qtIconWidget ? automatic.findChild<QSystemTrayIcon *>() : nullptr;
    });
    ASSERT_TRUE(automatic.Shell_NotifyIconA(nim::NIM_ADD, record(7, 0, QStringLiteral("Not Online"))));
    qtIconWidget.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ownWindow(QStringLiteral("Not Online")));

    // The area goes: the icon's window comes, with the tip and picture as
    // they are now, and hears the mouse.
    ASSERT_TRUE(automatic.Shell_NotifyIconA(nim::NIM_MODIFY, record(7, 0, QStringLiteral("Tarvo - 0 hrs 3 mins"), nif::NIF_TIP)));
    areaThere = false;
    qtIconWidget.hide();
    QCoreApplication::processEvents();
    TrayIconWindow *window = ownWindow(QStringLiteral("Tarvo - 0 hrs 3 mins"));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->icon().cacheKey(), red.image().cacheKey());
    QTest::mouseClick(window, Qt::RightButton);
    EXPECT_EQ(g_heard.size(), 2);
    // Changes while away reach the window.
    ASSERT_TRUE(automatic.Shell_NotifyIconA(nim::NIM_MODIFY, record(7, 0, QStringLiteral("Tarvo - 0 hrs 4 mins"), nif::NIF_TIP)));
    EXPECT_EQ(window->toolTip(), QStringLiteral("Tarvo - 0 hrs 4 mins"));

    // It comes back: the window goes, the icon is Qt's again, once.
    areaThere = true;
    qtIconWidget.show();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ownWindow(QStringLiteral("Tarvo - 0 hrs 4 mins")));
    const QSystemTrayIcon *icon = automatic.findChild<QSystemTrayIcon *>();
    ASSERT_TRUE(icon);
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(icon->toolTip(), QStringLiteral("Tarvo - 0 hrs 4 mins"));
    EXPECT_EQ(automatic.findChildren<QSystemTrayIcon *>().size(), 1);

    // Gone again, then taken out while away: nothing of it stays.
    areaThere = false;
    qtIconWidget.hide();
    QCoreApplication::processEvents();
    ASSERT_TRUE(ownWindow(QStringLiteral("Tarvo - 0 hrs 4 mins")));
    ASSERT_TRUE(automatic.Shell_NotifyIconA(nim::NIM_DELETE, record(7, 0, QString(), 0)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ownWindow(QStringLiteral("Tarvo - 0 hrs 4 mins")));
    EXPECT_TRUE(automatic.findChildren<QSystemTrayIcon *>().isEmpty());
}

} // namespace
