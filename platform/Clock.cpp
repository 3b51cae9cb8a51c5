#include "platform/Clock.h"

#include <QDateTime>

namespace platform {

rt::DateTime SystemClock::now() const
{
    return rt::DateTime::fromQDateTime(QDateTime::currentDateTime());
}

SettableClock::SettableClock(const rt::DateTime &start)
    : m_now(start)
{
}

} // namespace platform
