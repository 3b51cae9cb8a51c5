#include "platform/FileRegistry.h"

#include "platform/SectionFile.h"
#include "platform/SystemFolders.h"

#include <QFile>
#include <ctime>
#include <sys/stat.h>

namespace platform {

namespace {

QString hiveName(reg::Hkey hive)
{
    switch (hive) {
    case reg::HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case reg::HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case reg::HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    default: return {};
    }
}

// Reads a quoted text starting at `pos` (on the opening quote); moves `pos`
// past the closing quote. False when the quote is not closed. Runs between
// escapes are copied whole: a value may be megabytes long.
bool readQuoted(QStringView line, qsizetype &pos, QString &out)
{
    out.clear();
    qsizetype from = ++pos;
    while (pos < line.size()) {
        const QChar c = line.at(pos);
        if (c == QLatin1Char('\\') && pos + 1 < line.size()) {
            out += line.sliced(from, pos - from);
            out += line.at(pos + 1);
            pos += 2;
            from = pos;
        } else if (c == QLatin1Char('"')) {
            out += line.sliced(from, pos - from);
            ++pos;
            return true;
        } else {
            ++pos;
        }
    }
    return false;
}

// "xx,xx,..." into bytes; empty fields are passed over.
bool readHex(QStringView text, QByteArray &out)
{
    out.clear();
    out.reserve(text.size() / 3 + 1);
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char(','), from);
        if (end < 0)
            end = text.size();
        const QStringView field = text.sliced(from, end - from);
        if (!field.isEmpty()) {
            bool ok = false;
            const int v = field.trimmed().toInt(&ok, 16);
            if (!ok || v < 0 || v > 255)
                return false;
            out.append(char(v));
        }
        from = end + 1;
    }
    return true;
}

bool parseValueLine(const QString &line, FileRegistry::Entry &entry)
{
    qsizetype pos = 0;
    if (!line.startsWith(QLatin1Char('"')) || !readQuoted(line, pos, entry.name))
        return false;
    while (pos < line.size() && line.at(pos).isSpace())
        ++pos;
    if (pos >= line.size() || line.at(pos) != QLatin1Char('='))
        return false;
    const QStringView rest = QStringView(line).sliced(pos + 1).trimmed();
    if (rest.startsWith(QLatin1Char('"'))) {
        qsizetype p = 0;
        QString text;
        if (!readQuoted(rest, p, text))
            return false;
        entry.type = reg::REG_SZ;
        entry.data = text.toUtf8() + '\0';
        return true;
    }
    if (rest.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        entry.type = reg::REG_BINARY;
        return readHex(rest.sliced(4), entry.data);
    }
    return false;
}

QVector<FileRegistry::Entry> entriesOf(const QStringList &lines)
{
    QVector<FileRegistry::Entry> entries;
    for (const QString &line : lines) {
        FileRegistry::Entry e;
        // A line that does not read as a value is passed over: one bad
        // hand edit must not hide the rest of the key.
        if (parseValueLine(line, e))
            entries.push_back(e);
    }
    return entries;
}

} // namespace

FileRegistry::FileRegistry(QString path)
    : m_path(std::move(path))
{
}

const SectionFile &FileRegistry::current() const
{
    struct stat st {};
    Stamp now;
    if (::stat(QFile::encodeName(m_path).constData(), &st) == 0)
        now = {qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size),
               qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
               qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
    // A file's times move in steps of a few milliseconds, so a file changed
    // twice within one step keeps its stamp: one changed in the last two
    // seconds is read again all the same. A file that is not there is looked
    // for again each time.
    timespec clock {};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    const qint64 nowNs = qint64(clock.tv_sec) * 1000000000 + clock.tv_nsec;
    const bool recent = nowNs - now.modified < 2000000000;
    if (now.inode < 0 || recent || !(now == m_readAt)) {
        m_file = SectionFile::read(m_path);
        m_readAt = now;
    }
    return m_file;
}

void FileRegistry::provideKey(const QString &keyPath, KeySource values)
{
    m_provided.push_back({keyPath, std::move(values)});
}

const FileRegistry::KeySource *FileRegistry::sourceOf(const QString &keyPath) const
{
    for (const auto &[path, source] : m_provided)
        if (path.compare(keyPath, Qt::CaseInsensitive) == 0)
            return &source;
    return nullptr;
}

QVector<FileRegistry::Entry> FileRegistry::readKey(const QString &keyPath) const
{
    if (const KeySource *source = sourceOf(keyPath))
        return (*source)();
    return entriesOf(current().lines(keyPath, Qt::CaseInsensitive));
}

int FileRegistry::regOpenKeyEx(reg::Hkey hive, const QString &subKey, int, int, reg::Hkey &result)
{
    const QString hiveText = hiveName(hive);
    if (hiveText.isEmpty())
        return reg::ERROR_INVALID_HANDLE;
    const QString keyPath = hiveText + QLatin1Char('\\') + subKey;
    if (const KeySource *source = sourceOf(keyPath)) {
        result = m_next++;
        m_open.insert(result, (*source)());
        return reg::ERROR_SUCCESS;
    }

    // A key exists when the file has its section, even an empty one.
    const SectionFile &file = current();
    if (!file.has(keyPath, Qt::CaseInsensitive))
        return reg::ERROR_FILE_NOT_FOUND;
    result = m_next++;
    m_open.insert(result, entriesOf(file.lines(keyPath, Qt::CaseInsensitive)));
    return reg::ERROR_SUCCESS;
}

int FileRegistry::regEnumValue(reg::Hkey key, int index, QString &name, int &nameLength, int &type,
                               QByteArray &data, int &dataSize)
{
    const auto it = m_open.constFind(key);
    if (it == m_open.constEnd())
        return reg::ERROR_INVALID_HANDLE;
    if (index < 0 || index >= it->size())
        return reg::ERROR_NO_MORE_ITEMS;
    const Entry &e = it->at(index);
    if (e.name.size() + 1 > nameLength) {
        nameLength = int(e.name.size()) + 1;
        return reg::ERROR_MORE_DATA;
    }
    if (e.data.size() > dataSize) {
        dataSize = int(e.data.size());
        return reg::ERROR_MORE_DATA;
    }
    fillDirectoryBuffer(e.name, name, nameLength);
    nameLength = int(e.name.size());
    type = e.type;
    data = e.data;
    dataSize = int(e.data.size());
    return reg::ERROR_SUCCESS;
}

int FileRegistry::regQueryValueEx(reg::Hkey key, const QString &valueName, int &type, QByteArray &data,
                                  int &dataSize)
{
    const auto it = m_open.constFind(key);
    if (it == m_open.constEnd())
        return reg::ERROR_INVALID_HANDLE;
    for (const Entry &e : *it) {
        if (e.name.compare(valueName, Qt::CaseInsensitive) != 0)
            continue;
        if (e.data.size() > dataSize) {
            dataSize = int(e.data.size());
            return reg::ERROR_MORE_DATA;
        }
        type = e.type;
        if (data.size() < e.data.size())
            data.resize(e.data.size());
        data.replace(0, e.data.size(), e.data);
        dataSize = int(e.data.size());
        return reg::ERROR_SUCCESS;
    }
    return reg::ERROR_FILE_NOT_FOUND;
}

int FileRegistry::regCloseKey(reg::Hkey key)
{
    return m_open.remove(key) ? reg::ERROR_SUCCESS : reg::ERROR_INVALID_HANDLE;
}

} // namespace platform
