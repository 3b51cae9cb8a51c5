#include "platform/Clock.h"

#include <QDateTime>

namespace platform {

rt::DateTime SystemClock::now() const
{
    return secondOf(QDateTime::currentDateTime());
}

rt::DateTime SystemClock::secondOf(const QDateTime &moment)
{
    const QTime t = moment.time();
    return rt::DateTime::fromQDateTime(QDateTime(moment.date(), QTime(t.hour(), t.minute(), t.second())));
}

SettableClock::SettableClock(const rt::DateTime &start)
    : m_now(start)
{
}

} // namespace platform
