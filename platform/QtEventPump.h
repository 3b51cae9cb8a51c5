#pragma once

#include "platform/EventPump.h"

namespace platform {

class QtEventPump : public EventPump {
public:
    void doEvents() override;
};

} // namespace platform
