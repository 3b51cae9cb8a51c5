#pragma once

#include <QObject>
#include <QTimer>

namespace tarvo {

// A timer control: an interval of 0 means stopped, any other interval runs
// it. When `ticking` is off (tests) the interval is kept but nothing fires.
class IntervalTimer : public QObject {
    Q_OBJECT
public:
    IntervalTimer(bool ticking, QObject *parent = nullptr);

    int interval() const { return m_interval; }
    void setInterval(int ms);

Q_SIGNALS:
    void timeout();

private:
    QTimer m_timer;
    int m_interval = 0;
    bool m_ticking;
};

} // namespace tarvo
