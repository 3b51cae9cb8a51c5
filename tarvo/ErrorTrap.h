#pragma once

#include "runtime/Error.h"

#include <QString>
#include <utility>

namespace tarvo {

// The pending run-time error: what the error log reads and then clears.
struct PendingError {
    int number = 0;
    QString description;
    void set(int n, QString d) { number = n; description = std::move(d); }
    void clear() { number = 0; description.clear(); }
};

// The exception being handled, as a run-time error number and description.
// Call only from inside a catch block. Anything at all is caught by the
// callers, so an exception of no known kind still becomes a numbered error
// instead of ending the program.
void setFromCurrentException(PendingError &error) noexcept;

// Where a trapped error goes: the main window's error log.
class ErrorLog {
public:
    virtual ~ErrorLog() = default;
    virtual PendingError &pendingError() = 0;
    virtual void loger(int frmNo, int functNo, bool nomsg = false) = 0;
};

// Hands the pending error to the log. The log itself must not end the
// program: whatever it throws is dropped with the record.
void reportTrapped(ErrorLog &log, int frmNo, int functNo) noexcept;

// The error trap every procedure arms on entry: a run-time error ends the
// procedure and is reported with the procedure's window and number. Failures
// never travel further up: a later tick or click starts afresh. True when
// the body ran to its end.
template <class Body>
bool trapped(ErrorLog &log, int frmNo, int functNo, Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        setFromCurrentException(log.pendingError());
    }
    reportTrapped(log, frmNo, functNo);
    return false;
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
