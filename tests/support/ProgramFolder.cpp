#include "ProgramFolder.h"

#include "tools/ShippedDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testing_support {

ProgramFolder::ProgramFolder() : folders(m_dir.path()), registry(registryPath())
{
}

QStringList ProgramFolder::layDown()
{
    tools::writeShippedDatabase(databasePath());
    const QString markers[] = {folders.windowsFolder() + QStringLiteral("/rundll32.exe"),
                               folders.systemFolder() + QStringLiteral("/rnaui.dll"),
                               folders.systemFolder() + QStringLiteral("/rnaapp.exe")};
    QStringList unwritten;
    for (const QString &marker : markers) {
        QDir().mkpath(QFileInfo(marker).path());
        QFile f(marker);
        if (f.open(QIODevice::WriteOnly))
            f.write("marker\n");
        else
            unwritten << marker;
    }
    return unwritten;
}

platform::Platform ProgramFolder::servicesWith(const Surroundings &around)
{
    return platform::Platform{.clock = clock,
                              .boxes = around.boxes,
                              .folders = folders,
                              .files = files,
                              .registry = registry,
                              .windows = around.windows,
                              .keys = around.keys,
                              .process = around.process,
                              .printer = around.printer,
                              .controls = around.controls,
                              .events = around.events,
                              .pointer = around.pointer,
                              .timersTick = false};
}

} // namespace testing_support
