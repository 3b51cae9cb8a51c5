#include "platform/FileRegistry.h"

#include "platform/SystemFolders.h"

#include <QFile>
#include <QTextStream>

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
// past the closing quote. False when the quote is not closed.
bool readQuoted(const QString &line, qsizetype &pos, QString &out)
{
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line.at(pos);
        if (c == QLatin1Char('\\') && pos + 1 < line.size()) {
            out += line.at(++pos);
        } else if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
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
    QString rest = line.mid(pos + 1).trimmed();
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
        entry.data.clear();
        const auto bytes = rest.mid(4).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &b : bytes) {
            bool ok = false;
            const int v = b.trimmed().toInt(&ok, 16);
            if (!ok || v < 0 || v > 255)
                return false;
            entry.data.append(char(v));
        }
        return true;
    }
    return false;
}

} // namespace

FileRegistry::FileRegistry(QString path)
    : m_path(std::move(path))
{
}

QVector<FileRegistry::Entry> FileRegistry::readKey(const QString &keyPath) const
{
    QVector<Entry> entries;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    bool inKey = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inKey = line.mid(1, line.size() - 2).trimmed().compare(keyPath, Qt::CaseInsensitive) == 0;
            continue;
        }
        Entry e;
        // A line that does not read as a value is passed over: one bad
        // hand edit must not hide the rest of the key.
        if (inKey && parseValueLine(line, e))
            entries.push_back(e);
    }
    return entries;
}

int FileRegistry::regOpenKeyEx(reg::Hkey hive, const QString &subKey, int, int, reg::Hkey &result)
{
    const QString hiveText = hiveName(hive);
    if (hiveText.isEmpty())
        return reg::ERROR_INVALID_HANDLE;
    const QString keyPath = hiveText + QLatin1Char('\\') + subKey;

    // A key exists when the file has its section, even an empty one.
    QFile file(m_path);
    bool exists = false;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        in.setEncoding(QStringConverter::Utf8);
        while (!in.atEnd() && !exists) {
            const QString line = in.readLine().trimmed();
            exists = line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))
                && line.mid(1, line.size() - 2).trimmed().compare(keyPath, Qt::CaseInsensitive) == 0;
        }
    }
    if (!exists)
        return reg::ERROR_FILE_NOT_FOUND;
    result = m_next++;
    m_open.insert(result, readKey(keyPath));
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
