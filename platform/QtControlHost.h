#pragma once

#include "platform/ControlHost.h"

namespace platform {

// Plug-ins are Qt plug-ins loaded with QPluginLoader.
class QtControlHost : public ControlHost {
public:
    QtControlHost(QString plugInFolder, ControlServices services)
        : m_folder(std::move(plugInFolder)), m_services(services)
    {
    }

    QObject *loadPlugIn(const QString &name) override;
    std::unique_ptr<ControlSite> createSite(const QString &instance, const StoredProperties &stored,
                                            ControlEvents events) override;

private:
    QString m_folder;
    ControlServices m_services;
};

} // namespace platform
