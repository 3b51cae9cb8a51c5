#include "platform/QtBusyPointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

QtBusyPointer::~QtBusyPointer()
{
    if (QGuiApplication::instance())
        setBusy(false);
}

void QtBusyPointer::setBusy(bool busy)
{
    // Qt stacks override cursors, one restore for each set; the pointer
    // here is a setting, so only a change reaches the stack.
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace platform
