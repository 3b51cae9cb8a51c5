#include "platform/NotificationArea.h"

namespace platform {

QString shownTip(const QString &tip)
{
    const qsizetype end = tip.indexOf(QChar(u'\0'));
    return (end < 0 ? tip : tip.left(end)).left(64);
}

} // namespace platform
