#pragma once

#include "runtime/DateTime.h"

#include <QDateTime>

namespace platform {

// The time of day as the program sees it. Everything that asks "what time is
// it" goes through here, so a test can move time instead of waiting for it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual rt::DateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    rt::DateTime now() const override;
    // The second `moment` falls in. A second is the time once it has begun,
    // not from halfway through the one before, so nothing due at a time of
    // day happens before it.
    static rt::DateTime secondOf(const QDateTime &moment);
};

// A clock that stands still until told to move.
class SettableClock : public Clock {
public:
    explicit SettableClock(const rt::DateTime &start = rt::DateTime::fromParts(2026, 12, 9, 10, 0, 0));
    rt::DateTime now() const override { return m_now; }
    void set(const rt::DateTime &t) { m_now = t; }
    // Set to a moment within a second, read as the system clock reads it.
    void setMoment(const QDateTime &moment) { m_now = SystemClock::secondOf(moment); }
    void advanceSeconds(qint64 seconds) { m_now = m_now.addSeconds(seconds); }

private:
    rt::DateTime m_now;
};

} // namespace platform
