// Starting Tarvo: the good start, and every way a start can fail.
#include "Harness.h"
#include "tarvo/Form1.h"
#include "tarvo/Form8.h"
#include "tools/ShippedDatabase.h"
#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace testing_support;
namespace mb = platform::mb;

namespace {

const QString kInitTitle = QStringLiteral("Tarvo - Initialization Error");

const QString kCouldNotOpen = QStringLiteral(
    "Could Not Open Database Tarvo.mdb\r\n"
    "There Are Two Probable Causes .\r\n"
    "\r\n"
    "1) You Are Already Running Tarvo. \r\n"
    "    This Version Allows Only One Instance.\r\n"
    "    So This Instance Of The Program Will Quit. \r\n"
    "\r\n"
    "2) The Database Is Corrupted, Renamed \r\n"
    "    Or Deleted. Reinstall Tarvo. ");

// The two boxes of a refused database, then the end: no third box.
void expectDatabaseRefused(Harness &h, int number)
{
    h.boxes.answer(mb::Ok);
    h.boxes.answer(mb::Ok);
    tarvo::Form1 &f = h.start();

    const auto &shown = h.boxes.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].title.isEmpty());
    EXPECT_EQ(shown[0].buttons(), mb::OkOnly);
    EXPECT_TRUE(shown[0].prompt.startsWith(QString::number(number) + QStringLiteral("\r\n")))
        << shown[0].prompt.toStdString();
    EXPECT_EQ(shown[1].title, kInitTitle);
    EXPECT_EQ(shown[1].icon(), mb::Critical);
    EXPECT_EQ(shown[1].prompt, kCouldNotOpen);

    EXPECT_TRUE(f.ended());
    EXPECT_EQ(f.run.exitMode, tarvo::ExitStartupFailed);
    EXPECT_TRUE(f.run.quitRequested);

    const QStringList log = h.errorLogLines();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith(QStringLiteral(" 1 43 "))) << log[0].toStdString();
    EXPECT_TRUE(log[0].contains(QStringLiteral(" %1").arg(number)));
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("STATUS - ")));
}

// Root writes where the permissions say no. While one of these lives, a
// process running as root sets that power aside (keeping the right to take
// it back), so read-only files and folders are read-only to it as well.
class WithoutWriteOverride {
public:
    WithoutWriteOverride()
    {
        if (::geteuid() != 0)
            return;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0) {
            m_usable = false;
            return;
        }
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
        m_usable = m_lowered;
    }
    ~WithoutWriteOverride()
    {
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool usable() const { return m_usable; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
    bool m_usable = true;
};

QByteArray contentsOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(Startup, GoodStartLoadsTheSettingsFoldsThePanelAndStartsBothTimers)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    EXPECT_TRUE(h.boxes.shown().empty());
    EXPECT_FALSE(f.ended());
    EXPECT_EQ(f.run.exitMode, tarvo::ExitAsk);
    EXPECT_FALSE(f.run.loading);
    EXPECT_FALSE(f.run.quitRequested);

    EXPECT_EQ(f.Delay->text(), QStringLiteral("500"));
    EXPECT_EQ(f.DelayChange->value(), 500);
    EXPECT_EQ(f.Wait->text(), QStringLiteral("60"));
    EXPECT_EQ(f.MaxTry->text(), QStringLiteral("10"));
    EXPECT_EQ(f.options.maxTries, 10);
    EXPECT_TRUE(f.Monitor->isChecked());
    EXPECT_TRUE(f.Atrec->isChecked());
    EXPECT_FALSE(f.Shrink->isChecked());
    EXPECT_FALSE(f.AutoConnect->isChecked());
    EXPECT_EQ(f.options.captionConnectTo, QStringLiteral("Connect To"));
    EXPECT_EQ(f.options.captionConnecting, QStringLiteral("Connecting to "));
    EXPECT_EQ(f.options.captionConnected, QStringLiteral("Connected to "));

    // Folded: the panel's controls are out of reach, the button row works.
    EXPECT_TRUE(f.isCompact());
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.Shrink->isEnabled());
    EXPECT_FALSE(f.DelayChange->isEnabled());
    EXPECT_FALSE(f.Settings->isEnabled());
    EXPECT_TRUE(f.Com[0]->isEnabled());
    EXPECT_TRUE(f.Com[1]->isEnabled());
    EXPECT_FALSE(f.options.monitorOff);

    EXPECT_EQ(f.Backup->interval(), 1000);
    EXPECT_EQ(f.KeepOnline->interval(), 500);
}

TEST(Startup, FirstStartStoresTheDefaultTimesAndTheScheduleFollowsTheSwitch)
{
    {
        Harness h;
        tarvo::Form1 &f = h.start();
        f.settings->moveFirst();
        EXPECT_EQ(f.settings->field(tarvo::Settings::ConnectTime), rt::Value("6:00 am"));
        EXPECT_EQ(f.settings->field(tarvo::Settings::DisconnectTime), rt::Value("6:30 am"));
        EXPECT_EQ(f.window<tarvo::Form8>().Alarm[0]->text(), QStringLiteral("6:00 am"));
        EXPECT_EQ(f.window<tarvo::Form8>().Alarm[1]->text(), QStringLiteral("6:30 am"));
        EXPECT_FALSE(f.triggers.scheduleArmed);
        EXPECT_FALSE(f.triggers.browserArmed);
    }
    {
        Harness h;
        {
            auto db = db::Database::openExclusive(h.databasePath(), tarvo::kDatabaseConnect);
            auto s = db->openTable(tarvo::kSettingsTable);
            s->moveFirst();
            s->edit();
            s->setField(tarvo::Settings::AppStart, 1);
            s->setField(tarvo::Settings::AlarmStart, 1);
            s->setField(tarvo::Settings::ConnectTime, QStringLiteral("7:15 am"));
            s->setField(tarvo::Settings::DisconnectTime, QStringLiteral("18:30"));
            s->setField(tarvo::Settings::Shrink, 1);
            s->update();
        }
        tarvo::Form1 &f = h.start();
        EXPECT_TRUE(f.triggers.browserArmed);
        EXPECT_TRUE(f.window<tarvo::Form8>().AppStart->isChecked());
        EXPECT_TRUE(f.triggers.scheduleArmed);
        EXPECT_TRUE(f.window<tarvo::Form8>().AlarmStart->isChecked());
        // The connect time stays text; the disconnect time becomes a time.
        EXPECT_EQ(f.triggers.connectAt, rt::Value("7:15 am"));
        EXPECT_EQ(f.triggers.disconnectAt.type(), rt::VType::Date);
        EXPECT_EQ(f.triggers.disconnectAt.toDate().time(), QTime(18, 30));
        EXPECT_TRUE(f.Shrink->isChecked());
    }
}

TEST(Startup, AnyMissingMarkerFileEndsWithTheInitializationError)
{
    for (const char *missing : {"windows/rundll32.exe", "windows/system/rnaui.dll", "windows/system/rnaapp.exe"}) {
        SCOPED_TRACE(missing);
        Harness h;
        ASSERT_TRUE(QFile::remove(h.path(QStringLiteral("machine/") + QLatin1String(missing))));
        h.boxes.answer(mb::Ok);
        tarvo::Form1 &f = h.start();

        ASSERT_EQ(h.boxes.shown().size(), 1u);
        const ShownBox &box = h.boxes.shown()[0];
        EXPECT_EQ(box.title, kInitTitle);
        EXPECT_EQ(box.icon(), mb::Critical);
        EXPECT_TRUE(box.systemModal());
        EXPECT_EQ(box.prompt, QStringLiteral(" Dial-up Networking Not Installed Or Corrupt. \r\n"
                                             " Tarvo Cannot Function. \r\n"
                                             " Tarvo Will Now Exit."));
        EXPECT_TRUE(f.ended());
        EXPECT_EQ(f.run.exitMode, tarvo::ExitDialUpMissing);
        // The database was never touched.
        EXPECT_FALSE(f.database);
        EXPECT_TRUE(h.readErrorLog().isEmpty());
    }
}

TEST(Startup, MissingDamagedOrWrongPasswordDatabaseEndsAfterTheTwoBoxes)
{
    {
        SCOPED_TRACE("missing");
        Harness h;
        QFile::remove(h.databasePath());
        expectDatabaseRefused(h, 3024);
    }
    {
        SCOPED_TRACE("damaged");
        Harness h;
        overwrite(h.databasePath(), QByteArray(8192, '\x13'));
        expectDatabaseRefused(h, 3031);
    }
    {
        SCOPED_TRACE("empty");
        Harness h;
        overwrite(h.databasePath(), QByteArray());
        expectDatabaseRefused(h, 3031);
        EXPECT_EQ(QFileInfo(h.databasePath()).size(), 0);
    }
    {
        SCOPED_TRACE("wrong password");
        Harness h;
        QFile::remove(h.databasePath());
        auto other = db::Database::create(h.databasePath(), QStringLiteral(";pwd=not-ours"));
        other->exec(QStringLiteral("CREATE TABLE Settings (Delay INTEGER)"));
        other.reset();
        expectDatabaseRefused(h, 3031);
    }
}

TEST(Startup, ReadOnlyDatabaseOrFolderEndsAfterTheTwoBoxesNamingTheCause)
{
    WithoutWriteOverride asUser;
    if (!asUser.usable())
        GTEST_SKIP() << "running as root, which writes read-only files, without the right to set that aside";
    {
        SCOPED_TRACE("read-only file");
        Harness h;
        ASSERT_TRUE(QFile::setPermissions(h.databasePath(), QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray before = contentsOf(h.databasePath());
        expectDatabaseRefused(h, 3051);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(h.boxes.shown()[0].prompt.endsWith(QStringLiteral("is read-only.")));
        EXPECT_EQ(contentsOf(h.databasePath()), before);
    }
    {
        SCOPED_TRACE("read-only folder");
        Harness h;
        const auto permissions = QFile::permissions(h.folder());
        ASSERT_TRUE(QFile::setPermissions(h.folder(), QFile::ReadOwner | QFile::ExeOwner));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(h.folder(), permissions); });
        const QByteArray before = contentsOf(h.databasePath());
        h.boxes.answer(mb::Ok);
        h.boxes.answer(mb::Ok);
        tarvo::Form1 &f = h.start();
        const auto &shown = h.boxes.shown();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_TRUE(shown[0].prompt.startsWith(QStringLiteral("3051\r\n"))) << shown[0].prompt.toStdString();
        EXPECT_TRUE(shown[0].prompt.contains(QStringLiteral("its folder cannot be written")))
            << shown[0].prompt.toStdString();
        EXPECT_EQ(shown[1].prompt, kCouldNotOpen);
        EXPECT_TRUE(f.ended());
        EXPECT_EQ(f.run.exitMode, tarvo::ExitStartupFailed);
        EXPECT_EQ(contentsOf(h.databasePath()), before);
        // The log, in the same folder, cannot take the record either.
        EXPECT_TRUE(h.readErrorLog().isEmpty());
    }
}

TEST(Startup, SecondCopyIsRefusedWhileTheFirstHoldsTheDatabase)
{
    Harness h;
    QProcess holder;
    holder.start(QStringLiteral(DBHOLDER_PATH), {QStringLiteral("hold"), h.databasePath()});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readLine().trimmed(), QByteArray("held"));

    expectDatabaseRefused(h, 3045);

    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(holder.exitCode(), 0);
}

TEST(Startup, FirstCopyKeepsRunningWhenASecondOneTriesToOpen)
{
    Harness h;
    tarvo::Form1 &f = h.start();

    QProcess second;
    second.start(QStringLiteral(DBHOLDER_PATH), {QStringLiteral("try"), h.databasePath()});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.readAllStandardOutput().trimmed(), QByteArray("refused 3045"));

    f.Usetting(tarvo::Settings::Wait, 75);
    f.settings->moveFirst();
    EXPECT_EQ(f.settings->field(tarvo::Settings::Wait), rt::Value(qint64(75)));
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST(Startup, ErrorLaterInTheStartIsLoggedAndEndsTheProgram)
{
    Harness h;
    {
        // A file without its settings row: the loader and then the load
        // handler itself fail on it.
        auto db = db::Database::openExclusive(h.databasePath(), tarvo::kDatabaseConnect);
        db->exec(QStringLiteral("DELETE FROM Settings"));
    }
    h.boxes.answer(mb::Ok);   // the remembered connection cannot be read
    h.boxes.answer(mb::Ok);   // nor the settings
    h.boxes.answer(mb::Ok);   // the load handler's own error
    h.boxes.answer(mb::Ok);   // " Tarvo Will Now Exit "
    tarvo::Form1 &f = h.start();

    const auto titles = h.boxes.titles();
    ASSERT_EQ(titles.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(titles[i], QStringLiteral("Tarvo - Internal Error"));
    EXPECT_EQ(h.boxes.shown()[3].prompt, QStringLiteral(" Tarvo Will Now Exit "));
    EXPECT_TRUE(f.ended());
    EXPECT_EQ(f.run.exitMode, tarvo::ExitStartupFailed);

    const QStringList log = h.errorLogLines();
    ASSERT_EQ(log.size(), 6);
    EXPECT_TRUE(log[0].endsWith(QStringLiteral(" 1 44 "))) << log[0].toStdString();
    EXPECT_TRUE(log[2].endsWith(QStringLiteral(" 1 45 "))) << log[2].toStdString();
    EXPECT_TRUE(log[4].endsWith(QStringLiteral(" 1 42 "))) << log[4].toStdString();
}

TEST(Startup, MonitorValueOtherThanZeroOrOneIsRefusedByItsCheckBox)
{
    Harness h;
    {
        auto db = db::Database::openExclusive(h.databasePath(), tarvo::kDatabaseConnect);
        auto s = db->openTable(tarvo::kSettingsTable);
        s->moveFirst();
        s->edit();
        s->setField(tarvo::Settings::Monitor, -1);
        s->update();
    }
    h.boxes.answer(mb::Ok);
    tarvo::Form1 &f = h.start();
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_TRUE(h.boxes.shown()[0].prompt.startsWith(QStringLiteral("380\r\n")));
    EXPECT_FALSE(f.ended());
}

TEST(Exit, QuitIsCarriedOutByTheNextTickAfterTheQuestion)
{
    Harness h;
    tarvo::Form1 &f = h.start();

    // The title bar's close without a request does nothing and asks nothing.
    f.close();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.ended());

    f.ComQ_Click();
    EXPECT_FALSE(f.ended());
    h.boxes.answer(mb::No);
    f.KeepOnline_Timer();
    EXPECT_FALSE(f.ended());
    EXPECT_FALSE(f.run.quitRequested);
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].title, QStringLiteral("Tarvo - Exit Confirmation"));
    EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral(" Do You Want To Quit Tarvo ?  "));
    EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::YesNo);

    f.KeepOnline_Timer();   // no request: nothing happens
    f.ComQ_Click();
    h.boxes.answer(mb::Yes);
    f.KeepOnline_Timer();
    EXPECT_TRUE(f.ended());
}
