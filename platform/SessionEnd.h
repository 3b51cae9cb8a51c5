#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Tells the program that the desktop is ending it: the user logs out or the
// machine shuts down (the session manager asks the program to save its
// state), or the process is sent SIGTERM, SIGHUP or SIGINT. The program has
// the time of one event-loop turn to settle its records; it is then expected
// to end by itself, asking nothing.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    // One per process: it owns the process's handlers of those signals.
    explicit SessionEnd(QObject *parent = nullptr);
    ~SessionEnd() override;

Q_SIGNALS:
    void ending();

private:
    void signalArrived();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
