#include "tarvo/ErrorTrap.h"

#include <exception>
#include <new>

namespace tarvo {

void setFromCurrentException(PendingError &error) noexcept
{
    try {
        try {
            throw;
        } catch (const rt::RuntimeError &e) {
            error.set(e.number(), e.description());
        } catch (const std::bad_alloc &) {
            error.set(rt::err::OutOfMemory, QStringLiteral("Out of memory"));
        } catch (const std::exception &e) {
            error.set(rt::err::InternalError, QStringLiteral("Internal error: ") + QString::fromUtf8(e.what()));
        } catch (...) {
            error.set(rt::err::InternalError, QStringLiteral("Internal error"));
        }
    } catch (...) {
        // Not even the description could be made: the number still tells.
        error.number = rt::err::OutOfMemory;
    }
}

void reportTrapped(ErrorLog &log, int frmNo, int functNo) noexcept
{
    try {
        log.loger(frmNo, functNo);
    } catch (...) {
        log.pendingError().number = 0;
    }
}

} // namespace tarvo
