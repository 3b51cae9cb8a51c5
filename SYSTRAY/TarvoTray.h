#pragma once

#include "SYSTRAY/TarvoTrayCtl.h"

#include <QObject>

namespace TarvoTrayCtl {

// The plug-in's root object: the class object that makes cSysTray
// instances. Its metadata is the control's identity.
class TarvoTray : public QObject, public ClassFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TarvoTrayCtl_ClassFactory_iid FILE "TarvoTray.json")
    Q_INTERFACES(TarvoTrayCtl::ClassFactory)
public:
    _cSysTray *CreateInstance(QWidget *parent, platform::ControlSite &site) override;
};

} // namespace TarvoTrayCtl
