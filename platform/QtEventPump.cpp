#include "platform/QtEventPump.h"

#include <QCoreApplication>

namespace platform {

void QtEventPump::doEvents()
{
    QCoreApplication::processEvents();
}

} // namespace platform
