// The Qt services behind the printer, the notification area, the control
// host, the busy pointer and window rectangles, and what a Platform gives
// for the services it is not handed.
#include "platform/Platform.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtControlHost.h"
#include "platform/QtNotificationArea.h"
#include "platform/QtPrinter.h"
#include "platform/QtWindowManager.h"
#include "runtime/Error.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using platform::Hwnd;
namespace nim = platform::nim;

namespace {

// ------------------------------------------------------------------ printer

// Runs one of poppler's PDF tools and gives what it wrote. The tests need
// them (scripts/deps.sh installs poppler-utils); a missing one fails the test
// rather than letting it pass unchecked.
QString pdfTool(const QString &tool, const QStringList &arguments)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " not found: install poppler-utils (scripts/deps.sh does)";
        return {};
    }
    QProcess run;
    run.start(program, arguments);
    if (!run.waitForFinished(-1) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed: " << run.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(run.readAllStandardOutput());
}

class QtPrinterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString printed(const QString &name) const { return dir.filePath(QStringLiteral("printed/") + name); }

    struct Pdf {
        int pages = 0;
        QSizeF pageSize;   // points, of the first page
    };
    static Pdf info(const QString &path)
    {
        Pdf pdf;
        const QString text = pdfTool(QStringLiteral("pdfinfo"), {path});
        static const QRegularExpression pages(QStringLiteral(R"(^Pages:\s+(\d+))"),
                                              QRegularExpression::MultilineOption);
        static const QRegularExpression size(QStringLiteral(R"(^Page size:\s+([\d.]+) x ([\d.]+) pts)"),
                                             QRegularExpression::MultilineOption);
        pdf.pages = pages.match(text).captured(1).toInt();
        const auto m = size.match(text);
        pdf.pageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
        return pdf;
    }
    // The printed lines as pdftotext lays them out, trailing blanks and page
    // breaks dropped.
    static QStringList lines(const QString &path)
    {
        QStringList out;
        const QString text = pdfTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-layout"), QStringLiteral("-nopgbrk"), path, QStringLiteral("-")});
        // The PDF's fonts join letters such as "fi" into one glyph, which
        // comes back as its ligature character.
        for (QString line : text.normalized(QString::NormalizationForm_KC).split(QLatin1Char('\n')))
            out << line.remove(QRegularExpression(QStringLiteral(R"(\s+$)")));
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }
    static std::string joined(const QStringList &list) { return list.join(QLatin1Char('|')).toStdString(); }

    QTemporaryDir dir;
    platform::SettableClock clock{rt::DateTime::fromParts(2026, 12, 9, 17, 45, 12)};
    // A machine with a printer set up must not get the tests' pages.
    platform::QtPrinter printer{dir.path(), clock, platform::QtPrinter::Output::PdfFiles};
};

TEST_F(QtPrinterTest, ADocumentBecomesANewPdfNamedByWhenItBeganWithItsLinesInOrder)
{
    const QString longLine = QStringLiteral("LONG ") + QString(300, QLatin1Char('x')) + QStringLiteral(" END");
    printer.setOrientation(platform::printer::Landscape);
    // A tab moves on by a few blanks, not off the page.
    printer.printLine(QStringLiteral("\tThe Information Under May Not To Be Accurate. Intended For Non-Commercial Refrence Only."));
    printer.printLine(QStringLiteral("Date\tMinutes"));
    printer.printLine(QStringLiteral("\r\n"));
    printer.printLine(longLine);
    printer.printLine(QStringLiteral("last"));
    printer.endDoc();

    const QString path = printed(QStringLiteral("tarvo-2026-12-09-174512.pdf"));
    EXPECT_EQ(printer.lastOutputPath().toStdString(), path.toStdString());
    ASSERT_TRUE(QFile::exists(path));
    // A report shows the user's sessions and costs: theirs alone.
    EXPECT_EQ(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const Pdf pdf = info(path);
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_GT(pdf.pageSize.width(), pdf.pageSize.height());

    const QStringList got = lines(path);
    const std::string all = joined(got);
    ASSERT_EQ(got.size(), 6) << all;
    EXPECT_TRUE(got[0].startsWith(QLatin1Char(' '))) << all;
    EXPECT_EQ(got[0].simplified().toStdString(),
              "The Information Under May Not To Be Accurate. Intended For Non-Commercial Refrence Only.");
    EXPECT_LT(got[0].indexOf(QLatin1Char('T')), 16) << all;
    EXPECT_TRUE(got[1].contains(QRegularExpression(QStringLiteral(R"(^Date\s+Minutes$)")))) << all;
    EXPECT_EQ(got[2].toStdString(), "");
    EXPECT_EQ(got[3].toStdString(), "");
    // The long line runs off the page's edge, where the reader stops; it is
    // not folded onto a line of its own.
    EXPECT_TRUE(longLine.startsWith(got[4]) && got[4].size() > 60) << all;
    EXPECT_EQ(got[5].toStdString(), "last");
}

TEST_F(QtPrinterTest, DocumentsBegunInOneSecondEachKeepTheirOwnFile)
{
    printer.setOrientation(platform::printer::Landscape);
    printer.printLine(QStringLiteral("first"));
    printer.endDoc();
    printer.setOrientation(platform::printer::Portrait);
    printer.printLine(QStringLiteral("second"));
    printer.endDoc();
    EXPECT_EQ(printer.lastOutputPath().toStdString(),
              printed(QStringLiteral("tarvo-2026-12-09-174512-2.pdf")).toStdString());
    printer.printLine(QStringLiteral("third"));
    printer.endDoc();
    // Named by when the document began, not when it ended.
    clock.advanceSeconds(1);
    printer.printLine(QStringLiteral("fourth"));
    clock.advanceSeconds(5);
    printer.endDoc();

    const QString day = QStringLiteral("tarvo-2026-12-09-");
    const QStringList names{day + QStringLiteral("174512.pdf"), day + QStringLiteral("174512-2.pdf"),
                            day + QStringLiteral("174512-3.pdf"), day + QStringLiteral("174513.pdf")};
    QStringList there = QDir(dir.filePath(QStringLiteral("printed"))).entryList(QDir::Files);
    QStringList expected = names;
    there.sort();
    expected.sort();
    EXPECT_EQ(joined(there), joined(expected));
    const QStringList texts{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third"),
                            QStringLiteral("fourth")};
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(joined(lines(printed(names[i]))), texts[i].toStdString()) << names[i].toStdString();
    const Pdf first = info(printed(names[0]));
    const Pdf second = info(printed(names[1]));
    EXPECT_GT(first.pageSize.width(), first.pageSize.height());
    EXPECT_LT(second.pageSize.width(), second.pageSize.height());
}

TEST_F(QtPrinterTest, LinesThatNoLongerFitGoOnANewPage)
{
    QStringList sent;
    for (int i = 0; i < 300; ++i)
        printer.printLine(sent.emplaceBack(QStringLiteral("line %1").arg(i)));
    printer.endDoc();
    EXPECT_GE(info(printer.lastOutputPath()).pages, 2);
    QStringList got = lines(printer.lastOutputPath());
    got.removeAll(QString());
    EXPECT_EQ(joined(got), joined(sent));
}

TEST_F(QtPrinterTest, NothingPrintedIsNoDocument)
{
    printer.endDoc();
    EXPECT_TRUE(printer.lastOutputPath().isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("printed"))));
}

TEST_F(QtPrinterTest, AFolderThatCannotBeMadeIsAPrinterError)
{
    QFile blocker(dir.filePath(QStringLiteral("printed")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        printer.printLine(QStringLiteral("lost"));
        ADD_FAILURE() << "printed with no folder to print into";
    } catch (const rt::RuntimeError &e) {
        EXPECT_EQ(e.number(), 482);
    }
    // The next line tries again.
    ASSERT_TRUE(blocker.remove());
    printer.printLine(QStringLiteral("kept"));
    printer.endDoc();
    EXPECT_EQ(joined(lines(printed(QStringLiteral("tarvo-2026-12-09-174512.pdf")))), "kept");
}

TEST_F(QtPrinterTest, ADocumentStillOpenAtTheEndIsSent)
{
    QString path;
    {
        platform::QtPrinter leaving{dir.path(), clock, platform::QtPrinter::Output::PdfFiles};
        leaving.printLine(QStringLiteral("unfinished"));
        path = leaving.lastOutputPath();
    }
    EXPECT_EQ(info(path).pages, 1);
    EXPECT_EQ(joined(lines(path)), "unfinished");
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
    platform::QtWindowManager windows;
    platform::WindowProcedures procedures;
    platform::PictureTable pictures;
    platform::QtNotificationArea tray(procedures, pictures);
    platform::QtControlHost host(dir.path(), {tray, windows, procedures, pictures});
    EXPECT_EQ(host.loadPlugIn(QStringLiteral("TarvoTray")), nullptr);

    QList<qint32> events;
    const auto site = host.createSite(QStringLiteral("TrayView1"),
                                      {{{QStringLiteral("TrayTip"), QStringLiteral("Not Online")}}, {}},
                                      [&](qint32 dispId, QVariantList &) { events << dispId; });
    EXPECT_TRUE(site->userMode());
    QVariantList none;
    site->raiseEvent(3, none);
    EXPECT_EQ(events, QList<qint32>{3});
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
    EXPECT_EQ(services.controls.loadPlugIn(QStringLiteral("TarvoTray")), nullptr);
    const auto site = services.controls.createSite(QStringLiteral("TrayView1"), {}, {});
    platform::NOTIFYICONDATAA record;
    record.cbSize = sizeof record;
    EXPECT_FALSE(site->services().shell.Shell_NotifyIconA(nim::NIM_ADD, record));
    services.pointer.setBusy(true);
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    // Looking at the machine needs nothing set up and changes nothing.
    EXPECT_EQ(services.folders.programFolder(), QCoreApplication::applicationDirPath());
}

} // namespace
