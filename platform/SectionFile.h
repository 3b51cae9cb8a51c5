#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace platform {

// A hand-edited text file of sections: "[name]" headers, each followed by
// its lines. Blank lines and lines starting with ';' or '#' are comments;
// lines before the first header belong to no section. The stand-in
// machine's registry and line script are written this way.
class SectionFile {
public:
    // The file as it is now; a file that cannot be read, or is anything but
    // a regular file, has no sections.
    static SectionFile read(const QString &path);

    bool has(const QString &section, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    // The lines of every section of that name, trimmed, in file order.
    QStringList lines(const QString &section, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;

private:
    struct Section {
        QString name;
        QStringList lines;
    };
    QVector<Section> m_sections;
};

} // namespace platform
