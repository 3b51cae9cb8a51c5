#include "platform/QtControlHost.h"

#include <QDir>
#include <QPluginLoader>
#include <QtDebug>

namespace platform {

QObject *QtControlHost::loadPlugIn(const QString &name)
{
    // QPluginLoader tries the platform's prefix and suffix itself. Letting
    // the loader go does not unload the library.
    QPluginLoader loader(QDir(m_folder).filePath(name));
    QObject *root = loader.instance();
    // The reason only helps whoever installed the program; the caller
    // decides what a missing plug-in means.
    if (!root)
        qWarning().noquote() << "cannot load plug-in" << name << ":" << loader.errorString();
    return root;
}

std::unique_ptr<ControlSite> QtControlHost::createSite(const QString &, const StoredProperties &stored,
                                                      ControlEvents events)
{
    return std::make_unique<RunningControlSite>(m_services, stored, std::move(events));
}

} // namespace platform
