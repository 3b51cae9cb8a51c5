// The real program, as built, on a fresh program folder: it starts, holds
// its database, and a termination signal ends it cleanly.
#include "tarvo/DatabaseFile.h"
#include "tools/ShippedDatabase.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        ASSERT_TRUE(QFile::copy(file, target)) << target.toStdString();
    }
}

// Whether another process holds a lock on the database file. Only asked,
// never taken: a probe that opened the database itself could take it from
// under a Tarvo that is just starting, which would then refuse to run.
bool databaseHeld(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;   // to the end, and beyond: the engine locks bytes past it
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

} // namespace

TEST(MainProgram, StartsOnAFreshFolderAndEndsCleanlyOnATerminationSignal)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("tarvo"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARVO_PROGRAM), program));
    const QString plugIn = QStringLiteral(TARVO_TRAY_PLUGIN);
    ASSERT_TRUE(QFile::copy(plugIn, dir.filePath(QFileInfo(plugIn).fileName())));
    copyTree(QStringLiteral(TARVO_MACHINE_FILES), dir.filePath(QStringLiteral("machine")));
    const QString database = dir.filePath(tarvo::kDatabaseFileName);
    tools::writeShippedDatabase(database);

    QProcess tarvo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tarvo.setProcessEnvironment(env);
    tarvo.setWorkingDirectory(dir.path());
    tarvo.start(program, {});
    ASSERT_TRUE(tarvo.waitForStarted(10000));

    // The process gets there in its own time: look until it holds the file.
    bool held = false;
    for (int i = 0; i < 300 && !held && tarvo.state() == QProcess::Running; ++i) {
        tarvo.waitForFinished(100);
        held = databaseHeld(database);
    }
    ASSERT_TRUE(held) << tarvo.readAllStandardError().toStdString();

    tarvo.terminate();
    ASSERT_TRUE(tarvo.waitForFinished(20000));
    EXPECT_EQ(tarvo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tarvo.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("err.log"))));
    // Ended, it lets go of the database.
    EXPECT_FALSE(databaseHeld(database));
}
