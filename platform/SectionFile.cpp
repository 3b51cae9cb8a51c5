#include "platform/SectionFile.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QTextStream>

namespace platform {

SectionFile SectionFile::read(const QString &path)
{
    SectionFile result;
    QFile file(path);
    if (!openRegularFile(file, QIODevice::ReadOnly | QIODevice::Text))
        return result;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            result.m_sections.push_back({line.mid(1, line.size() - 2).trimmed(), {}});
            continue;
        }
        if (!result.m_sections.isEmpty())
            result.m_sections.last().lines.push_back(line);
    }
    return result;
}

bool SectionFile::has(const QString &section, Qt::CaseSensitivity cs) const
{
    for (const Section &s : m_sections)
        if (s.name.compare(section, cs) == 0)
            return true;
    return false;
}

QStringList SectionFile::lines(const QString &section, Qt::CaseSensitivity cs) const
{
    QStringList out;
    for (const Section &s : m_sections)
        if (s.name.compare(section, cs) == 0)
            out += s.lines;
    return out;
}

} // namespace platform
