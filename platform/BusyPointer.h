#pragma once

namespace platform {

// The mouse pointer over all of the program's windows: the hourglass while
// the user has to wait for a long operation, each window's own pointer
// otherwise. Telling it what it already is changes nothing, so one call
// back to normal ends any number of hourglass calls.
class BusyPointer {
public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};

} // namespace platform
