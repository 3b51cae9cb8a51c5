#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace fuzz {

inline QString text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The readers under test take a file, so each input is written to one of its
// own, in memory where the machine has it.
class InputFile {
public:
    InputFile()
    {
        const QString shm = QStringLiteral("/dev/shm");
        m_path = (QDir(shm).exists() ? shm : QDir::tempPath()) + QStringLiteral("/tarvo-fuzz-%1").arg(getpid());
    }
    ~InputFile() { QFile::remove(m_path); }
    const QString &write(const uint8_t *data, size_t size)
    {
        QFile f(m_path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(reinterpret_cast<const char *>(data), qint64(size));
        return m_path;
    }

private:
    QString m_path;
};

} // namespace fuzz
