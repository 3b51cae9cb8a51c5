#pragma once

#include "runtime/Error.h"

#include <functional>

namespace testing_support {

// The number of the run-time error `f` raises, 0 when it raises none.
inline int errorNumber(const std::function<void()> &f)
{
    try {
        f();
    } catch (const rt::RuntimeError &e) {
        return e.number();
    }
    return 0;
}

} // namespace testing_support
