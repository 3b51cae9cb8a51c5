// The connection box: what the machine's registry lists, what Tarvo
// remembers, and what the user may do with the box.
#include "Harness.h"
#include "tarvo/Form1.h"
#include "tarvo/Module1.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using rt::Value;
namespace mb = platform::mb;

namespace {

QStringList listOf(const tarvo::Form1 &f)
{
    QStringList names;
    for (int i = 0; i < f.Con->count(); ++i)
        names << f.Con->itemText(i);
    return names;
}

QStringList rowsOf(tarvo::Form1 &f)
{
    QStringList out;
    if (f.conInfo->recordCount() == 0)
        return out;
    f.conInfo->moveFirst();
    while (!f.conInfo->eof()) {
        out << f.conInfo->field(tarvo::ConInfo::ConName).toString();
        f.conInfo->moveNext();
    }
    return out;
}

Value lastConnection(tarvo::Form1 &f)
{
    f.settings->moveFirst();
    return f.settings->field(tarvo::Settings::LastConnection);
}

void rebuild(tarvo::Form1 &f)
{
    f.module1().ReadReg(tarvo::ReadConnections);
}

} // namespace

TEST(ConnectionList, ListsTheRegistryInOrderMirrorsItAndSelectsTheFirstAtFirstStart)
{
    Harness h;
    h.writeRegistry({"Home", "Work", "Away"});
    tarvo::Form1 &f = h.start();
    EXPECT_EQ(listOf(f), (QStringList{"Home", "Work", "Away"}));
    EXPECT_EQ(rowsOf(f), (QStringList{"Home", "Work", "Away"}));
    EXPECT_EQ(f.conText(), QStringLiteral("Home"));
    EXPECT_EQ(lastConnection(f), Value("Home"));

    // A second rebuild adds no rows twice.
    rebuild(f);
    EXPECT_EQ(rowsOf(f).size(), 3);
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST(ConnectionList, StartSelectsTheRememberedNameOrStoresTheFirstWhenItIsGone)
{
    Harness h;
    h.writeRegistry({"Home", "Work"});
    {
        tarvo::Form1 &f = h.start();
        f.Usetting(tarvo::Settings::LastConnection, QStringLiteral("Work"));
        h.endForm();
    }
    {
        tarvo::Form1 &f = h.start();
        EXPECT_EQ(f.conText(), QStringLiteral("Work"));
        f.Usetting(tarvo::Settings::LastConnection, QStringLiteral("Gone"));
        h.endForm();
    }
    tarvo::Form1 &f = h.start();
    EXPECT_EQ(f.conText(), QStringLiteral("Home"));
    EXPECT_EQ(lastConnection(f), Value("Home"));
}

TEST(ConnectionList, ReadsAtMost101ValuesAndLongNamesWhole)
{
    Harness h;
    QStringList many;
    const QString sixty = QStringLiteral("A connection name that runs to sixty characters, exactly!!!!");
    ASSERT_EQ(sixty.size(), 60);
    many << sixty;
    for (int i = 1; i < 130; ++i)
        many << QStringLiteral("Connection %1").arg(i);
    h.writeRegistry(many);
    tarvo::Form1 &f = h.start();
    EXPECT_EQ(f.Con->count(), 101);
    EXPECT_EQ(f.Con->itemText(0), sixty);
    EXPECT_EQ(f.Con->itemText(100), QStringLiteral("Connection 100"));
    EXPECT_EQ(rowsOf(f).first(), sixty);
    EXPECT_TRUE(h.boxes.shown().empty());
}

namespace {

// A connection key whose first value holds megabytes of data. It counts the
// calls and stops answering after many, so a reader that creeps towards the
// size fails here instead of taking minutes.
class LargeValueRegistry : public platform::Registry {
public:
    static constexpr int kLargeSize = 8 << 20;
    int enumCalls = 0;

    int regOpenKeyEx(platform::reg::Hkey, const QString &subKey, int, int, platform::reg::Hkey &result) override
    {
        result = 1;
        return subKey == QLatin1String("RemoteAccess\\Addresses") ? platform::reg::ERROR_SUCCESS
                                                                  : platform::reg::ERROR_FILE_NOT_FOUND;
    }
    int regEnumValue(platform::reg::Hkey, int index, QString &name, int &nameLength, int &type, QByteArray &data,
                     int &dataSize) override
    {
        namespace reg = platform::reg;
        if (++enumCalls > 100)
            return reg::ERROR_INVALID_HANDLE;
        if (index > 1)
            return reg::ERROR_NO_MORE_ITEMS;
        const QString value = index == 0 ? QStringLiteral("Large") : QStringLiteral("Small");
        const int need = index == 0 ? kLargeSize : 2;
        if (dataSize < need) {
            dataSize = need;
            return reg::ERROR_MORE_DATA;
        }
        if (data.size() < need)   // a buffer smaller than its stated size
            return reg::ERROR_INVALID_HANDLE;
        name = value;
        nameLength = int(value.size());
        type = reg::REG_BINARY;
        dataSize = need;
        return reg::ERROR_SUCCESS;
    }
    int regQueryValueEx(platform::reg::Hkey, const QString &, int &, QByteArray &, int &) override
    {
        return platform::reg::ERROR_FILE_NOT_FOUND;
    }
    int regCloseKey(platform::reg::Hkey) override { return platform::reg::ERROR_SUCCESS; }
};

} // namespace

TEST(ConnectionList, ALargeValueIsReadWithOneRetryAtTheSizeTheRegistryAsksFor)
{
    Harness h;
    LargeValueRegistry large;
    platform::Platform services{.clock = h.clock, .boxes = h.boxes, .folders = h.folders, .files = h.files,
                                .registry = large, .windows = h.desktop, .keys = h.keys, .process = h.starter,
                                .printer = h.printer, .controls = h.controls,
                                .events = h.events, .pointer = h.pointer, .timersTick = false};
    tarvo::Form1 f(services);
    f.Form_Load();
    EXPECT_EQ(listOf(f), (QStringList{"Large", "Small"}));
    // Large: too small, then read; Small: read; then the end of the list.
    EXPECT_EQ(large.enumCalls, 4);

    large.enumCalls = 0;
    f.Label5_MouseMove(0, 0, 10, 10);
    EXPECT_EQ(listOf(f), (QStringList{"Large", "Small"}));
    EXPECT_EQ(large.enumCalls, 4);
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST(ConnectionList, MissingKeyLeavesTheBoxEmpty)
{
    Harness h;
    h.writeRegistry({}, QString(), false);
    tarvo::Form1 &f = h.start();
    EXPECT_EQ(f.Con->count(), 0);
    EXPECT_TRUE(f.conText().isEmpty());
    EXPECT_EQ(f.conInfo->recordCount(), 0);
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST(ConnectionList, ADeletedConnectionKeepsItsRowAndStaysSelectedUntilTheRowGoes)
{
    Harness h;
    h.writeRegistry({"Home", "Work"});
    tarvo::Form1 &f = h.start();
    f.setConText(QStringLiteral("Work"));

    h.writeRegistry({"Home"});
    f.Label5_MouseMove(0, 0, 10, 10);
    EXPECT_EQ(listOf(f), QStringList{"Home"});
    EXPECT_EQ(f.conText(), QStringLiteral("Work"));
    EXPECT_EQ(rowsOf(f), (QStringList{"Home", "Work"}));

    ASSERT_TRUE(f.Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoDeleteFound, tarvo::ConInfo::ConName, QStringLiteral("Work")));
    f.Label5_MouseMove(0, 0, 10, 10);
    EXPECT_EQ(f.conText(), QStringLiteral("Home"));
}

TEST(ConnectionList, MouseOverTheConnectionAreaPicksUpANewConnectionUnlessTheBoxIsDisabled)
{
    Harness h;
    h.writeRegistry({"Home"});
    tarvo::Form1 &f = h.start();

    h.writeRegistry({"Home", "New One"});
    f.Con->setEnabled(false);
    f.Label5_MouseMove(0, 0, 10, 10);
    EXPECT_EQ(f.Con->count(), 1);

    f.Con->setEnabled(true);
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), f.Label5->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.Label5, &move);
    EXPECT_EQ(listOf(f), (QStringList{"Home", "New One"}));
    ASSERT_TRUE(f.Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("New One")));
    EXPECT_TRUE(f.conInfo->field(tarvo::ConInfo::UserName).isNull());
    EXPECT_TRUE(f.conInfo->field(tarvo::ConInfo::Password).isNull());
    EXPECT_EQ(f.conText(), QStringLiteral("Home"));
}

TEST(ConnectionBox, TypingIsUndoneWithAMessageAndEnterWithout)
{
    Harness h;
    h.writeRegistry({"Home", "Work"});
    tarvo::Form1 &f = h.start();

    // Keys take the keyboard's way: to the active window, and from there to
    // whichever widget has the focus.
    f.show();
    f.activateWindow();
    f.Con->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(f.windowHandle());

    h.boxes.answer(mb::Ok);
    QTest::keyClick(f.windowHandle(), Qt::Key_X);
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral(" You Cannot Edit Here "));
    EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::OkOnly);
    EXPECT_EQ(f.conText(), QStringLiteral("Home"));
    EXPECT_FALSE(f.run.messageOpen);

    QTest::keyClick(f.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(f.conText(), QStringLiteral("Home"));
}

TEST(ConnectionBox, PickingANameRemembersIt)
{
    Harness h;
    h.writeRegistry({"Home", "Work"});
    tarvo::Form1 &f = h.start();
    f.Con->setCurrentIndex(1);
    Q_EMIT f.Con->activated(1);
    EXPECT_EQ(lastConnection(f), Value("Work"));
}

TEST(Registry, StartPageIsReadForTheBrowserAndOtherValuesAreLeftAlone)
{
    Harness h;
    h.writeRegistry({"Home"}, QStringLiteral("http://www.tarvo.example/"));
    tarvo::Form1 &f = h.start();
    QString page;
    EXPECT_TRUE(f.module1().GetRegValue(platform::reg::HKEY_CURRENT_USER,
                                        QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main"),
                                        QStringLiteral("Start Page"), page, 0));
    EXPECT_EQ(page, QStringLiteral("http://www.tarvo.example/"));
    EXPECT_TRUE(f.triggers.browserMatchText.isEmpty());

    f.module1().ReadReg(tarvo::ReadStartPage);
    EXPECT_EQ(f.triggers.browserMatchText, QStringLiteral("http://www.tarvo.example/"));

    // A binary value reads as no text; a missing one fails and empties.
    page = QStringLiteral("old");
    EXPECT_TRUE(f.module1().GetRegValue(platform::reg::HKEY_CURRENT_USER, QStringLiteral("RemoteAccess\\Addresses"),
                                        QStringLiteral("Home"), page, 0));
    EXPECT_TRUE(page.isEmpty());
    page = QStringLiteral("old");
    EXPECT_FALSE(f.module1().GetRegValue(platform::reg::HKEY_CURRENT_USER, QStringLiteral("No\\Such\\Key"),
                                         QStringLiteral("Start Page"), page, -1));
    EXPECT_TRUE(page.isEmpty());
    EXPECT_EQ(f.triggers.browserMatchText, QStringLiteral("http://www.tarvo.example/"));
    EXPECT_EQ(h.registry.openKeyCount(), 0);
}

TEST(Registry, FileWithNoStartPageAndBadLinesStillReadsTheRest)
{
    Harness h;
    overwrite(h.registryPath(), "[HKEY_CURRENT_USER\\RemoteAccess\\Addresses]\n"
                                "\"Home\"=hex:01\n"
                                "this line is not a value\n"
                                "\"Broken=\"\n"
                                "\"Quote \\\"d\\\"\"=\"\"\n");
    tarvo::Form1 &f = h.start();
    EXPECT_EQ(listOf(f), (QStringList{"Home", "Quote \"d\""}));
    f.module1().ReadReg(tarvo::ReadStartPage);
    EXPECT_TRUE(f.triggers.browserMatchText.isEmpty());
}

TEST(Registry, FileThatIsNotAPlainFileIsNotOpenedAndReadsAsNoKey)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    ASSERT_EQ(f.Con->count(), 2);
    const QByteArray pipe = QFile::encodeName(h.registryPath());
    ASSERT_TRUE(QFile::remove(h.registryPath()));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);

    // With the test at the other end, opening the pipe does not wait and is
    // seen here, instead of the test waiting for good.
    const int other = ::open(pipe.constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(other, 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, pipe.constData(), IN_OPEN), 0);
    rebuild(f);
    char event[256];
    const auto opened = ::read(watch, event, sizeof event);
    ::close(watch);
    ::close(other);
    ASSERT_LE(opened, 0);
    EXPECT_EQ(f.Con->count(), 0);

    // Alone, the pipe would make an opener wait for a writer.
    rebuild(f);
    EXPECT_EQ(f.Con->count(), 0);
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST(Registry, TheFileIsReadAgainOnlyWhenItHasChanged)
{
    Harness h;
    h.writeRegistry({QStringLiteral("Home")}, QStringLiteral("first"));
    platform::FileRegistry &registry = h.registry;
    const auto startPage = [&] {
        return registry.readKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main"))
            .value(0)
            .data;
    };
    EXPECT_EQ(startPage(), QByteArray("first", 6));
    // Rewritten just now, with the same size: read again however close
    // together the two writes came.
    h.writeRegistry({QStringLiteral("Home")}, QStringLiteral("again"));
    EXPECT_EQ(startPage(), QByteArray("again", 6));

    // Left as it was for a while: the copy read last is used, until the
    // file is touched again.
    QFile file(h.registryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QDateTime old = QDateTime::currentDateTime().addSecs(-60);
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(startPage(), QByteArray("again", 6));
    overwrite(h.registryPath(), QByteArray("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\n"
                                           "\"Start Page\"=\"third\"\n"));
    EXPECT_EQ(startPage(), QByteArray("third", 6));
}

TEST(Registry, GetMousePosReadsThePointer)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    h.desktop.cursor = QPoint(640, 470);
    f.module1().GetMousePos();
    EXPECT_EQ(f.module1().MousePos, QPoint(640, 470));
}
