#pragma once

#include "platform/BusyPointer.h"

namespace platform {

class QtBusyPointer : public BusyPointer {
public:
    ~QtBusyPointer() override;
    void setBusy(bool busy) override;

private:
    bool m_busy = false;
};

} // namespace platform
