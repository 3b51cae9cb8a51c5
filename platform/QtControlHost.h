#pragma once

#include "platform/ControlHost.h"

namespace platform {

// Plug-ins are Qt plug-ins loaded with QPluginLoader.
class QtControlHost : public ControlHost {
public:
    explicit QtControlHost(QString programFolder) : m_folder(std::move(programFolder)) {}

    QObject *loadPlugIn(const QString &name) override;
    std::unique_ptr<ControlSite> createSite(const QString &instance, const QVariantMap &stored) override;

private:
    QString m_folder;
};

} // namespace platform
