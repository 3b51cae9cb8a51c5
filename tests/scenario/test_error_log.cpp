// The error log's records and what happens when it cannot be written.
#include "Harness.h"
#include "tarvo/Form1.h"
#include "tarvo/Form8.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
namespace mb = platform::mb;

TEST(ErrorLog, RecordIsTwoLinesWithLocationLineStateAndOptions)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    h.clock.set(rt::DateTime::fromParts(2026, 12, 9, 14, 5, 9));

    h.boxes.answer(mb::Ok);
    f.Err.set(3265, QStringLiteral("Item not found in this collection."));
    f.loger(1, 48);
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].title, QStringLiteral("Tarvo - Internal Error"));
    EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral("3265\r\nItem not found in this collection."));
    EXPECT_EQ(f.Err.number, 0);

    // Line state known, other options ticked, no message asked for.
    f.session.lineState = tarvo::LineUp;
    f.Shrink->setChecked(true);
    f.window<tarvo::Form8>().AppStart->setChecked(true);
    f.Monitor->setChecked(false);
    f.Err.set(13, QStringLiteral("Type mismatch"));
    f.loger(12, 7, true);

    EXPECT_EQ(h.readErrorLog(),
              QStringLiteral("12/9/2026 2:05:09 PM 3265Item not found in this collection. 1 48 \r\n"
                             "STATUS - 500 60 10 1 1 0 0 0\r\n"
                             "12/9/2026 2:05:09 PM 13Type mismatch 12 7 1\r\n"
                             "STATUS - 500 60 10 1 0 1 0 1\r\n"));
    EXPECT_EQ(h.boxes.shown().size(), 1u);
}

// The log tells of the user's connections: a log Tarvo makes is theirs
// alone, and one that is there already keeps its mode.
TEST(ErrorLog, ANewLogIsTheUsersAloneAndAnOldOneKeepsItsMode)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    const QString log = h.path(QStringLiteral("err.log"));
    QFile::remove(log);
    const mode_t before = ::umask(022);
    f.Err.set(13, QStringLiteral("Type mismatch"));
    f.loger(1, 48, true);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(log).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_EQ(::chmod(QFile::encodeName(log).constData(), 0640), 0);
    f.Err.set(13, QStringLiteral("Type mismatch"));
    f.loger(1, 48, true);
    ASSERT_EQ(::stat(QFile::encodeName(log).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ::umask(before);
    EXPECT_EQ(h.errorLogLines().size(), 4);
}

TEST(ErrorLog, NoPendingErrorWritesAndShowsNothing)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    f.loger(1, 48);
    EXPECT_TRUE(h.readErrorLog().isEmpty());
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST(ErrorLog, UnwritableLogLosesTheRecordAndNothingElse)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    // A folder where the file should be: it cannot be opened for appending.
    ASSERT_TRUE(QDir(h.folder()).mkdir(QStringLiteral("err.log")));

    h.boxes.answer(mb::Ok);
    f.Usetting(tarvo::Settings::Delay, QStringLiteral("quick"));
    EXPECT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(f.Err.number, 0);

    ASSERT_TRUE(QDir(h.folder()).rmdir(QStringLiteral("err.log")));
    h.boxes.answer(mb::Ok);
    f.Usetting(tarvo::Settings::Delay, QStringLiteral("quick"));
    EXPECT_EQ(h.errorLogLines().size(), 2);
}

TEST(ErrorLog, LogThatIsNotAPlainFileLosesTheRecordWithoutWaiting)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    const QByteArray pipe = QFile::encodeName(h.path(QStringLiteral("err.log")));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    // With a reader on the pipe, a record written into it is found there
    // instead of the test waiting for good.
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    h.boxes.answer(mb::Ok);
    f.Err.set(13, QStringLiteral("Type mismatch"));
    f.loger(1, 48);
    char buffer[64];
    ASSERT_LE(::read(reader, buffer, sizeof buffer), 0);
    ::close(reader);

    // Without one, writing would wait for a reader.
    h.boxes.answer(mb::Ok);
    f.Usetting(tarvo::Settings::Delay, QStringLiteral("quick"));
    EXPECT_EQ(h.boxes.shown().size(), 2u);
    EXPECT_EQ(f.Err.number, 0);
}

TEST(ErrorLog, RecordsOfSuccessiveRunsFollowOneAnother)
{
    Harness h;
    for (int run = 0; run < 2; ++run) {
        tarvo::Form1 f(*h.services);
        f.Form_Load();
        h.boxes.answer(mb::Ok);
        f.Usetting(tarvo::Settings::Delay, QStringLiteral("quick"));
        // The process ends; the next run opens the file anew.
        f.track.reset();
        f.settings.reset();
        f.conInfo.reset();
        f.database.reset();
    }
    EXPECT_EQ(h.errorLogLines().size(), 4);
}

TEST(ErrorLog, RecordIsOnDiskBeforeItsBoxGoesUp)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    QString logWhileShown;
    h.boxes.whileShown = [&](const ShownBox &) { logWhileShown = h.readErrorLog(); };
    h.boxes.answer(mb::Ok);
    f.Err.set(13, QStringLiteral("Type mismatch"));
    f.loger(1, 48);
    EXPECT_TRUE(logWhileShown.contains(QStringLiteral(" 13Type mismatch 1 48 ")));
    EXPECT_EQ(logWhileShown, h.readErrorLog());
}

TEST(ErrorTrap, AnythingThrownIsLoggedAndTheProcedureEndsWithoutTheProgram)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    h.boxes.answer(mb::Ok);
    h.boxes.answer(mb::Ok);
    h.boxes.answer(mb::Ok);
    bool after = false;
    EXPECT_FALSE(tarvo::trapped(f, tarvo::Window::Main, 99, [&] {
        throw 42;
        after = true;
    }));
    EXPECT_FALSE(tarvo::trapped(f, tarvo::Window::Credentials, 4, [] { throw std::runtime_error("odd"); }));
    EXPECT_FALSE(tarvo::trapped(f, tarvo::Window::ScannerModule, 2, [] { rt::err::invalidPropertyValue(); }));
    EXPECT_TRUE(tarvo::trapped(f, tarvo::Window::Main, 99, [] {}));
    EXPECT_FALSE(after);

    const QStringList lines = h.errorLogLines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[0].contains(QStringLiteral(" 51Internal error 1 99 "))) << lines[0].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral(" 51Internal error: odd 10 4 "))) << lines[2].toStdString();
    EXPECT_TRUE(lines[4].contains(QStringLiteral(" 380Invalid property value 12 2 "))) << lines[4].toStdString();
}
