// Where the program keeps its files: beside itself in the build folder, in
// the user's data folder when installed, laid down from the shipped files
// without ever replacing what the user has.
#include "platform/ProgramLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using platform::ProgramLocation;
using platform::ProgramSurroundings;

namespace {

// The file's own rights, without the caller's.
constexpr QFileDevice::Permissions kOwnerGroupOther{0x7077};

void write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(content);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// An installed tree: usr/bin, usr/lib/tarvo, usr/share/tarvo with the
// shipped database and the machine.
struct InstalledTree {
    QTemporaryDir root;
    QString bin = root.filePath(QStringLiteral("usr/bin"));
    QString templates = root.filePath(QStringLiteral("usr/share/tarvo"));
    QString home = root.filePath(QStringLiteral("home/.local/share"));

    InstalledTree()
    {
        QDir().mkpath(bin);
        write(templates + QStringLiteral("/tarvo.mdb.shipped"), "shipped database");
        write(templates + QStringLiteral("/machine/registry.reg"), "shipped registry");
        write(templates + QStringLiteral("/machine/windows/system/rnaui.dll"), "marker");
    }
};

TEST(ProgramLocation, RunFromTheBuildFolderEverythingStaysBesideTheProgram)
{
    QTemporaryDir build;
    const ProgramLocation at = platform::chooseProgramLocation({build.path() + QStringLiteral("/"), true, QStringLiteral("/home/u/.local/share")});
    EXPECT_EQ(at.programFolder, build.path());
    EXPECT_EQ(at.plugInFolder, build.path());
    EXPECT_TRUE(at.templateFolder.isEmpty());
}

TEST(ProgramLocation, InstalledTheUsersDataFolderHoldsTheFilesEvenWhereBinIsWritable)
{
    InstalledTree tree;
    for (const bool writable : {false, true}) {
        const ProgramLocation at = platform::chooseProgramLocation({tree.bin, writable, tree.home});
        EXPECT_EQ(at.programFolder, tree.home + QStringLiteral("/tarvo"));
        EXPECT_EQ(at.plugInFolder, tree.root.filePath(QStringLiteral("usr/lib/tarvo")));
        EXPECT_EQ(at.templateFolder, tree.templates);
        EXPECT_FALSE(at.onlyShippedTemplates);
    }
}

TEST(ProgramLocation, AFolderThatCannotBeWrittenGivesOnlyItsShippedFilesAndMachine)
{
    QTemporaryDir build;
    const QString folder = build.path();
    write(folder + QStringLiteral("/tarvo"), "program");
    write(folder + QStringLiteral("/libTarvoTray.so"), "plug-in");
    write(folder + QStringLiteral("/tarvo.mdb"), "the builder's own database");
    write(folder + QStringLiteral("/tarvo.mdb.shipped"), "shipped database");
    write(folder + QStringLiteral("/machine/dialup.ini"), "line");
    write(folder + QStringLiteral("/obj/x.o"), "object");
    const QString home = build.filePath(QStringLiteral("home"));

    const ProgramLocation at = platform::chooseProgramLocation({folder, false, home});
    ASSERT_EQ(at.programFolder, home + QStringLiteral("/tarvo"));
    EXPECT_EQ(at.plugInFolder, folder);
    EXPECT_TRUE(platform::layDownTemplates(at).isEmpty());

    EXPECT_EQ(read(at.programFolder + QStringLiteral("/tarvo.mdb")), "shipped database");
    EXPECT_EQ(read(at.programFolder + QStringLiteral("/machine/dialup.ini")), "line");
    QStringList laid;
    for (const QFileInfo &f : QDir(at.programFolder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        laid << f.fileName();
    EXPECT_EQ(laid, (QStringList{QStringLiteral("machine"), QStringLiteral("tarvo.mdb")}));
}

TEST(ProgramLocation, LayingDownNeverReplacesTheUsersFilesAndRestoresOnlyWhatIsMissing)
{
    InstalledTree tree;
    const ProgramLocation at = platform::chooseProgramLocation({tree.bin, false, tree.home});
    ASSERT_TRUE(platform::layDownTemplates(at).isEmpty());

    const QString database = at.programFolder + QStringLiteral("/tarvo.mdb");
    const QString registry = at.programFolder + QStringLiteral("/machine/registry.reg");
    const QString marker = at.programFolder + QStringLiteral("/machine/windows/system/rnaui.dll");
    EXPECT_EQ(read(database), "shipped database");
    EXPECT_FALSE(QFileInfo::exists(at.programFolder + QStringLiteral("/tarvo.mdb.shipped")));
    EXPECT_EQ(read(marker), "marker");
    // The stored passwords are the user's alone.
    EXPECT_EQ(QFile::permissions(database) & kOwnerGroupOther, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    write(database, "the user's settings and log");
    write(registry, "the user's connections");
    QFile::remove(marker);
    // A newer package ships other files.
    write(tree.templates + QStringLiteral("/tarvo.mdb.shipped"), "newer shipped database");

    EXPECT_TRUE(platform::layDownTemplates(at).isEmpty());
    EXPECT_EQ(read(database), "the user's settings and log");
    EXPECT_EQ(read(registry), "the user's connections");
    EXPECT_EQ(read(marker), "marker");
    QStringList left = QDir(at.programFolder).entryList(QStringList{QStringLiteral("*partial*")}, QDir::Files);
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
}

TEST(ProgramLocation, AFolderThatCannotBeMadeIsReported)
{
    InstalledTree tree;
    write(tree.home, "a file where the data folder should be");
    const ProgramLocation at = platform::chooseProgramLocation({tree.bin, false, tree.home});
    EXPECT_EQ(platform::layDownTemplates(at), QStringList{at.programFolder});
}

// A program folder that cannot be laid down stops the start with a message
// that names the folder and says why, and nothing is changed.
TEST(ProgramLocation, AnUnusableDataFolderIsNamedWithItsCause)
{
    InstalledTree tree;
    write(tree.home, "a file where the data folder should be");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", tree.home.toLocal8Bit());
    const ProgramLocation at = platform::locateProgram(tree.bin);
    qputenv("XDG_DATA_HOME", saved);

    EXPECT_TRUE(at.problem.contains(tree.home + QStringLiteral("/tarvo"))) << at.problem.toStdString();
    EXPECT_TRUE(at.problem.contains(QStringLiteral("\"%1\" is a file, not a folder").arg(tree.home)))
        << at.problem.toStdString();
    EXPECT_EQ(read(tree.home), "a file where the data folder should be");
}

TEST(ProgramLocation, AFolderWithoutWriteRightsSaysSo)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write to any folder whatever its rights";
    QTemporaryDir root;
    const QString locked = root.filePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(platform::folderProblem(locked + QStringLiteral("/tarvo")), QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_EQ(platform::folderProblem(locked), QString::fromLocal8Bit(std::strerror(EACCES)));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(platform::folderProblem(locked + QStringLiteral("/tarvo")), QString());
    EXPECT_TRUE(QFileInfo(locked + QStringLiteral("/tarvo")).isDir());
}

TEST(ProgramLocation, TheFirstStartMakesAPrivateFolderUnderXdgDataHome)
{
    InstalledTree tree;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", tree.home.toLocal8Bit());
    const ProgramLocation at = platform::locateProgram(tree.bin);
    qputenv("XDG_DATA_HOME", saved);

    EXPECT_EQ(at.programFolder, tree.home + QStringLiteral("/tarvo"));
    EXPECT_EQ(read(at.programFolder + QStringLiteral("/tarvo.mdb")), "shipped database");
    EXPECT_EQ(QFile::permissions(at.programFolder) & kOwnerGroupOther,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
