#include "platform/SessionEnd.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// A signal handler may do almost nothing: it writes one byte into a socket
// pair, and the event loop reads it and carries on from there.
int g_signalSockets[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[0], &byte, 1);
}

} // namespace

SessionEnd::SessionEnd(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSockets) == 0) {
        m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SessionEnd::signalArrived);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGHUP, SIGINT})
            sigaction(sig, &action, nullptr);
    }
#ifndef QT_NO_SESSIONMANAGER
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        // Logging out must never be refused: nothing here cancels it.
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { Q_EMIT ending(); },
                Qt::DirectConnection);
    }
#endif
}

SessionEnd::~SessionEnd()
{
    if (g_signalSockets[0] < 0)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        sigaction(sig, &action, nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_signalSockets[0]);
    ::close(g_signalSockets[1]);
    g_signalSockets[0] = g_signalSockets[1] = -1;
}

void SessionEnd::signalArrived()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t got = ::read(g_signalSockets[1], &byte, 1);
    Q_EMIT ending();
}

} // namespace platform
