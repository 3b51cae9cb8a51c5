#pragma once

#include "runtime/Error.h"

#include <QString>
#include <new>
#include <utility>

namespace tarvo {

// The pending run-time error: what the error log reads and then clears.
struct PendingError {
    int number = 0;
    QString description;
    void set(int n, QString d) { number = n; description = std::move(d); }
    void clear() { number = 0; description.clear(); }
};

// Where a trapped error goes: the main window's error log.
class ErrorLog {
public:
    virtual ~ErrorLog() = default;
    virtual PendingError &pendingError() = 0;
    virtual void loger(int frmNo, int functNo, bool nomsg = false) = 0;
};

// The error trap every procedure arms on entry: a run-time error ends the
// procedure and is reported with the procedure's window and number. Failures
// never travel further up: a later tick or click starts afresh.
template <class Body>
void trapped(ErrorLog &log, int frmNo, int functNo, Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return;
    } catch (const rt::RuntimeError &e) {
        log.pendingError().set(e.number(), e.description());
    } catch (const std::bad_alloc &) {
        log.pendingError().set(7, QStringLiteral("Out of memory"));
    } catch (const std::exception &e) {
        log.pendingError().set(51, QStringLiteral("Internal error: ") + QString::fromUtf8(e.what()));
    }
    log.loger(frmNo, functNo);
}

// The same for a procedure with a result: `onError` is what it reports when
// the trap ends it.
template <class R, class Body>
R trapped(ErrorLog &log, int frmNo, int functNo, R onError, Body &&body) noexcept
{
    R result = onError;
    trapped(log, frmNo, functNo, [&] { result = std::forward<Body>(body)(); });
    return result;
}

} // namespace tarvo
