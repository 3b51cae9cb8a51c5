#include "platform/ProgramLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// Where an installed program finds its shipped data and its plug-ins, from
// its bin/ folder; set by the build from the install layout.
#ifndef TARVO_TEMPLATES_FROM_BIN
#define TARVO_TEMPLATES_FROM_BIN "../share/tarvo"
#endif
#ifndef TARVO_PLUGINS_FROM_BIN
#define TARVO_PLUGINS_FROM_BIN "../lib/tarvo"
#endif

const QLatin1String kShippedSuffix{".shipped"};
const QLatin1String kMachineFolder{"machine"};

QString under(const QString &folder, const QString &relative)
{
    return QDir::cleanPath(folder + QLatin1Char('/') + relative);
}

// The template's name in the program folder: NAME.shipped is laid down as NAME.
QString laidDownName(const QString &relative)
{
    return relative.endsWith(kShippedSuffix) ? relative.chopped(kShippedSuffix.size()) : relative;
}

// Copies one file into place unless something is there already. The copy
// gets the user's read and write rights only: the database holds the
// stored passwords.
bool layDownFile(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return true;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;
    const QString partial = target + QStringLiteral(".partial-") + QString::number(::getpid());
    QFile::remove(partial);
    if (!QFile::copy(source, partial))
        return false;
    QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const int linked = ::link(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData());
    const int linkError = errno;
    QFile::remove(partial);
    // Another start laid it down meanwhile: theirs stands.
    return linked == 0 || linkError == EEXIST;
}

} // namespace

ProgramLocation chooseProgramLocation(const ProgramSurroundings &around)
{
    const QString executable = QDir::cleanPath(around.executableFolder);
    const QString userFolder = around.dataHome.isEmpty() ? QString() : under(around.dataHome, QStringLiteral("tarvo"));

    // Installed: the shipped data sits in share/tarvo beside bin/. This
    // holds even where the user could write to bin/ (root, or a copy in
    // their home): the program folder is never the installed tree.
    const QString installedTemplates = under(executable, QStringLiteral(TARVO_TEMPLATES_FROM_BIN));
    if (!userFolder.isEmpty() && QFileInfo(installedTemplates).isDir())
        return {userFolder, under(executable, QStringLiteral(TARVO_PLUGINS_FROM_BIN)), installedTemplates, false, {}};

    if (around.executableFolderWritable || userFolder.isEmpty())
        return {executable, executable, QString(), false, {}};

    // A program folder that cannot be written, such as a build folder on a
    // read-only share: its shipped files are the templates.
    return {userFolder, executable, executable, true, {}};
}

QStringList layDownTemplates(const ProgramLocation &location)
{
    const QString &templateFolder = location.templateFolder;
    const QString &programFolder = location.programFolder;
    QStringList failed;
    if (!QDir().mkpath(programFolder)) {
        failed << programFolder;
        return failed;
    }
    const QDir templates(templateFolder);
    QDirIterator it(templateFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = templates.relativeFilePath(source);
        if (location.onlyShippedTemplates && !relative.endsWith(kShippedSuffix) && !relative.startsWith(kMachineFolder + QLatin1Char('/')))
            continue;
        const QString target = under(programFolder, laidDownName(relative));
        if (!layDownFile(source, target))
            failed << target;
    }
    return failed;
}

QString folderProblem(const QString &folder)
{
    // The nearest part of the path that exists says why: a file in the way,
    // or a folder that cannot be written (its rights, a read-only disk).
    QFileInfo existing(QDir::cleanPath(folder));
    while (!existing.exists() && !existing.isSymLink() && !existing.isRoot())
        existing = QFileInfo(existing.absolutePath());
    if (!existing.isDir())
        return QStringLiteral("\"%1\" is a file, not a folder").arg(QDir::toNativeSeparators(existing.absoluteFilePath()));
    QDir().mkpath(folder);
    // Tried for real: the rights on the folder do not tell of a read-only
    // disk, and a user's rights are not root's.
    const QString where = QFileInfo(folder).isDir() ? folder : existing.absoluteFilePath();
    const QByteArray probe = QFile::encodeName(where + QStringLiteral("/.tarvo-write-check-") + QString::number(::getpid()));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    ::unlink(probe.constData());
    return QFileInfo(folder).isDir() ? QString() : QStringLiteral("it cannot be made");
}

ProgramLocation locateProgram(const QString &executableFolder)
{
    ProgramSurroundings around;
    around.executableFolder = executableFolder;
    around.executableFolderWritable = QFileInfo(executableFolder).isWritable();
    around.dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    ProgramLocation location = chooseProgramLocation(around);
    if (location.onlyShippedTemplates)
        std::fprintf(stderr, "tarvo: %s cannot be written; Tarvo keeps its database and log in %s instead\n",
                     qPrintable(QDir::toNativeSeparators(location.templateFolder)),
                     qPrintable(QDir::toNativeSeparators(location.programFolder)));
    if (!location.templateFolder.isEmpty()) {
        const bool fresh = !QFileInfo::exists(location.programFolder);
        const QStringList failed = layDownTemplates(location);
        for (const QString &path : failed)
            std::fprintf(stderr, "tarvo: cannot lay down %s\n", qPrintable(QDir::toNativeSeparators(path)));
        // The user's data folder holds the stored passwords.
        if (fresh && QFileInfo(location.programFolder).isDir())
            QFile::setPermissions(location.programFolder,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (!failed.isEmpty()) {
            QString cause = folderProblem(location.programFolder);
            if (cause.isEmpty())
                cause = QStringLiteral("\"%1\" could not be written").arg(QDir::toNativeSeparators(failed.constFirst()));
            // Tarvo came here because its own folder cannot be written: both are said.
            const QString ownFolder = location.onlyShippedTemplates
                ? QStringLiteral(" Its own folder, %1, cannot be written either.")
                      .arg(QDir::toNativeSeparators(location.templateFolder))
                : QString();
            location.problem = QStringLiteral("Tarvo keeps its database and error log in the folder\n\n%1\n\n"
                                              "but cannot write there: %2.%3\n\nNothing has been changed. "
                                              "Make the folder writable, or set XDG_DATA_HOME to a folder "
                                              "you can write to, and start Tarvo again.")
                                   .arg(QDir::toNativeSeparators(location.programFolder), cause, ownFolder);
        }
    }
    return location;
}

} // namespace platform
