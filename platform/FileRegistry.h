#pragma once

#include "platform/Registry.h"
#include "platform/SectionFile.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>

namespace platform {

// The stand-in machine's registry: one text file in the style of an exported
// registry, looked at each time a key is opened so that hand edits and
// connections added meanwhile show up. It is read again only when it has
// changed (another size, time of change or file): the scanner opens a key
// on every tick.
//
//   ; comment
//   [HKEY_CURRENT_USER\RemoteAccess\Addresses]
//   "Tarvo Demo"=hex:01,00
//   "Checked Account"=""
//   [HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Main]
//   "Start Page"="http://www.tarvo.example/"
//
// Values keep the order of the file. Names and string data are written in
// double quotes with \" and \\ as escapes; data is a string (REG_SZ) or
// hex:xx,xx,... bytes (REG_BINARY). Key paths compare without regard to case.
class FileRegistry : public Registry {
public:
    explicit FileRegistry(QString path);

    int regOpenKeyEx(reg::Hkey hive, const QString &subKey, int options, int samDesired, reg::Hkey &result) override;
    int regEnumValue(reg::Hkey key, int index, QString &name, int &nameLength, int &type, QByteArray &data,
                     int &dataSize) override;
    int regQueryValueEx(reg::Hkey key, const QString &valueName, int &type, QByteArray &data,
                        int &dataSize) override;
    int regCloseKey(reg::Hkey key) override;

    const QString &path() const { return m_path; }
    int openKeyCount() const { return int(m_open.size()); }

    struct Entry {
        QString name;
        int type = reg::REG_SZ;
        QByteArray data;   // a string's data ends with its NUL
    };
    // The values of one key as the file holds them now (empty when absent).
    QVector<Entry> readKey(const QString &keyPath) const;

    // The key at `keyPath` (full path, hive first) is kept by the machine
    // rather than the file: it always exists, and its values are what
    // `values` gives each time it is opened or read.
    using KeySource = std::function<QVector<Entry>()>;
    void provideKey(const QString &keyPath, KeySource values);

private:
    // The file as it is now.
    const SectionFile &current() const;

    // The source of a key kept by the machine, or null.
    const KeySource *sourceOf(const QString &keyPath) const;

    QString m_path;
    QVector<std::pair<QString, KeySource>> m_provided;
    struct Stamp {
        qint64 device = -1, inode = -1, size = -1, modified = -1, changed = -1;
        bool operator==(const Stamp &) const = default;
    };
    mutable Stamp m_readAt;
    mutable SectionFile m_file;
    QHash<reg::Hkey, QVector<Entry>> m_open;
    reg::Hkey m_next = 0x1000;
};

} // namespace platform
