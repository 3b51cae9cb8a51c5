// The Qt services behind the printer, the notification area, the control
// host, the busy pointer and window rectangles, and what a Platform gives
// for the services it is not handed.
#include "platform/Platform.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtControlHost.h"
#include "platform/QtNotificationArea.h"
#include "platform/QtPrinter.h"
#include "platform/QtWindowManager.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using platform::Hwnd;
namespace nim = platform::nim;
namespace nif = platform::nif;
namespace wm = platform::wm;

namespace {

// ------------------------------------------------------------------ printer

class QtPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Only a desktop without a printer writes its printout where a test
        // can read it; anywhere else the test would print on paper.
        if (!QPrinterInfo::defaultPrinter().isNull())
            GTEST_SKIP() << "a default printer is set up";
        ASSERT_TRUE(dir.isValid());
    }

    QByteArray printout() const
    {
        QFile f(printer.pdfPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The pages of the printout, each as its width and height.
    QList<QSizeF> pages() const
    {
        QList<QSizeF> out;
        static const QRegularExpression page(
            QStringLiteral(R"(/Type\s*/Page\b[^>]*?/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"),
            QRegularExpression::DotMatchesEverythingOption);
        const QString text = QString::fromLatin1(printout());
        for (auto m = page.globalMatch(text); m.hasNext();) {
            const auto match = m.next();
            out << QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
        }
        return out;
    }

    QTemporaryDir dir;
    platform::QtPrinter printer{dir.path()};
};

TEST_F(QtPrinterTest, ADocumentGoesOutWhenItEndsInItsOrientation)
{
    printer.setOrientation(platform::printer::Landscape);
    printer.printLine(QStringLiteral("\r\n"));
    printer.printLine(QStringLiteral("\tINTERNET USAGE"));
    printer.endDoc();

    const QList<QSizeF> sheets = pages();
    ASSERT_EQ(sheets.size(), 1) << printout().left(2000).toStdString();
    EXPECT_GT(sheets[0].width(), sheets[0].height());

    // The next document replaces it, in the orientation now set.
    printer.setOrientation(platform::printer::Portrait);
    printer.printLine(QStringLiteral("again"));
    printer.endDoc();
    ASSERT_EQ(pages().size(), 1);
    EXPECT_LT(pages()[0].width(), pages()[0].height());
}

TEST_F(QtPrinterTest, LinesThatNoLongerFitGoOnANewPage)
{
    for (int i = 0; i < 300; ++i)
        printer.printLine(QStringLiteral("line %1").arg(i));
    printer.endDoc();
    EXPECT_GE(pages().size(), 2);
}

TEST_F(QtPrinterTest, EndingWithNothingPrintedSendsNothing)
{
    printer.endDoc();
    EXPECT_FALSE(QFile::exists(printer.pdfPath()));
}

// ------------------------------------------------------- notification area

QIcon picture(Qt::GlobalColor colour)
{
    QPixmap p(16, 16);
    p.fill(colour);
    return QIcon(p);
}

class QtNotificationAreaTest : public ::testing::Test {
protected:
    platform::NotifyIconData icon(Hwnd window, quint32 id, const QString &tip)
    {
        platform::NotifyIconData d;
        d.window = window;
        d.id = id;
        d.flags = nif::NIF_MESSAGE | nif::NIF_ICON | nif::NIF_TIP;
        d.callback = [this](quint32 iconId, int message) { heard << std::pair{iconId, message}; };
        d.icon = picture(Qt::red);
        d.tip = tip;
        return d;
    }
    // The Qt icon now showing `tip`.
    QSystemTrayIcon *shown(const QString &tip) const
    {
        for (QSystemTrayIcon *i : area.findChildren<QSystemTrayIcon *>())
            if (i->toolTip() == tip)
                return i;
        return nullptr;
    }

    platform::QtNotificationArea area;
    QList<std::pair<quint32, int>> heard;
};

TEST_F(QtNotificationAreaTest, IconsAreNamedByOwnerAndNumberAndChangeOnlyWhatTheFlagsSay)
{
    ASSERT_TRUE(area.shellNotifyIcon(nim::NIM_ADD, icon(7, 0, QStringLiteral("Not Online"))));
    EXPECT_FALSE(area.shellNotifyIcon(nim::NIM_ADD, icon(7, 0, QStringLiteral("again"))));
    ASSERT_TRUE(area.shellNotifyIcon(nim::NIM_ADD, icon(8, 0, QStringLiteral("Online"))));
    QSystemTrayIcon *first = shown(QStringLiteral("Not Online"));
    ASSERT_TRUE(first);
    const qint64 before = first->icon().cacheKey();

    platform::NotifyIconData tipOnly = icon(7, 0, QStringLiteral("Tarvo - 0 hrs 5 mins"));
    tipOnly.flags = nif::NIF_TIP;
    ASSERT_TRUE(area.shellNotifyIcon(nim::NIM_MODIFY, tipOnly));
    EXPECT_EQ(first->toolTip(), QStringLiteral("Tarvo - 0 hrs 5 mins"));
    EXPECT_EQ(first->icon().cacheKey(), before);
    EXPECT_TRUE(shown(QStringLiteral("Online")));

    ASSERT_TRUE(area.shellNotifyIcon(nim::NIM_DELETE, icon(7, 0, QString())));
    EXPECT_FALSE(area.shellNotifyIcon(nim::NIM_DELETE, icon(7, 0, QString())));
    EXPECT_FALSE(area.shellNotifyIcon(nim::NIM_MODIFY, tipOnly));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(area.findChildren<QSystemTrayIcon *>().size(), 1);
}

TEST_F(QtNotificationAreaTest, TipsShowUpToTheirNulAndAtMost64Characters)
{
    EXPECT_EQ(platform::shownTip(QStringLiteral("Online") + QChar(u'\0') + QStringLiteral("     ")),
              QStringLiteral("Online"));
    EXPECT_EQ(platform::shownTip(QString(70, QLatin1Char('x'))), QString(64, QLatin1Char('x')));
    EXPECT_EQ(platform::shownTip(QString()), QString());

    ASSERT_TRUE(area.shellNotifyIcon(nim::NIM_ADD, icon(7, 0, QString(64, QLatin1Char('y')) + QChar(u'\0'))));
    EXPECT_TRUE(shown(QString(64, QLatin1Char('y'))));
}

TEST_F(QtNotificationAreaTest, ClicksReachTheOwnerAsTheMouseMessagesTheyAreMadeOf)
{
    ASSERT_TRUE(area.shellNotifyIcon(nim::NIM_ADD, icon(7, 0, QStringLiteral("Not Online"))));
    QSystemTrayIcon *qt = shown(QStringLiteral("Not Online"));
    ASSERT_TRUE(qt);

    Q_EMIT qt->activated(QSystemTrayIcon::Trigger);
    Q_EMIT qt->activated(QSystemTrayIcon::DoubleClick);
    Q_EMIT qt->activated(QSystemTrayIcon::Context);
    Q_EMIT qt->activated(QSystemTrayIcon::MiddleClick);
    Q_EMIT qt->activated(QSystemTrayIcon::Unknown);
    const QList<std::pair<quint32, int>> expected{
        {0, wm::WM_LBUTTONDOWN},   {0, wm::WM_LBUTTONUP}, {0, wm::WM_LBUTTONDBLCLK}, {0, wm::WM_LBUTTONUP},
        {0, wm::WM_RBUTTONDOWN},   {0, wm::WM_RBUTTONUP}, {0, wm::WM_MBUTTONDOWN},   {0, wm::WM_MBUTTONUP}};
    EXPECT_EQ(heard, expected);
}

TEST_F(QtNotificationAreaTest, AnOwnerMayTakeItsIconOutWhileToldOfAClick)
{
    platform::NotifyIconData d = icon(7, 3, QStringLiteral("Online"));
    d.callback = [&](quint32 id, int message) {
        heard << std::pair{id, message};
        area.shellNotifyIcon(nim::NIM_DELETE, d);
    };
    ASSERT_TRUE(area.shellNotifyIcon(nim::NIM_ADD, d));
    QSystemTrayIcon *qt = shown(QStringLiteral("Online"));
    ASSERT_TRUE(qt);
    Q_EMIT qt->activated(QSystemTrayIcon::DoubleClick);
    // The rest of the click has nobody left to hear it.
    EXPECT_EQ(heard, (QList<std::pair<quint32, int>>{{3, wm::WM_LBUTTONDBLCLK}}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(area.findChildren<QSystemTrayIcon *>().isEmpty());
}

// ------------------------------------------------------------- busy pointer

TEST(QtBusyPointerTest, TheHourglassIsASettingNotAStack)
{
    {
        platform::QtBusyPointer pointer;
        pointer.setBusy(true);
        pointer.setBusy(true);
        ASSERT_TRUE(QGuiApplication::overrideCursor());
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        pointer.setBusy(false);
        EXPECT_FALSE(QGuiApplication::overrideCursor());
        pointer.setBusy(false);
        pointer.setBusy(true);
    }
    // Nothing is left behind by a pointer that goes away busy.
    EXPECT_FALSE(QGuiApplication::overrideCursor());
}

// ------------------------------------------------------- window rectangles

TEST(QtWindowRectTest, WindowsAreWhereTheScreenShowsThem)
{
    platform::QtWindowManager windows;
    QWidget top;
    top.setGeometry(100, 50, 300, 200);
    auto *child = new QWidget(&top);
    child->setGeometry(10, 20, 30, 40);

    EXPECT_EQ(windows.getWindowRect(windows.handleOf(&top)), top.frameGeometry());
    EXPECT_EQ(windows.getWindowRect(windows.handleOf(child)), QRect(top.mapToGlobal(QPoint(10, 20)), QSize(30, 40)));
    EXPECT_TRUE(windows.getWindowRect(0x7fffffff).isEmpty());
    EXPECT_FALSE(windows.getWindowRect(windows.desktopWindow()).isEmpty());
}

// ------------------------------------------------------------- control host

TEST(QtControlHostTest, SitesInTheRunningProgramHoldTheirStoredProperties)
{
    QTemporaryDir dir;
    platform::QtControlHost host(dir.path());
    EXPECT_EQ(host.loadPlugIn(QStringLiteral("TarvoTray")), nullptr);

    const auto site = host.createSite(QStringLiteral("TrayView1"), {{QStringLiteral("TrayTip"), QStringLiteral("Not Online")}});
    EXPECT_TRUE(site->userMode());
    EXPECT_EQ(site->readProperty(QStringLiteral("TrayTip"), QString()), QVariant(QStringLiteral("Not Online")));
    EXPECT_EQ(site->readProperty(QStringLiteral("InTray"), false), QVariant(false));
    site->writeProperty(QStringLiteral("InTray"), true);
    site->propertyChanged(QStringLiteral("InTray"));
    EXPECT_EQ(site->readProperty(QStringLiteral("InTray"), false), QVariant(true));
}

// ------------------------------------------------------- services left out

TEST(DefaultServicesTest, AServiceLeftOutReachesNothingOutsideTheProgram)
{
    platform::SettableClock clock;
    platform::Platform services{.clock = clock, .timersTick = false};
    EXPECT_EQ(&services.clock, &clock);

    namespace mb = platform::mb;
    EXPECT_EQ(services.boxes.msgBox(QStringLiteral("Hang up?"), mb::YesNo | mb::Question), mb::No);
    EXPECT_EQ(services.boxes.msgBox(QStringLiteral("Done"), mb::OkOnly), mb::Ok);
    int visited = 0;
    services.windows.enumChildWindows(services.windows.desktopWindow(), [&](Hwnd) { return ++visited, true; });
    EXPECT_EQ(visited, 0);
    EXPECT_EQ(services.process.shell(QStringLiteral("c:\\windows\\rundll32.exe"), 1), 0);
    platform::reg::Hkey key = 99;
    EXPECT_NE(services.registry.regOpenKeyEx(platform::reg::HKEY_CURRENT_USER, QStringLiteral("RemoteAccess"), 0,
                                             platform::reg::KEY_READ, key),
              platform::reg::ERROR_SUCCESS);
    EXPECT_FALSE(services.tray.shellNotifyIcon(nim::NIM_ADD, {}));
    EXPECT_EQ(services.controls.loadPlugIn(QStringLiteral("TarvoTray")), nullptr);
    services.pointer.setBusy(true);
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    // Looking at the machine needs nothing set up and changes nothing.
    EXPECT_EQ(services.folders.programFolder(), QCoreApplication::applicationDirPath());
}

} // namespace
