#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool openRegularFile(QFile &file, QIODevice::OpenMode mode)
{
    // Anything else is not even opened: opening a device can itself do
    // something. What is opened is opened without blocking and looked at
    // again through the descriptor, so the file that is checked is the file
    // that is used.
    const QByteArray path = QFile::encodeName(file.fileName());
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (mode & QIODevice::WriteOnly) {
        flags |= (mode & QIODevice::ReadOnly) ? O_RDWR : O_WRONLY;
        flags |= O_CREAT;
        if (mode & QIODevice::Append)
            flags |= O_APPEND;
        if (mode & QIODevice::Truncate)
            flags |= O_TRUNC;
    } else {
        flags |= O_RDONLY;
    }
    // A file made here is the user's alone (the error log tells of the
    // user's connections); one that exists keeps the mode it has.
    const int fd = ::open(path.constData(), flags, 0600);
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace platform
