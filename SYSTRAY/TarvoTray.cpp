#include "SYSTRAY/TarvoTray.h"

#include "SYSTRAY/cSysTray.h"

namespace TarvoTrayCtl {

_cSysTray *TarvoTray::CreateInstance(QWidget *parent, platform::ControlSite &site)
{
    return new cSysTray(parent, site);
}

} // namespace TarvoTrayCtl
