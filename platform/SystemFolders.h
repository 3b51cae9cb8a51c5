#pragma once

#include <QString>

namespace platform {

// Where the program and the machine's own folders are.
class SystemFolders {
public:
    virtual ~SystemFolders() = default;

    // The folder the program runs from (where its database and log live).
    virtual QString programFolder() const = 0;

    // The machine's Windows and System folders, written the way the system
    // hands them out: into `buffer`, whose first `size` characters the caller
    // has filled with blanks, as the path, a NUL, and the rest of the blanks.
    // Returns the length of the path, 0 on failure.
    virtual int getWindowsDirectory(QString &buffer, int size) const = 0;
    virtual int getSystemDirectory(QString &buffer, int size) const = 0;
};

// Finding a file by name: the name of the file when it exists, else "".
class FileLookup {
public:
    virtual ~FileLookup() = default;
    virtual QString dir(const QString &path) const = 0;
};

// The stand-in machine: its Windows folder is `machine/windows` inside the
// program folder, its System folder `machine/windows/system`. Paths use '/'.
class MachineFolders : public SystemFolders {
public:
    explicit MachineFolders(QString programFolder);
    QString programFolder() const override { return m_program; }
    int getWindowsDirectory(QString &buffer, int size) const override;
    int getSystemDirectory(QString &buffer, int size) const override;

    QString windowsFolder() const;
    QString systemFolder() const;

private:
    QString m_program;
};

class DiskFileLookup : public FileLookup {
public:
    QString dir(const QString &path) const override;
};

// Writes `path` into a blank-filled buffer the way the system does.
int fillDirectoryBuffer(const QString &path, QString &buffer, int size);

} // namespace platform
