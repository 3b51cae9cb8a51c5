#include "tarvo/IntervalTimer.h"

namespace tarvo {

IntervalTimer::IntervalTimer(bool ticking, QObject *parent)
    : QObject(parent), m_ticking(ticking)
{
    connect(&m_timer, &QTimer::timeout, this, &IntervalTimer::timeout);
}

void IntervalTimer::setInterval(int ms)
{
    m_interval = ms < 0 ? 0 : ms;
    if (m_interval == 0 || !m_ticking) {
        m_timer.stop();
        return;
    }
    m_timer.start(m_interval);
}

} // namespace tarvo
