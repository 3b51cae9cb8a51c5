#pragma once

#include "platform/BusyPointer.h"

#include <QList>

namespace testing_support {

// The pointer's changes written down.
class RecordingBusyPointer : public platform::BusyPointer {
public:
    void setBusy(bool b) override
    {
        if (b != busy)
            changes << b;
        busy = b;
    }
    bool busy = false;
    QList<bool> changes;   // true: to the hourglass, false: back
};

} // namespace testing_support
