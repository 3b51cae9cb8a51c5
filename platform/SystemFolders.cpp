#include "platform/SystemFolders.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

int fillDirectoryBuffer(const QString &path, QString &buffer, int size)
{
    // Like the system call: too small a buffer gets nothing written.
    if (path.size() + 1 > size)
        return 0;
    if (buffer.size() < size)
        buffer = buffer.leftJustified(size, QLatin1Char(' '));
    buffer.replace(0, path.size() + 1, path + QChar(u'\0'));
    return int(path.size());
}

MachineFolders::MachineFolders(QString programFolder)
    : m_program(QDir::cleanPath(programFolder))
{
}

QString MachineFolders::windowsFolder() const
{
    return m_program + QStringLiteral("/machine/windows");
}

QString MachineFolders::systemFolder() const
{
    return windowsFolder() + QStringLiteral("/system");
}

int MachineFolders::getWindowsDirectory(QString &buffer, int size) const
{
    return fillDirectoryBuffer(windowsFolder(), buffer, size);
}

int MachineFolders::getSystemDirectory(QString &buffer, int size) const
{
    return fillDirectoryBuffer(systemFolder(), buffer, size);
}

QString DiskFileLookup::dir(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() ? info.fileName() : QString();
}

} // namespace platform
